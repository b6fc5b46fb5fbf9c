// The tool's globals as a run starts with them: start-up begins by putting
// them there, and so does every test case, so that none sees another's.
#include <algorithm>

#include "tool.h"
#include "tool_draw.h"

namespace tool {
namespace {

void ResetSettingsAndPresets() {
  std::ranges::fill(ToolSettings, 0);
  PresetList.Clear();
  PresetCursor = nullptr;
}

void ResetPalettes() {
  std::ranges::fill(PaletteTable, 0);
  std::ranges::fill(PaletteNames, Text());
  PaletteCount = PaletteOn = PaletteSwatchImage = 0;
}

void ResetSetUp() {
  ShapesImage = ShapeCount = FiltersImage = FilterCount = 0;
  CheckerImage = PreviewImage = BlankScreenImage = LayerImage = SheetImage = 0;
  WorkPixmap = nullptr;
}

void ResetFrameLoop() {
  UiState = kUiIdle;
  MouseConsumed = NameBoxActive = 0;
  SpriteName.clear();
  SpriteSeed = SpriteWidth = SpriteHeight = SpriteImage = AnimFrames = PreviewScale = 0;
  TicksPerFrame = 8;
  PreviousHoverWidth = PreviousHoverHeight = 0;
}

}  // namespace

void ResetToolState() {
  ResetSettingsAndPresets();
  ResetPalettes();
  ResetSetUp();
  ResetFrameLoop();
}

}  // namespace tool
