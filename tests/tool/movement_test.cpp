// Layer movement: the amplitude draw, the chance, the phase, the waves and
// the clamp, for both axes.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <ostream>

#include "fresh_start.h"
#include "tool/tool.h"

namespace {

using tool::ToolSettings;

constexpr int32_t kLayer1 = 200;

using Movement = std::function<int32_t(int32_t, int32_t, float, int32_t, int32_t, int32_t)>;

struct Axis {
  const char* name;
  Movement move;
  int32_t amount;  // settings offset of the amplitude bound
};

void PrintTo(const Axis& axis, std::ostream* out) { *out << axis.name; }

const Axis kAxes[] = {
    {"horizontal", tool::ApplyHorizontalMovement, 31},
    {"vertical", tool::ApplyVerticalMovement, 21},
};

class Movement_ : public ::testing::TestWithParam<Axis> {
 protected:
  void SetUp() override {
    FreshStart();
    tool::SpriteWidth = 64;
    tool::SpriteHeight = 32;
  }
  void Set(int32_t role, int32_t value) {
    ToolSettings[kLayer1 + GetParam().amount + role] = value;
  }
  int32_t Extent() const {
    return GetParam().amount == 21 ? tool::SpriteHeight : tool::SpriteWidth;
  }
  // The amplitude the next call will draw, leaving the generator seeded.
  static int32_t NextAmplitude(int32_t seed, int32_t bound) {
    fw_seed_rnd(seed);
    const int32_t amp = fw_rand_int(bound, 1);
    fw_seed_rnd(seed);
    return amp;
  }
  int32_t Expected(float value, int32_t amp, double degrees) const {
    float moved = value + float(amp) * float(fw_sin_deg(float(degrees)));
    moved = std::clamp(moved, 0.0f, float(Extent() - 1));
    return rt_float_to_int(moved);
  }
  int32_t Move(int32_t px, int32_t py, float value, int32_t roll, int32_t frame) {
    return GetParam().move(px, py, value, roll, frame, kLayer1);
  }
};

TEST_P(Movement_, PercentageZeroNeverMovesButStillDraws) {
  Set(0, 16);
  Set(1, 0);
  for (int32_t roll : {0, 50, 100}) {
    fw_seed_rnd(77);
    fw_rand_int(0, 0);
    const int32_t after_one_draw = platform::RandomState();
    fw_seed_rnd(77);
    EXPECT_EQ(Move(3, 4, 7.9f, roll, 2), 7);
    EXPECT_EQ(platform::RandomState(), after_one_draw);
  }
}

TEST_P(Movement_, PercentageHundredMovesUnlessRollIsHundred) {
  ToolSettings[20] = 4;
  Set(0, 5);
  Set(1, 100);
  const int32_t amp = NextAmplitude(9, 5);
  EXPECT_EQ(Move(3, 4, 10.0f, 99, 2), Expected(10.0f, amp, (2 + 400) * 45.0));
  NextAmplitude(9, 5);
  EXPECT_EQ(Move(3, 4, 10.0f, 100, 2), 10);
}

TEST_P(Movement_, FourFramesLayerOneAtFrameTwoMovesByTheAmplitude) {
  ToolSettings[20] = 4;
  Set(0, 5);
  Set(1, 100);
  for (int32_t seed = 1; seed <= 20; ++seed) {
    const int32_t amp = NextAmplitude(seed, 5);
    EXPECT_EQ(Move(0, 0, 10.0f, 0, 2), 10 + amp) << seed;
  }
}

TEST_P(Movement_, AmountZeroMovesByAtMostOnePixel) {
  ToolSettings[20] = 4;
  Set(1, 100);
  bool moved = false;
  for (int32_t frame = 0; frame < 8; ++frame) {
    const int32_t result = Move(5, 5, 10.0f, 0, frame);
    EXPECT_LE(std::abs(result - 10), 1);
    moved = moved || result != 10;
  }
  EXPECT_TRUE(moved);
}

TEST_P(Movement_, ClampsToTheSprite) {
  ToolSettings[20] = 4;
  Set(1, 100);
  const auto seed_drawing = [](int32_t bound, auto wanted) {
    for (int32_t seed = 1;; ++seed)
      if (wanted(NextAmplitude(seed, bound))) return seed;
  };
  Set(0, 16);
  NextAmplitude(seed_drawing(16, [](int32_t amp) { return amp >= 3; }), 16);
  EXPECT_EQ(Move(0, 0, float(Extent() - 1), 0, 2), Extent() - 1);  // sine 1
  Set(0, -16);
  NextAmplitude(seed_drawing(-16, [](int32_t amp) { return amp <= -3; }), -16);
  EXPECT_EQ(Move(0, 0, 1.0f, 0, 2), 0);
}

TEST_P(Movement_, CycleMakesAWholeTurnPerLoop) {
  ToolSettings[20] = 8;
  Set(0, 1);  // amplitude always 1
  Set(1, 100);
  Set(4, 1);
  // phase (1 + 400) * 45 = 45 degrees past whole turns.
  EXPECT_EQ(Move(0, 0, 10.5f, 0, 1), Expected(10.5f, 1, 45.0));
  Set(4, 2);  // only 1 switches the cycle on: (1 + 400) * 22.5
  EXPECT_EQ(Move(0, 0, 10.5f, 0, 1), Expected(10.5f, 1, 401 * 22.5));
}

// Wave X travels down the rows by 360 / width degrees, not 360 / height.
TEST_P(Movement_, WaveXStepsByTheWidth) {
  ToolSettings[20] = 1;
  Set(0, 16);
  Set(1, 100);
  Set(3, 1);
  bool height_step_differs = false;
  for (int32_t row = 0; row < 32; ++row) {
    const int32_t amp = NextAmplitude(100 + row, 16);
    const double phase = 400 * 180.0;
    const int32_t result = Move(7, row, 16.0f, 0, 0);
    EXPECT_EQ(result, Expected(16.0f, amp, phase + row * 5)) << row;
    height_step_differs = height_step_differs || result != Expected(16.0f, amp, phase + row * 11);
  }
  EXPECT_TRUE(height_step_differs);
}

TEST_P(Movement_, BothWavesStepColumnsByWidthAndRowsByHeight) {
  ToolSettings[20] = 1;
  Set(0, 16);
  Set(1, 100);
  Set(2, 1);
  Set(3, 1);
  for (int32_t i = 0; i < 16; ++i) {
    const int32_t px = i * 3, py = i * 2;
    const int32_t amp = NextAmplitude(200 + i, 16);
    EXPECT_EQ(Move(px, py, 16.0f, 0, 0), Expected(16.0f, amp, 400 * 180.0 + px * 5 + py * 11));
  }
}

TEST_P(Movement_, TogglesAtTwoAddNoWave) {
  ToolSettings[20] = 3;
  Set(0, 16);
  Set(1, 100);
  const int32_t pairs[][2] = {{2, 0}, {0, 2}, {2, 2}, {1, 2}, {2, 1}};
  for (const auto& pair : pairs) {
    Set(2, pair[0]);
    Set(3, pair[1]);
    for (int32_t i = 0; i < 8; ++i) {
      const int32_t amp = NextAmplitude(300 + i, 16);
      EXPECT_EQ(Move(i * 5, i * 3, 16.0f, 0, 1), Expected(16.0f, amp, 401 * 60.0));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothAxes, Movement_, ::testing::ValuesIn(kAxes),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
