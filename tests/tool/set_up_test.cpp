#include <gtest/gtest.h>

#include <map>

#include "non_files.h"
#include "tool_stage.h"

namespace {

namespace fs = std::filesystem;
using tool_stage::ToolStage;

constexpr uint32_t kStopPixel = 0xFF20C0C0u;  // red 32, green 192, blue 192

// A 640 x 640 sheet of 100 cells whose top-left pixels are grey except for
// the given ones.
void WriteSheet(const ToolStage& stage, const std::string& name,
                const std::map<int32_t, uint32_t>& top_left_pixels) {
  platform::PixmapRef sheet = fw_create_pixmap(640, 640);
  platform::PixelWrite write(*sheet);
  for (uint32_t& pixel : write.All()) pixel = 0xFF808080u;
  for (const auto& [cell, argb] : top_left_pixels) write.At(cell % 10 * 64, cell / 10 * 64) = argb;
  fw_save_pixmap_png(sheet, platform::FromUtf8(stage.Path(name)), 0);
}

void ExpectInWeekFolder(const ToolStage& stage) {
  EXPECT_TRUE(fs::equivalent(fs::current_path(), stage.Path("Files/001")));
}

TEST(SetUpSpriteTool, PreparesEverythingFromARunFolder) {
  ToolStage stage;
  stage.AddPreset("Saved");
  stage.SetUpTool();

  EXPECT_GT(tool::ShapeCount, 0);
  EXPECT_GT(tool::FilterCount, 0);
  EXPECT_NE(engine::FontGrid[0], 0);
  EXPECT_EQ(fw_image_frames(tool::ShapesImage), 100);
  EXPECT_EQ(fw_image_width(tool::FiltersImage), 64);
  EXPECT_NE(tool::CheckerImage, 0);
  EXPECT_EQ(fw_image_frames(tool::PreviewImage), 128);
  EXPECT_EQ(fw_image_width(tool::PreviewImage), 128);
  EXPECT_EQ(fw_image_frames(tool::LayerImage), 10);
  EXPECT_EQ(fw_image_width(tool::SheetImage), 512);
  EXPECT_EQ(fw_image_frames(tool::SheetImage), 1);
  EXPECT_EQ(fw_image_frames(tool::BlankScreenImage), 9);
  platform::PixmapRef blank = fw_lock_image(tool::BlankScreenImage, 0);
  EXPECT_EQ(blank->width, 800);
  EXPECT_EQ(blank->height, 600);
  EXPECT_EQ(std::count(blank->pixels.begin(), blank->pixels.end(), 0u), 800 * 600);
  EXPECT_EQ(tool::PaletteCount, int32_t(stage.FileNames("Palettes").size()));
  EXPECT_EQ(tool::PresetList.Count(), 1);
  EXPECT_EQ(tool::WorkPixmap, nullptr);
  ExpectInWeekFolder(stage);
}

TEST(SetUpSpriteTool, TheFirstStopCellEndsTheUsableCells) {
  ToolStage stage(false);
  // Exactly 100 in any channel is no stop; a later stop cell changes nothing.
  WriteSheet(
      stage, "Shapes.png",
      {{3, 0xFF64C0C0u}, {4, 0xFF2064C0u}, {5, 0xFF20C064u}, {12, kStopPixel}, {40, kStopPixel}});
  WriteSheet(stage, "Filters.png", {{0, kStopPixel}});
  stage.SetUpTool();
  EXPECT_EQ(tool::ShapeCount, 11);
  EXPECT_EQ(tool::FilterCount, -1);

  // A stop cell at frame 1 counts 0, which lets the next one count again.
  WriteSheet(stage, "Shapes.png", {{1, kStopPixel}, {7, kStopPixel}, {9, kStopPixel}});
  WriteSheet(stage, "Filters.png", {});
  stage.SetUpTool();
  EXPECT_EQ(tool::ShapeCount, 6);
  EXPECT_EQ(tool::FilterCount, 0);
}

TEST(SetUpSpriteTool, MissingOrSmallSheetsGiveNoCells) {
  ToolStage stage(false);
  platform::PixmapRef small = fw_create_pixmap(640, 576);  // 90 cells
  {
    platform::PixelWrite write(*small);
    for (uint32_t& pixel : write.All()) pixel = kStopPixel;
  }
  fw_save_pixmap_png(small, platform::FromUtf8(stage.Path("Filters.png")), 0);
  stage.SetUpTool();
  EXPECT_EQ(tool::ShapesImage, 0);
  EXPECT_EQ(tool::ShapeCount, 0);
  EXPECT_EQ(tool::FiltersImage, 0);
  EXPECT_EQ(tool::FilterCount, 0);
  EXPECT_EQ(tool::CheckerImage, 0);
  EXPECT_EQ(tool::PaletteCount, 0);
  ExpectInWeekFolder(stage);
}

TEST(SetUpSpriteTool, ListsOnlyLowerCasePngPalettes) {
  ToolStage stage(false);
  stage.WritePng("Palettes/Warm.png", 16, 16);
  stage.WritePng("Palettes/Cold.PNG", 16, 16);
  stage.Write("Palettes/readme.txt", "palettes");
  tool::PaletteNames[2] = u"left over";
  stage.SetUpTool();
  EXPECT_EQ(tool::PaletteCount, 1);
  EXPECT_EQ(tool::PaletteNames[1], u"Warm");
  EXPECT_EQ(tool::PaletteNames[2], u"left over");

  fs::remove_all(stage.Path("Palettes"));
  stage.SetUpTool();
  EXPECT_EQ(tool::PaletteCount, 0);
  ExpectInWeekFolder(stage);
}

TEST(SetUpSpriteTool, Takes127PalettesInListingOrder) {
  ToolStage stage(false);
  for (int32_t n = 0; n < 130; ++n) stage.Write("Palettes/p" + std::to_string(n) + ".png", "");
  std::vector<Text> listed;
  for (const auto& entry : fs::directory_iterator(stage.Path("Palettes"))) {
    listed.push_back(platform::FromUtf8(entry.path().stem().string()));
  }
  stage.SetUpTool();
  ASSERT_EQ(tool::PaletteCount, 127);
  for (int32_t n = 1; n <= 127; ++n) EXPECT_EQ(tool::PaletteNames[n], listed[size_t(n) - 1]);
  EXPECT_TRUE(tool::PaletteNames[0].empty());
}

std::vector<Text> ListedPalettes() {
  return std::vector<Text>(tool::PaletteNames + 1, tool::PaletteNames + 1 + tool::PaletteCount);
}

std::vector<Text> ListedPresets() {
  std::vector<Text> names;
  tool::PresetList.ForEach([&](const auto& record) { names.push_back(record->name); });
  return names;
}

// Each loads as a file that cannot be read, without waiting; a scan lists no
// folder or FIFO, and a palette that became one after the scan is picked
// without failing.
TEST(SetUpSpriteTool, AFolderOrFifoInPlaceOfAFileIsAFileThatCannotBeRead) {
  for (NonFile kind : {NonFile::kFolder, NonFile::kFifo}) {
    SCOPED_TRACE(NameOf(kind));
    ToolStage stage;
    stage.AddPreset("Kept");
    stage.Write("Presets/Y.dat", ToolStage::PresetBytes(1));
    stage.WritePng("Presets/f.png", 8, 8);
    for (const char* name :
         {"Presets/Y.png", "Presets/f.dat", "Shapes.png", "Files/001/transparent.png",
          "Files/Common/Blue Highway.ttf", "Palettes/Zdir.png"}) {
      MakeNonFile(stage.Path(name), kind);
    }
    stage.LoadCommonAssets();
    stage.SetUpTool();

    EXPECT_EQ(engine::FontTable[1], 0);
    EXPECT_NE(engine::FontTable[10], 0);  // the title font is another file
    EXPECT_EQ(tool::ShapesImage, 0);
    EXPECT_EQ(tool::ShapeCount, 0);
    EXPECT_NE(tool::FiltersImage, 0);
    EXPECT_EQ(tool::CheckerImage, 0);
    EXPECT_EQ(ListedPresets(), std::vector<Text>{u"Kept"});
    const std::vector<Text> palettes = ListedPalettes();
    ASSERT_FALSE(palettes.empty());
    EXPECT_EQ(std::count(palettes.begin(), palettes.end(), u"Zdir"), 0);

    MakeNonFile(stage.Path("Palettes/" + platform::ToUtf8(palettes[0]) + ".png"), kind);
    tool::SelectPalette(1);
    EXPECT_EQ(tool::PaletteOn, 1);
    EXPECT_NE(tool::PaletteSwatchImage, 0);
    ExpectInWeekFolder(stage);
  }
}

}  // namespace
