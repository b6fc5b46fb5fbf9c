// Keyboard, mouse and joystick state, fed by the host's event pump.
#include <algorithm>
#include <array>
#include <deque>
#include <utility>

#include "internal.h"

namespace platform {
namespace {

constexpr int32_t kKeyCount = 256;
constexpr size_t kCharQueueSize = 256;
constexpr int32_t kMouseButtons = 3;

// Held flags and press counts of a set of buttons numbered from 0.
template <size_t N>
struct Buttons {
  std::array<bool, N> held{};
  std::array<int32_t, N> presses{};

  static bool Valid(int32_t index) { return index >= 0 && size_t(index) < N; }
  void Press(int32_t index) {
    if (!Valid(index)) return;
    held[size_t(index)] = true;
    presses[size_t(index)] = wrap_add(presses[size_t(index)], 1);
  }
  void Release(int32_t index) {
    if (Valid(index)) held[size_t(index)] = false;
  }
  void ReleaseAll() { held.fill(false); }
  int32_t Down(int32_t index) const { return Valid(index) && held[size_t(index)] ? 1 : 0; }
  int32_t TakePresses(int32_t index) {
    if (!Valid(index)) return 0;
    return std::exchange(presses[size_t(index)], 0);
  }
  void Clear() {
    ReleaseAll();
    presses.fill(0);
  }
};

struct InputState {
  Buttons<kKeyCount> keys;
  Buttons<kMouseButtons + 1> mouse;  // index 0 unused, 1 left, 2 right, 3 middle
  std::deque<int32_t> typed;
  float mouse_window_x = 0, mouse_window_y = 0;
  int32_t wheel_steps = 0;
};

InputState& State() {
  static InputState state;
  return state;
}

void MoveMouse(InputState& state, const InputEvent& event) {
  state.mouse_window_x = event.x;
  state.mouse_window_y = event.y;
}

void Apply(InputState& state, const InputEvent& event) {
  switch (event.kind) {
    case InputEvent::kKeyDown:
      state.keys.Press(event.code);
      break;
    case InputEvent::kKeyUp:
      state.keys.Release(event.code);
      break;
    case InputEvent::kChar:
      // A full queue drops new characters, as a typist outrunning the reader.
      if (state.typed.size() < kCharQueueSize) state.typed.push_back(event.code);
      break;
    case InputEvent::kMouseMove:
      MoveMouse(state, event);
      break;
    case InputEvent::kMouseDown:
      MoveMouse(state, event);
      state.mouse.Press(event.code);
      break;
    case InputEvent::kMouseUp:
      MoveMouse(state, event);
      state.mouse.Release(event.code);
      break;
    case InputEvent::kWheel:
      state.wheel_steps = wrap_add(state.wheel_steps, event.code);
      break;
    case InputEvent::kQuit:
      RequestTerminate();
      break;
    case InputEvent::kFocusLost:
      // Nothing held stays held: its release will not come here. Presses
      // made before still count.
      state.keys.ReleaseAll();
      state.mouse.ReleaseAll();
      break;
  }
}

bool IsMouseButtonCode(int32_t key) { return key >= 1 && key <= kMouseButtons; }

void VirtualMouse(float& x, float& y) {
  PumpInput();
  const InputState& state = State();
  int32_t width = 0, height = 0;
  VirtualResolution(width, height);
  CurrentHost().WindowToVirtual(state.mouse_window_x, state.mouse_window_y, width, height, x, y);
}

JoystickState Joystick(int32_t port) {
  if (port < 0 || port >= CurrentHost().JoystickCount()) return {};
  return CurrentHost().Joystick(port);
}

float Axis(int32_t port, int32_t axis) {
  return std::clamp(Joystick(port).axes[axis], -1.0f, 1.0f);
}

}  // namespace

void PumpInput() {
  std::vector<InputEvent> events;
  CurrentHost().PumpEvents(events);
  InputState& state = State();
  for (const InputEvent& event : events) Apply(state, event);
}

void ResetInput() { State() = InputState{}; }

}  // namespace platform

using platform::PumpInput;

int32_t fw_key_down(int32_t key) {
  PumpInput();
  if (platform::IsMouseButtonCode(key)) return 0;
  return platform::State().keys.Down(key);
}

int32_t fw_key_hit(int32_t key) {
  PumpInput();
  if (platform::IsMouseButtonCode(key)) return 0;
  return platform::State().keys.TakePresses(key);
}

int32_t fw_get_char() {
  PumpInput();
  std::deque<int32_t>& typed = platform::State().typed;
  if (typed.empty()) return 0;
  int32_t code = typed.front();
  typed.pop_front();
  return code;
}

Text platform::TakeTypedCharacter() {
  const std::deque<int32_t>& typed = State().typed;
  for (int32_t unit = fw_get_char(); unit != 0; unit = fw_get_char()) {
    if (!IsHighSurrogate(unit) && !IsLowSurrogate(unit)) return Text(1, char16_t(unit));
    if (IsHighSurrogate(unit) && !typed.empty() && IsLowSurrogate(typed.front()))
      return Text{char16_t(unit), char16_t(fw_get_char())};
  }
  return Text();
}

void fw_flush_keys() {
  PumpInput();
  platform::InputState& state = platform::State();
  state.keys.Clear();
  state.typed.clear();
}

int32_t fw_mouse_down(int32_t button) {
  PumpInput();
  return platform::IsMouseButtonCode(button) ? platform::State().mouse.Down(button) : 0;
}

int32_t fw_mouse_hit(int32_t button) {
  PumpInput();
  return platform::IsMouseButtonCode(button) ? platform::State().mouse.TakePresses(button) : 0;
}

float fw_virtual_mouse_x() {
  float x = 0, y = 0;
  platform::VirtualMouse(x, y);
  return x;
}

float fw_virtual_mouse_y() {
  float x = 0, y = 0;
  platform::VirtualMouse(x, y);
  return y;
}

int32_t fw_mouse_z_speed() {
  PumpInput();
  return std::exchange(platform::State().wheel_steps, 0);
}

int32_t fw_joy_count() { return platform::CurrentHost().JoystickCount(); }

Text fw_joy_name(int32_t port) { return platform::Joystick(port).name; }

int32_t fw_joy_button_caps(int32_t port) {
  int32_t buttons = platform::Joystick(port).buttons;
  if (buttons <= 0) return 0;
  if (buttons >= 32) return -1;  // every bit
  return static_cast<int32_t>((1u << buttons) - 1u);
}

int32_t fw_joy_button_down(int32_t button, int32_t port) {
  if (button < 0 || button >= 32) return 0;
  return (platform::Joystick(port).held >> button) & 1u ? 1 : 0;
}

float fw_joy_axis_x(int32_t port) { return platform::Axis(port, 0); }
float fw_joy_axis_y(int32_t port) { return platform::Axis(port, 1); }
float fw_joy_axis_z(int32_t port) { return platform::Axis(port, 2); }
float fw_joy_axis_r(int32_t port) { return platform::Axis(port, 3); }
float fw_joy_axis_u(int32_t port) { return platform::Axis(port, 4); }
float fw_joy_axis_v(int32_t port) { return platform::Axis(port, 5); }

float fw_joy_hat(int32_t port) { return platform::Joystick(port).hat; }
