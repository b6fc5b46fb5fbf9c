// Layer movement: sways one coordinate of a placed pixel by a sine of the
// animation frame, optionally as a wave along the sprite.
#include "movement.h"

namespace tool {
namespace {

// The entry at `offset` in the block at `base`; 0 where that lies outside the
// table.
int32_t LayerEntry(int32_t base, int32_t offset) {
  const int32_t index = wrap_add(base, offset);
  return index >= 0 && index < 3200 ? ToolSettings[index] : 0;
}

}  // namespace

AxisMovement::AxisMovement(bool vertical, int32_t frame, int32_t base) {
  // The two movements differ only in where their entries sit in the block
  // and in which sprite extent they clamp to.
  const int32_t movement = vertical ? kVerticalMovement : kHorizontalMovement;
  amount_ = LayerEntry(base, movement);
  percent_ = LayerEntry(base, movement + kMovePercent);
  wave_y_ = LayerEntry(base, movement + kMoveWaveY);
  wave_x_ = LayerEntry(base, movement + kMoveWaveX);
  const bool whole_turn = LayerEntry(base, movement + kMoveCycle) == 1;
  const int32_t frames = ToolSettings[kFrameCount] == 0 ? 1 : ToolSettings[kFrameCount];
  const float step = (whole_turn ? 360.0f : 180.0f) / float(frames);
  phase_ = float(wrap_add(frame, wrap_mul(2, base))) * step;
  // Wave X on its own steps the rows by the width's division, not the
  // height's: a stored preset rebuilds its sprite through this very sum, so
  // the rows of a sprite that is not square must keep stepping that way.
  column_step_ = wrap_div(360, SpriteWidth);
  row_step_ = wrap_div(360, SpriteHeight);
  last_ = float((vertical ? SpriteHeight : SpriteWidth) - 1);
}

int32_t ApplyHorizontalMovement(int32_t px, int32_t py, float value, int32_t roll, int32_t frame,
                                int32_t base) {
  return AxisMovement(false, frame, base).Move(px, py, value, roll);
}

int32_t ApplyVerticalMovement(int32_t px, int32_t py, float value, int32_t roll, int32_t frame,
                              int32_t base) {
  return AxisMovement(true, frame, base).Move(px, py, value, roll);
}

}  // namespace tool
