// Drawing helpers shared by every picture: a float canvas, signed-distance
// shapes with smooth edges, and a small pixel face for lettering.
#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "data.h"

namespace data {

Colour Mix(const Colour& a, const Colour& b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
          a.a + (b.a - a.a) * t};
}

uint32_t PackArgb(const Colour& c) {
  auto byte = [](float v) {
    return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0f, 255.0f)));
  };
  return byte(c.a) << 24 | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
}

Picture::Picture(int32_t width, int32_t height, Colour fill)
    : width_(width), height_(height), pixels_(size_t(width) * size_t(height), fill) {}

void Picture::Paint(int32_t x0, int32_t y0, int32_t w, int32_t h,
                    const std::function<float(float, float)>& cover, const Colour& colour) {
  for (int32_t y = std::max(0, y0); y < std::min(height_, y0 + h); ++y) {
    for (int32_t x = std::max(0, x0); x < std::min(width_, x0 + w); ++x) {
      float amount = cover(static_cast<float>(x - x0) + 0.5f, static_cast<float>(y - y0) + 0.5f);
      if (amount <= 0) continue;
      Colour& pixel = At(x, y);
      float t = std::min(1.0f, amount) * colour.a / 255.0f;
      pixel = Mix(pixel, Colour{colour.r, colour.g, colour.b, 255}, t);
    }
  }
}

void Picture::Fill(int32_t x0, int32_t y0, int32_t w, int32_t h, const Colour& colour) {
  Paint(
      x0, y0, w, h, [](float, float) { return 1.0f; }, colour);
}

void Picture::Place(const Picture& cell, int32_t x, int32_t y) {
  for (int32_t j = 0; j < cell.Height(); ++j) {
    for (int32_t i = 0; i < cell.Width(); ++i) {
      if (x + i >= 0 && x + i < width_ && y + j >= 0 && y + j < height_) {
        At(x + i, y + j) = cell.At(i, j);
      }
    }
  }
}

platform::PixmapRef Picture::ToPixmap() const {
  platform::PixmapRef pixmap = fw_create_pixmap(width_, height_);
  for (int32_t y = 0; y < height_; ++y) {
    for (int32_t x = 0; x < width_; ++x) fw_write_pixel(pixmap, x, y, PackArgb(At(x, y)));
  }
  return pixmap;
}

Picture CellSheet(const std::vector<Picture>& cells, int32_t columns, int32_t total,
                  const Colour& rest) {
  const int32_t w = cells.front().Width(), h = cells.front().Height();
  const int32_t rows = (total + columns - 1) / columns;
  Picture sheet(w * columns, h * rows, rest);
  for (size_t i = 0; i < cells.size() && i < static_cast<size_t>(total); ++i) {
    sheet.Place(cells[i], static_cast<int32_t>(i % columns) * w,
                static_cast<int32_t>(i / columns) * h);
  }
  return sheet;
}

Picture Scaled(const Picture& picture, int32_t factor) {
  Picture out(picture.Width() * factor, picture.Height() * factor);
  for (int32_t y = 0; y < out.Height(); ++y) {
    for (int32_t x = 0; x < out.Width(); ++x) out.At(x, y) = picture.At(x / factor, y / factor);
  }
  return out;
}

void SavePictureIfMissing(const Picture& picture, const fs::path& path) {
  WriteNewFile(path, [&](platform::FileBeingSaved& file) {
    return platform::WritePixmapPng(picture.ToPixmap(), file, 9) == 1;
  });
}

// ---------------------------------------------------------------------------
// Signed distances
// ---------------------------------------------------------------------------

Shape Circle(float cx, float cy, float radius) {
  return [=](float x, float y) { return std::hypot(x - cx, y - cy) - radius; };
}

Shape Ellipse(float cx, float cy, float rx, float ry) {
  // First-order distance: the scaled radius over its gradient. Exact on the
  // outline and close enough near it, which is all the gradients need.
  return [=](float x, float y) {
    float u = (x - cx) / rx, v = (y - cy) / ry;
    float k = std::hypot(u, v);
    float gradient = std::hypot(u / rx, v / ry);
    return gradient > 0 ? k * (k - 1) / gradient : -std::min(rx, ry);
  };
}

Shape Box(float cx, float cy, float half_w, float half_h, float corner) {
  return [=](float x, float y) {
    float qx = std::fabs(x - cx) - half_w + corner, qy = std::fabs(y - cy) - half_h + corner;
    return std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f) -
           corner;
  };
}

namespace {
float SegmentDistance(float x, float y, float x0, float y0, float x1, float y1) {
  float dx = x1 - x0, dy = y1 - y0;
  float length = dx * dx + dy * dy;
  float t = length > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / length, 0.0f, 1.0f) : 0;
  return std::hypot(x - x0 - t * dx, y - y0 - t * dy);
}
}  // namespace

Shape Capsule(float x0, float y0, float x1, float y1, float radius) {
  return [=](float x, float y) { return SegmentDistance(x, y, x0, y0, x1, y1) - radius; };
}

