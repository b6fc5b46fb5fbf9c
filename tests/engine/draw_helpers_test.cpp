#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "engine/engine.h"
#include "fresh_start.h"

namespace {

using namespace engine;

struct Scale {
  float x, y;
};

Scale CurrentScale() {
  Scale s{};
  fw_get_scale(s.x, s.y);
  return s;
}

uint32_t PixelAt(int32_t x, int32_t y) { return fw_read_pixel(fw_grab_pixmap(x, y, 1, 1), 0, 0); }

class DrawHelpers : public ::testing::Test {
 protected:
  void SetUp() override {
    FreshStart();
    fw_set_auto_mid_handle(1);
  }

  // A 4 x 4 opaque white image.
  static int32_t WhiteSquare() {
    int32_t image = fw_create_image(4, 4, 1, 0);
    auto pixels = fw_lock_image(image);
    for (int32_t y = 0; y < 4; ++y)
      for (int32_t x = 0; x < 4; ++x) fw_write_pixel(pixels, x, y, 0xFFFFFFFFu);
    return image;
  }
};

TEST_F(DrawHelpers, ScaleTakesTheXFactorForAnOmittedY) {
  SetScaleXY(2.0f);
  EXPECT_EQ(CurrentScale().y, 2.0f);
  SetScaleXY(2.0f, -37171648.0f);
  EXPECT_EQ(CurrentScale().y, 2.0f);
  SetScaleXY(2.0f, 3.0f);
  EXPECT_EQ(CurrentScale().x, 2.0f);
  EXPECT_EQ(CurrentScale().y, 3.0f);
}

TEST_F(DrawHelpers, ColourIsClampedAndTruncatedAndAlphaKeptWhenOmitted) {
  fw_set_alpha(0.5f);
  SetColourAlpha(300.0f, -5.0f, 127.9f);
  int32_t r, g, b;
  fw_get_color(r, g, b);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(b, 127);
  EXPECT_EQ(fw_get_alpha(), 0.5f);

  SetColourAlpha(0, 0, 0, 0);
  fw_get_color(r, g, b);
  EXPECT_EQ(r + g + b, 0);
  EXPECT_EQ(fw_get_alpha(), 0.0f);
  SetColourAlpha(10, 10, 10, 2.5f);
  EXPECT_EQ(fw_get_alpha(), 1.0f);
}

TEST_F(DrawHelpers, BlendKindsMapToPlatformModesAndOthersChangeNothing) {
  const int32_t expected[] = {2, 3, 5, 4};
  for (int32_t kind = 0; kind < 4; ++kind) {
    SetBlendKind(kind);
    EXPECT_EQ(fw_get_blend(), expected[kind]);
  }
  SetBlendKind(7);
  SetBlendKind(-1);
  EXPECT_EQ(fw_get_blend(), 4);
}

TEST_F(DrawHelpers, ResetRestoresTheDefaultState) {
  SetAngle(30.0f);
  SetScaleXY(3.0f);
  SetColourAlpha(1, 2, 3, 0.25f);
  SetBlendKind(0);
  ResetDrawState();
  int32_t r, g, b;
  fw_get_color(r, g, b);
  EXPECT_EQ(r + g + b, 3 * 255);
  EXPECT_EQ(fw_get_rotation(), 0.0f);
  EXPECT_EQ(CurrentScale().x, 1.0f);
  EXPECT_EQ(fw_get_alpha(), 1.0f);
  EXPECT_EQ(fw_get_blend(), 3);
}

TEST_F(DrawHelpers, ClampsApplyTheUpperBoundFirst) {
  EXPECT_EQ(ClampInt(5, 10, 0), 10);
  EXPECT_EQ(ClampInt(-3, 0, 9), 0);
  EXPECT_EQ(ClampInt(12, 0, 9), 9);
  EXPECT_EQ(ClampFloat(-1.0f, 0.0f, 255.0f), 0.0f);
  EXPECT_EQ(ClampFloat(2.0f, 1.0f, 0.0f), 1.0f);
}

TEST_F(DrawHelpers, SelectFontFallsBackToFamilyOneAndSizeZero) {
  const char* file = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "no TrueType font installed";
  // Every slot gets a font of its own pixel size, so widths tell them apart.
  for (int32_t index = 0; index < 30; ++index)
    FontGrid[index] = fw_load_image_font(platform::FromUtf8(file), 8 + index, 4);
  auto width_of = [](int32_t index) {
    fw_set_image_font(FontGrid[index]);
    return fw_text_width(u"Wide text");
  };
  SelectFont(0, 3);
  EXPECT_EQ(fw_text_width(u"Wide text"), width_of(3));
  SelectFont(2, 9);
  EXPECT_EQ(fw_text_width(u"Wide text"), width_of(10));
  SelectFont(3, 8);
  EXPECT_EQ(fw_text_width(u"Wide text"), width_of(28));
  FontGrid[5] = 0;  // an empty slot draws in the built-in font
  SelectFont(1, 5);
  const int32_t built_in = fw_text_width(u"Wide text");
  fw_set_image_font(0);
  EXPECT_EQ(built_in, fw_text_width(u"Wide text"));
}

// The leftmost and topmost lit pixel of the back buffer.
void FirstLitPixel(int32_t& left, int32_t& top) {
  auto screen = fw_grab_pixmap(0, 0, 800, 600);
  left = top = -1;
  for (int32_t y = 0; y < 600; ++y)
    for (int32_t x = 0; x < 800; ++x)
      if ((fw_read_pixel(screen, x, y) & 0xFFFFFF) != 0) {
        if (left < 0 || x < left) left = x;
        if (top < 0) top = y;
      }
}

TEST_F(DrawHelpers, AlignedTextShiftsByHalfOrWholeUnscaledSize) {
  const Text text = u"Mmm text";
  const int32_t width = fw_text_width(text), height = fw_text_height();
  ASSERT_GT(width, 1);
  int32_t left0, top0, left, top;
  DrawTextAligned(300, 300, text, 0, 0);
  FirstLitPixel(left0, top0);
  ASSERT_GE(left0, 0);
  const struct {
    int32_t h, v, dx, dy;
  } cases[] = {{1, 1, width / 2, height / 2}, {2, 2, width, height}, {5, -1, 0, 0}};
  for (const auto& c : cases) {
    fw_cls();
    SetScaleXY(1.0f);
    DrawTextAligned(300, 300, text, c.h, c.v);
    FirstLitPixel(left, top);
    EXPECT_EQ(left0 - left, c.dx) << c.h;
    EXPECT_EQ(top0 - top, c.dy) << c.v;
  }
}

TEST_F(DrawHelpers, MouseInRectIsStrictOnAllSides) {
  for (int32_t p = 8; p <= 16; ++p) {
    MouseX = MouseY = p;
    EXPECT_EQ(MouseInRect(10, 10, 5, 5), p >= 11 && p <= 14 ? 1 : 0) << p;
    MouseY = 12;
    EXPECT_EQ(MouseInRect(10, 10, 5, 5), p >= 11 && p <= 14 ? 1 : 0) << p;
  }
  MouseX = MouseY = 0;
  PrevMouseX = PrevMouseY = 12;
  EXPECT_EQ(PrevMouseInRect(10, 10, 5, 5), 1);
  EXPECT_EQ(MouseInRect(10, 10, 5, 5), 0);
}

TEST_F(DrawHelpers, CountedSpritesStopAtTheLimitUntilTheNextFrame) {
  const int32_t image = WhiteSquare();
  DrawLimits[1] = 3;
  for (int32_t x : {10, 20, 30, 40}) DrawSpriteCounted(image, x, 10, 0, 1);
  EXPECT_EQ(DrawCounts[1], 3);
  EXPECT_EQ(PixelAt(30, 10) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(PixelAt(40, 10) & 0xFFFFFF, 0u);

  BeginFrame(0);
  EXPECT_EQ(DrawCounts[1], 0);
  DrawSpriteCounted(image, 40, 10, 0, 1);
  EXPECT_EQ(PixelAt(40, 10) & 0xFFFFFF, 0xFFFFFFu);
  BeginFrame(1);
  EXPECT_EQ(PixelAt(40, 10) & 0xFFFFFF, 0u);
}

TEST_F(DrawHelpers, CountedSpriteCornerFollowsTheScale) {
  const int32_t image = WhiteSquare();
  SetScaleXY(2.0f);
  DrawSpriteCounted(image, 100, 100, 0, 1);
  EXPECT_EQ(PixelAt(99, 100) & 0xFFFFFF, 0u);
  EXPECT_EQ(PixelAt(100, 100) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(PixelAt(107, 107) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(PixelAt(108, 107) & 0xFFFFFF, 0u);
}

TEST_F(DrawHelpers, SlowSystemSkipsGlowOnHiddenFramesUntilACountedDraw) {
  const int32_t image = WhiteSquare();
  EngineSettings[kSlowSystemSetting] = 1;
  FrameSkipPhase = 1;
  DrawGlowSprite(image, 10, 10, 0, 0, 2.0f, 0.5f);
  EXPECT_EQ(DrawCounts[1] + DrawCounts[2], 0);
  EXPECT_EQ(PixelAt(11, 11) & 0xFFFFFF, 0u);

  DrawSpriteCounted(image, 50, 50, 0, 1);
  EXPECT_EQ(DrawCounts[1], 1);
  EXPECT_EQ(EngineSettings[kSlowSystemSetting], 0);
  DrawGlowSprite(image, 10, 10, 0, 0, 2.0f, 0.5f);
  EXPECT_EQ(DrawCounts[1], 2);
  EXPECT_EQ(DrawCounts[2], 1);
}

TEST_F(DrawHelpers, GlowDrawsPastASpentMainBudgetAndRestoresTheState) {
  const int32_t image = WhiteSquare();
  DrawLimits[1] = 0;
  SetScaleXY(1.5f, 2.0f);
  fw_set_alpha(0.5f);
  SetBlendKind(2);
  DrawGlowSpriteB(image, 10, 10, 0, 0, 2.0f, 1.0f);
  EXPECT_EQ(DrawCounts[1], 0);
  EXPECT_EQ(DrawCounts[2], 1);
  EXPECT_EQ(CurrentScale().x, 1.5f);
  EXPECT_EQ(CurrentScale().y, 2.0f);
  EXPECT_EQ(fw_get_alpha(), 0.5f);
  EXPECT_EQ(fw_get_blend(), 5);
  // The additive copy, twice as large about the sprite's centre.
  EXPECT_NE(PixelAt(8, 8) & 0xFFFFFF, 0u);

  DrawLimits[2] = 1;
  DrawGlowSprite(image, 10, 10, 0, 0, 2.0f, 1.0f);
  EXPECT_EQ(DrawCounts[2], 1);
}

TEST_F(DrawHelpers, BackdropEasesAndSnapsToItsTarget) {
  BackdropTarget[2] = 0.2f;
  BackdropColour[2] = 0.204f;
  DrawStripedBackdrop();
  EXPECT_EQ(BackdropColour[2], 0.2f);

  BackdropTarget[0] = 0.0f;
  BackdropColour[0] = 1.0f;
  for (int call = 1; call <= 82; ++call) DrawStripedBackdrop();
  EXPECT_GT(BackdropColour[0], 0.0f);
  DrawStripedBackdrop();
  EXPECT_EQ(BackdropColour[0], 0.0f);
}

TEST_F(DrawHelpers, BackdropStripesRunToTheHeightInclusiveAndEndInTheResetState) {
  // (250, 250) lies only on the stripe that starts at 3 x 190, the 20th,
  // drawn with brightness 45.
  VirtualHeight = 190;
  DrawStripedBackdrop();
  EXPECT_EQ(PixelAt(250, 250), 0xFF2D0009u);
  fw_cls();
  VirtualHeight = 189;
  DrawStripedBackdrop();
  EXPECT_EQ(PixelAt(250, 250), 0xFF000000u);
  EXPECT_EQ(fw_get_rotation(), 0.0f);
  EXPECT_EQ(fw_get_blend(), 3);
}

}  // namespace
