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

// Entries outside the layer blocks.
constexpr int32_t kBaseColour = 11;      // base hue, saturation, lightness
constexpr int32_t kBaseRandomness = 14;  // their randomness, in the same order
constexpr int32_t kFrameCount = 20;
constexpr int32_t kAverageOn = 21;

// Layer L's block holds the entries from kLayerStride * L on, at these
// offsets. The panel edits layers 1 to 9; the generator also visits a tenth.
constexpr int32_t kLayerStride = 200;
enum LayerOffset : int32_t {
  kLayerOn = 0,
  kMirrorX = 1,
  kMirrorY = 2,
  kAmount = 3,
  kRandomness = 4,
  kHueOffset = 11,           // then the saturation and lightness offsets
  kInheritRandomness = 14,   // hue, saturation, lightness
  kPixelRandomness = 17,     // hue, saturation, lightness
  kVerticalMovement = 21,    // a movement's amplitude, then its MovementOffset entries
  kHorizontalMovement = 31,  // the same for left and right
  kShape = 40,
  kRandomShape = 41,
  kFlipX = 44,
  kFlipY = 45,
  kFilter = 50,
  kRandomFilter = 51,
  kFilterPower = 52,
};
// A movement's entries after its amplitude.
enum MovementOffset : int32_t { kMovePercent = 1, kMoveWaveY = 2, kMoveWaveX = 3, kMoveCycle = 4 };

extern platform::List<data> PresetList;
// The record the preset scan or the preset column visited last.
extern std::shared_ptr<data> PresetCursor;

int32_t LoadPresetList();
// Saves the current sprite under SpriteName; `shown_frame` is the animation
// frame the preview shows.
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

// What the frame loop shows over its panels: a menu, the tile view or the
// name box taking keys.
enum UiStateValue : int32_t {
  kUiIdle = 0,
  kUiPaletteMenu = 1,
  kUiSizeMenu = 2,
  kUiTileView = 3,
  kUiSpritesheetMenu = 5,
  kUiSettingsMenu = 6,
  kUiNameEditing = 10,
};
extern int32_t UiState;
extern int32_t MouseConsumed;
extern int32_t NameBoxActive;
extern Text SpriteName;
extern int32_t SpriteSeed;
extern int32_t SpriteWidth, SpriteHeight;
extern int32_t SpriteImage;
// Makes SpriteImage anew at the working size, with its kStoredFrames
// frames; the old one is let go.
void RemakeSpriteImage();
// The frames SpriteImage and PreviewImage hold.
constexpr int32_t kStoredFrames = 128;
// The frame of SpriteImage and PreviewImage that stores animation frame
// `frame`. An animation longer than they hold (from a preset file made by
// hand) stores its later frames by turns in frames 1 up, so that frame 0,
// which the tile view paints too, only ever holds animation frame 0.
int32_t StoredFrame(int32_t frame);
extern int32_t AnimFrames;
extern int32_t TicksPerFrame;
extern int32_t PreviewScale;

// The largest whole scale that fits a w x h picture into a square of `side`
// pixels; 0 for a picture without size.
int32_t FitScale(int32_t side, int32_t w, int32_t h);

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
