// Filters.png: light and shade patterns in 64 x 64 cells, on the blue byte:
// 255 leaves a pixel as it is, lower values darken it (at full power a blue
// of 40 keeps about a seventh of the colour). Grey cells, so red never
// falls below 100 while green rises above it: no filter looks like a stop cell.
#include <algorithm>
#include <cmath>

#include "data.h"

namespace data {

namespace {

constexpr float kDarkest = 40;
// Periodic patterns use units of 8 cell pixels: one sprite pixel on an 8 x 8
// sprite, so stripes and dithers stay crisp at every size.
constexpr float kUnit = 8;

using Light = std::function<float(float u, float v, int32_t x, int32_t y)>;

float Smooth(float edge0, float edge1, float x) {
  float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
  return t * t * (3 - 2 * t);
}

float Distance(float u, float v, float cu, float cv) { return std::hypot(u - cu, v - cv); }

// Light falling from a point (cu, cv) of the cell, reaching `reach`.
Light From(float cu, float cv, float reach) {
  return [=](float u, float v, int32_t, int32_t) {
    return 1 - Smooth(0, reach, Distance(u, v, cu, cv));
  };
}

int32_t Unit(int32_t pixel) { return static_cast<int32_t>(static_cast<float>(pixel) / kUnit); }

constexpr float kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

std::vector<Light> AllLights() {
  return {
      [](float, float, int32_t, int32_t) { return 1.0f; },  // none
      From(0.5f, -0.3f, 1.5f),                              // from the top
      From(0.5f, 1.3f, 1.5f),                               // from the bottom
      From(-0.3f, 0.5f, 1.5f),                              // from the left
      From(1.3f, 0.5f, 1.5f),                               // from the right
      From(0, 0, 1.3f),                                     // top-left corner
      From(1, 0, 1.3f),                                     // top-right corner
      From(0, 1, 1.3f),                                     // bottom-left corner
      From(1, 1, 1.3f),                                     // bottom-right corner
      From(0.5f, 0.5f, 0.8f),                               // radial shade
      [](float u, float v, int32_t, int32_t) {              // dark centre
        return 0.25f + 0.75f * Smooth(0.05f, 0.6f, Distance(u, v, 0.5f, 0.5f));
      },
      [](float u, float v, int32_t, int32_t) {  // rim light
        float edge = std::max(std::fabs(u - 0.5f), std::fabs(v - 0.5f));
        return 0.35f + 0.65f * Smooth(0.28f, 0.48f, edge);
      },
      [](float u, float v, int32_t, int32_t) {  // sphere lit from the top-left
        return 1 - 0.9f * Smooth(0.0f, 0.95f, Distance(u, v, 0.32f, 0.28f));
      },
      [](float u, float, int32_t, int32_t) {  // upright cylinder
        return 0.2f + 0.8f * std::pow(std::sin(3.14159f * u), 0.6f);
      },
      [](float, float v, int32_t, int32_t) {  // lying cylinder
        return 0.2f + 0.8f * std::pow(std::sin(3.14159f * v), 0.6f);
      },
      [](float, float, int32_t, int32_t y) { return Unit(y) % 2 ? 0.55f : 1.0f; },  // stripes
      [](float, float, int32_t x, int32_t) { return Unit(x) % 2 ? 0.55f : 1.0f; },  // columns
      [](float, float, int32_t x, int32_t y) {  // diagonal stripes
        return (Unit(x + y) / 2) % 2 ? 0.55f : 1.0f;
      },
      [](float, float, int32_t x, int32_t y) {  // checker dither
        return (Unit(x) + Unit(y)) % 2 ? 0.6f : 1.0f;
      },
      [](float, float v, int32_t x, int32_t y) {  // dithered fade to the bottom
        float level = (kBayer[Unit(y) % 4][Unit(x) % 4] + 0.5f) / 16.0f;
        return level < 1 - v ? 1.0f : 0.35f;
      },
      [](float u, float v, int32_t, int32_t) {  // vignette
        float du = (u - 0.5f) * 2, dv = (v - 0.5f) * 2;
        return 1 - 0.85f * Smooth(0.55f, 1.45f, std::sqrt(du * du + dv * dv));
      },
      [](float u, float v, int32_t, int32_t) {  // rings
        return 0.6f + 0.4f * std::cos(Distance(u, v, 0.5f, 0.5f) * 6.2832f * 4);
      },
      [](float, float, int32_t, int32_t y) { return Unit(y * 2) % 2 ? 0.7f : 1.0f; },  // scanlines
      [](float u, float v, int32_t, int32_t) {  // bevel: lit top-left edges, shaded bottom-right
        float top_left = 1 - Smooth(0.0f, 0.18f, std::min(u, v));
        float bottom_right = 1 - Smooth(0.0f, 0.18f, std::min(1 - u, 1 - v));
        return std::clamp(0.75f + 0.25f * top_left - 0.55f * bottom_right, 0.0f, 1.0f);
      },
      From(0.5f, 0.0f, 0.9f),                   // spot light from above
      [](float, float, int32_t x, int32_t y) {  // speckle
        uint32_t h =
            static_cast<uint32_t>(Unit(x) * 73856093) ^ static_cast<uint32_t>(Unit(y) * 19349663);
        h = (h ^ (h >> 13)) * 0x5bd1e995u;
        return (h >> 8) % 3 == 0 ? 0.55f : 1.0f;
      },
      [](float u, float v, int32_t, int32_t) { return 1 - 0.85f * Smooth(0.1f, 1.9f, u + v); },
      [](float, float v, int32_t, int32_t) {  // glowing band across the middle
        return 0.3f + 0.7f * (1 - Smooth(0.0f, 0.4f, std::fabs(v - 0.5f)));
      },
      [](float u, float v, int32_t, int32_t) {  // waves
        return 0.6f + 0.4f * std::sin((v + 0.08f * std::sin(u * 6.2832f * 2)) * 6.2832f * 3);
      },
  };
}

Picture FilterCell(const Light& light) {
  Picture cell(64, 64);
  for (int32_t y = 0; y < 64; ++y) {
    for (int32_t x = 0; x < 64; ++x) {
      float u = (static_cast<float>(x) + 0.5f) / 64, v = (static_cast<float>(y) + 0.5f) / 64;
      float level = std::clamp(light(u, v, x, y), 0.0f, 1.0f);
      float blue = std::round(kDarkest + (255 - kDarkest) * level);
      cell.At(x, y) = {blue, blue, blue, 255};
    }
  }
  return cell;
}

}  // namespace

std::vector<Picture> FilterCells() {
  std::vector<Picture> cells;
  for (const Light& light : AllLights()) cells.push_back(FilterCell(light));
  return cells;
}

void MakeFilters(const fs::path& root) {
  if (Missing(root / "Filters.png")) SaveSheetWithStopCell(FilterCells(), root / "Filters.png");
}

}  // namespace data
