// Start-up's own state: the joystick scan, the defaults and the titles.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "run/run_folder.h"

namespace {

using namespace engine;

TEST(StartUp, ScansAtMostFourJoysticksWithTheirRestingAxesAndHats) {
  run_test::RunFolder folder(false);
  auto& host = platform::UseScriptedHost();
  host.clock_step_per_read = 1;
  for (int32_t i = 0; i < 5; ++i) {
    platform::JoystickState stick;
    stick.name = u"Pad " + rt_string_from_int(i);
    stick.buttons = 4 + i;
    stick.axes[0] = 0.25f;  // x
    stick.axes[3] = -0.5f;  // r
    stick.axes[5] = 0.75f;  // v
    stick.hat = i == 1 ? 0.25f : -1.0f;
    host.joysticks.push_back(stick);
  }
  run_test::QuitWithAltF4(host);
  EXPECT_EQ(run_test::RunAppMain(), 0);
  EXPECT_EQ(JoyCount, 4);
  EXPECT_EQ(JoyNames[1], u"Pad 0");
  EXPECT_EQ(JoyNames[4], u"Pad 3");
  EXPECT_EQ(JoyButtonMasks[1], 15);
  EXPECT_EQ(JoyButtonMasks[4], 127);
  EXPECT_FLOAT_EQ(JoyRestX[1], 0.25f);
  EXPECT_FLOAT_EQ(JoyRestR[1], -0.5f);
  EXPECT_FLOAT_EQ(JoyRestV[1], 0.75f);
  EXPECT_FLOAT_EQ(JoyRestY[1], 0.0f);
  EXPECT_EQ(JoyHasHat[1], 1);
  EXPECT_EQ(JoyHasHat[2], 0);  // not centred at start: taken for no hat
  for (int32_t j = 1; j <= 4; ++j) EXPECT_EQ(JoyPresent[j], 1);
  EXPECT_EQ(JoyNames[0], u"");
}

TEST(StartUp, SetsTheTitlesDefaultsAndStartValues) {
  run_test::RunFolder folder(false);
  auto& host = platform::UseScriptedHost();
  host.clock_step_per_read = 1;
  run_test::QuitWithAltF4(host);
  EXPECT_EQ(run_test::RunAppMain(), 0);
  EXPECT_EQ(WindowTitle, u"#1 : Quill Retro Sprite Tool");
  EXPECT_EQ(WeekFolderName(), u"001/");
  const int32_t bound[][2] = {{0, 38},  {3, 37},  {5, 39},  {8, 40},
                              {10, 90}, {11, 88}, {12, 67}, {13, 86}};
  int32_t bindings = 0;
  for (int32_t code : KeyMap) bindings += code != 0;
  EXPECT_EQ(bindings, 8);
  for (const auto& b : bound) EXPECT_EQ(KeyMap[b[0]], b[1]);
  EXPECT_EQ(EngineSettings[kMasterVolumeSetting], 50);
  EXPECT_EQ(EngineSettings[kSoundVolumeSetting], 50);
  EXPECT_EQ(EngineSettings[kMusicVolumeSetting], 50);
  EXPECT_EQ(MouseMode, 1);
  EXPECT_EQ(PlayerCount, 4);
  EXPECT_EQ(BadgeCount, 16);
  EXPECT_EQ(PauseState, 0);
  EXPECT_EQ(JoyCount, 0);
  EXPECT_EQ(std::filesystem::current_path(), folder.Path("Files/001"));
}

}  // namespace
