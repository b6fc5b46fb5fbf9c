#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "platform/internal.h"
#include "platform/platform.h"
#include "platform/platform_stage.h"

namespace {

class RasterState : public platform_stage::PlatformCase {};
class RasterClear : public platform_stage::PlatformCase {};
class RasterBlend : public platform_stage::PlatformCase {};
class RasterPrimitives : public platform_stage::PlatformCase {};

uint32_t Pixel(int x, int y) {
  auto& buffer = platform::TheBackBuffer();
  return buffer.pixels[size_t(y) * buffer.width + x];
}

// Every pixel that differs from the clear colour.
std::set<std::pair<int, int>> Painted(uint32_t clear = 0xFF000000u) {
  auto& buffer = platform::TheBackBuffer();
  std::set<std::pair<int, int>> painted;
  for (int y = 0; y < buffer.height; ++y) {
    for (int x = 0; x < buffer.width; ++x) {
      if (Pixel(x, y) != clear) painted.insert({x, y});
    }
  }
  return painted;
}

std::set<std::pair<int, int>> Block(int x0, int y0, int w, int h) {
  std::set<std::pair<int, int>> block;
  for (int y = y0; y < y0 + h; ++y) {
    for (int x = x0; x < x0 + w; ++x) block.insert({x, y});
  }
  return block;
}

TEST_F(RasterState, StartsWhiteOpaqueAlphaBlendedUnrotated) {
  int32_t r, g, b;
  fw_get_color(r, g, b);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 255);
  EXPECT_EQ(b, 255);
  EXPECT_EQ(fw_get_alpha(), 1.0f);
  EXPECT_EQ(fw_get_blend(), 3);
  EXPECT_EQ(fw_get_rotation(), 0.0f);
  float sx, sy;
  fw_get_scale(sx, sy);
  EXPECT_EQ(sx, 1.0f);
  EXPECT_EQ(sy, 1.0f);
  fw_cls();
  EXPECT_TRUE(Painted().empty());
}

TEST_F(RasterState, GivesBackExactlyWhatWasSet) {
  fw_set_color(300, -5, 17);
  int32_t r, g, b;
  fw_get_color(r, g, b);
  EXPECT_EQ(r, 300);
  EXPECT_EQ(g, -5);
  EXPECT_EQ(b, 17);
  fw_set_blend(9);
  EXPECT_EQ(fw_get_blend(), 9);
  fw_set_rotation(33.5f);
  EXPECT_EQ(fw_get_rotation(), 33.5f);
}

TEST_F(RasterClear, ClearsEverythingDrawnAndFollowsColourChanges) {
  fw_set_cls_color(10, 20, 30);
  fw_cls();
  EXPECT_TRUE(Painted(0xFF0A141Eu).empty());
  fw_draw_rect(5, 5, 10, 10);
  fw_plot(700, 500);
  fw_draw_line(0, 599, 799, 0);
  fw_cls();
  EXPECT_TRUE(Painted(0xFF0A141Eu).empty());
  fw_set_cls_color(1, 2, 3);
  fw_cls();
  EXPECT_TRUE(Painted(0xFF010203u).empty());
  platform::ResizeBackBuffer(320, 200);
  fw_cls();
  EXPECT_TRUE(Painted(0xFF010203u).empty());
  fw_draw_rect(10, 10, 5, 5);
  platform::ResizeBackBuffer(320, 200);  // same size, reset to black
  fw_cls();
  EXPECT_TRUE(Painted(0xFF010203u).empty());
}

TEST_F(RasterPrimitives, PlotSetsThePixelAtTheFlooredCorner) {
  fw_cls();
  fw_set_color(255, 0, 0);
  fw_plot(3.7f, 4.2f);
  EXPECT_EQ(Painted(), Block(3, 4, 1, 1));
  EXPECT_EQ(Pixel(3, 4), 0xFFFF0000u);
  fw_plot(-1, 5);
  fw_plot(800, 5);
  EXPECT_EQ(Painted().size(), 1u);
}

