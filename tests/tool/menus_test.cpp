// The four top-bar menus and the settings menu's actions, each called as
// the frame loop calls it while its state is current.
#include <gtest/gtest.h>

#include "tool_stage.h"

namespace {

using platform::InputEvent;

class MenusTest : public ::testing::Test {
 protected:
  MenusTest() {
    stage_.LoadCommonAssets();
    stage_.StartWorkingState();
    tool::ShapeCount = 30;
    tool::FilterCount = 20;
    tool::ClearAllSettings();
  }
  // Places the pointer and sets button 1 as it is in this pass.
  void Mouse(int32_t x, int32_t y, bool left) {
    engine::MouseX = x;
    engine::MouseY = y;
    stage_.host().Queue(tool_stage::Event(left ? InputEvent::kMouseDown : InputEvent::kMouseUp, 1,
                                          float(x), float(y)));
  }
  uint32_t Pixel(int32_t x, int32_t y) {
    return fw_read_pixel(fw_grab_pixmap(x, y, 1, 1), 0, 0) & 0xFFFFFFu;
  }

  tool_stage::ToolStage stage_{false};
};

TEST_F(MenusTest, APressOutsideADropDownClosesItWithoutUsingThePress) {
  tool::UiState = tool::kUiSettingsMenu;
  Mouse(100, 300, true);
  tool::ShowSettingsMenu();
  EXPECT_EQ(tool::UiState, tool::kUiIdle);
  EXPECT_EQ(tool::MouseConsumed, 0);
  tool::UiState = tool::kUiSpritesheetMenu;
  Mouse(700, 80, true);  // inside the spritesheet menu's 64-pixel box, on no row
  tool::ShowSpritesheetMenu();
  EXPECT_EQ(tool::UiState, tool::kUiSpritesheetMenu);
}

TEST_F(MenusTest, HeldRandomizeRowGivesANewSetEveryPassAndTheMenuStaysOpen) {
  tool::UiState = tool::kUiSettingsMenu;
  std::vector<int32_t> hues;
  for (int32_t pass = 0; pass < 4; ++pass) {
    stage_.host().Advance(17);
    Mouse(350, 60, true);
    tool::ShowSettingsMenu();
    hues.push_back(tool::ToolSettings[11] * 1000 + tool::ToolSettings[203]);
  }
  EXPECT_EQ(tool::UiState, tool::kUiSettingsMenu);
  EXPECT_EQ(tool::MouseConsumed, 0);
  for (size_t i = 1; i < hues.size(); ++i) EXPECT_NE(hues[i], hues[i - 1]);
}

TEST_F(MenusTest, NewStartSeedRowChangesOnlyTheSeed) {
  tool::UiState = tool::kUiSettingsMenu;
  tool::ToolSettings[11] = 77;
  const int32_t seed = tool::SpriteSeed;
  Mouse(350, 92, true);
  tool::ShowSettingsMenu();
  EXPECT_NE(tool::SpriteSeed, seed);
  EXPECT_EQ(tool::ToolSettings[11], 77);
}

TEST_F(MenusTest, RandomizeDrawsInItsFixedOrderAndLeavesTheRestAlone) {
  for (int32_t& entry : tool::ToolSettings) entry = -7;
  stage_.host().SetClock(5000);
  tool::RandomizeAllSettings();
  // The same draws made by hand, for the globals and layer 1.
  stage_.host().SetClock(5000);
  fw_seed_rnd(rt_millisecs());
  fw_seed_rnd(fw_rand_int(rt_millisecs(), 1));
  EXPECT_EQ(tool::ToolSettings[11], fw_rand_int(0, 255));
  EXPECT_EQ(tool::ToolSettings[12], fw_rand_int(65, 185));
  EXPECT_EQ(tool::ToolSettings[13], fw_rand_int(65, 185));
  EXPECT_EQ(tool::ToolSettings[14], fw_rand_int(0, 255));
  EXPECT_EQ(tool::ToolSettings[15], fw_rand_int(0, 50));
  EXPECT_EQ(tool::ToolSettings[16], fw_rand_int(0, 50));
  auto coin = [] { return fw_rand_int(0, 1) > 0 ? 1 : 0; };
  auto quarter = [] { return fw_rand_int(-2, 1) > 0 ? 1 : 0; };
  const int32_t* layer = tool::ToolSettings + 200;
  EXPECT_EQ(layer[1], coin());
  EXPECT_EQ(layer[2], coin());
  EXPECT_EQ(layer[3], fw_rand_int(0, 120));
  EXPECT_EQ(layer[4], fw_rand_int(0, 120));
  EXPECT_EQ(layer[40], fw_rand_int(0, 30));
  EXPECT_EQ(layer[41], quarter());
  EXPECT_EQ(layer[11], fw_rand_int(-255, 255));
  EXPECT_EQ(layer[12], fw_rand_int(-40, 40));
  EXPECT_EQ(layer[13], fw_rand_int(-40, 40));
  for (int32_t k = 14; k <= 19; ++k) EXPECT_EQ(layer[k], fw_rand_int(0, 30));
  for (int32_t group : {20, 30}) {
    EXPECT_EQ(layer[group + 1], fw_rand_int(-2, 2));
    EXPECT_EQ(layer[group + 2], fw_rand_int(0, 100));
    for (int32_t k = 3; k <= 5; ++k) EXPECT_EQ(layer[group + k], quarter());
  }
  EXPECT_EQ(layer[50], fw_rand_int(0, 20));
  EXPECT_EQ(layer[51], quarter());
  EXPECT_EQ(layer[52], fw_rand_int(0, 100));
  for (int32_t untouched : {20, 21, 200, 244, 245, 1800, 2000, 2040, 2998, 2999}) {
    EXPECT_EQ(tool::ToolSettings[untouched], -7) << untouched;
  }
  for (int32_t l = 1; l <= 9; ++l) EXPECT_LE(tool::ToolSettings[200 * l + 1], 1);
}

TEST_F(MenusTest, ClearZeroesTheWholeBlockButNotTheWorkingSize) {
  for (int32_t& entry : tool::ToolSettings) entry = 5;
  tool::UiState = tool::kUiSettingsMenu;
  Mouse(350, 28, true);
  tool::ShowSettingsMenu();
  for (int32_t entry : tool::ToolSettings) ASSERT_EQ(entry, 0);
  EXPECT_EQ(tool::SpriteWidth, 8);
}

TEST_F(MenusTest, SizeCellSetsTheSizeAndPostsItsNotice) {
  tool::UiState = tool::kUiSizeMenu;
  Mouse(121, 27, true);  // column 2, row 0
  tool::ShowSizeMenu();
  EXPECT_EQ(tool::SpriteWidth, 24);
  EXPECT_EQ(tool::SpriteHeight, 8);
  EXPECT_EQ(tool::UiState, tool::kUiIdle);
  EXPECT_EQ(tool::MouseConsumed, 1);
  EXPECT_EQ(fw_image_width(tool::SpriteImage), 24);
  EXPECT_EQ(stage_.Notices().back(), u"Set size to 24x8");
}

TEST_F(MenusTest, SizeMenuShowsTheHoveredSizeOnePassLate) {
  constexpr uint32_t kHover = 0xFFFF96u, kCurrent = 0x9696FFu;
  tool::UiState = tool::kUiSizeMenu;
  Mouse(300, 300, false);
  tool::ShowSizeMenu();                           // no hover left from before
  Mouse(101 + 8 * 3 + 4, 23 + 8 * 3 + 4, false);  // 32 x 32
  tool::ShowSizeMenu();
  EXPECT_EQ(Pixel(101 + 8 * 2 + 4, 23 + 8 * 2 + 4), 0u);
  EXPECT_EQ(Pixel(101 + 4, 23 + 4), kCurrent);
  Mouse(300, 300, false);
  tool::ShowSizeMenu();
  EXPECT_EQ(Pixel(101 + 8 * 2 + 4, 23 + 8 * 2 + 4), kHover);
  EXPECT_EQ(Pixel(101 + 8 * 4 + 4, 23 + 4), 0u);
  tool::ShowSizeMenu();
  EXPECT_EQ(Pixel(101 + 8 * 2 + 4, 23 + 8 * 2 + 4), 0u);
  EXPECT_EQ(tool::UiState, tool::kUiSizeMenu);
}

TEST_F(MenusTest, PaletteMenuWithoutPalettesIsTwoRowsHigh) {
  ASSERT_EQ(tool::PaletteCount, 0);
  tool::UiState = tool::kUiPaletteMenu;
  Mouse(1, 49, true);  // inside the box, left of the rows
  tool::ShowPaletteMenu();
  EXPECT_EQ(tool::UiState, tool::kUiPaletteMenu);
  Mouse(1, 50, true);
  tool::ShowPaletteMenu();
  EXPECT_EQ(tool::UiState, tool::kUiIdle);
  EXPECT_EQ(tool::MouseConsumed, 0);
}

TEST_F(MenusTest, PaletteRowsSelectNoPaletteOrRandom) {
  tool::UiState = tool::kUiPaletteMenu;
  Mouse(50, 44, true);  // second row: "Random"
  tool::ShowPaletteMenu();
  EXPECT_EQ(tool::PaletteOn, 1);
  EXPECT_EQ(tool::UiState, tool::kUiIdle);
  EXPECT_EQ(tool::MouseConsumed, 1);
  tool::MouseConsumed = 0;
  tool::UiState = tool::kUiPaletteMenu;
  Mouse(50, 30, true);
  tool::ShowPaletteMenu();
  EXPECT_EQ(tool::PaletteOn, 0);
}

}  // namespace
