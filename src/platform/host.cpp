// Which host the platform layer runs on, and the reset that starts a run on
// a fresh one.
#include "frame_log.h"
#include "internal.h"

namespace platform {
namespace {
std::unique_ptr<Host>& InstalledHost() {
  static std::unique_ptr<Host> host;
  return host;
}
}  // namespace

Host& CurrentHost() {
  auto& host = InstalledHost();
  if (!host) host = MakeSdlHost();
  return *host;
}

// A new host shows nothing drawn before it came.
void InstallHost(std::unique_ptr<Host> host) {
  InstalledHost() = std::move(host);
  ForgetShownFrame();
}

void ResetPlatformState() {
  // The audio device and the window belong to the host in use, so they are
  // closed through it before anything else goes; without a host there is
  // nothing to close, and no host is made just for that.
  ResetAudio();
  if (InstalledHost() && InstalledHost()->WindowOpen()) InstalledHost()->CloseWindow();
  ResetWindow();
  ResetStopSignal();
  ResetInput();
  ResetHandles();
  ResetRandom();
  ResetDrawing();
  ResetImages();
  ResetFonts();
  ResetSockets();
}

ScriptedHost& UseScriptedHost() {
  ResetPlatformState();
  auto host = std::make_unique<ScriptedHost>();
  ScriptedHost& ref = *host;
  InstallHost(std::move(host));
  return ref;
}

}  // namespace platform
