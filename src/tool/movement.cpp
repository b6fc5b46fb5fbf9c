// Layer movement: sways one coordinate of a placed pixel by a sine of the
// animation frame, optionally as a wave along the sprite.
#include "tool.h"

namespace tool {
namespace {

// The horizontal and vertical movements differ only in where their settings
// sit in the layer block and in which sprite extent they clamp to.
struct MovementAxis {
  int32_t amount;  // offset of the amplitude bound; the other settings follow it
  bool vertical;
};

constexpr MovementAxis kHorizontal{31, false};
constexpr MovementAxis kVertical{21, true};

int32_t LayerSetting(int32_t base, int32_t offset) {
  const int32_t index = wrap_add(base, offset);
  return index >= 0 && index < 3200 ? ToolSettings[index] : 0;
}

// The wave term in degrees. Only the value 1 switches a wave on. Wave X on
// its own steps the rows by the width's division, not the height's: a
// stored preset rebuilds its sprite through this very sum, so the rows of a
// sprite that is not square must keep stepping that way.
int32_t WaveDegrees(int32_t wave_y, int32_t wave_x, int32_t px, int32_t py) {
  const int32_t column_step = wrap_div(360, SpriteWidth);
  const int32_t row_step = wrap_div(360, SpriteHeight);
  if (wave_y == 1 && wave_x == 0) return wrap_mul(px, column_step);
  if (wave_y == 0 && wave_x == 1) return wrap_mul(py, column_step);
  if (wave_y == 1 && wave_x == 1)
    return wrap_add(wrap_mul(px, column_step), wrap_mul(py, row_step));
  return 0;
}

int32_t ApplyMovement(const MovementAxis& axis, int32_t px, int32_t py, float value, int32_t roll,
                      int32_t frame, int32_t base) {
  // Drawn before anything else, so the chance never changes later draws.
  const int32_t amp = fw_rand_int(LayerSetting(base, axis.amount), 1);
  if (roll >= LayerSetting(base, axis.amount + 1)) return rt_float_to_int(value);

  const int32_t frames = ToolSettings[20] == 0 ? 1 : ToolSettings[20];
  const bool whole_turn = LayerSetting(base, axis.amount + 4) == 1;
  const float step = (whole_turn ? 360.0f : 180.0f) / float(frames);
  const float phase = float(wrap_add(frame, wrap_mul(2, base))) * step;
  const int32_t wave =
      WaveDegrees(LayerSetting(base, axis.amount + 2), LayerSetting(base, axis.amount + 3), px, py);
  const float angle = phase + float(wave);
  const float offset = float(amp) * float(fw_sin_deg(angle));

  const int32_t extent = axis.vertical ? SpriteHeight : SpriteWidth;
  value = value + offset;
  if (value < 0.0f) value = 0.0f;
  if (value > float(extent - 1)) value = float(extent - 1);
  return rt_float_to_int(value);
}

}  // namespace

int32_t ApplyHorizontalMovement(int32_t px, int32_t py, float value, int32_t roll, int32_t frame,
                                int32_t base) {
  return ApplyMovement(kHorizontal, px, py, value, roll, frame, base);
}

int32_t ApplyVerticalMovement(int32_t px, int32_t py, float value, int32_t roll, int32_t frame,
                              int32_t base) {
  return ApplyMovement(kVertical, px, py, value, roll, frame, base);
}

}  // namespace tool
