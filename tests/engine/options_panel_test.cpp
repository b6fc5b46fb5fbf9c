#include <gtest/gtest.h>

#include <algorithm>

#include "engine/engine.h"
#include "engine_stage.h"

namespace {

using engine::EngineSettings;
using engine::kAudioDriverSetting;
using engine::kFullScreenSetting;
using engine::kMasterVolumeSetting;
using engine::kMusicVolumeSetting;
using engine::kSlowSystemSetting;
using engine::kSoundVolumeSetting;
using engine_stage::EngineStage;
using engine_stage::KeyDown;
using engine_stage::MouseDown;
using engine_stage::MouseUp;

constexpr int32_t kAudioColumn = 800 - 280;

// The panel open and at rest, with the fonts and icons it draws.
class OptionsPanelTest : public ::testing::Test {
 protected:
  OptionsPanelTest() {
    stage_.LoadFonts();
    stage_.MakeIcons();
    engine::OptionsOpen = 1;
    engine::OptionsPanelY = 20;
  }

  // The widgets read the position the hub latched.
  static void PointAt(int32_t x, int32_t y) {
    engine::MouseX = x;
    engine::MouseY = y;
  }
  void Click() {
    stage_.host().Queue(MouseDown(1));
    stage_.host().Queue(MouseUp(1));
  }
  void ClickAt(int32_t x, int32_t y) {
    PointAt(x, y);
    Click();
    engine::OptionsMenuFrame();
  }
  // Drags with the left button held: the stored slider value after a frame.
  int32_t DragSlider(int32_t setting, int32_t dx) {
    const int32_t slider_y = engine::OptionsPanelY + 70 + 50 * (setting - kMasterVolumeSetting);
    PointAt(kAudioColumn + dx, slider_y + 10);
    stage_.host().Queue(MouseDown(1));
    engine::OptionsMenuFrame();
    stage_.host().Queue(MouseUp(1));
    return EngineSettings[setting];
  }

