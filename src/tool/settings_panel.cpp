// The middle of the tool's screen: global controls, layer tabs and the
// selected layer's controls, each bound to one entry of the settings block.
#include <span>

#include "engine/engine.h"
#include "tool.h"
#include "tool_draw.h"

namespace tool {

namespace {

using engine::DrawTextAligned;
using engine::SelectFont;

enum class Kind { kSlider, kToggle, kHeading, kShapePicture, kFilterPicture };
// Upper bounds that come from the sheets loaded at set-up.
enum Bound : int32_t { kShapeBound = -1000, kFilterBound = -1001 };

struct Control {
  Kind kind;
  const char16_t* label;
  int32_t x, y;
  int32_t entry;  // offset within the block the control edits
  int32_t min, max;
};

constexpr Control kGlobalControls[] = {
    {Kind::kSlider, u"Base Hue", 80, 30, 11, 0, 255},
    {Kind::kSlider, u"Base Sat", 300, 30, 12, 0, 255},
    {Kind::kSlider, u"Base Light", 520, 30, 13, 0, 255},
    {Kind::kSlider, u"Hue Randomness", 80, 65, 14, 0, 255},
    {Kind::kSlider, u"Sat Randomness", 300, 65, 15, 0, 255},
    {Kind::kSlider, u"Light Randomness", 520, 65, 16, 0, 255},
    {Kind::kSlider, u"Frames", 80, 100, 20, 1, 16},
    {Kind::kToggle, u"Average", 300, 100, 21, 0, 1},
};

constexpr Control kLayerControls[] = {
    {Kind::kToggle, u"Mirror Left/Right", 300, 152, 1, 0, 2},
    {Kind::kToggle, u"Mirror Top/Bottom", 520, 152, 2, 0, 2},
    {Kind::kSlider, u"Amount of Pixels", 80, 187, 3, 0, 120},
    {Kind::kSlider, u"Randomness", 300, 187, 4, 0, 120},
    {Kind::kSlider, u"Shape", 80, 222, 40, 0, kShapeBound},
    {Kind::kToggle, u"Random Shape", 300, 222, 41, 0, 2},
    {Kind::kShapePicture, u"", 520, 198, 40, 0, 0},
    {Kind::kToggle, u"Flip X", 590, 198, 44, 0, 2},
    {Kind::kToggle, u"Flip Y", 590, 222, 45, 0, 2},
    {Kind::kHeading, u"Color Inheritance", 80, 257, 0, 0, 0},
    {Kind::kSlider, u"Hue Offset", 80, 269, 11, -255, 255},
    {Kind::kSlider, u"Sat Offset", 300, 269, 12, -255, 255},
    {Kind::kSlider, u"Light Offset", 520, 269, 13, -255, 255},
    {Kind::kSlider, u"Hue Randomness", 80, 304, 14, 0, 255},
    {Kind::kSlider, u"Sat Randomness", 300, 304, 15, 0, 255},
    {Kind::kSlider, u"Light Randomness", 520, 304, 16, 0, 255},
    {Kind::kHeading, u"Color Per Pixel", 80, 339, 0, 0, 0},
    {Kind::kSlider, u"Hue Randomness", 80, 351, 17, 0, 255},
    {Kind::kSlider, u"Sat Randomness", 300, 351, 18, 0, 255},
    {Kind::kSlider, u"Light Randomness", 520, 351, 19, 0, 255},
    {Kind::kHeading, u"Filter", 80, 386, 0, 0, 0},
    {Kind::kSlider, u"Filter", 80, 386, 50, 0, kFilterBound},
    {Kind::kToggle, u"Random Filter", 300, 386, 51, 0, 2},
    {Kind::kFilterPicture, u"", 410, 386, 50, 0, 0},
    {Kind::kSlider, u"Filter Power", 80, 421, 52, 0, 100},
};

constexpr Control kMovementControls[] = {
    {Kind::kHeading, u"Movement", 80, 456, 0, 0, 0},
    {Kind::kSlider, u"Up/Down", 80, 468, 21, -16, 16},
    {Kind::kSlider, u"Percentage", 300, 468, 22, 0, 100},
    {Kind::kToggle, u"Wave Y", 520, 458, 23, 0, 2},
    {Kind::kToggle, u"Wave X", 590, 458, 24, 0, 2},
    {Kind::kToggle, u"Cycle", 555, 476, 25, 0, 2},
    {Kind::kSlider, u"Left/Right", 80, 503, 31, -16, 16},
    {Kind::kSlider, u"Percentage", 300, 503, 32, 0, 100},
    {Kind::kToggle, u"Wave Y", 520, 493, 33, 0, 2},
    {Kind::kToggle, u"Wave X", 590, 493, 34, 0, 2},
    {Kind::kToggle, u"Cycle", 555, 511, 35, 0, 2},
};

constexpr Colour kGlobalBackground{150, 120, 120};
constexpr Colour kLayerBarBackground{120, 150, 120};
constexpr Colour kLayerOffBackground{120, 120, 126};
constexpr Colour kLayerOnBackground{100, 100, 130};
constexpr Colour kSelectedOnTab{200, 255, 200};

int32_t UpperBound(int32_t max) {
  if (max == kShapeBound) return ShapeCount;
  if (max == kFilterBound) return FilterCount;
  return max;
}

void DrawPicture(int32_t image, int32_t x, int32_t y, int32_t cell) {
  SetColour(kWhite);
  engine::DrawSpriteCounted(image, x, y, cell, 1);
}

void DrawControls(std::span<const Control> controls, int32_t base) {
  for (const Control& control : controls) {
    int32_t& entry = ToolSettings[base + control.entry];
    switch (control.kind) {
      case Kind::kSlider:
        entry = DrawSlider(control.label, control.x, control.y, control.min,
                           UpperBound(control.max), entry);
        break;
      case Kind::kToggle:
        entry = DrawToggle(control.label, control.x, control.y, entry, control.max);
        break;
      case Kind::kHeading:
        SetColour(kBlack);
        DrawTextAligned(control.x, control.y, control.label, 0, 0);
        break;
      case Kind::kShapePicture:
        DrawPicture(ShapesImage, control.x, control.y, entry);
        break;
      case Kind::kFilterPicture:
        DrawPicture(FiltersImage, control.x, control.y, entry);
        break;
    }
  }
}

bool LayerOn(int32_t layer) { return ToolSettings[kLayerStride * layer + kLayerOn] == 1; }

void DrawLayerTabs(int32_t& selected_layer) {
  FillRect(78, 130, 644, 20, kLayerBarBackground);
  SetColour(kBlack);
  DrawTextAligned(80, 140, u"Layer", 0, 1);
  for (int32_t layer = 1; layer <= 9; ++layer) {
    if (layer == selected_layer) {
      SelectFont(1, 4);
      SetColour(LayerOn(layer) ? kSelectedOnTab : kWhite);
    } else {
      SelectFont(1, 2);
      SetColour(LayerOn(layer) ? kGreen : kBlack);
    }
    DrawTextAligned(64 * layer + 64, 140, rt_string_from_int(layer), 1, 1);
    if (MouseInToolRect(64 * layer + 40, 135, 48, 20) && FreshPress()) {
      MouseConsumed = 1;
      selected_layer = layer;
    }
  }
}

void DrawSelectedLayer(int32_t layer) {
  const int32_t base = kLayerStride * layer;
  FillRect(78, 150, 644, 400, LayerOn(layer) ? kLayerOnBackground : kLayerOffBackground);
  int32_t& layer_on = ToolSettings[base + kLayerOn];
  layer_on = DrawToggle(u"Layer On", 80, 152, layer_on, 1);
  if (!LayerOn(layer)) return;
  DrawControls(kLayerControls, base);
  if (ToolSettings[kFrameCount] > 1) DrawControls(kMovementControls, base);
}

}  // namespace

int32_t DrawSettingsPanel(int32_t& selected_layer) {
  FillRect(78, 28, 644, 102, kGlobalBackground);
  DrawControls(kGlobalControls, 0);
  DrawLayerTabs(selected_layer);
  // Only the loop's own tabs select a layer, but a bad value must not reach
  // outside the nine layer blocks.
  if (selected_layer >= 1 && selected_layer <= 9) DrawSelectedLayer(selected_layer);
  return 0;
}

}  // namespace tool
