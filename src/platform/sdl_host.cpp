// The SDL2 host: clock, process end, window, present, events and joysticks.
#include "sdl_host.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "internal.h"

namespace platform {
namespace {

// Keys whose press a Windows message loop also delivers as a character, the
// character's code being the key's own.
int32_t ControlCharacter(SDL_Scancode scancode) {
  switch (scancode) {
    case SDL_SCANCODE_BACKSPACE:
      return vk::kBackspace;
    case SDL_SCANCODE_TAB:
      return vk::kTab;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
      return vk::kEnter;
    case SDL_SCANCODE_ESCAPE:
      return vk::kEscape;
    default:
      return 0;
  }
}

int32_t MouseButton(Uint8 sdl_button) {
  switch (sdl_button) {
    case SDL_BUTTON_LEFT:
      return 1;
    case SDL_BUTTON_RIGHT:
      return 2;
    case SDL_BUTTON_MIDDLE:
      return 3;
    default:
      return 0;
  }
}

// Windows counts a pixel of four bytes as 32 bits, even when one byte is
// unused (SDL calls that 24 bits per pixel).
int32_t DepthOf(Uint32 format) {
  int32_t bytes = SDL_BYTESPERPIXEL(format);
  return bytes > 0 ? bytes * 8 : static_cast<int32_t>(SDL_BITSPERPIXEL(format));
}

Uint32 FormatForDepth(int32_t depth) {
  switch (depth) {
    case 16:
      return SDL_PIXELFORMAT_RGB565;
    case 24:
      return SDL_PIXELFORMAT_RGB24;
    default:
      return SDL_PIXELFORMAT_RGB888;
  }
}

bool Named(const char* value) { return value != nullptr && *value != '\0'; }

// SDL_VIDEODRIVER, or the same hint set by the program.
bool VideoDriverNamed() { return Named(SDL_GetHint(SDL_HINT_VIDEODRIVER)); }

bool ShowsNothing(const std::string& driver) {
  return driver == "offscreen" || driver == "dummy" || driver == "evdev";
}

// In SDL's order, as the comma-separated list SDL_HINT_VIDEODRIVER takes.
std::string DriversThatShowAWindow() {
  std::string drivers;
  for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
    std::string name = SDL_GetVideoDriver(i);
    if (ShowsNothing(name)) continue;
    if (!drivers.empty()) drivers += ',';
    drivers += name;
  }
  return drivers;
}

std::string NoDisplayReason() {
  bool none_set = !Named(std::getenv("DISPLAY")) && !Named(std::getenv("WAYLAND_DISPLAY"));
  return std::string("no display is available (") +
         (none_set ? "DISPLAY is not set" : SDL_GetError()) + ")";
}

float AxisValue(Sint16 raw) { return std::clamp(float(raw) / 32767.0f, -1.0f, 1.0f); }

void AppendText(const char* utf8, std::vector<InputEvent>& out) {
  for (char16_t unit : FromUtf8(utf8)) {
    InputEvent event{InputEvent::kChar};
    event.code = unit;
    out.push_back(event);
  }
}

// Releases made while the window has no focus or does not show never
// reach it: a window-manager shortcut may hide it in the middle of a drag.
bool LosesInput(const SDL_WindowEvent& window) {
  return window.event == SDL_WINDOWEVENT_FOCUS_LOST || window.event == SDL_WINDOWEVENT_HIDDEN ||
         window.event == SDL_WINDOWEVENT_MINIMIZED;
}

InputEvent MouseEvent(InputEvent::Kind kind, int32_t code, int32_t x, int32_t y) {
  InputEvent event{kind};
  event.code = code;
  event.x = float(x);
  event.y = float(y);
  return event;
}

}  // namespace

bool ShownFrame::RowEqual(const uint32_t* pixels, int32_t row) const {
  size_t start = size_t(row) * size_t(width_);
  return std::memcmp(pixels + start, pixels_.data() + start, size_t(width_) * 4) == 0;
}

ShownFrame::Rows ShownFrame::Take(const uint32_t* pixels, int32_t width, int32_t height) {
  Rows rows{0, height};
  if (width == width_ && height == height_) {
    while (rows.first < rows.end && RowEqual(pixels, rows.first)) ++rows.first;
    while (rows.end > rows.first && RowEqual(pixels, rows.end - 1)) --rows.end;
  } else {
    width_ = width;
    height_ = height;
    pixels_.resize(size_t(width) * size_t(height));
  }
  size_t start = size_t(rows.first) * size_t(width);
  size_t count = size_t(rows.end - rows.first) * size_t(width);
  std::copy_n(pixels + start, count, pixels_.data() + start);
  return rows;
}

void ShownFrame::Forget() {
  pixels_.clear();
  width_ = height_ = 0;
}

std::unique_ptr<Host> MakeSdlHost() { return std::make_unique<SdlHost>(); }

