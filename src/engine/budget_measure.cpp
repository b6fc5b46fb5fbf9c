// The engine speed test: finds how many sprites a frame can hold at the
// target frame rate and sets the per-frame draw budget from it.
#include "engine.h"

namespace engine {

namespace {

constexpr int32_t kStepSize = 500;
constexpr int32_t kIntroLastStep = 15000;
constexpr int32_t kMeasureLastStep = 20000;
constexpr int32_t kFramesPerStep = 8;
constexpr int32_t kSlowSystemTarget = 30;
// The logos' slide runs from near -1 to 1 over the intro: a unit every half
// of its steps.
constexpr int32_t kIntroHalfSteps = kIntroLastStep / kStepSize / 2;

void DrawLogos(float logo_x, float logo_y, float site_x, float site_y) {
  SetScaleXY(0.75f);
  fw_draw_image(LogoImage, logo_x, logo_y, 0);
  fw_draw_image(SiteLogoImage, site_x, site_y, 0);
  SetScaleXY(1.0f);
}

void BeginTestFrame() {
  BeginFrame(1);
  ResetDrawState();
  DrawStripedBackdrop();
}

// The logos slide in from either side over the intro's steps.
void RunIntroFrame(int32_t step) {
  BeginTestFrame();
  const float units = static_cast<float>(step) / float(kStepSize) / float(kIntroHalfSteps);
  const float p = ClampFloat(units - 1.0f, -1.0f, 1.0f);
  const auto w = static_cast<float>(VirtualWidth);
  const auto h = static_cast<float>(VirtualHeight);
  DrawLogos(w * 0.3f * p, h * 0.3f, w - w * 0.3f * p, h - h * 0.3f);
  EndFrame(60, 0, 0);
}

// Loads the renderer with step + 1 rotated, scaled sprites drawn black at
// alpha 0, so that they cost time without showing.
void RunMeasureFrame(int32_t step, int32_t sprite_scale) {
  BeginTestFrame();
  const auto w = static_cast<float>(VirtualWidth);
  const auto h = static_cast<float>(VirtualHeight);
  DrawLogos(w * 0.3f, h * 0.3f, w * 0.7f, h * 0.7f);
  for (int32_t i = 0; i <= step; ++i) {
    SetAngle(static_cast<float>(fw_rand_int(360, 1)));
    SetColourAlpha(0, 0, 0, 0);
    SetScaleXY(static_cast<float>(sprite_scale));
    const int32_t y = fw_rand_int(VirtualHeight, 1);
    const int32_t x = fw_rand_int(VirtualWidth, 1);
    fw_draw_image(IconStripSharp, static_cast<float>(x), static_cast<float>(y), 0);
  }
  EndFrame(250, 0, 0);
}

// The largest step the machine held the target at; steps are kept in this
// call's locals, so a nested run (through "Apply" inside a test frame)
// leaves them alone.
int32_t MeasureBestStep(int32_t target, int32_t sprite_scale) {
  const int32_t threshold = target - 2;
  int32_t best = 0;
  for (int32_t step = kStepSize; step <= kMeasureLastStep; step += kStepSize) {
    for (int32_t frame = 0; frame < kFramesPerStep; ++frame) RunMeasureFrame(step, sprite_scale);
    if (step <= kStepSize) continue;  // the first step warms up and never counts
    const int32_t fps = FramesPerSecond;
    if (fps >= threshold) best = step;
    if (fps <= threshold) break;
  }
  return best;
}

int32_t ScaledLimit(int32_t best, float factor) {
  return rt_float_to_int(static_cast<float>(best) * factor);
}

void LogResults(int32_t target) {
  LogLine(u"");
  LogLine(u"Engine Test Results");
  LogLine(u"");
  LogLine(u"\tMaximum Sprites Allowed for " + rt_string_from_int(target) + u" Frames Per Second");
  LogLine(u"\tMain sprites : " + rt_string_from_int(DrawLimits[1]));
  LogLine(u"\tGlowy Sprites : " + rt_string_from_int(DrawLimits[2]));
  LogLine(u"\tParticles : " + rt_string_from_int(DrawLimits[3]));
  LogLine(u"");
}

// Below the main-sprite floor the machine is slow: frame skipping goes on
// and the loops aim for 30 frames per second.
void ApplyFloors() {
  if (DrawLimits[1] < 1000) {
    DrawLimits[1] = 1000;
    FrameRateTarget = kSlowSystemTarget;
    EngineSettings[kSlowSystemSetting] = 1;
  }
  if (DrawLimits[2] < 500) DrawLimits[2] = 500;
  if (DrawLimits[3] < 250) DrawLimits[3] = 250;
}

}  // namespace

int32_t RunEngineTest(int32_t target, int32_t sprite_scale) {
  DebugOverlayOn = 0;
  if (EngineSettings[kSlowSystemSetting] == 1) target = kSlowSystemTarget;
  FrameRateTarget = target;
  DrawLimits[1] = 500;
  DrawLimits[2] = 500;
  DrawLimits[3] = 250;
  LogLine(u"Starting Engine Test");
  LogLine(u"Aiming for " + rt_string_from_int(target) + u"," + rt_string_from_int(sprite_scale));

  for (int32_t step = kStepSize; step <= kIntroLastStep; step += kStepSize) RunIntroFrame(step);
  const int32_t best = MeasureBestStep(target, sprite_scale);

  LogLine(u"Test Complete");
  DrawLimits[1] = ScaledLimit(best, 0.4f);
  DrawLimits[2] = ScaledLimit(best, 0.4f);
  DrawLimits[3] = ScaledLimit(best, 0.2f);
  LogResults(target);
  ApplyFloors();
  if (FrameRateTarget == kSlowSystemTarget) {
    LogLine(u"Settings Overwritten, Set to Default Lower Limits at 30fps.");
  }
  LogLine(u"");
  DebugOverlayOn = 0;
  return 0;
}

}  // namespace engine
