#include <gtest/gtest.h>

#include <algorithm>

#include "engine/engine.h"
#include "engine_stage.h"

namespace {

using engine::DrawLimits;
using engine_stage::EngineStage;

constexpr int32_t kIntroFrames = 30;
constexpr int32_t kFramesPerStep = 8;

// The speed test on a machine whose frame times the virtual clock decides:
// frames take the hub's 15 ms until a chosen measure step, then longer.
class BudgetMeasure : public ::testing::Test {
 protected:
  BudgetMeasure() { start_ = stage_.host().Presents(); }

  // From measure step `step_index` (1 for 500, 2 for 1000, ...) on, every
  // frame takes `ms`; frames are counted by the flips shown.
  void FramesTakeFromStep(int32_t step_index, int32_t ms) {
    const int32_t from = start_ + kIntroFrames + kFramesPerStep * (step_index - 1);
    stage_.host().on_delay = [from, ms](platform::ScriptedHost& host, int32_t) {
      if (host.Presents() >= from) host.Advance(uint32_t(ms - 1));
    };
  }
  int32_t FramesShown() { return stage_.host().Presents() - start_; }

  // The log from "Test Complete" on.
  std::vector<Text> ResultLines() {
    std::vector<Text> log = stage_.LogLines();
    auto first = std::find(log.begin(), log.end(), u"Test Complete");
    return std::vector<Text>(first, log.end());
  }

  static std::vector<Text> Results(int32_t target, int32_t main, int32_t glow, int32_t particles,
                                   bool slow_line) {
    std::vector<Text> lines = {
        u"Test Complete",
        u"",
        u"Engine Test Results",
        u"",
        u"\tMaximum Sprites Allowed for " + rt_string_from_int(target) + u" Frames Per Second",
        u"\tMain sprites : " + rt_string_from_int(main),
        u"\tGlowy Sprites : " + rt_string_from_int(glow),
        u"\tParticles : " + rt_string_from_int(particles),
        u""};
    if (slow_line) lines.push_back(u"Settings Overwritten, Set to Default Lower Limits at 30fps.");
    lines.push_back(u"");
    return lines;
  }

  static std::vector<int32_t> Limits() { return {DrawLimits[1], DrawLimits[2], DrawLimits[3]}; }

  EngineStage stage_;
  int32_t start_ = 0;
};

TEST_F(BudgetMeasure, AMachineHoldingTheTargetThroughoutGetsTwoFifthsOfTheLastStep) {
  // The options panel opened during the measure changes no step's frames.
  stage_.host().QueueAtFrame(start_ + kIntroFrames + 3, engine_stage::KeyDown(9));
  stage_.host().QueueAtFrame(start_ + kIntroFrames + 4, engine_stage::KeyUp(9));
  engine::RunEngineTest(60, 2);
  EXPECT_EQ(engine::OptionsOpen, 1);
  EXPECT_EQ(FramesShown(), kIntroFrames + 40 * kFramesPerStep);
  EXPECT_EQ(Limits(), (std::vector<int32_t>{8000, 8000, 4000}));
  EXPECT_EQ(engine::FrameRateTarget, 60);
  EXPECT_EQ(engine::EngineSettings[engine::kSlowSystemSetting], 0);
  EXPECT_EQ(engine::DebugOverlayOn, 0);
  std::vector<Text> log = stage_.LogLines();
  auto start = std::find(log.begin(), log.end(), u"Starting Engine Test");
  ASSERT_NE(start, log.end());
  EXPECT_EQ(*(start + 1), u"Aiming for 60,2");
  EXPECT_EQ(std::vector<Text>(start + 2, log.end()), Results(60, 8000, 8000, 4000, false));
}

TEST_F(BudgetMeasure, AMachineFailingAtOneThousandGetsTheFloorsAndSlowSystemMode) {
  FramesTakeFromStep(2, 100);
  engine::RunEngineTest(60, 2);
  EXPECT_EQ(FramesShown(), kIntroFrames + 2 * kFramesPerStep);
  EXPECT_EQ(ResultLines(), Results(60, 0, 0, 0, true));
  EXPECT_EQ(Limits(), (std::vector<int32_t>{1000, 500, 250}));
  EXPECT_EQ(engine::EngineSettings[engine::kSlowSystemSetting], 1);
  EXPECT_EQ(engine::FrameRateTarget, 30);
}

TEST_F(BudgetMeasure, BestTwoThousandFloorsOnlyTheMainSprites) {
  FramesTakeFromStep(5, 100);
  engine::RunEngineTest(60, 2);
  EXPECT_EQ(ResultLines(), Results(60, 800, 800, 400, true));
  EXPECT_EQ(Limits(), (std::vector<int32_t>{1000, 800, 400}));
  EXPECT_EQ(engine::EngineSettings[engine::kSlowSystemSetting], 1);
}

TEST_F(BudgetMeasure, ARateExactlyAtTheThresholdCountsAndEndsTheMeasure) {
  FramesTakeFromStep(2, 17);  // settles at 1000 / 17 = 58 frames per second
  engine::RunEngineTest(60, 2);
  EXPECT_EQ(FramesShown(), kIntroFrames + 2 * kFramesPerStep);
  EXPECT_EQ(ResultLines(), Results(60, 400, 400, 200, true));
}

TEST_F(BudgetMeasure, SlowSystemModeAtTheStartAimsForThirtyWithThresholdsOfTwentyEight) {
  engine::EngineSettings[engine::kSlowSystemSetting] = 1;
  // 30 ms frames give 32 frames per second: enough for 28, not for 58.
  stage_.host().on_delay = [](platform::ScriptedHost& host, int32_t) { host.Advance(29); };
  engine::RunEngineTest(60, 2);
  std::vector<Text> log = stage_.LogLines();
  EXPECT_NE(std::find(log.begin(), log.end(), u"Aiming for 30,2"), log.end());
  auto complete = std::find(log.begin(), log.end(), u"Test Complete");
  EXPECT_EQ(std::vector<Text>(complete, log.end()), Results(30, 8000, 8000, 4000, true));
  EXPECT_EQ(engine::FrameRateTarget, 30);
}

TEST_F(BudgetMeasure, ANestedRunLeavesTheOuterRunsStepsAlone) {
  bool nested = false;
  stage_.host().on_present = [&](platform::ScriptedHost&, int32_t shown) {
    if (nested || shown - start_ != kIntroFrames + 5) return;
    nested = true;
    engine::RunEngineTest(60, 2);
  };
  engine::RunEngineTest(60, 2);
  EXPECT_EQ(FramesShown(), 2 * (kIntroFrames + 40 * kFramesPerStep));
  EXPECT_EQ(Limits(), (std::vector<int32_t>{8000, 8000, 4000}));
  std::vector<Text> log = stage_.LogLines();
  EXPECT_EQ(std::count(log.begin(), log.end(), u"Test Complete"), 2);
}

}  // namespace
