#include <gtest/gtest.h>

#include "engine/engine.h"
#include "fresh_start.h"

namespace {

using namespace engine;
using platform::InputEvent;

constexpr int kAxisY = 1;  // x, y, z, r, u, v in the host's joystick state

class InputCodes : public ::testing::Test {
 protected:
  void SetUp() override { host_ = &FreshStart(); }

  // One joystick at rest, registered as start-up registers it.
  platform::JoystickState& AddJoystick(int32_t buttons) {
    platform::JoystickState state;
    state.name = u"Pad";
    state.buttons = buttons;
    host_->joysticks.push_back(state);
    const int32_t j = static_cast<int32_t>(host_->joysticks.size());
    JoyCount = j;
    JoyPresent[j] = 1;
    JoyHasHat[j] = 1;
    JoyButtonMasks[j] = static_cast<int32_t>((1u << buttons) - 1u);
    return host_->joysticks.back();
  }

  void Key(int32_t code, bool down) {
    host_->Queue(InputEvent{down ? InputEvent::kKeyDown : InputEvent::kKeyUp, code});
  }
  void Mouse(int32_t button) { host_->Queue(InputEvent{InputEvent::kMouseDown, button}); }

  platform::ScriptedHost* host_ = nullptr;
};

TEST_F(InputCodes, ScanReturnsTheLowestHeldKeyAndNothingWhileF11OrF12IsHeld) {
  EXPECT_EQ(ScanAnyInput(), 0);
  Key(65, true);
  Key(32, true);
  EXPECT_EQ(ScanAnyInput(), 32);
  Key(123, true);
  EXPECT_EQ(ScanAnyInput(), 0);
  Key(123, false);
  Key(122, true);
  EXPECT_EQ(ScanAnyInput(), 0);
  Key(122, false);
  EXPECT_EQ(ScanAnyInput(), 32);
}

TEST_F(InputCodes, AxisCountsOnlyStrictlyPastThreeTenthsFromRest) {
  AddJoystick(4);
  host_->joysticks[0].axes[kAxisY] = -0.3f;
  EXPECT_EQ(ScanAnyInput(), 0);
  EXPECT_EQ(InputCodeDown(300), 0);
  host_->joysticks[0].axes[kAxisY] = -0.31f;
  EXPECT_EQ(ScanAnyInput(), 300);
  EXPECT_EQ(InputCodeDown(300), 1);
  EXPECT_EQ(InputCodeDown(301), 0);

  // Measured from the resting value taken at start-up.
  JoyRestY[1] = 0.5f;
  host_->joysticks[0].axes[kAxisY] = 0.81f;
  EXPECT_EQ(InputCodeDown(301), 1);
  EXPECT_EQ(ScanAnyInput(), 301);
  host_->joysticks[0].axes[kAxisY] = 0.8f;
  EXPECT_EQ(InputCodeDown(301), 0);
}

TEST_F(InputCodes, AxesAreScannedInTheirPartOrder) {
  AddJoystick(0);
  // x, y, z, r, u, v readings; parts run Y, X, Z, U, V, R.
  const int32_t part_of_axis[6] = {2, 0, 4, 10, 6, 8};
  for (int axis = 0; axis < 6; ++axis) {
    host_->joysticks[0].axes[axis] = 1.0f;
    EXPECT_EQ(InputCodeDown(301 + part_of_axis[axis]), 1) << axis;
    EXPECT_EQ(ScanAnyInput(), 301 + part_of_axis[axis]) << axis;
    host_->joysticks[0].axes[axis] = 0.0f;
  }
}

TEST_F(InputCodes, ScanTakesOnlyExactHatReadingsWhileBoundDirectionsTakeRanges) {
  AddJoystick(0);
  host_->joysticks[0].hat = 0.125f;
  EXPECT_EQ(ScanAnyInput(), 0);
  EXPECT_EQ(InputCodeDown(320), 1);
  EXPECT_EQ(InputCodeDown(325), 1);
  EXPECT_EQ(InputCodeDown(328), 0);

  const struct {
    float hat;
    int32_t code;
  } exact[] = {{0.0f, 320}, {0.25f, 325}, {0.5f, 328}, {0.75f, 323}};
  for (const auto& e : exact) {
    host_->joysticks[0].hat = e.hat;
    EXPECT_EQ(ScanAnyInput(), e.code);
    EXPECT_EQ(InputCodeDown(e.code), 1);
  }

  host_->joysticks[0].hat = -1.0f;
  for (int32_t code : {320, 323, 325, 328}) EXPECT_EQ(InputCodeDown(code), 0);
  host_->joysticks[0].hat = 0.0f;
  JoyHasHat[1] = 0;
  EXPECT_EQ(ScanAnyInput(), 0);
  EXPECT_EQ(InputCodeDown(320), 0);
}

TEST_F(InputCodes, ScanStopsAtButtonEighteenAndAtTheDevicesOwnButtons) {
  AddJoystick(20);
  host_->joysticks[0].held = 1u << 19;
  EXPECT_EQ(ScanAnyInput(), 0);
  EXPECT_EQ(InputCodeDown(349), 1);
  host_->joysticks[0].held = 1u << 18;
  EXPECT_EQ(ScanAnyInput(), 348);

  JoyButtonMasks[1] = 0xFF;  // a device of 8 buttons
  EXPECT_EQ(ScanAnyInput(), 0);
  host_->joysticks[0].held = 1u << 3;
  EXPECT_EQ(ScanAnyInput(), 333);
}

TEST_F(InputCodes, AbsentJoysticksAndUnusedCodesAreNeverDown) {
  AddJoystick(4).axes[kAxisY] = -1.0f;
  AddJoystick(4).held = 1;
  JoyPresent[1] = 0;
  EXPECT_EQ(ScanAnyInput(), 380);
  EXPECT_EQ(InputCodeDown(300), 0);
  EXPECT_EQ(InputCodeDown(380), 1);
  for (int32_t code : {312, 319, 321, 329, 399, 400, 499, 500, 549, 100000, -5, 0})
    EXPECT_EQ(InputCodeDown(code), 0) << code;
}

TEST_F(InputCodes, MouseButtonsTabAndBackspaceCodesReadUp) {
  Key(9, true);
  Key(8, true);
  Key(65, true);
  Mouse(1);
  EXPECT_EQ(InputCodeDown(9), 0);
  EXPECT_EQ(InputCodeDown(8), 0);
  EXPECT_EQ(InputCodeDown(1), 0);
  EXPECT_EQ(InputCodeDown(65), 1);
}

TEST_F(InputCodes, ControlsReadTheirPlayersKeyMapEntry) {
  KeyMap[0] = 65;
  KeyMap[20] = 66;
  KeyMap[79] = 67;
  Key(66, true);
  EXPECT_EQ(ControlDown(0, 1), 0);
  EXPECT_EQ(ControlDown(0, 2), 1);
  Key(67, true);
  EXPECT_EQ(ControlDown(19, 4), 1);
  EXPECT_EQ(ControlDown(0, 0), 0);
  EXPECT_EQ(ControlDown(5, 9), 0);
}

}  // namespace