Shape Polygon(std::vector<std::pair<float, float>> points) {
  return [points](float x, float y) {
    float nearest = 1e9f;
    bool inside = false;
    for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
      auto [xi, yi] = points[i];
      auto [xj, yj] = points[j];
      nearest = std::min(nearest, SegmentDistance(x, y, xi, yi, xj, yj));
      if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
    }
    return inside ? -nearest : nearest;
  };
}

Shape Star(float cx, float cy, int32_t points, float outer, float inner, float turn) {
  std::vector<std::pair<float, float>> corners;
  for (int32_t i = 0; i < points * 2; ++i) {
    float angle =
        turn + 3.14159265f * static_cast<float>(i) / static_cast<float>(points) - 3.14159265f / 2;
    float radius = i % 2 == 0 ? outer : inner;
    corners.push_back({cx + radius * std::cos(angle), cy + radius * std::sin(angle)});
  }
  return Polygon(corners);
}

Shape Union(std::vector<Shape> parts) {
  return [parts](float x, float y) {
    float d = 1e9f;
    for (const Shape& part : parts) d = std::min(d, part(x, y));
    return d;
  };
}

Shape Subtract(Shape body, Shape cut) {
  return [=](float x, float y) { return std::max(body(x, y), -cut(x, y)); };
}

Shape Intersect(Shape a, Shape b) {
  return [=](float x, float y) { return std::max(a(x, y), b(x, y)); };
}

Shape Ring(Shape shape, float half_thickness) {
  return [=](float x, float y) { return std::fabs(shape(x, y)) - half_thickness; };
}

float Coverage(float distance) { return std::clamp(0.5f - distance, 0.0f, 1.0f); }

void DrawShape(Picture& picture, int32_t x0, int32_t y0, int32_t w, int32_t h, const Shape& shape,
               const Colour& colour, float outline) {
  if (outline > 0) {
    picture.Paint(
        x0, y0, w, h, [&](float x, float y) { return Coverage(shape(x, y) - outline); }, kOutline);
  }
  picture.Paint(
      x0, y0, w, h, [&](float x, float y) { return Coverage(shape(x, y)); }, colour);
}

// ---------------------------------------------------------------------------
// Pixel lettering
// ---------------------------------------------------------------------------

namespace {

const std::map<char, std::array<const char*, 7>>& Glyphs() {
  static const std::map<char, std::array<const char*, 7>> glyphs = {
      {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
      {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "}},
      {'C', {" ####", "#    ", "#    ", "#    ", "#    ", "#    ", " ####"}},
      {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
      {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
      {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
      {'G', {" ####", "#    ", "#    ", "#  ##", "#   #", "#   #", " ####"}},
      {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
      {'I', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "#####"}},
      {'J', {"  ###", "    #", "    #", "    #", "#   #", "#   #", " ### "}},
      {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"}},
      {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"}},
      {'M', {"#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"}},
      {'N', {"#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"}},
      {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
      {'P', {"#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "}},
      {'Q', {" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"}},
      {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
      {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
      {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
      {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
      {'V', {"#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "}},
      {'W', {"#   #", "#   #", "#   #", "# # #", "# # #", "## ##", "#   #"}},
      {'X', {"#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"}},
      {'Y', {"#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "}},
      {'Z', {"#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"}},
      {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
      {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
      {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
      {'3', {"#### ", "    #", "    #", " ### ", "    #", "    #", "#### "}},
      {'4', {"#   #", "#   #", "#   #", "#####", "    #", "    #", "    #"}},
      {'5', {"#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "}},
      {'6', {" ### ", "#    ", "#    ", "#### ", "#   #", "#   #", " ### "}},
      {'7', {"#####", "    #", "   # ", "  #  ", "  #  ", "  #  ", "  #  "}},
      {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "}},
      {'9', {" ### ", "#   #", "#   #", " ####", "    #", "    #", " ### "}},
      {'!', {"  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "     ", "  #  "}},
      {'-', {"     ", "     ", "     ", "#####", "     ", "     ", "     "}},
  };
  return glyphs;
}

}  // namespace

float PixelTextWidth(const std::string& text, float dot, float spacing) {
  if (text.empty()) return 0;
  return static_cast<float>(text.size()) * (5 + spacing) * dot - spacing * dot;
}

void DrawPixelText(Picture& picture, const std::string& text, float x, float y, float dot,
                   const Colour& colour, float spacing) {
  for (char c : text) {
    auto glyph = Glyphs().find(c);
    if (glyph != Glyphs().end()) {
      for (int32_t row = 0; row < 7; ++row) {
        for (int32_t column = 0; column < 5; ++column) {
          if (glyph->second[row][column] != '#') continue;
          float left = x + column * dot, top = y + row * dot;
          picture.Paint(
              static_cast<int32_t>(std::floor(left)), static_cast<int32_t>(std::floor(top)),
              static_cast<int32_t>(std::ceil(dot)) + 1, static_cast<int32_t>(std::ceil(dot)) + 1,
              [&](float px, float py) {
                float ax = std::floor(left) + px, ay = std::floor(top) + py;
                return (ax >= left && ax < left + dot && ay >= top && ay < top + dot) ? 1.0f : 0.0f;
              },
              colour);
        }
      }
    }
    x += (5 + spacing) * dot;
  }
}

}  // namespace data
