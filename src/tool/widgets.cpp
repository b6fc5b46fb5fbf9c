// The two controls that edit the settings block: the slider and the toggle.
#include <algorithm>

#include "engine/engine.h"
#include "tool.h"
#include "tool_draw.h"

namespace tool {

namespace {

using engine::DrawTextAligned;
using engine::SelectFont;

constexpr int32_t kTravel = 150;  // fill width of a full bar
constexpr int32_t kDragSpan = 148;
// The grey value box begins 154 pixels in and is 45 wide; a number centred 179
// pixels in stays inside it while half its width is at most 20.
constexpr int32_t kValueCentre = 179, kValueHalfRoom = 20;
constexpr int32_t kBoxInnerLeft = 155, kBoxInnerWidth = 43;

// The fill of a bar that starts at its left end.
void DrawPlainFill(int32_t x, int32_t y, int32_t min, int32_t range, int32_t value, bool hovered) {
  const Colour colour = hovered ? kHoverYellow : kBarBlue;
  const int32_t fill =
      engine::ClampInt(wrap_div(wrap_mul(wrap_sub(value, min), kTravel), range), 0, kTravel);
  FillRect(x + 1, y + 13, fill, 14, colour);
}

// The fill of a bar around a zero line; negative values grow to the left.
void DrawCentredFill(int32_t x, int32_t y, int32_t min, int32_t max, int32_t range, int32_t value,
                     bool hovered) {
  const int32_t zero = wrap_div(wrap_mul(wrap_sub(0, min), kTravel), range);
  SetColour(kWhite);
  fw_draw_line(float(x + zero + 1), float(y + 12), float(x + zero + 1), float(y + 28));
  if (value >= 0) {
    const int32_t width = wrap_div(wrap_mul(value, kTravel - zero), max);
    FillRect(x + zero + 1, y + 13, width, 14, hovered ? kHoverYellow : kBarBlue);
  } else {
    const int32_t width = wrap_div(wrap_mul(value, zero), min);
    FillRect(x + zero - width + 1, y + 13, width, 14, hovered ? kHoverNegative : kBarRed);
  }
}

// The slider's number in its value box. Every value the controls can set fits
// there in the label's font; a longer one, which only a damaged preset holds,
// is drawn in the same typeface's smallest size (family 2, size 0), squeezed
// to the box when even that is too wide, so that it never covers the controls
// beside it.
void DrawValueText(int32_t x, int32_t y, int32_t value) {
  const Text text = rt_string_from_int(value);
  SelectFont(1, 0);
  SetColour(kBlack);
  const int32_t width = fw_text_width(text);
  if (width - width / 2 <= kValueHalfRoom) {
    DrawTextAligned(x + kValueCentre, y + 20, text, 1, 1);
    return;
  }
  SelectFont(2, 0);
  const int32_t small_width = fw_text_width(text);
  const float squeeze = std::min(1.0f, float(kBoxInnerWidth) / float(small_width));
  const int32_t drawn_width = int32_t(float(small_width) * squeeze);
  fw_set_scale(squeeze, 1.0f);
  DrawTextAligned(x + kBoxInnerLeft + (kBoxInnerWidth - drawn_width) / 2, y + 20, text, 0, 1);
  fw_set_scale(1.0f, 1.0f);
  SelectFont(1, 0);  // the panel's headings draw in the font a slider leaves
}

// The value the mouse gives the slider in this pass, or `value` unchanged.
int32_t SliderInput(int32_t x, int32_t y, int32_t min, int32_t max, int32_t value) {
  if (UiState != kUiIdle || MouseConsumed != 0) return value;
  const int32_t range = wrap_sub(max, min);
  if (fw_mouse_down(2) == 1) {
    if (MouseInToolRect(x, y + 12, 40, 20)) value = min;
    if (MouseInToolRect(x + 56, y + 12, 40, 20)) value = wrap_add(min, range / 2);
    if (MouseInToolRect(x + 112, y + 12, 40, 20)) value = max;
  }
  if (LeftHeld() && MouseInToolRect(x, y + 12, 152, 20)) {
    const int32_t offset = wrap_sub(engine::MouseX, x + 2);
    value = engine::ClampInt(wrap_add(min, wrap_div(wrap_mul(offset, range), kDragSpan)), min, max);
  }
  return value;
}

}  // namespace

int32_t DrawSlider(const Text& label, int32_t x, int32_t y, int32_t min, int32_t max,
                   int32_t value) {
  SelectFont(1, 0);
  SetColour(kBlack);
  DrawTextAligned(x, y, label, 0, 0);
  FillRect(x, y + 12, 200, 16, kBlack);
  FillRect(x + 154, y + 13, 45, 14, kGrey);
  const int32_t range = wrap_sub(max, min);
  const bool hovered = MouseInToolRect(x, y + 12, 152, 20);
  // A value past either end shows a bar at that end, kept to its track.
  const int32_t shown = engine::ClampInt(value, min, max);
  if (min >= 0) {
    DrawPlainFill(x, y, min, range, shown, hovered);
  } else {
    DrawCentredFill(x, y, min, max, range, shown, hovered);
  }
  DrawValueText(x, y, value);
  return SliderInput(x, y, min, max, value);
}

int32_t DrawToggle(const Text& label, int32_t x, int32_t y, int32_t value, int32_t max) {
  SelectFont(1, 0);
  SetColour(kGrey);
  const int32_t hit_width = wrap_add(fw_text_width(label), 20);
  if (MouseInToolRect(x, y + 12, hit_width, 16) && UiState == kUiIdle && MouseConsumed == 0) {
    SetColour(kHighlightGrey);
    if (LeftHeld()) {
      MouseConsumed = 1;
      value = wrap_add(value, 1);
      // A value no click could have made (a damaged preset) starts over too.
      if (value > max || value < 0) value = 0;
    }
    FillRect(x, y + 12, hit_width, 16, kHighlightGrey);
  }
  FillRect(x, y + 12, 16, 16, kBlack);
  FillRect(x + 2, y + 14, 12, 12, kGrey);
  SelectFont(1, 2);
  SetColour(kGreen);
  if (value == 1) fw_draw_rect(float(x + 4), float(y + 16), 8.0f, 8.0f);
  if (value == 2) DrawTextAligned(x + 8, y + 20, u"R", 1, 1);
  SelectFont(1, 0);
  SetColour(kBlack);
  DrawTextAligned(x + 20, y + 20, label, 0, 1);
  return value;
}

}  // namespace tool
