// The four overlays opened from the top bar, and the settings menu's
// actions on the whole settings block.
#include <span>

#include "engine/engine.h"
#include "tool.h"
#include "tool_draw.h"

namespace tool {

int32_t PreviousHoverWidth = 0, PreviousHoverHeight = 0;

namespace {

using engine::DrawTextAligned;
using engine::SelectFont;

constexpr Colour kSubtitleCream{255, 255, 180};
constexpr Colour kGridLine{150, 150, 150};
constexpr int32_t kMenuWidth = 198;
constexpr int32_t kMenuRowPitch = 32;

struct MenuRow {
  const char16_t* title;
  const char16_t* subtitle;
  void (*action)();
};

void NewStartSeed() { SpriteSeed = wrap_add(SpriteSeed, fw_rand_int(rt_millisecs(), 1)); }

const MenuRow kSettingsRows[] = {
    {u"Clear all settings", u"Redo From Start?", [] { ClearAllSettings(); }},
    {u"Randomize all settings", u"A starting point", [] { RandomizeAllSettings(); }},
    {u"New Start Seed", u"Same settings, different sprite", NewStartSeed},
};

const MenuRow kSpritesheetRows[] = {
    {u"Batch of different sprites", u"Randomized based on Settings",
     [] { BuildBatchSpritesheet(); }},
    {u"Same Sprite, Different Colors", u"20 colors for each sprite.",
     [] { BuildColourVariantSpritesheet(); }},
};

// A press outside an open overlay's box closes it without using the press.
void CloseOnPressOutside(int32_t x, int32_t y, int32_t w, int32_t h) {
  if (!MouseInToolRect(x, y, w, h) && FreshPress()) UiState = kUiIdle;
}

void ShowDropDown(int32_t left, std::span<const MenuRow> rows) {
  const int32_t height = kMenuRowPitch * int32_t(rows.size());
  SelectFont(1, 0);
  FillRect(left, 22, kMenuWidth, height, kBlack);
  CloseOnPressOutside(left, 22, kMenuWidth, height);
  int32_t y = 24;
  for (const MenuRow& row : rows) {
    Colour colour = kBlack;
    if (MouseInToolRect(left, y, kMenuWidth, 13)) {
      colour = kRowHover;
      if (FreshPress()) row.action();
    }
    FillRect(left, y, kMenuWidth, 13, colour);
    SetColour(kWhite);
    DrawTextAligned(left + 2, y, row.title, 0, 0);
    SetColour(kSubtitleCream);
    DrawTextAligned(left + kMenuWidth, y + 16, row.subtitle, 2, 0);
    y += kMenuRowPitch;
  }
}

int32_t Coin() { return fw_rand_int(0, 1) > 0 ? 1 : 0; }
int32_t Quarter() { return fw_rand_int(-2, 1) > 0 ? 1 : 0; }

void RandomizeLayer(int32_t base) {
  int32_t* layer = ToolSettings + base;
  layer[kMirrorX] = Coin();
  layer[kMirrorY] = Coin();
  layer[kAmount] = fw_rand_int(0, 120);
  layer[kRandomness] = fw_rand_int(0, 120);
  layer[kShape] = fw_rand_int(0, ShapeCount);
  layer[kRandomShape] = Quarter();
  layer[kHueOffset] = fw_rand_int(-255, 255);
  layer[kHueOffset + 1] = fw_rand_int(-40, 40);
  layer[kHueOffset + 2] = fw_rand_int(-40, 40);
  // The inherited and the per-pixel randomness alike.
  for (int32_t k = kInheritRandomness; k <= kPixelRandomness + 2; ++k) {
    layer[k] = fw_rand_int(0, 30);
  }
  for (int32_t movement : {kVerticalMovement, kHorizontalMovement}) {
    layer[movement] = fw_rand_int(-2, 2);
    layer[movement + kMovePercent] = fw_rand_int(0, 100);
    for (int32_t k = kMoveWaveY; k <= kMoveCycle; ++k) layer[movement + k] = Quarter();
  }
  layer[kFilter] = fw_rand_int(0, FilterCount);
  layer[kRandomFilter] = Quarter();
  layer[kFilterPower] = fw_rand_int(0, 100);
}

constexpr int32_t kSizeCell = 8;

void ChooseSize(int32_t width, int32_t height) {
  MouseConsumed = 1;
  SpriteHeight = height;
  SpriteWidth = width;
  UiState = kUiIdle;
  engine::AddNotice(u"Set size to " + rt_string_from_int(width) + u"x" + rt_string_from_int(height),
                    1);
  RemakeSpriteImage();
}

void DrawSizeGridLines() {
  SetColour(kGridLine);
  for (int32_t i = 0; i <= 8; ++i) {
    const float at = float(i * kSizeCell);
    fw_draw_line(101.0f + at, 23.0f, 101.0f + at, 87.0f);
    fw_draw_line(101.0f, 23.0f + at, 165.0f, 23.0f + at);
  }
}

}  // namespace

int32_t ClearAllSettings() {
  for (int32_t& entry : ToolSettings) entry = 0;
  return 0;
}

int32_t RandomizeAllSettings() {
  fw_seed_rnd(rt_millisecs());
  fw_seed_rnd(fw_rand_int(rt_millisecs(), 1));
  ToolSettings[kBaseColour] = fw_rand_int(0, 255);
  ToolSettings[kBaseColour + 1] = fw_rand_int(65, 185);
  ToolSettings[kBaseColour + 2] = fw_rand_int(65, 185);
  ToolSettings[kBaseRandomness] = fw_rand_int(0, 255);
  ToolSettings[kBaseRandomness + 1] = fw_rand_int(0, 50);
  ToolSettings[kBaseRandomness + 2] = fw_rand_int(0, 50);
  for (int32_t layer = 1; layer <= 9; ++layer) RandomizeLayer(kLayerStride * layer);
  return 0;
}

int32_t ShowSettingsMenu() {
  ShowDropDown(300, kSettingsRows);
  return 0;
}

int32_t ShowSpritesheetMenu() {
  ShowDropDown(600, kSpritesheetRows);
  return 0;
}

int32_t ShowSizeMenu() {
  FillRect(100, 22, 67, 67, kBlack);
  int32_t hover_width = 0, hover_height = 0;
  for (int32_t col = 0; col < 8; ++col) {
    for (int32_t row = 0; row < 8; ++row) {
      const int32_t x = 101 + kSizeCell * col, y = 23 + kSizeCell * row;
      const int32_t width = kSizeCell * (col + 1), height = kSizeCell * (row + 1);
      if (MouseInToolRect(x, y, kSizeCell, kSizeCell)) {
        hover_width = width;
        hover_height = height;
        if (FreshPress()) ChooseSize(width, height);
      }
      if (width <= SpriteWidth && height <= SpriteHeight) {
        FillRect(x, y, kSizeCell, kSizeCell, kCurrentSizeBlue);
      }
      if (width <= PreviousHoverWidth && height <= PreviousHoverHeight) {
        FillRect(x, y, kSizeCell, kSizeCell, kHoverYellow);
      }
    }
  }
  DrawSizeGridLines();
  CloseOnPressOutside(100, 22, 67, 67);
  FillRect(100, 89, 67, 20, kBlack);
  PreviousHoverWidth = hover_width;
  PreviousHoverHeight = hover_height;
  if (hover_width == 0) hover_width = SpriteWidth;
  if (hover_height == 0) hover_height = SpriteHeight;
  SetColour(kCurrentSizeBlue);
  DrawTextAligned(102, 90,
                  rt_string_from_int(hover_width) + u"x" + rt_string_from_int(hover_height), 0, 0);
  return 0;
}

int32_t ShowPaletteMenu() {
  constexpr int32_t kRowHeight = 14;
  const int32_t count = engine::ClampInt(PaletteCount, 0, 127);
  const int32_t height = (count + 2) * kRowHeight;
  FillRect(0, 22, 180, height, kBlack);
  CloseOnPressOutside(0, 22, 180, height);
  SelectFont(1, 0);
  for (int32_t i = 0; i <= count + 1; ++i) {
    const int32_t y = 24 + kRowHeight * i;
    Colour colour = kBlack;
    if (MouseInToolRect(2, y, 180, 13)) {
      colour = kRowHover;
      if (FreshPress()) SelectPalette(i);
    }
    FillRect(0, y, 180, kRowHeight, colour);
    const Text name = i == 0 ? Text(u"No Palette") : i <= count ? PaletteNames[i] : Text(u"Random");
    SetColour(kWhite);
    DrawTextAligned(2, y, name, 0, 0);
  }
  return 0;
}

}  // namespace tool
