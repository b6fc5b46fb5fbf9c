// Input codes: one integer per bindable input (mouse buttons, keys, and the
// axis halves, hat directions and buttons of up to four joysticks).
#include "engine.h"

namespace engine {

int32_t JoyCount = 0;
Text JoyNames[5];
int32_t JoyButtonMasks[5] = {};
int32_t JoyHasHat[5] = {};
int32_t JoyPresent[5] = {};
float JoyRestX[5] = {};
float JoyRestY[5] = {};
float JoyRestZ[5] = {};
float JoyRestR[5] = {};
float JoyRestU[5] = {};
float JoyRestV[5] = {};

namespace {

constexpr int32_t kMaxJoysticks = 4;
constexpr int32_t kLastKeyCode = 255;
constexpr int32_t kFirstJoystickCode = 300;
constexpr int32_t kPastLastJoystickCode = 500;
constexpr int32_t kAxisParts = 12;
constexpr int32_t kFirstButtonPart = 30;
constexpr int32_t kLastButtonPart = 49;
constexpr int32_t kScannedButtons = 19;
constexpr float kAxisThreshold = 0.3f;

constexpr int32_t kHatUp = 20;
constexpr int32_t kHatRight = 25;
constexpr int32_t kHatDown = 28;
constexpr int32_t kHatLeft = 23;

// Axes in the order of their parts: part 2k is axis k below its resting
// value, part 2k + 1 above it.
struct Axis {
  float (*read)(int32_t port);
  float* rest;
};
const Axis kAxes[kAxisParts / 2] = {
    {fw_joy_axis_y, JoyRestY}, {fw_joy_axis_x, JoyRestX}, {fw_joy_axis_z, JoyRestZ},
    {fw_joy_axis_u, JoyRestU}, {fw_joy_axis_v, JoyRestV}, {fw_joy_axis_r, JoyRestR},
};

int32_t JoystickBase(int32_t j) { return 250 + 50 * j; }

// The limit is formed in double precision from the single-precision resting
// value and threshold; the reading must be strictly past it.
bool AxisHalfHeld(int32_t j, int32_t part) {
  const Axis& axis = kAxes[part / 2];
  const double rest = axis.rest[j];
  const double reading = axis.read(j - 1);
  if (part % 2 == 0) return reading < rest - double(kAxisThreshold);
  return reading > rest + double(kAxisThreshold);
}

// A capture records a hat direction only at one of its four exact readings.
int32_t ScanHat(int32_t port) {
  if (fw_joy_hat(port) == 0.0f) return kHatUp;
  if (fw_joy_hat(port) == 0.25f) return kHatRight;
  if (fw_joy_hat(port) == 0.5f) return kHatDown;
  if (fw_joy_hat(port) == 0.75f) return kHatLeft;
  return 0;
}

// A bound hat direction accepts a range, so diagonals hold two directions.
bool HatDirectionHeld(int32_t port, int32_t part) {
  const float h = fw_joy_hat(port);
  switch (part) {
    case kHatUp:
      return (h > 0.8f || h < 0.2f) && h >= 0.0f;
    case kHatRight:
      return 0.1f < h && h < 0.4f;
    case kHatDown:
      return 0.3f < h && h < 0.7f;
    case kHatLeft:
      return 0.6f < h && h < 0.9f;
    default:
      return false;
  }
}

bool DeviceHasButton(int32_t j, int32_t n) {
  return (static_cast<uint32_t>(JoyButtonMasks[j]) >> n) & 1u;
}

// The part of the first held input of joystick j, or -1.
int32_t ScanJoystick(int32_t j) {
  for (int32_t part = 0; part < kAxisParts; ++part)
    if (AxisHalfHeld(j, part)) return part;
  if (JoyHasHat[j] == 1) {
    int32_t hat = ScanHat(j - 1);
    if (hat != 0) return hat;
  }
  for (int32_t n = 0; n < kScannedButtons; ++n)
    if (DeviceHasButton(j, n) && fw_joy_button_down(n, j - 1)) return kFirstButtonPart + n;
  return -1;
}

int32_t ScanKeys() {
  for (int32_t code = 1; code <= kLastKeyCode; ++code)
    if (fw_key_down(code)) return code;
  return 0;
}

bool JoystickCodeDown(int32_t code) {
  const int32_t j = code / 50 - 5;
  if (JoyPresent[j] == 0) return false;
  const int32_t part = code % 50;
  if (part < kAxisParts) return AxisHalfHeld(j, part);
  if (part >= kFirstButtonPart && part <= kLastButtonPart)
    return fw_joy_button_down(part - kFirstButtonPart, j - 1) != 0;
  return JoyHasHat[j] == 1 && HatDirectionHeld(j - 1, part);
}

}  // namespace

int32_t ScanAnyInput() {
  if (fw_key_down(vk::kF11) || fw_key_down(vk::kF12)) return 0;
  if (int32_t key = ScanKeys()) return key;
  const int32_t count = ClampInt(JoyCount, 0, kMaxJoysticks);
  for (int32_t j = 1; j <= count; ++j) {
    if (JoyPresent[j] == 0) continue;
    int32_t part = ScanJoystick(j);
    if (part >= 0) return JoystickBase(j) + part;
  }
  return 0;
}

// Codes 1 to 9 (mouse buttons, Backspace, Tab) and 255 to 299 are never
// down; codes past the fourth joystick name nothing and read as not held.
int32_t InputCodeDown(int32_t code) {
  if (code >= 10 && code <= 254 && fw_key_down(code)) return 1;
  if (code < kFirstJoystickCode || code >= kPastLastJoystickCode) return 0;
  return JoystickCodeDown(code) ? 1 : 0;
}

int32_t ControlDown(int32_t control, int32_t player) {
  const int64_t index = (int64_t(player) - 1) * 20 + control;
  if (index < 0 || index > 100) return 0;
  return InputCodeDown(KeyMap[index]);
}

bool AltF4Held() {
  bool alt = fw_key_down(vk::kLeftAlt) != 0 || fw_key_down(vk::kRightAlt) != 0;
  return fw_key_down(vk::kF4) != 0 && alt;
}

}  // namespace engine
