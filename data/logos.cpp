// The two engine logos, the tool's logo, the badges and the checkerboard
// behind the preview. Logos and badges are loaded masked: black is see-through.
#include <cmath>

#include "data.h"

namespace data {

namespace {

// Paints a shape row by row with a colour running from `top` to `bottom`.
void DrawGradientShape(Picture& picture, const Shape& shape, const Colour& top,
                       const Colour& bottom, float outline) {
  const int32_t w = picture.Width(), h = picture.Height();
  picture.Paint(
      0, 0, w, h, [&](float x, float y) { return Coverage(shape(x, y) - outline); }, kOutline);
  for (int32_t row = 0; row < h; ++row) {
    Colour colour = Mix(top, bottom, static_cast<float>(row) / static_cast<float>(h));
    picture.Paint(
        0, row, w, 1,
        [&](float x, float y) { return Coverage(shape(x, y + static_cast<float>(row))); }, colour);
  }
}

// Lettering with a drop shadow, centred on cx.
void DrawTitle(Picture& picture, const std::string& text, float cx, float y, float dot,
               const Colour& colour) {
  float x = cx - PixelTextWidth(text, dot) / 2;
  DrawPixelText(picture, text, x + dot * 0.6f, y + dot * 0.6f, dot, {20, 10, 30, 255});
  DrawPixelText(picture, text, x, y, dot, colour);
}

// A feather's vane from (x0, y0) to (x1, y1): narrow at both ends, widest
// two thirds of the way up.
Shape Feather(float x0, float y0, float x1, float y1, float width) {
  const float dx = x1 - x0, dy = y1 - y0, length = std::hypot(dx, dy);
  const float nx = -dy / length, ny = dx / length;
  std::vector<std::pair<float, float>> left, right;
  for (int32_t i = 0; i <= 20; ++i) {
    float t = 0.12f + 0.88f * static_cast<float>(i) / 20;
    float half = width * std::pow(std::sin(3.14159f * std::pow(t, 1.6f)), 0.8f);
    left.push_back({x0 + dx * t + nx * half, y0 + dy * t + ny * half});
    right.push_back({x0 + dx * t - nx * half * 0.8f, y0 + dy * t - ny * half * 0.8f});
  }
  left.insert(left.end(), right.rbegin(), right.rend());
  return Polygon(left);
}

Picture EngineLogo() {
  Picture logo(512, 256);
  DrawGradientShape(logo, Box(256, 128, 244, 110, 34), {70, 40, 130, 255}, {25, 15, 60, 255}, 4);
  // A quill: a vane tapering along a straight spine, its nib at the lower left.
  const float nib_x = 372, nib_y = 222, tip_x = 470, tip_y = 28;
  DrawShape(logo, 0, 0, 512, 256, Feather(nib_x, nib_y, tip_x, tip_y, 30), {235, 225, 250, 255}, 3);
  DrawShape(logo, 0, 0, 512, 256, Capsule(nib_x, nib_y, tip_x, tip_y, 2.5f), {150, 120, 200, 255});
  DrawShape(logo, 0, 0, 512, 256,
            Polygon({{nib_x - 5, nib_y - 4}, {362, 244}, {nib_x + 5, nib_y + 2}}),
            {255, 210, 90, 255});
  DrawTitle(logo, "QUILL", 178, 48, 10, {255, 214, 90, 255});
  DrawTitle(logo, "RETRO", 178, 138, 10, {120, 220, 255, 255});
  return logo;
}

Picture SiteLogo() {
  Picture logo(512, 256);
  DrawGradientShape(logo, Box(256, 128, 244, 100, 20), {20, 60, 70, 255}, {10, 25, 35, 255}, 4);
  const Colour tiles[] = {{240, 90, 80, 255},  {250, 180, 60, 255},  {90, 200, 110, 255},
                          {70, 160, 240, 255}, {250, 250, 240, 255}, {170, 100, 230, 255},
                          {60, 210, 200, 255}, {240, 120, 180, 255}, {200, 220, 90, 255}};
  for (int32_t i = 0; i < 9; ++i) {
    float cx = 70 + static_cast<float>(i % 3) * 44, cy = 84 + static_cast<float>(i / 3) * 44;
    DrawShape(logo, 0, 0, 512, 256, Box(cx, cy, 19, 19, 6), tiles[i], 2);
  }
  DrawTitle(logo, "VANTILE", 345, 90, 6, {240, 250, 255, 255});
  DrawTitle(logo, "GAMES", 345, 150, 4, {90, 210, 200, 255});
  return logo;
}

Picture ToolLogo() {
  Picture logo(256, 64);
  DrawGradientShape(logo, Box(128, 32, 124, 28, 12), {60, 120, 200, 255}, {20, 40, 90, 255}, 2);
  DrawTitle(logo, "SPRITE TOOL", 128, 21, 3, {255, 240, 160, 255});
  return logo;
}

Picture Checkerboard() {
  Picture board(128, 128);
  for (int32_t y = 0; y < 128; ++y) {
    for (int32_t x = 0; x < 128; ++x) {
      float grey = ((x / 8 + y / 8) % 2) ? 104 : 152;
      board.At(x, y) = {grey, grey, grey, 255};
    }
  }
  return board;
}

Colour Hue(float turn) {
  auto channel = [&](float offset) { return 140 + 110 * std::cos(6.2831853f * (turn + offset)); };
  return {channel(0), channel(2.0f / 3), channel(1.0f / 3), 255};
}

Picture Badge(int32_t number) {
  Picture cell(64, 64);
  Colour colour = Hue(static_cast<float>(number) / 16.0f);
  Colour light = Mix(colour, {255, 255, 255, 255}, 0.55f);
  DrawShape(cell, 0, 0, 64, 64,
            Union({Polygon({{18, 38}, {30, 42}, {22, 62}, {16, 56}}),
                   Polygon({{46, 38}, {34, 42}, {42, 62}, {48, 56}})}),
            Mix(colour, {0, 0, 0, 255}, 0.3f), 1.5f);
  DrawShape(cell, 0, 0, 64, 64, Circle(32, 27, 24), light, 2);
  DrawShape(cell, 0, 0, 64, 64, Circle(32, 27, 18), colour);
  std::string text = std::to_string(number);
  DrawTitle(cell, text, 32, 27 - 3.5f * 3, 3, {255, 255, 255, 255});
  return cell;
}

}  // namespace

std::vector<Picture> BadgeCells() {
  std::vector<Picture> cells;
  for (int32_t n = 1; n <= 16; ++n) cells.push_back(Badge(n));
  return cells;
}

void MakeLogos(const fs::path& common, const fs::path& week) {
  SavePictureIfMissing(EngineLogo(), common / "logo.png");
  SavePictureIfMissing(SiteLogo(), common / "Vantile.png");
  SavePictureIfMissing(ToolLogo(), week / "logo.png");
  SavePictureIfMissing(Checkerboard(), week / "transparent.png");
}

void MakeBadges(const fs::path& week) {
  if (Missing(week / "badges.png"))
    SavePictureIfMissing(CellSheet(BadgeCells(), 4, 16, {}), week / "badges.png");
}

}  // namespace data
