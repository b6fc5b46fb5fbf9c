// The slider and the toggle, driven with the mouse placed directly and the
// buttons pressed through the scripted host.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/engine_stage.h"
#include "tool/tool.h"

namespace {

using platform::InputEvent;

class WidgetsTest : public ::testing::Test {
 protected:
  WidgetsTest() {
    for (int32_t size = 0; size < 10; ++size) {
      engine::FontGrid[size] =
          fw_load_image_font(platform::FromUtf8(engine_stage::kFontPath), 10 + size, 4);
    }
  }
  // Places the pointer and sets the buttons as they are in this pass.
  void Mouse(int32_t x, int32_t y, bool left, bool right = false) {
    engine::MouseX = x;
    engine::MouseY = y;
    for (int32_t button : {1, 2}) {
      InputEvent event{};
      event.kind = (button == 1 ? left : right) ? InputEvent::kMouseDown : InputEvent::kMouseUp;
      event.code = button;
      event.x = float(x);
      event.y = float(y);
      stage_.host().Queue(event);
    }
  }
  uint32_t Pixel(int32_t x, int32_t y) { return fw_read_pixel(fw_grab_pixmap(x, y, 1, 1), 0, 0); }

  engine_stage::EngineStage stage_;
};

int32_t BaseHue(int32_t value) { return tool::DrawSlider(u"Base Hue", 80, 30, 0, 255, value); }

TEST_F(WidgetsTest, SliderDragFollowsMouseXAndClampsToItsRange) {
  Mouse(82, 50, true);
  EXPECT_EQ(BaseHue(99), 0);
  Mouse(231, 50, true);
  EXPECT_EQ(BaseHue(0), 255);
  Mouse(150, 50, true);
  EXPECT_EQ(BaseHue(0), (150 - 82) * 255 / 148);
  EXPECT_EQ(tool::MouseConsumed, 0);  // a drag goes on while the button stays held
}

TEST_F(WidgetsTest, SliderRightButtonPicksMinimumMiddleOrMaximum) {
  Mouse(100, 50, false, true);
  EXPECT_EQ(BaseHue(40), 0);
  Mouse(150, 50, false, true);
  EXPECT_EQ(BaseHue(40), 127);
  Mouse(210, 50, false, true);
  EXPECT_EQ(BaseHue(40), 255);
  Mouse(128, 50, false, true);  // between the preset spots
  EXPECT_EQ(BaseHue(40), 40);
}

TEST_F(WidgetsTest, SliderIgnoresTheMouseWhileAMenuIsOpenOrThePressIsUsed) {
  Mouse(150, 50, true);
  tool::UiState = tool::kUiSettingsMenu;
  EXPECT_EQ(BaseHue(7), 7);
  tool::UiState = tool::kUiIdle;
  tool::MouseConsumed = 1;
  EXPECT_EQ(BaseHue(7), 7);
  Mouse(150, 200, true);  // below the bar
  tool::MouseConsumed = 0;
  EXPECT_EQ(BaseHue(7), 7);
}

TEST_F(WidgetsTest, AroundZeroSliderFillsEitherSideOfItsZeroLine) {
  Mouse(0, 0, false);
  constexpr uint32_t kBlack = 0xFF000000u, kRed = 0xFFFF7878u, kBlue = 0xFF7878FFu;
  fw_cls();
  tool::DrawSlider(u"Hue Offset", 80, 269, -255, 255, -100);
  const int32_t row = 269 + 20;
  EXPECT_EQ(Pixel(80 + 76, row), 0xFFFFFFFFu);  // the zero line
  EXPECT_EQ(Pixel(80 + 76 - 29, row), kRed);
  EXPECT_EQ(Pixel(80 + 76 - 1, row), kRed);
  EXPECT_EQ(Pixel(80 + 76 - 30, row), kBlack);
  fw_cls();
  tool::DrawSlider(u"Hue Offset", 80, 269, -255, 255, 100);
  EXPECT_EQ(Pixel(80 + 76, row), kBlue);
  EXPECT_EQ(Pixel(80 + 76 + 28, row), kBlue);
  EXPECT_EQ(Pixel(80 + 76 + 29, row), kBlack);
}

// Where a pixel of the band around a slider at (x, y) may differ from the
// clear colour: the label, the strip with its bar only on the 150-pixel track
// and its number only in the grey box, and the zero line, which ends one row
// below the strip.
::testing::AssertionResult PaintsOnlyItsOwnArea(const platform::PixmapRef& band, int32_t x,
                                                int32_t y, int32_t zero_column) {
  constexpr uint32_t kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu;
  constexpr uint32_t kBarColours[] = {kBlack, kWhite, 0xFF7878FFu, 0xFFFF7878u};
  bool number_shown = false;
  for (int32_t py = 0; py < band->height; ++py) {
    for (int32_t px = 0; px < band->width; ++px) {
      const uint32_t pixel = fw_read_pixel(band, px, py);
      const int32_t dx = px - x, dy = py - y;
      const bool rows = dy >= 13 && dy <= 26;
      bool fits = pixel == fw_read_pixel(band, 0, 0);
      if (dx >= 0 && dx < 200 && dy >= 0 && dy < 12) fits = true;  // label
      if (dx >= 0 && dx < 200 && dy >= 12 && dy < 28) fits = pixel == kBlack || pixel == kWhite;
      if (dx >= 1 && dx <= 150 && rows) fits = std::ranges::count(kBarColours, pixel) == 1;
      if (dx == zero_column && dy == 28) fits = fits || pixel == kWhite;
      if (dx >= 154 && dx < 199 && rows) {
        fits = true;
        number_shown = number_shown || pixel != 0xFF787878u;
      }
      if (!fits) return ::testing::AssertionFailure() << "paints " << dx << ", " << dy;
    }
  }
  if (!number_shown) return ::testing::AssertionFailure() << "shows no number";
  return ::testing::AssertionSuccess();
}

TEST_F(WidgetsTest, AnyStoredValueIsReturnedAsItCameAndDrawnInsideItsSlider) {
  constexpr int32_t kX = 80, kY = 269, kBandTop = kY - 20;
  Mouse(0, 0, false);
  fw_set_cls_color(30, 60, 90);
  for (auto [min, max] : {std::pair{0, 255}, {1, 16}, {-255, 255}, {-16, 16}}) {
    const int32_t zero_column = min < 0 ? 1 + -min * 150 / (max - min) : -1;
    for (int32_t value : {INT32_MIN, INT32_MAX, min - 1, max + 1, -1000000, 999999, min, max}) {
      fw_cls();
      EXPECT_EQ(tool::DrawSlider(u"Light Randomness", kX, kY, min, max, value), value);
      EXPECT_TRUE(PaintsOnlyItsOwnArea(fw_grab_pixmap(0, kBandTop, 800, 70), kX, kY - kBandTop,
                                       zero_column))
          << min << ".." << max << " holding " << value;
    }
  }
}

TEST_F(WidgetsTest, FramesSliderKeepsItsUntouchedZeroAndAPressGivesOneToSixteen) {
  Mouse(0, 0, false);
  fw_cls();
  EXPECT_EQ(tool::DrawSlider(u"Frames", 80, 100, 1, 16, 0), 0);
  EXPECT_EQ(Pixel(81, 120), 0xFF000000u);  // empty bar
  for (int32_t x = 81; x <= 231; x += 10) {
    Mouse(x, 120, true);
    const int32_t frames = tool::DrawSlider(u"Frames", 80, 100, 1, 16, 0);
    EXPECT_GE(frames, 1);
    EXPECT_LE(frames, 16);
  }
}

TEST_F(WidgetsTest, ToggleStepsOncePerPressAndWrapsAfterItsMaximum) {
  int32_t value = 0;
  std::vector<int32_t> seen;
  for (int32_t press = 0; press < 3; ++press) {
    for (int32_t held_pass = 0; held_pass < 4; ++held_pass) {
      Mouse(90, 200, true);
      value = tool::DrawToggle(u"Mirror Left/Right", 80, 186, value, 2);
    }
    seen.push_back(value);
    Mouse(90, 200, false);
    tool::MouseConsumed = 0;  // what the loop does when the button is up
    value = tool::DrawToggle(u"Mirror Left/Right", 80, 186, value, 2);
  }
  EXPECT_EQ(seen, (std::vector<int32_t>{1, 2, 0}));
}

// A damaged preset may hold any value; one click must bring it back.
TEST_F(WidgetsTest, ToggleOutsideItsValuesBecomesZeroAtTheNextClick) {
  for (int32_t stored : {7, -2, INT32_MIN, INT32_MAX}) {
    Mouse(90, 200, true);
    tool::MouseConsumed = 0;
    EXPECT_EQ(tool::DrawToggle(u"Flip X", 80, 186, stored, 2), 0) << stored;
    EXPECT_EQ(tool::MouseConsumed, 1);
  }
}

}  // namespace