TEST_F(RasterPrimitives, RectanglesCoverPixelCentresInside) {
  fw_cls();
  fw_draw_rect(10, 10, 5, 3);
  EXPECT_EQ(Painted(), Block(10, 10, 5, 3));
  fw_cls();
  fw_draw_rect(0.5f, 0.5f, 1, 1);
  EXPECT_EQ(Painted(), Block(0, 0, 1, 1));
  fw_cls();
  fw_draw_rect(-5, -5, 7, 7);
  EXPECT_EQ(Painted(), Block(0, 0, 2, 2));
}

TEST_F(RasterPrimitives, RectanglesTurnAndScaleAboutTheirCorner) {
  fw_cls();
  fw_set_scale(2, 3);
  fw_draw_rect(10, 10, 2, 2);
  EXPECT_EQ(Painted(), Block(10, 10, 4, 6));
  fw_cls();
  fw_set_scale(1, 1);
  fw_set_rotation(90);
  fw_draw_rect(20, 20, 4, 2);  // x axis turns down, y axis turns left
  EXPECT_EQ(Painted(), Block(18, 20, 2, 4));
  fw_cls();
  fw_set_rotation(30);
  fw_draw_rect(100, 100, 10, 10);
  auto painted = Painted();
  EXPECT_TRUE(painted.count({101, 106}));  // centre of the turned square
  EXPECT_FALSE(painted.count({106, 101}));
  EXPECT_NEAR(double(painted.size()), 100.0, 6.0);
}

TEST_F(RasterPrimitives, LinesWithAndWithoutTheirLastPixel) {
  fw_cls();
  fw_draw_line(2, 1, 6, 1, 1);
  EXPECT_EQ(Painted(), Block(2, 1, 5, 1));
  fw_cls();
  fw_draw_line(2, 1, 6, 1, 0);
  EXPECT_EQ(Painted(), Block(2, 1, 4, 1));
  fw_cls();
  fw_draw_line(0, 0, 3, 3);
  EXPECT_EQ(Painted(), (std::set<std::pair<int, int>>{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
  fw_cls();
  fw_set_rotation(90);
  fw_draw_line(10, 10, 14, 10);
  EXPECT_EQ(Painted(), Block(10, 10, 1, 5));
  fw_cls();
  fw_set_rotation(0);
  fw_draw_line(-1e9f, 300, 1e9f, 300);  // must not take billions of steps
  EXPECT_EQ(Painted(), Block(0, 300, 800, 1));
}

struct BlendCase {
  int32_t mode;
  float alpha;
  uint32_t expected;
};

TEST_F(RasterBlend, EveryModeOverGrey) {
  // Source (200, 100, 0) over destination (100, 100, 100).
  const BlendCase cases[] = {
      {1, 0.5f, 0xFFC86400u}, {1, 0.4f, 0xFF646464u}, {2, 0.2f, 0xFFC86400u},
      {9, 0.2f, 0xFFC86400u}, {3, 0.5f, 0xFF966432u}, {3, 0.0f, 0xFF646464u},
      {3, 1.0f, 0xFFC86400u}, {4, 0.5f, 0xFFC89664u}, {4, 1.0f, 0xFFFFC864u},
      {5, 0.3f, 0xFF4E2700u},
  };
  for (const BlendCase& c : cases) {
    fw_set_cls_color(100, 100, 100);
    fw_cls();
    fw_set_blend(c.mode);
    fw_set_alpha(c.alpha);
    fw_set_color(200, 100, 0);
    fw_draw_rect(1, 1, 1, 1);
    fw_plot(3, 1);
    fw_draw_line(5, 1, 5, 1);
    for (int x : {1, 3, 5}) {
      EXPECT_EQ(Pixel(x, 1), c.expected) << "mode " << c.mode << " alpha " << c.alpha;
    }
  }
}

TEST_F(RasterBlend, LightAddsUpToWhiteAndTheBufferStaysOpaque) {
  fw_set_cls_color(200, 200, 200);
  fw_cls();
  fw_set_blend(4);
  fw_set_color(100, 100, 100);
  fw_draw_rect(0, 0, 800, 600);
  EXPECT_TRUE(Painted(0xFFFFFFFFu).empty());
}

}  // namespace
