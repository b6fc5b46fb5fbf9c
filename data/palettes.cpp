// Palettes/: 16 x 16 images of 8 x 8 cells of 2 x 2 pixels, 64 colours each;
// a set of fewer colours repeats to fill the grid.
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
      // An 8-bit home console's look: four rows of hues by brightness.
      {"Console 8-Bit",
       {0x7C7C7C, 0x0000FC, 0x0000BC, 0x4428BC, 0x940084, 0xA80020, 0xA81000, 0x881400,
        0x503000, 0x007800, 0x006800, 0x005800, 0x004058, 0x010101, 0xBCBCBC, 0x0078F8,
        0x0058F8, 0x6844FC, 0xD800CC, 0xE40058, 0xF83800, 0xE45C10, 0xAC7C00, 0x00B800,
        0x00A800, 0x00A844, 0x008888, 0xF8F8F8, 0x3CBCFC, 0x6888FC, 0x9878F8, 0xF878F8,
        0xF85898, 0xF87858, 0xFCA044, 0xF8B800, 0xB8F818, 0x58D854, 0x58F898, 0x00E8D8,
        0x787878, 0xFCFCFC, 0xA4E4FC, 0xB8B8F8, 0xD8B8F8, 0xF8B8F8, 0xF8A4C0, 0xF0D0B0,
        0xFCE0A8, 0xF8D878, 0xD8F878, 0xB8F8B8, 0xB8F8D8, 0x00FCFC, 0xF8D8F8, 0x2C2C2C,
        0x3C1C00, 0x5C3C18, 0x8C5C2C, 0xC08850, 0xE8B888, 0x183C5C, 0x2C6088, 0x5890C0}},
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
