// The tool's set-up, run by every display set-up: the speed test, the music
// stems, the shapes and filters sheets, the working images, the palette list
// and the presets.
#include "engine/engine.h"
#include "sequencer/sequencer.h"
#include "tool.h"

namespace tool {

int32_t ShapesImage = 0, ShapeCount = 0;
int32_t FiltersImage = 0, FilterCount = 0;
int32_t CheckerImage = 0;
int32_t PreviewImage = 0;
int32_t BlankScreenImage = 0;
int32_t LayerImage = 0;
int32_t SheetImage = 0;
platform::PixmapRef WorkPixmap;

namespace {

constexpr int32_t kSheetCells = 100;
constexpr int32_t kMaxPalettes = 127;

// A stop cell's top-left pixel is cyan-like.
bool IsStopPixel(uint32_t argb) {
  const uint32_t red = argb >> 16 & 0xFF, green = argb >> 8 & 0xFF, blue = argb & 0xFF;
  return red < 100 && green > 100 && blue > 100;
}

// The highest usable cell: the one before the first stop cell. A sheet that
// did not load has none.
int32_t CountUsableCells(int32_t sheet) {
  int32_t count = 0;
  if (sheet == 0) return count;
  for (int32_t frame = 0; frame < kSheetCells; ++frame) {
    WorkPixmap = fw_lock_image(sheet, frame, 1, 1);
    if (IsStopPixel(fw_read_pixel(WorkPixmap, 0, 0)) && count == 0) count = frame - 1;
    fw_unlock_image(sheet, frame);
    WorkPixmap = nullptr;
  }
  return count;
}

void LoadSheet(const Text& path, int32_t& sheet, int32_t& usable_cells) {
  rt_replace_handle(sheet, fw_load_anim_image(path, 64, 64, 0, kSheetCells, 8));
  usable_cells = CountUsableCells(sheet);
}

int32_t CreateBlankScreen() {
  int32_t image = fw_create_image(800, 600, 9, -1);
  WorkPixmap = fw_lock_image(image, 0, 1, 1);
  for (int32_t x = 0; x < 800; ++x) {
    for (int32_t y = 0; y < 600; ++y) fw_write_pixel(WorkPixmap, x, y, 0);
  }
  fw_unlock_image(image, 0);
  WorkPixmap = nullptr;
  return image;
}

// A new sheet holding the pixels of the one it replaces: an Apply in the
// options panel runs the set-up again, also while a spritesheet is being
// built into the sheet, and the build must not lose the cells it made.
int32_t CreateSheetKeeping(int32_t old_sheet) {
  const int32_t sheet = fw_create_image(512, 512, 1, 9);
  if (old_sheet == 0) return sheet;
  fw_copy_pixmap_into_image(fw_lock_image(old_sheet, 0, 1, 0), sheet, 0, 0, 0);
  fw_unlock_image(old_sheet, 0);
  return sheet;
}

void ListPalettes() {
  PaletteCount = 0;
  engine::FolderTrip trip;
  if (trip.Go(kPalettesFolder) == 0) return;
  for (const Text& name : ListPngBaseNames()) {
    if (PaletteCount == kMaxPalettes) break;
    PaletteNames[++PaletteCount] = name;
  }
}

}  // namespace

int32_t SetUpSpriteTool() {
  engine::RunEngineTest(60, 2);
  sequencer::LoadMusicSamples();
  LoadSheet(u"../../Shapes.png", ShapesImage, ShapeCount);
  LoadSheet(u"../../Filters.png", FiltersImage, FilterCount);
  rt_replace_handle(CheckerImage, fw_load_image(u"transparent.png", -1));
  rt_replace_handle(PreviewImage, fw_create_image(128, 128, kStoredFrames, 9));
  rt_replace_handle(BlankScreenImage, CreateBlankScreen());
  ListPalettes();
  rt_replace_handle(LayerImage, fw_create_image(128, 128, 10, 9));
  rt_replace_handle(SheetImage, CreateSheetKeeping(SheetImage));
  LoadPresetList();
  return 0;
}

}  // namespace tool
