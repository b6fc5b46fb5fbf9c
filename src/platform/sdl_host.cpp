// The SDL2 host: clock, process end, window, present and events.
#include "sdl_host.h"

#include <cstdlib>

namespace platform {

std::unique_ptr<Host> MakeSdlHost() { return std::make_unique<SdlHost>(); }

SdlHost::SdlHost() { SDL_Init(SDL_INIT_TIMER); }

SdlHost::~SdlHost() {
  CloseAudio();
  CloseWindow();
  SDL_Quit();
}

uint32_t SdlHost::Millisecs() { return SDL_GetTicks(); }

void SdlHost::Delay(int32_t ms) {
  if (ms > 0) SDL_Delay(static_cast<Uint32>(ms));
}

void SdlHost::EndProcess(int32_t code) {
  CloseAudio();
  CloseWindow();
  SDL_Quit();
  std::exit(code);
}

// The window, present, events and joysticks are completed by the window work.
std::vector<DisplayMode> SdlHost::DisplayModes() { return {}; }
bool SdlHost::OpenWindow(int32_t, int32_t, bool, int32_t, const std::string&) { return false; }
void SdlHost::CloseWindow() {}
void SdlHost::SetCaption(const std::string& caption_utf8) { caption_ = caption_utf8; }
void SdlHost::ShowCursor(bool) {}
void SdlHost::Present(const uint32_t*, int32_t, int32_t) {}
void SdlHost::WindowToVirtual(float wx, float wy, int32_t, int32_t, float& vx, float& vy) {
  vx = wx;
  vy = wy;
}
void SdlHost::PumpEvents(std::vector<InputEvent>&) {}
int32_t SdlHost::JoystickCount() { return 0; }
JoystickState SdlHost::Joystick(int32_t) { return {}; }

}  // namespace platform
