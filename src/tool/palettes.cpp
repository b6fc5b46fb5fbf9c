// Palettes: 64 colours the generator snaps its pixels to, read from an image
// in Palettes/ or made at random, and the swatch shown on the Palette button.
#include <algorithm>
#include <iterator>

#include "engine/engine.h"
#include "tool.h"

namespace tool {

int32_t PaletteTable[512] = {};
Text PaletteNames[128];
int32_t PaletteCount = 0;
int32_t PaletteOn = 0;
int32_t PaletteSwatchImage = 0;

namespace {

// The sampling positions reach pixel (14, 14).
constexpr int32_t kSmallestPaletteSide = 15;

struct Rgb {
  int32_t red, green, blue;
};

void StoreColour(int32_t column, int32_t row, Rgb colour) {
  const int32_t i = row * 8 + column;
  PaletteTable[i] = 255;
  PaletteTable[128 + i] = colour.red;
  PaletteTable[256 + i] = colour.green;
  PaletteTable[384 + i] = colour.blue;
}

// Fills the swatch cell of a colour with four opaque pixels.
void PaintSwatchCell(const platform::PixmapRef& swatch, int32_t column, int32_t row, Rgb colour) {
  const uint32_t argb = 0xFF000000u | uint32_t(colour.red) << 16 | uint32_t(colour.green) << 8 |
                        uint32_t(colour.blue);
  for (int32_t dy = 0; dy < 2; ++dy) {
    for (int32_t dx = 0; dx < 2; ++dx) fw_write_pixel(swatch, 2 * column + dx, 2 * row + dy, argb);
  }
}

// A new swatch whose colours come from `pick`, called column by column and
// row by row within each column.
template <class Pick>
void MakeSwatch(Pick pick) {
  rt_replace_handle(PaletteSwatchImage, fw_create_image(16, 16, 9, -1));
  platform::PixmapRef swatch = fw_lock_image(PaletteSwatchImage, 0, 1, 1);
  for (int32_t column = 0; column < 8; ++column) {
    for (int32_t row = 0; row < 8; ++row) {
      const Rgb colour = pick();
      StoreColour(column, row, colour);
      PaintSwatchCell(swatch, column, row, colour);
    }
  }
  fw_unlock_image(PaletteSwatchImage, 0);
}

// One of 0, 16, 32 ... 240, or 255 for the top draw.
int32_t RandomChannel() { return std::min(fw_rand_int(0, 16) * 16, 255); }

void MakeRandomPalette() {
  MakeSwatch([] {
    const int32_t red = RandomChannel();
    const int32_t green = RandomChannel();
    return Rgb{red, green, RandomChannel()};
  });
}

bool IsReadablePalette(int32_t image) {
  return image != 0 && fw_image_width(image) >= kSmallestPaletteSide &&
         fw_image_height(image) >= kSmallestPaletteSide;
}

void SampleLoadedPalette() {
  platform::PixmapRef pixels = fw_lock_image(PaletteSwatchImage, 0, 1, 1);
  for (int32_t column = 0; column < 8; ++column) {
    for (int32_t row = 0; row < 8; ++row) {
      const uint32_t argb = fw_read_pixel(pixels, 2 * column, 2 * row);
      StoreColour(column, row,
                  Rgb{int32_t(argb >> 16 & 0xFF), int32_t(argb >> 8 & 0xFF), int32_t(argb & 0xFF)});
    }
  }
  fw_unlock_image(PaletteSwatchImage, 0);
}

void LoadNamedPalette(const Text& name) {
  engine::AddNotice(u"Loaded Palette : " + name, 1);
  engine::FolderTrip trip;
  const bool in_palettes = trip.Go(kPalettesFolder) == 1;
  PaletteOn = 1;
  rt_replace_handle(PaletteSwatchImage, in_palettes ? fw_load_image(name + u".png", 9) : 0);
  if (IsReadablePalette(PaletteSwatchImage)) {
    SampleLoadedPalette();
  } else {
    // The notice above has already named the file; say what came of it.
    engine::AddNotice(u"Could not read " + name + u".png : Random Palette", 1);
    MakeRandomPalette();
  }
}

}  // namespace

int32_t SelectPalette(int32_t index) {
  UiState = kUiIdle;
  MouseConsumed = 1;
  if (index < 0) return 0;
  if (index == 0) {
    engine::AddNotice(u"No Specific Palette", 1);
    PaletteOn = 0;
    MakeSwatch([] { return Rgb{0, 0, 0}; });
  } else if (index <= PaletteCount && index < int32_t(std::size(PaletteNames))) {
    LoadNamedPalette(PaletteNames[index]);
  } else {
    PaletteOn = 1;
    engine::AddNotice(u"Random Palette", 1);
    MakeRandomPalette();
  }
  return 0;
}

}  // namespace tool
