// Which host the platform layer runs on.
#include "frame_log.h"

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

ScriptedHost& UseScriptedHost() {
  auto host = std::make_unique<ScriptedHost>();
  ScriptedHost& ref = *host;
  InstallHost(std::move(host));
  return ref;
}

}  // namespace platform
