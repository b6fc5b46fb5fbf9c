// The window, its display modes, the virtual resolution and the flip with
// its software frame pacing.
#include <algorithm>

#include "frame_log.h"

namespace platform {
namespace {

// Drivers are only names here: every one of them draws through the host.
enum GraphicsDriver : int32_t { kOpenGlDriver = 1, kDirect3D9Driver = 2, kDirect3D7Driver = 3 };

// Larger sides would ask for gigabytes of back buffer.
constexpr int32_t kLargestSide = 16384;

struct WindowState {
  int32_t driver = kOpenGlDriver;
  // A back buffer is always there, so the flags are remembered and change
  // nothing.
  int32_t default_flags = 0;
  int32_t rate = 0;
  Text title;
  bool cursor_shown = true;
  bool terminate_requested = false;
  // Software pacing: when the last frame was due, and the part of a
  // millisecond (in 1/rate units) that the whole-millisecond periods lost.
  bool paced_before = false;
  int32_t last_due = 0;
  int32_t carried = 0;
};

WindowState& State() {
  static WindowState state;
  return state;
}

bool SensibleSize(int32_t width, int32_t height) {
  return width > 0 && height > 0 && width <= kLargestSide && height <= kLargestSide;
}

void SetDrawingSpace(int32_t width, int32_t height) {
  const BackBuffer& buffer = BackBufferAsIs();
  if (buffer.width != width || buffer.height != height) ResizeBackBuffer(width, height);
}

// Milliseconds until the next paced frame is due, advancing the pacing.
int32_t NextFrameWait(WindowState& state, int32_t now) {
  int32_t budget = 1000 + state.carried;
  int32_t period = budget / state.rate;
  state.carried = budget % state.rate;
  int32_t wait = wrap_sub(wrap_add(state.last_due, period), now);
  // A late frame starts the count again rather than rushing to catch up; a
  // clock set back never makes a frame wait longer than one period.
  wait = wait <= 0 ? 0 : std::min(wait, period);
  state.last_due = wrap_add(now, wait);
  return wait;
}

// A synced flip waits for the next frame of the rate the window was opened
// with; any other flip restarts the count.
void SyncFlipToRefreshRate(int32_t sync) {
  WindowState& state = State();
  int32_t now = rt_millisecs();
  if (sync != 0 && state.rate > 0 && state.paced_before) {
    int32_t wait = NextFrameWait(state, now);
    if (wait > 0) rt_delay(wait);
  } else {
    state.last_due = now;
    state.carried = 0;
  }
  state.paced_before = true;
}

bool Matches(int32_t wanted, int32_t actual) { return wanted == 0 || wanted == actual; }

}  // namespace

void VirtualResolution(int32_t& width, int32_t& height) {
  const BackBuffer& buffer = BackBufferAsIs();
  width = buffer.width;
  height = buffer.height;
}

void RequestTerminate() { State().terminate_requested = true; }

void ResetWindow() { State() = WindowState{}; }

}  // namespace platform

using platform::CurrentHost;
using platform::State;

int32_t fw_gl_2d_driver() { return platform::kOpenGlDriver; }
int32_t fw_d3d9_2d_driver() { return platform::kDirect3D9Driver; }
int32_t fw_d3d7_2d_driver() { return platform::kDirect3D7Driver; }

void fw_set_graphics_driver(int32_t driver, int32_t default_flags) {
  State().driver = driver;
  State().default_flags = default_flags;
}

int32_t fw_count_graphics_modes() {
  return static_cast<int32_t>(CurrentHost().DisplayModes().size());
}

void fw_get_graphics_mode(int32_t index, int32_t& width, int32_t& height, int32_t& depth,
                          int32_t& rate) {
  std::vector<platform::DisplayMode> modes = CurrentHost().DisplayModes();
  platform::DisplayMode mode{0, 0, 0, 0};
  if (index >= 0 && size_t(index) < modes.size()) mode = modes[size_t(index)];
  width = mode.width;
  height = mode.height;
  depth = mode.depth;
  rate = mode.rate;
}

int32_t fw_graphics_mode_exists(int32_t width, int32_t height, int32_t depth, int32_t rate) {
  using platform::Matches;
  for (const platform::DisplayMode& mode : CurrentHost().DisplayModes()) {
    if (Matches(width, mode.width) && Matches(height, mode.height) && Matches(depth, mode.depth) &&
        Matches(rate, mode.rate))
      return 1;
  }
  return 0;
}

int32_t fw_open_graphics(int32_t width, int32_t height, int32_t depth, int32_t rate,
                         int32_t /*flags*/) {
  platform::WindowState& state = State();
  if (!platform::SensibleSize(width, height)) return 0;
  platform::Host& host = CurrentHost();
  if (host.WindowOpen()) host.CloseWindow();
  bool fullscreen = depth != 0;
  if (!host.OpenWindow(width, height, fullscreen, depth, platform::ToUtf8(state.title))) return 0;
  host.ShowCursor(state.cursor_shown);
  state.rate = rate > 0 ? rate : 0;
  state.paced_before = false;
  platform::SetDrawingSpace(width, height);
  return 1;
}

// The host keeps the reason; it clears it at every window it opens.
Text fw_window_failure() { return platform::FromUtf8(CurrentHost().WindowFailure()); }

void fw_close_graphics() {
  platform::Host& host = CurrentHost();
  if (host.WindowOpen()) host.CloseWindow();
  State().rate = 0;
}

void fw_set_app_title(const Text& title) {
  State().title = title;
  platform::Host& host = CurrentHost();
  if (host.WindowOpen()) host.SetCaption(platform::ToUtf8(title));
}

void fw_set_virtual_resolution(int32_t width, int32_t height) {
  if (platform::SensibleSize(width, height)) platform::SetDrawingSpace(width, height);
}

// A frame drawn by the same calls as the one on screen need not be drawn or
// sent again when the host still shows that one.
void fw_flip(int32_t sync) {
  platform::SyncFlipToRefreshRate(sync);
  platform::Host& host = CurrentHost();
  if (!host.WindowOpen()) {
    platform::ForgetShownFrame();
  } else if (bool repeats = platform::FrameRepeatsShown(); !repeats || !host.ShowAgain()) {
    const platform::BackBuffer& buffer = platform::TheBackBuffer();
    host.Present(buffer.pixels.data(), buffer.width, buffer.height);
    if (!repeats) platform::NoteFrameShown();
  }
  platform::NoteFlip();
}

void fw_show_mouse() {
  State().cursor_shown = true;
  CurrentHost().ShowCursor(true);
}

void fw_hide_mouse() {
  State().cursor_shown = false;
  CurrentHost().ShowCursor(false);
}

int32_t fw_app_terminate_requested() {
  platform::PumpInput();
  platform::WindowState& state = State();
  bool requested = state.terminate_requested;
  state.terminate_requested = false;
  return requested ? 1 : 0;
}
