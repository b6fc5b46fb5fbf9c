// The settings panel: which controls show, the panel and tab colours, and
// the tabs' clicks.
#include <gtest/gtest.h>

#include "tool_stage.h"

namespace {

using platform::InputEvent;

constexpr uint32_t kLayerOff = 0x78787Eu, kLayerOn = 0x646482u;

class SettingsPanelTest : public ::testing::Test {
 protected:
  SettingsPanelTest() {
    stage_.LoadCommonAssets();
    stage_.StartWorkingState();
    tool::ClearAllSettings();
    Mouse(0, 300, false);
  }
  void Mouse(int32_t x, int32_t y, bool left) {
    engine::MouseX = x;
    engine::MouseY = y;
    stage_.host().Queue(tool_stage::Event(left ? InputEvent::kMouseDown : InputEvent::kMouseUp, 1,
                                          float(x), float(y)));
  }
  void Draw() {
    fw_cls();
    tool::DrawSettingsPanel(layer_);
  }
  uint32_t Pixel(int32_t x, int32_t y) {
    return fw_read_pixel(fw_grab_pixmap(x, y, 1, 1), 0, 0) & 0xFFFFFFu;
  }
  // Whether any pixel of the block has the colour.
  bool Shows(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
    platform::PixmapRef block = fw_grab_pixmap(x, y, w, h);
    for (uint32_t pixel : block->pixels) {
      if ((pixel & 0xFFFFFFu) == colour) return true;
    }
    return false;
  }

  tool_stage::ToolStage stage_{false};
  int32_t layer_ = 1;
};

TEST_F(SettingsPanelTest, ALayerThatIsOffShowsOnlyItsToggle) {
  Draw();
  EXPECT_EQ(Pixel(700, 540), kLayerOff);
  EXPECT_EQ(Pixel(90, 205), kLayerOff);  // where "Amount of Pixels" would be
}

TEST_F(SettingsPanelTest, TurningALayerOnShowsItsControlsInThatPass) {
  Mouse(90, 172, true);
  Draw();
  EXPECT_EQ(tool::ToolSettings[200], 1);
  EXPECT_EQ(Pixel(700, 540), kLayerOff);  // the panel was drawn before the click
  EXPECT_EQ(Pixel(90, 205), 0u);          // the empty "Amount of Pixels" bar
  Draw();
  EXPECT_EQ(Pixel(700, 540), kLayerOn);
}

TEST_F(SettingsPanelTest, MovementGroupShowsOnlyWithMoreThanOneFrame) {
  tool::ToolSettings[200] = 1;
  for (int32_t frames : {0, 1, 2, 16}) {
    tool::ToolSettings[20] = frames;
    Draw();
    EXPECT_EQ(Pixel(90, 488) == 0u, frames > 1) << frames;  // the "Up/Down" bar
  }
}

TEST_F(SettingsPanelTest, TabsShowWhichLayersAreOnAndWhichIsSelected) {
  constexpr uint32_t kGreen = 0x00FF00u, kPaleGreen = 0xC8FFC8u, kWhite = 0xFFFFFFu;
  tool::ToolSettings[400] = 1;  // layer 2 on
  Draw();
  EXPECT_TRUE(Shows(120, 131, 16, 18, kWhite));  // tab 1, selected, off
  EXPECT_TRUE(Shows(184, 131, 16, 18, kGreen));
  EXPECT_FALSE(Shows(248, 131, 16, 18, kGreen));
  layer_ = 2;
  Draw();
  EXPECT_TRUE(Shows(184, 131, 16, 18, kPaleGreen));
  EXPECT_EQ(Pixel(700, 540), kLayerOn);
}

TEST_F(SettingsPanelTest, ATabClickSelectsItsLayerEvenWithAMenuOpen) {
  tool::UiState = tool::kUiSettingsMenu;
  Mouse(64 * 3 + 64, 145, true);
  Draw();
  EXPECT_EQ(layer_, 3);
  EXPECT_EQ(tool::MouseConsumed, 1);
  EXPECT_EQ(tool::UiState, tool::kUiSettingsMenu);
}

TEST_F(SettingsPanelTest, ControlsWriteBackIntoTheSelectedLayersBlock) {
  tool::ToolSettings[600] = 1;
  layer_ = 3;
  Mouse(300 + 10, 152 + 20, true);  // "Mirror Left/Right"
  Draw();
  EXPECT_EQ(tool::ToolSettings[601], 1);
  tool::MouseConsumed = 0;
  Mouse(80 + 2 + 148, 269 + 20, true);  // "Hue Offset" at its right end
  Draw();
  EXPECT_EQ(tool::ToolSettings[611], 255);
  EXPECT_EQ(tool::ToolSettings[211], 0);
}

TEST_F(SettingsPanelTest, FramesSliderShowsZeroUntilMovedThenOneToSixteen) {
  Draw();
  EXPECT_EQ(tool::ToolSettings[20], 0);
  Mouse(82, 120, true);
  Draw();
  EXPECT_EQ(tool::ToolSettings[20], 1);
}

// Every value of a damaged preset stays as it was stored, and each is drawn
// inside its own control: wherever the screen of in-range values shows more
// than a control's black strip or grey value box, the damaged screen is the
// same.
TEST_F(SettingsPanelTest, ADamagedPresetKeepsItsValuesAndDrawsInsideItsControls) {
  std::string every_value_lowest;
  for (int32_t i = 0; i < 3201; ++i) every_value_lowest += std::string("\0\0\0\x80", 4);
  stage_.AddPreset("Broken", every_value_lowest);
  fw_set_cls_color(30, 60, 90);
  auto screen_with_every_control = [&] {
    tool::ToolSettings[200] = 1;  // layer 1 on and two frames: every control shows
    tool::ToolSettings[20] = 2;
    Draw();
    return fw_grab_pixmap(0, 0, 800, 600);
  };
  const platform::PixmapRef in_range = screen_with_every_control();
  tool::LoadPresetList();
  ASSERT_EQ(tool::PresetList.Count(), 1);
  tool::PresetList.ForEach([](const auto& record) { tool::ApplyPreset(*record); });
  const platform::PixmapRef damaged = screen_with_every_control();

  for (int32_t i = 0; i < 3200; ++i) {
    if (i != 200 && i != 20) {
      ASSERT_EQ(tool::ToolSettings[i], INT32_MIN) << i;
    }
  }
  for (size_t i = 0; i < damaged->pixels.size(); ++i) {
    const uint32_t was = in_range->pixels[i];
    const uint32_t red = was >> 16 & 0xFF, green = was >> 8 & 0xFF, blue = was & 0xFF;
    const bool black_to_grey = red == green && green == blue && blue <= 120;
    if (!black_to_grey) {
      ASSERT_EQ(damaged->pixels[i], in_range->pixels[i]) << i % 800 << ", " << i / 800;
    }
  }
}

}  // namespace
