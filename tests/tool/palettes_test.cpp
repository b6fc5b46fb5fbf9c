#include <gtest/gtest.h>

#include <algorithm>

#include "tool_stage.h"

namespace {

namespace fs = std::filesystem;
using tool_stage::ToolStage;

struct Colour {
  int32_t red, green, blue;
  bool operator==(const Colour&) const = default;
};

Colour TableColour(int32_t i) {
  return {tool::PaletteTable[128 + i], tool::PaletteTable[256 + i], tool::PaletteTable[384 + i]};
}

uint32_t Opaque(const Colour& c) {
  return 0xFF000000u | uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | uint32_t(c.blue);
}

class PaletteTest : public ::testing::Test {
 protected:
  PaletteTest() : stage(false) { tool::UiState = tool::kUiSettingsMenu; }

  // Every colour set, and each painted into its 2 x 2 cell of the swatch.
  void ExpectSwatchShowsTheTable() {
    EXPECT_EQ(fw_image_width(tool::PaletteSwatchImage), 16);
    EXPECT_EQ(fw_image_frames(tool::PaletteSwatchImage), 9);
    platform::PixmapRef swatch = fw_lock_image(tool::PaletteSwatchImage, 0);
    for (int32_t i = 0; i < 64; ++i) {
      EXPECT_EQ(tool::PaletteTable[i], 255);
      const int32_t x = i % 8 * 2, y = i / 8 * 2;
      for (auto [dx, dy] : {std::pair{0, 0}, {1, 0}, {0, 1}, {1, 1}}) {
        EXPECT_EQ(fw_read_pixel(swatch, x + dx, y + dy), Opaque(TableColour(i))) << i;
      }
    }
  }
  void ExpectIdleInWeekFolder() {
    EXPECT_EQ(tool::UiState, tool::kUiIdle);
    EXPECT_EQ(tool::MouseConsumed, 1);
    EXPECT_TRUE(fs::equivalent(fs::current_path(), stage.Path("Files/001")));
  }
  static void ExpectRandomChannels() {
    for (int32_t i = 0; i < 64; ++i) {
      for (int32_t channel : {tool::PaletteTable[128 + i], tool::PaletteTable[256 + i],
                              tool::PaletteTable[384 + i]}) {
        EXPECT_TRUE(channel == 255 || (channel % 16 == 0 && channel >= 0 && channel < 256))
            << channel;
      }
    }
  }

