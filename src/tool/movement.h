// Layer movement set up once for a layer and a frame, for the generator's
// inner loop. Private to src/tool.
#pragma once

#include <array>
#include <cstdint>

#include "tool.h"

namespace tool {

// One axis of a layer's movement: its settings, its phase for the frame and
// the sine of every wave angle met so far, so that moving a plot position
// costs the amplitude draw and a few float steps.
class AxisMovement {
 public:
  AxisMovement(bool vertical, int32_t frame, int32_t base);
  // The moved coordinate of plot position (px, py). The amplitude is drawn
  // before anything else, so the chance never changes later draws.
  int32_t Move(int32_t px, int32_t py, float value, int32_t roll) {
    const int32_t amp = fw_rand_int(amount_, 1);
    if (roll >= percent_) return rt_float_to_int(value);
    const float offset = float(amp) * SineOf(WaveDegrees(px, py));
    value = value + offset;
    if (value < 0.0f) value = 0.0f;
    if (value > last_) value = last_;
    return rt_float_to_int(value);
  }

  // A position left unplotted still takes its amplitude draw.
  void SkipDraw() const { fw_rand_int(amount_, 1); }

 private:
  // Only the value 1 switches a wave on.
  int32_t WaveDegrees(int32_t px, int32_t py) const {
    if (wave_y_ == 1 && wave_x_ == 0) return wrap_mul(px, column_step_);
    if (wave_y_ == 0 && wave_x_ == 1) return wrap_mul(py, column_step_);
    if (wave_y_ == 1 && wave_x_ == 1)
      return wrap_add(wrap_mul(px, column_step_), wrap_mul(py, row_step_));
    return 0;
  }
  float SineOf(int32_t wave) {
    const auto sine = [&] { return float(fw_sin_deg(phase_ + float(wave))); };
    if (wave < 0 || wave >= kRememberedWaves) return sine();
    if (!known_[size_t(wave)]) sines_[size_t(wave)] = sine(), known_[size_t(wave)] = true;
    return sines_[size_t(wave)];
  }

  // Wave terms of plot positions inside a 128 x 128 sprite stay below this.
  static constexpr int32_t kRememberedWaves = 720;

  int32_t amount_, percent_, wave_y_, wave_x_;
  int32_t column_step_, row_step_;
  float phase_;
  float last_;  // the highest value the clamp lets through
  std::array<float, kRememberedWaves> sines_;
  std::array<bool, kRememberedWaves> known_{};
};

}  // namespace tool