  EngineStage stage_;
};

TEST_F(OptionsPanelTest, SlidesThirtyTwoPixelsAFrameToItsRestAndBack) {
  engine::OptionsPanelY = engine::kOptionsPanelClosedY;
  std::vector<int32_t> opening, closing;
  for (int i = 0; i < 11; ++i) {
    engine::OptionsMenuFrame();
    opening.push_back(engine::OptionsPanelY);
  }
  engine::OptionsOpen = 0;
  for (int i = 0; i < 11; ++i) {
    engine::OptionsMenuFrame();
    closing.push_back(engine::OptionsPanelY);
  }
  EXPECT_EQ(opening,
            (std::vector<int32_t>{-268, -236, -204, -172, -140, -108, -76, -44, -12, 20, 20}));
  EXPECT_EQ(closing,
            (std::vector<int32_t>{-12, -44, -76, -108, -140, -172, -204, -236, -268, -300, -300}));
}

TEST_F(OptionsPanelTest, ClosedPanelDrawsNothing) {
  engine::OptionsOpen = 0;
  engine::OptionsPanelY = engine::kOptionsPanelClosedY;
  fw_set_cls_color(1, 2, 3);
  fw_cls();
  platform::PixmapRef before = fw_grab_pixmap(0, 0, 800, 600);
  engine::OptionsMenuFrame();
  EXPECT_EQ(fw_grab_pixmap(0, 0, 800, 600)->pixels, before->pixels);
}

TEST_F(OptionsPanelTest, FullscreenClickCyclesOnlyThatRowAndLeavesTheWindowAlone) {
  const int32_t windows = stage_.host().windows_opened;
  ClickAt(30, 20 + 30 + 16);
  EXPECT_EQ(EngineSettings[kFullScreenSetting], 1);
  EXPECT_EQ(EngineSettings[kSlowSystemSetting], 0);
  EXPECT_EQ(EngineSettings[kAudioDriverSetting], 0);
  EXPECT_FALSE(stage_.host().fullscreen);
  EXPECT_EQ(stage_.host().windows_opened, windows);
  ClickAt(30, 20 + 30 + 16);
  EXPECT_EQ(EngineSettings[kFullScreenSetting], 0);
}

TEST_F(OptionsPanelTest, FrameSkipRowSnapsBackThroughTheSlidersCountedDraws) {
  PointAt(30, 20 + 108 + 16);
  Click();
  engine::MouseHit1 = fw_mouse_hit(1);
  engine::SettingChooserRow(kSlowSystemSetting, 20, 108, 18, u"Draw all Frames|Decent System",
                            u"Frameskip|Slow System", u"", u"", u"", u"");
  EXPECT_EQ(EngineSettings[kSlowSystemSetting], 1);  // the row alone sets it

  EngineSettings[kSlowSystemSetting] = 0;
  ClickAt(30, 20 + 108 + 16);
  EXPECT_EQ(EngineSettings[kSlowSystemSetting], 0);  // the whole panel frame does not keep it
}

TEST_F(OptionsPanelTest, SlidersSnapNearTheirEnds) {
  EXPECT_EQ(DragSlider(kMasterVolumeSetting, 3), 0);
  EXPECT_EQ(DragSlider(kSoundVolumeSetting, 50), 52);
  EXPECT_EQ(DragSlider(kMusicVolumeSetting, 95), 100);
  EXPECT_EQ(DragSlider(kMasterVolumeSetting, 60), 62);
}

TEST_F(OptionsPanelTest, SliderItselfDoesNotSnap) {
  engine::OptionsPanelHoldsPress = engine::kPanelPress;
  PointAt(103, 110);
  stage_.host().Queue(MouseDown(1));
  EXPECT_EQ(engine::VolumeSlider(50, 100, 100, u"Master Volume"), 5);
  PointAt(300, 110);  // outside: the value stays
  EXPECT_EQ(engine::VolumeSlider(50, 100, 100, u"Master Volume"), 50);
}

TEST_F(OptionsPanelTest, AudioRowOffersAtMostSixDrivers) {
  engine::AudioDriverNames = {u"A", u"B", u"C", u"D", u"E", u"F", u"G", u"H"};
  EngineSettings[kAudioDriverSetting] = 5;
  ClickAt(kAudioColumn + 10, 20 + 20 + 16);
  EXPECT_EQ(EngineSettings[kAudioDriverSetting], 0);

  EngineSettings[kAudioDriverSetting] = 7;  // beyond the offered options
  ClickAt(kAudioColumn + 10, 20 + 20 + 16);
  EXPECT_EQ(EngineSettings[kAudioDriverSetting], 2);

  engine::AudioDriverNames = {u"Null", u"FreeAudio"};
  EngineSettings[kAudioDriverSetting] = 1;
  ClickAt(kAudioColumn + 10, 20 + 20 + 16);
  EXPECT_EQ(EngineSettings[kAudioDriverSetting], 0);

  engine::AudioDriverNames.clear();  // one option, "AUDIO"
  EngineSettings[kAudioDriverSetting] = 0;
  ClickAt(kAudioColumn + 10, 20 + 20 + 16);
  EXPECT_EQ(EngineSettings[kAudioDriverSetting], 0);
}

TEST_F(OptionsPanelTest, KeyBindingBoxesTakeTheHeldKeyOnlyWhenShownAndAtRest) {
  const int32_t box_x = 250 + 50, box_y = 20 + 10;  // player 1, control 0
  PointAt(box_x + 20, box_y + 20);
  stage_.host().Queue(KeyDown(75));
  engine::OptionsMenuFrame();
  EXPECT_EQ(engine::KeyMap[0], 38);  // hidden while MouseMode is 1

  engine::MouseMode = 0;
  engine::OptionsPanelY = -12;
  engine::OptionsMenuFrame();  // slides to 20 in this frame, so the box reacts
  EXPECT_EQ(engine::KeyMap[0], 75);

  stage_.host().Queue(engine_stage::KeyUp(75));
  stage_.host().Queue(MouseDown(1));
  engine::OptionsMenuFrame();
  EXPECT_EQ(engine::KeyMap[0], 75);  // a mouse button is no binding

  stage_.host().Queue(KeyDown(8));
  engine::OptionsMenuFrame();
  EXPECT_EQ(engine::KeyMap[0], 0);  // Backspace unbinds
}

TEST_F(OptionsPanelTest, KeyBindingBoxesIgnoreInputWhileThePanelIsAboveTheTop) {
  engine::MouseMode = 0;
  engine::OptionsPanelY = -76;
  PointAt(300 + 20, -76 + 32 + 10 + 20);  // on the box after this frame's slide
  stage_.host().Queue(KeyDown(75));
  engine::OptionsMenuFrame();
  EXPECT_EQ(engine::OptionsPanelY, -44);
  EXPECT_EQ(engine::KeyMap[0], 38);
}

TEST_F(OptionsPanelTest, ClickingAJoystickNameTogglesIt) {
  platform::JoystickState pad;
  pad.name = u"Pad";
  pad.buttons = 4;
  stage_.host().joysticks = {pad};
  engine::JoyCount = 1;
  engine::JoyNames[1] = u"Pad";
  engine::JoyPresent[1] = 1;
  ClickAt(kAudioColumn + 5, 20 + 230 + 7);
  EXPECT_EQ(engine::JoyPresent[1], 0);
  EXPECT_EQ(engine::MouseHit1, 0);
  ClickAt(kAudioColumn + 5, 20 + 230 + 7);
  EXPECT_EQ(engine::JoyPresent[1], 1);
}

TEST_F(OptionsPanelTest, ApplyClosesWritesSetupAndRerunsTheDisplaySetUpOnce) {
  engine::CommonObjectsLoaded = 1;
  EngineSettings[kFullScreenSetting] = 1;
  const int32_t windows = stage_.host().windows_opened;
  fw_set_image_font(engine::FontTable[2]);
  ClickAt(22, 20 + 258 + fw_text_height() / 2);

  EXPECT_EQ(engine::OptionsOpen, 0);
  EXPECT_EQ(stage_.host().windows_opened, windows + 1);
  EXPECT_TRUE(stage_.host().fullscreen);
  EXPECT_TRUE(std::filesystem::exists(stage_.files_dir() / "Setup.ini"));
  std::vector<Text> log = stage_.LogLines();
  EXPECT_EQ(std::count(log.begin(), log.end(), u"\tChanged Graphics Mode ingame."), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), u"Starting Engine Test"), 1);
}

}  // namespace