  ToolStage stage;
};

TEST_F(PaletteTest, IndexZeroTurnsPalettesOffWithABlackSwatch) {
  tool::PaletteOn = 1;
  tool::PaletteTable[128 + 5] = 77;
  tool::SelectPalette(0);
  EXPECT_EQ(tool::PaletteOn, 0);
  EXPECT_EQ(ToolStage::Notices(), std::vector<Text>{u"No Specific Palette"});
  for (int32_t i = 0; i < 64; ++i) EXPECT_EQ(TableColour(i), (Colour{0, 0, 0}));
  ExpectSwatchShowsTheTable();
  ExpectIdleInWeekFolder();
}

TEST_F(PaletteTest, ALoadedPaletteReadsTheTopLeftPixelOfEachCell) {
  platform::PixmapRef picture = fw_create_pixmap(16, 16);
  for (int32_t y = 0; y < 16; ++y) {
    for (int32_t x = 0; x < 16; ++x) {
      fw_write_pixel(picture, x, y, 0xFF000000u | uint32_t(x * 16) << 8 | uint32_t(y * 16));
    }
  }
  fw_write_pixel(picture, 6, 2, 0x80FF0000u);  // cell (3, 1); its alpha is ignored
  fw_write_pixel(picture, 7, 2, 0xFFFFFFFFu);
  fw_write_pixel(picture, 6, 3, 0xFF00FF00u);
  fw_write_pixel(picture, 7, 3, 0xFF0000FFu);
  fw_save_pixmap_png(picture, platform::FromUtf8(stage.Path("Palettes/Mine.png")), 9);
  tool::PaletteCount = 1;
  tool::PaletteNames[1] = u"Mine";

  tool::SelectPalette(1);

  EXPECT_EQ(TableColour(11), (Colour{255, 0, 0}));
  for (int32_t i = 0; i < 64; ++i) {
    if (i != 11) {
      EXPECT_EQ(TableColour(i), (Colour{0, i % 8 * 32, i / 8 * 32})) << i;
    }
    EXPECT_EQ(tool::PaletteTable[i], 255);
  }
  EXPECT_EQ(tool::PaletteOn, 1);
  EXPECT_EQ(ToolStage::Notices(), std::vector<Text>{u"Loaded Palette : Mine"});
  EXPECT_EQ(fw_read_pixel(fw_lock_image(tool::PaletteSwatchImage, 0), 7, 3), 0xFF0000FFu);
  ExpectIdleInWeekFolder();
}

TEST_F(PaletteTest, APaletteImageThatCannotBeUsedGivesARandomPaletteAndSaysSo) {
  stage.WritePng("Palettes/Whole.png", 16, 16);
  const std::string whole = stage.Read("Palettes/Whole.png");
  stage.Write("Palettes/Cut.png", whole.substr(0, whole.size() / 2));
  stage.Write("Palettes/Text.png", "not a picture\r\n");
  stage.WritePng("Palettes/Tiny.png", 14, 14, 0xFF000000u);
  stage.WritePng("Palettes/Narrow.png", 14, 15, 0xFF000000u);
  stage.WritePng("Palettes/Low.png", 15, 14, 0xFF000000u);
  const std::vector<Text> names{u"Gone", u"Cut", u"Text", u"Tiny", u"Narrow", u"Low"};
  tool::PaletteCount = int32_t(names.size());
  std::ranges::copy(names, tool::PaletteNames + 1);
  for (int32_t index = 1; index <= tool::PaletteCount; ++index) {
    const Text& name = tool::PaletteNames[index];
    engine::NoticeList.Clear();
    fw_seed_rnd(3);
    tool::SelectPalette(index);
    EXPECT_EQ(tool::PaletteOn, 1);
    EXPECT_EQ(ToolStage::Notices(),
              (std::vector<Text>{u"Loaded Palette : " + name,
                                 u"Could not read " + name + u".png : Random Palette"}));
    int32_t black = 0;
    for (int32_t i = 0; i < 64; ++i) black += TableColour(i) == Colour{0, 0, 0};
    EXPECT_LT(black, 64);  // not read as black
    ExpectRandomChannels();
    ExpectSwatchShowsTheTable();
    ExpectIdleInWeekFolder();
  }

  fs::remove_all(stage.Path("Palettes"));
  tool::SelectPalette(1);
  ExpectRandomChannels();
  ExpectIdleInWeekFolder();
}

TEST_F(PaletteTest, ARandomPaletteDrawsRedGreenBlueColumnByColumn) {
  tool::PaletteCount = 5;
  for (int32_t index : {6, 7}) {
    engine::NoticeList.Clear();
    fw_seed_rnd(index * 1000);
    std::vector<Colour> expected(64);
    for (int32_t column = 0; column < 8; ++column) {
      for (int32_t row = 0; row < 8; ++row) {
        Colour& c = expected[size_t(row * 8 + column)];
        c.red = std::min(fw_rand_int(0, 16) * 16, 255);
        c.green = std::min(fw_rand_int(0, 16) * 16, 255);
        c.blue = std::min(fw_rand_int(0, 16) * 16, 255);
      }
    }
    fw_seed_rnd(index * 1000);
    tool::SelectPalette(index);
    for (int32_t i = 0; i < 64; ++i) EXPECT_EQ(TableColour(i), expected[size_t(i)]) << i;
    EXPECT_EQ(tool::PaletteOn, 1);
    EXPECT_EQ(ToolStage::Notices(), std::vector<Text>{u"Random Palette"});
    ExpectSwatchShowsTheTable();
    ExpectIdleInWeekFolder();
  }
}

TEST_F(PaletteTest, ANegativeIndexOnlyClosesTheMenu) {
  tool::PaletteOn = 1;
  tool::SelectPalette(-1);
  EXPECT_EQ(tool::PaletteOn, 1);
  EXPECT_EQ(tool::PaletteSwatchImage, 0);
  EXPECT_TRUE(ToolStage::Notices().empty());
  ExpectIdleInWeekFolder();
}

}  // namespace