// SDL's own handlers would turn a stop signal into a quit event, and a quit
// leads to the closing screen, which waits for a key no one may be there to
// press; the platform notes the signal itself instead.
SdlHost::SdlHost() {
  InstallStopSignalHandlers();
  SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_OVERRIDE);
  SDL_Init(SDL_INIT_TIMER);
}

SdlHost::~SdlHost() {
  ShutDownSdl();
  RestoreStopSignalHandlers();
}

void SdlHost::ShutDownSdl() {
  CloseAudio();
  CloseWindow();
  CloseJoysticks();
  SDL_Quit();
}

uint32_t SdlHost::Millisecs() { return SDL_GetTicks(); }

void SdlHost::Delay(int32_t ms) {
  if (ms > 0) SDL_Delay(static_cast<Uint32>(ms));
}

// The window and the audio device go before the process ends; a second
// shut-down from the host's destructor finds nothing left to close.
void SdlHost::EndProcess(int32_t code) {
  ShutDownSdl();
  std::exit(code);
}

// Video starts only when something needs it, so that runs without a display
// work until they open a window. Unless the user named a driver, SDL may not
// fall back on one that shows nothing: the program would run on unseen.
bool SdlHost::EnsureVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
  if (!VideoDriverNamed()) {
    std::string visible = DriversThatShowAWindow();
    if (visible.empty()) return Fail(NoDisplayReason());
    // Over an empty SDL_VIDEODRIVER too, which SDL reads as naming none.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, visible.c_str(), SDL_HINT_OVERRIDE);
  }
  return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0 || Fail(NoDisplayReason());
}

bool SdlHost::Fail(const std::string& why) {
  failure_ = why;
  return false;
}

bool SdlHost::EnsureJoysticks() {
  if (SDL_WasInit(SDL_INIT_JOYSTICK)) return true;
  return SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
}

std::vector<DisplayMode> SdlHost::DisplayModes() {
  std::vector<DisplayMode> modes;
  if (!EnsureVideo()) return modes;
  int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
    modes.push_back({mode.w, mode.h, DepthOf(mode.format), mode.refresh_rate});
  }
  return modes;
}

bool SdlHost::OpenWindow(int32_t width, int32_t height, bool fullscreen, int32_t depth,
                         const std::string& caption_utf8) {
  CloseWindow();
  failure_.clear();
  if (!EnsureVideo()) return false;
  caption_ = caption_utf8;
  Uint32 flags = fullscreen ? SDL_WINDOW_FULLSCREEN : 0;
  window_ = SDL_CreateWindow(caption_.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             width, height, flags);
  if (!window_) return Fail(SDL_GetError());
  if (fullscreen) {
    SDL_DisplayMode wanted{FormatForDepth(depth), width, height, 0, nullptr};
    SDL_DisplayMode closest;
    if (SDL_GetClosestDisplayMode(0, &wanted, &closest))
      SDL_SetWindowDisplayMode(window_, &closest);
  }
  // Pixel art stays sharp when the drawing space is stretched.
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  // The click that brings the window to the front is a click, as on Windows.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
  renderer_ = SDL_CreateRenderer(window_, -1, 0);
  if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer_) {
    Fail(SDL_GetError());
    CloseWindow();
    return false;
  }
  SDL_ShowCursor(cursor_shown_ ? SDL_ENABLE : SDL_DISABLE);
  SDL_StartTextInput();
  return true;
}

void SdlHost::CloseWindow() {
  shown_.Forget();
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) SDL_DestroyWindow(window_);
  texture_ = nullptr;
  renderer_ = nullptr;
  window_ = nullptr;
  texture_width_ = texture_height_ = 0;
}

void SdlHost::SetCaption(const std::string& caption_utf8) {
  caption_ = caption_utf8;
  if (window_) SDL_SetWindowTitle(window_, caption_.c_str());
}

void SdlHost::ShowCursor(bool show) {
  cursor_shown_ = show;
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

bool SdlHost::EnsureTexture(int32_t width, int32_t height) {
  if (texture_ && texture_width_ == width && texture_height_ == height) return true;
  if (texture_) SDL_DestroyTexture(texture_);
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                               width, height);
  texture_width_ = width;
  texture_height_ = height;
  shown_.Forget();
  return texture_ != nullptr;
}

// Showing a frame costs a texture upload, a window-sized draw and round trips
// to the window system (all on the CPU under a software OpenGL), so only
// the rows that changed are uploaded and an unchanged frame is not shown
// again unless the window system lost the picture.
void SdlHost::Present(const uint32_t* pixels, int32_t width, int32_t height) {
  if (!renderer_ || width <= 0 || height <= 0 || !EnsureTexture(width, height)) return;
  ShownFrame::Rows changed = shown_.Take(pixels, width, height);
  if (changed.Empty() && !repaint_) return;
  if (!changed.Empty()) {
    SDL_Rect rows{0, changed.first, width, changed.end - changed.first};
    SDL_UpdateTexture(texture_, &rows, pixels + size_t(changed.first) * size_t(width), width * 4);
  }
  Show();
}

bool SdlHost::ShowAgain() {
  if (!renderer_ || !texture_ || shown_.Empty()) return false;
  if (repaint_) Show();
  return true;
}

