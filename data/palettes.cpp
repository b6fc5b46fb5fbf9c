// Palettes/: 16 x 16 images of 8 x 8 cells of 2 x 2 pixels, 64 colours each;
// a set of fewer colours repeats to fill the grid.
#include <algorithm>
#include <cmath>

#include "data.h"

namespace data {

namespace {

using Hex = std::vector<uint32_t>;

Colour FromHex(uint32_t rgb) {
  return {static_cast<float>(rgb >> 16 & 0xFF), static_cast<float>(rgb >> 8 & 0xFF),
          static_cast<float>(rgb & 0xFF), 255};
}

// `steps` colours evenly between the stops, in order.
Hex Ramp(const Hex& stops, int32_t steps) {
  Hex out;
  for (int32_t i = 0; i < steps; ++i) {
    float at = static_cast<float>(i) * static_cast<float>(stops.size() - 1) /
               static_cast<float>(steps - 1);
    size_t k = std::min(static_cast<size_t>(at), stops.size() - 2);
    Colour c = Mix(FromHex(stops[k]), FromHex(stops[k + 1]), at - static_cast<float>(k));
    out.push_back(PackArgb(c) & 0xFFFFFF);
  }
  return out;
}

// Hue in turns, chroma and value 0..1: a plain HSV colour.
uint32_t HsvHex(float hue, float saturation, float value) {
  auto channel = [&](float n) {
    float k = std::fmod(n + hue * 6, 6.0f);
    return value - value * saturation * std::clamp(std::min(k, 4 - k), 0.0f, 1.0f);
  };
  Colour c = {255 * channel(5), 255 * channel(3), 255 * channel(1), 255};
  return PackArgb(c) & 0xFFFFFF;
}

// A home console's look: twelve hues at four strengths, eight greys and
// eight earth and skin tones.
Hex ConsoleSet() {
  Hex out;
  const float strengths[4][2] = {{0.9f, 0.45f}, {0.85f, 0.75f}, {0.6f, 0.98f}, {0.28f, 1.0f}};
  for (const auto& [saturation, value] : strengths) {
    for (int32_t hue = 0; hue < 12; ++hue)
      out.push_back(HsvHex(static_cast<float>(hue) / 12, saturation, value));
  }
  Hex greys = Ramp({0x0A0A0A, 0xF8F8F8}, 8);
  out.insert(out.end(), greys.begin(), greys.end());
  for (uint32_t earth :
       {0x3C2414, 0x6A4226, 0x9A6A3C, 0xC89A64, 0xF0C8A0, 0xFFE4C8, 0x5A6E2C, 0x2C4A5A}) {
    out.push_back(earth);
  }
  return out;
}

Picture PalettePicture(const Hex& colours) {
  Picture picture(16, 16);
  for (int32_t i = 0; i < 64; ++i) {
    picture.Fill((i % 8) * 2, (i / 8) * 2, 2, 2,
                 FromHex(colours[static_cast<size_t>(i) % colours.size()]));
  }
  return picture;
}

struct Palette {
  const char* name;
  Hex colours;
};

std::vector<Palette> AllPalettes() {
  return {
      {"Console 8-Bit", ConsoleSet()},
      {"Handheld Green", {0x0F380F, 0x306230, 0x8BAC0F, 0x9BBC0F}},
      {"Four Colour Computer", {0x010101, 0x55FFFF, 0xFF55FF, 0xFFFFFF}},
      {"Pastels",
       Ramp({0xFFB3BA, 0xFFDFBA, 0xFFFFBA, 0xBAFFC9, 0xBAE1FF, 0xD7BAFF, 0xFFB3E6, 0xFFB3BA}, 64)},
      {"Greys", Ramp({0x060606, 0xFFFFFF}, 64)},
      {"Fire", Ramp({0x100004, 0x5A0808, 0xB01E08, 0xF05A0A, 0xFFA01E, 0xFFE050, 0xFFFFD0}, 64)},
      {"Ocean", Ramp({0x020A20, 0x06285A, 0x0A5A96, 0x1496BE, 0x50C8DC, 0xA0F0F0, 0xF0FFFF}, 64)},
      {"Forest",
       Ramp({0x0A1406, 0x1E3A12, 0x3C6A1E, 0x6A9A2E, 0xA6C452, 0x8A6A3A, 0x5A3A1E, 0xD8E6A0}, 64)},
      {"Sunset", Ramp({0x1A0A2E, 0x4A1650, 0x9A2A5A, 0xE0504A, 0xF8963C, 0xFCD27A}, 64)},
  };
}

}  // namespace

std::vector<Picture> PaletteCells() {
  std::vector<Picture> cells;
  for (const Palette& palette : AllPalettes()) cells.push_back(PalettePicture(palette.colours));
  return cells;
}

void MakePalettes(const fs::path& palettes) {
  for (const Palette& palette : AllPalettes()) {
    fs::path path = palettes / (std::string(palette.name) + ".png");
    if (Missing(path)) SavePictureIfMissing(PalettePicture(palette.colours), path);
  }
}

}  // namespace data
