// The sprite generator tool: settings, presets, generator, palettes, the
// frame loop with its panels and menus, and the spritesheet builders.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace tool {

// ---------------------------------------------------------------------------
// Settings block and presets (presets.cpp)
// ---------------------------------------------------------------------------

// One preset: a named snapshot of the seed and the whole settings block.
struct data : platform::Object {
  Text name;
  int32_t icon = 0;
  std::vector<int32_t> values = std::vector<int32_t>(3200, 0);
  int32_t seed = 0;
};

extern int32_t ToolSettings[3200];
extern platform::List<data> PresetList;
// The record the preset scan and the preset column are visiting.
extern std::shared_ptr<data> PresetCursor;

int32_t LoadPresetList();
// Saves the current sprite under SpriteName; `shown_frame` is the frame of
// SpriteImage the preview shows.
int32_t SavePreset(int32_t shown_frame);
int32_t ApplyPreset(const data& preset);

// Palettes/ beside Files/, as seen from the week folder.
inline const Text kPalettesFolder = u"../../Palettes";
// The base names of the current folder's regular files whose names end in
// exactly ".png", in listing order.
std::vector<Text> ListPngBaseNames();

// Puts every global of the tool back to its value at the start of a run:
// settings, palette table and names all zero or empty, no presets, no
// images, and the frame loop's state before its first pass.
void ResetToolState();

// ---------------------------------------------------------------------------
// Set-up (set_up.cpp)
// ---------------------------------------------------------------------------

extern int32_t ShapesImage, ShapeCount;
extern int32_t FiltersImage, FilterCount;
extern int32_t CheckerImage;
extern int32_t PreviewImage;
extern int32_t BlankScreenImage;
extern int32_t LayerImage;
extern int32_t SheetImage;
extern platform::PixmapRef WorkPixmap;

int32_t SetUpSpriteTool();

// ---------------------------------------------------------------------------
// Frame loop (frame_loop.cpp)
// ---------------------------------------------------------------------------

extern int32_t UiState;  // 0 idle, 1 palette, 2 size, 3 tile view, 5 sheets, 6 settings, 10 name
extern int32_t MouseConsumed;
extern int32_t NameBoxActive;
extern Text SpriteName;
extern int32_t SpriteSeed;
extern int32_t SpriteWidth, SpriteHeight;
extern int32_t SpriteImage;
extern int32_t AnimFrames;
extern int32_t TicksPerFrame;
extern int32_t PreviewScale;

int32_t RunSpriteToolLoop();

// ---------------------------------------------------------------------------
// Menus and widgets (widgets.cpp, menus.cpp)
// ---------------------------------------------------------------------------

int32_t DrawSlider(const Text& label, int32_t x, int32_t y, int32_t min, int32_t max,
                   int32_t value);
int32_t DrawToggle(const Text& label, int32_t x, int32_t y, int32_t value, int32_t max);
int32_t ShowSettingsMenu();
int32_t ShowSpritesheetMenu();
int32_t ShowSizeMenu();
int32_t ShowPaletteMenu();
int32_t ClearAllSettings();
int32_t RandomizeAllSettings();

// ---------------------------------------------------------------------------
// Settings panel (settings_panel.cpp)
// ---------------------------------------------------------------------------

// Draws the global controls, the layer tabs and the selected layer's
// controls; `selected_layer` (1 to 9) changes when a tab is clicked.
int32_t DrawSettingsPanel(int32_t& selected_layer);

// ---------------------------------------------------------------------------
// Generator and movement (generator.cpp, movement.cpp)
// ---------------------------------------------------------------------------

int32_t SetColourFromHsl(int32_t hue, int32_t saturation, int32_t lightness);
int32_t GenerateSpriteFrame(int32_t frame, int32_t hue_shift);
int32_t GrabFrameToImage(int32_t image, int32_t x, int32_t y, int32_t frame);
int32_t ApplyHorizontalMovement(int32_t px, int32_t py, float value, int32_t roll, int32_t frame,
                                int32_t base);
int32_t ApplyVerticalMovement(int32_t px, int32_t py, float value, int32_t roll, int32_t frame,
                              int32_t base);

// ---------------------------------------------------------------------------
// Palettes (palettes.cpp)
// ---------------------------------------------------------------------------

extern int32_t PaletteTable[512];
extern Text PaletteNames[128];
extern int32_t PaletteCount;
extern int32_t PaletteOn;
extern int32_t PaletteSwatchImage;

int32_t SelectPalette(int32_t index);

// ---------------------------------------------------------------------------
// Spritesheet builders (spritesheets.cpp)
// ---------------------------------------------------------------------------

int32_t BuildBatchSpritesheet();
int32_t BuildColourVariantSpritesheet();

}  // namespace tool