void SdlHost::Show() {
  SDL_RenderClear(renderer_);
  SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  SDL_RenderPresent(renderer_);
  repaint_ = false;
  ++frames_shown_;
}

void SdlHost::NoteWindowEvent(const SDL_WindowEvent& window) {
  switch (window.event) {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
      repaint_ = true;
      break;
    default:
      break;
  }
}

// The drawing space is stretched over the whole window, so the mouse scales
// by the same factors.
void SdlHost::WindowToVirtual(float wx, float wy, int32_t vw, int32_t vh, float& vx, float& vy) {
  int ww = 0, wh = 0;
  if (window_) SDL_GetWindowSize(window_, &ww, &wh);
  vx = ww > 0 ? wx * float(vw) / float(ww) : wx;
  vy = wh > 0 ? wy * float(vh) / float(wh) : wy;
}

void SdlHost::TranslateKey(const SDL_KeyboardEvent& key, std::vector<InputEvent>& out) {
  SDL_Scancode scancode = key.keysym.scancode;
  if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return;
  Uint8& code_down = key_codes_down_[scancode];
  if (key.type == SDL_KEYUP) {
    if (code_down != 0) out.push_back({InputEvent::kKeyUp, code_down});
    code_down = 0;
    return;
  }
  // Auto-repeat types characters again but is not a new press.
  if (!key.repeat) {
    code_down = static_cast<Uint8>(VirtualKeyFromKeysym(key.keysym));
    if (code_down != 0) out.push_back({InputEvent::kKeyDown, code_down});
  }
  int32_t character = ControlCharacter(scancode);
  if (character != 0) out.push_back({InputEvent::kChar, character});
}

void SdlHost::PumpEvents(std::vector<InputEvent>& out) {
  if (!SDL_WasInit(SDL_INIT_EVENTS)) return;
  Uint32 now = SDL_GetTicks();
  if (pumped_ && now == last_pump_) return;
  pumped_ = true;
  last_pump_ = now;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        TranslateKey(event.key, out);
        break;
      case SDL_TEXTINPUT:
        AppendText(event.text.text, out);
        break;
      case SDL_MOUSEMOTION:
        out.push_back(MouseEvent(InputEvent::kMouseMove, 0, event.motion.x, event.motion.y));
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        int32_t button = MouseButton(event.button.button);
        auto kind =
            event.type == SDL_MOUSEBUTTONDOWN ? InputEvent::kMouseDown : InputEvent::kMouseUp;
        if (button != 0) out.push_back(MouseEvent(kind, button, event.button.x, event.button.y));
        break;
      }
      case SDL_MOUSEWHEEL: {
        int32_t steps = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) steps = -steps;
        if (steps != 0) out.push_back({InputEvent::kWheel, steps});
        break;
      }
      case SDL_QUIT:
        out.push_back({InputEvent::kQuit});
        break;
      case SDL_WINDOWEVENT:
        NoteWindowEvent(event.window);
        if (LosesInput(event.window)) out.push_back({InputEvent::kFocusLost});
        break;
      case SDL_RENDER_TARGETS_RESET:
      case SDL_RENDER_DEVICE_RESET:
        shown_.Forget();
        repaint_ = true;
        break;
      default:
        break;
    }
  }
}

int32_t SdlHost::JoystickCount() {
  if (!EnsureJoysticks()) return 0;
  return std::max(SDL_NumJoysticks(), 0);
}

JoystickState SdlHost::Joystick(int32_t port) {
  JoystickState state;
  if (port < 0 || port >= JoystickCount()) return state;
  if (joysticks_.size() <= size_t(port)) joysticks_.resize(size_t(port) + 1, nullptr);
  SDL_Joystick*& stick = joysticks_[size_t(port)];
  if (stick && !SDL_JoystickGetAttached(stick)) {  // unplugged: the port may hold another
    SDL_JoystickClose(stick);
    stick = nullptr;
  }
  if (!stick) stick = SDL_JoystickOpen(port);
  if (!stick) return state;
  SDL_JoystickUpdate();
  const char* name = SDL_JoystickName(stick);
  state.name = FromUtf8(name ? name : "");
  state.buttons = std::max(SDL_JoystickNumButtons(stick), 0);
  for (int32_t b = 0; b < std::min(state.buttons, 32); ++b)
    if (SDL_JoystickGetButton(stick, b)) state.held |= 1u << b;
  int32_t axes = std::min(SDL_JoystickNumAxes(stick), 6);
  for (int32_t a = 0; a < axes; ++a) state.axes[a] = AxisValue(SDL_JoystickGetAxis(stick, a));
  if (SDL_JoystickNumHats(stick) > 0) state.hat = HatFraction(SDL_JoystickGetHat(stick, 0));
  return state;
}

void SdlHost::CloseJoysticks() {
  for (SDL_Joystick* stick : joysticks_)
    if (stick) SDL_JoystickClose(stick);
  joysticks_.clear();
}

}  // namespace platform
