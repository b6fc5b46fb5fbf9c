// The sprite generator: HSL colours, the draw order, the layer passes, the
// filter, Average, palette snap and preview, and the inputs it guards.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <set>
#include <vector>

#include "engine/engine.h"
#include "tool/tool.h"
#include "tool/tool_stage.h"

namespace {

using namespace tool;

constexpr int32_t kSeed = 4242;

uint32_t Rgb(int32_t hue, int32_t sat, int32_t light) {
  SetColourFromHsl(hue, sat, light);
  int32_t r = 0, g = 0, b = 0;
  fw_get_color(r, g, b);
  return uint32_t(r << 16 | g << 8 | b);
}

// The painted colour of an HSL triple: black is painted as (1, 1, 1).
uint32_t Painted(int32_t hue, int32_t sat, int32_t light) {
  const uint32_t rgb = Rgb(hue, sat, light);
  return 0xff000000u | (rgb == 0 ? 0x010101u : rgb);
}

TEST(SetColourFromHsl, KnownColours) {
  EXPECT_EQ(Rgb(30, 200, 100), 0xb28415u);   // (178, 132, 21)
  EXPECT_EQ(Rgb(128, 128, 128), 0x40bebfu);  // (64, 190, 191)
  EXPECT_EQ(Rgb(0, 255, 127), 0xfe0000u);    // q just above 254 / 255
  EXPECT_EQ(Rgb(456, 255, 127), 0u);         // every position at or past 0.6666
}

TEST(SetColourFromHsl, LightnessEndsIgnoreHueAndSaturation) {
  for (int32_t hue : {0, 77, 200, 255})
    for (int32_t sat : {0, 128, 255}) {
      EXPECT_EQ(Rgb(hue, sat, 255), 0xffffffu) << hue << " " << sat;
      EXPECT_EQ(Rgb(hue, sat, 0), 0u) << hue << " " << sat;
    }
}

// A run stage with hand-made sheets: shape cells 0 white, 1 black, 2 white
// on the left half only; filter cells whose blue bytes are 255, 5 and 0.
class Generator : public ::testing::Test {
 protected:
  void SetUp() override {
    FreshStart();
    fw_set_auto_mid_handle(1);
    ShapesImage = MakeSheet(3, [](int32_t cell, int32_t x, int32_t) {
      const bool white = cell == 0 || (cell == 2 && x < 32);
      return white ? 0xffffffffu : 0xff000000u;
    });
    ShapeCount = 2;
    FiltersImage = MakeSheet(4, [](int32_t cell, int32_t, int32_t) {
      const uint32_t blue[] = {255, 255, 5, 0};
      return 0xff808000u | blue[cell];
    });
    FilterCount = 3;
    LayerImage = fw_create_image(128, 128, 10, 9);
    PreviewImage = fw_create_image(128, 128, 128, 9);
    BlankScreenImage = fw_create_image(800, 600, 1, -1);
    SpriteSeed = kSeed;
    Resize(8, 8);
  }

  template <class Paint>
  static int32_t MakeSheet(int32_t cells, Paint paint) {
    const int32_t sheet = fw_create_image(64, 64, cells, 8);
    for (int32_t cell = 0; cell < cells; ++cell) {
      const platform::PixmapRef pixels = fw_lock_image(sheet, cell);
      for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 64; ++x) fw_write_pixel(pixels, x, y, paint(cell, x, y));
      fw_unlock_image(sheet, cell);
    }
    return sheet;
  }

  static void Resize(int32_t width, int32_t height) {
    SpriteWidth = width;
    SpriteHeight = height;
    SpriteImage = fw_create_image(width, height, 128, 9);
  }

  static int32_t& Layer(int32_t layer, int32_t offset) {
    return ToolSettings[200 * layer + offset];
  }

  static std::vector<uint32_t> Pixels(int32_t image, int32_t frame, int32_t width, int32_t height) {
    const platform::PixmapRef pixels = fw_lock_image(image, frame, 1, 0);
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) out.push_back(fw_read_pixel(pixels, x, y));
    return out;
  }
  static std::vector<uint32_t> Sprite(int32_t frame = 0) {
    return Pixels(SpriteImage, frame, SpriteWidth, SpriteHeight);
  }
  static std::vector<uint32_t> LayerFrame(int32_t layer) {
    return Pixels(LayerImage, layer, SpriteWidth, SpriteHeight);
  }
  static int32_t Opaque(const std::vector<uint32_t>& pixels) {
    return int32_t(std::count_if(pixels.begin(), pixels.end(), [](uint32_t p) { return p != 0; }));
  }

  // Layers 1 to 3 with every kind of setting, as a user would make them.
  static void TypicalSettings() {
    ToolSettings[11] = 90, ToolSettings[12] = 180, ToolSettings[13] = 110;
    ToolSettings[14] = ToolSettings[15] = ToolSettings[16] = 20;
    ToolSettings[20] = 8;
    for (int32_t layer = 1; layer <= 3; ++layer) {
      Layer(layer, 0) = 1;
      Layer(layer, 1) = layer % 3;
      Layer(layer, 2) = (layer + 1) % 3;
      Layer(layer, 3) = 30 + 10 * layer;
      Layer(layer, 4) = 15;
      Layer(layer, 11) = 25 * layer;
      Layer(layer, 17) = Layer(layer, 18) = Layer(layer, 19) = 12;
      Layer(layer, 21) = 2, Layer(layer, 22) = 50, Layer(layer, 23) = 1;
      Layer(layer, 31) = -2, Layer(layer, 32) = 30, Layer(layer, 34) = 1;
      Layer(layer, 41) = 1;
      Layer(layer, 44) = 2, Layer(layer, 45) = 2;
      Layer(layer, 50) = layer, Layer(layer, 52) = 40;
    }
  }
};

// An independent re-computation of layer 1 on its own, with movement and
// flips off: the draw order written out step by step.
struct Model {
  int32_t mirror_x = 0, mirror_y = 0;
  std::function<bool(int32_t, int32_t)> bright = [](int32_t, int32_t) { return true; };
};

std::vector<uint32_t> ModelLayerOne(const Model& model, int32_t* placed = nullptr) {
  const int32_t w = SpriteWidth, h = SpriteHeight;
  auto around = [](int32_t k) { return fw_rand_int(-ToolSettings[k], ToolSettings[k]); };
  fw_seed_rnd(SpriteSeed);
  int32_t hue = ToolSettings[11] + around(14);
  int32_t sat = ToolSettings[12] + around(15);
  int32_t light = ToolSettings[13] + around(16);
  const int32_t coin = fw_rand_int(0, 1);
  fw_seed_rnd(SpriteSeed + 200);
  hue += ToolSettings[211] + around(214);
  sat = std::clamp(sat + ToolSettings[212] + around(215), 0, 255);
  light = std::clamp(light + ToolSettings[213] + around(216), 0, 255);
  hue = hue % 256 < 0 ? 256 - hue % 256 : hue % 256;
  const int32_t area = w * h / (model.mirror_x == 1 ? 2 : 1) / (model.mirror_y == 1 ? 2 : 1);
  const int32_t v = std::clamp(2 * ToolSettings[203] + around(204), -1000, 230);
  const int32_t count = std::max(v, 0) * area / 100;
  const int32_t jitter = fw_rand_int(0, 12);
  fw_rand_int(0, 1), fw_rand_int(0, 1);
  if (ToolSettings[241] != 0) fw_rand_int(0, ShapeCount);
  if (ToolSettings[251] != 0) fw_rand_int(0, FilterCount);
  const bool copy_x = model.mirror_x == 1 || (model.mirror_x == 2 && coin == 1);
  const bool copy_y = model.mirror_y == 1 || (model.mirror_y == 2 && coin == 1);
  std::vector<uint32_t> out(size_t(w * h), 0);
  if (ToolSettings[203] >= 110) out.assign(out.size(), Painted(hue, sat, light));
  for (int32_t i = 0; i < count; ++i) {
    const int32_t ph = ((hue + around(217)) % 256 + 256) % 256;
    const int32_t ps = std::clamp(sat + around(218), 0, 255);
    const int32_t pl = std::clamp(light + around(219), 0, 255);
    int32_t x = 0, y = 0;
    for (int32_t attempt = 1; attempt <= 61; ++attempt) {
      x = fw_rand_int(0, w - 1);
      y = fw_rand_int(0, h - 1);
      const int32_t sx = std::clamp(x * 64 / w + fw_rand_int(-jitter, jitter), 0, 63);
      const int32_t sy = std::clamp(y * 64 / h + fw_rand_int(-jitter, jitter), 0, 63);
      if (model.mirror_x == 1 && x > w / 2 - 1) x = w - x;
      if (model.mirror_y == 1 && y > h / 2 - 1) y = h - y;
      if (model.bright(sx, sy)) break;
    }
    fw_rand_int(0, 100);
    for (int32_t draw = 0; draw < 8; ++draw) fw_rand_int(0, 1);  // unused movement amplitudes
    const uint32_t colour = Painted(ph, ps, pl);
    auto plot = [&](int32_t px, int32_t py) { out[size_t(py * w + px)] = colour; };
    plot(x, y);
    if (copy_x) plot(w - 1 - x, y);
    if (copy_y) plot(x, h - 1 - y);
    if (copy_x && copy_y) plot(w - 1 - x, h - 1 - y);
  }
  if (placed) *placed = count;
  return out;
}

void SimpleLayerOne(int32_t amount, int32_t randomness) {
  ToolSettings[11] = 40, ToolSettings[12] = 200, ToolSettings[13] = 120;
  ToolSettings[14] = 30;
  ToolSettings[200] = 1;
  ToolSettings[203] = amount;
  ToolSettings[204] = randomness;
  ToolSettings[217] = 60, ToolSettings[218] = 40, ToolSettings[219] = 40;
}

TEST_F(Generator, LayerOneFollowsTheDrawOrderExactly) {
  Resize(16, 8);
  SimpleLayerOne(40, 20);
  GenerateSpriteFrame(0, 0);
  int32_t placed = 0;
  EXPECT_EQ(Sprite(), ModelLayerOne(Model{}, &placed));
  EXPECT_GT(placed, 0);
}

TEST_F(Generator, AmountHundredTwentyOnEightByEightPlaces147Pixels) {
  SimpleLayerOne(120, 0);
  GenerateSpriteFrame(0, 0);
  int32_t placed = 0;
  EXPECT_EQ(Sprite(), ModelLayerOne(Model{}, &placed));
  EXPECT_EQ(placed, 147);
}

TEST_F(Generator, MirrorOnHalvesAndFoldsIntoTheFirstHalf) {
  Resize(16, 16);
  SimpleLayerOne(60, 0);
  Layer(1, 1) = 1;
  GenerateSpriteFrame(0, 0);
  int32_t placed = 0;
  const std::vector<uint32_t> sprite = Sprite();
  EXPECT_EQ(sprite, ModelLayerOne(Model{1, 0}, &placed));
  EXPECT_EQ(placed, 120 * 128 / 100);
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 16; ++x) EXPECT_EQ(sprite[y * 16 + x], sprite[y * 16 + 15 - x]);
}

TEST_F(Generator, RandomMirrorFollowsTheOneCoin) {
  SimpleLayerOne(60, 0);
  Layer(1, 1) = 2;
  Layer(1, 2) = 2;
  for (int32_t seed : {1, 2, 3, 4, 5, 6}) {
    SpriteSeed = seed;
    GenerateSpriteFrame(0, 0);
    EXPECT_EQ(Sprite(), ModelLayerOne(Model{2, 2})) << seed;
  }
}

TEST_F(Generator, DarkShapeCellStillYieldsEveryPixelAtItsLastTry) {
  SimpleLayerOne(30, 0);
  Layer(1, 40) = 1;
  GenerateSpriteFrame(0, 0);
  Model model;
  model.bright = [](int32_t, int32_t) { return false; };
  int32_t placed = 0;
  EXPECT_EQ(Sprite(), ModelLayerOne(model, &placed));
  EXPECT_EQ(placed, 60 * 64 / 100);
}

// A change to the draw order or the colour arithmetic must show here.
TEST_F(Generator, GoldenFrame) {
  Resize(8, 8);
  SimpleLayerOne(50, 10);
  Layer(1, 40) = 2;
  GenerateSpriteFrame(0, 0);
  Model model;
  model.bright = [](int32_t sx, int32_t) { return sx < 32; };
  const std::vector<uint32_t> expected = ModelLayerOne(model);
  ASSERT_EQ(Sprite(), expected);
  uint32_t checksum = 2166136261u;
  for (uint32_t pixel : expected) checksum = (checksum ^ pixel) * 16777619u;
  EXPECT_EQ(checksum, 2266987510u);
}

TEST_F(Generator, AmountZeroPlacesNothing) {
  SimpleLayerOne(0, 0);
  GenerateSpriteFrame(0, 0);
  EXPECT_EQ(Opaque(LayerFrame(1)), 0);
  EXPECT_EQ(Opaque(Sprite()), 0);
}

TEST_F(Generator, AmountHundredTenFillsTheWholeSprite) {
  ToolSettings[12] = 200, ToolSettings[13] = 100;
  Layer(1, 0) = 1, Layer(1, 3) = 110;
  GenerateSpriteFrame(0, 0);
  const std::vector<uint32_t> sprite = Sprite();
  EXPECT_EQ(std::set<uint32_t>(sprite.begin(), sprite.end()),
            std::set<uint32_t>{Painted(0, 200, 100)});
}

// Hue 10 - 40 wraps to 256 + 30 = 286 for the layer (its fill), while a
// pixel's own hue wraps to 30; the next layer starts from 286, which its own
// wrap brings to 30.
TEST_F(Generator, NegativeLayerHueWrapsAbove255) {
  Resize(16, 16);
  ToolSettings[11] = 10, ToolSettings[12] = 200, ToolSettings[13] = 100;
  for (int32_t layer : {1, 2}) Layer(layer, 0) = 1, Layer(layer, 3) = 110;
  Layer(1, 11) = -40;
  GenerateSpriteFrame(0, 0);
  const std::vector<uint32_t> first = LayerFrame(1), second = LayerFrame(2);
  EXPECT_EQ(std::set<uint32_t>(first.begin(), first.end()),
            (std::set<uint32_t>{Painted(286, 200, 100), Painted(30, 200, 100)}));
  EXPECT_EQ(std::set<uint32_t>(second.begin(), second.end()),
            std::set<uint32_t>{Painted(30, 200, 100)});
}

TEST_F(Generator, SwitchingALayerOffKeepsTheOthersInPlace) {
  Resize(16, 16);
  TypicalSettings();
  for (int32_t layer = 1; layer <= 3; ++layer) Layer(layer, 52) = 0, Layer(layer, 41) = 0;
  GenerateSpriteFrame(0, 0);
  const std::vector<uint32_t> before = LayerFrame(3);
  Layer(2, 0) = 0;
  GenerateSpriteFrame(0, 0);
  const std::vector<uint32_t> after = LayerFrame(3);
  bool colour_changed = false;
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(before[i] == 0, after[i] == 0) << i;
    colour_changed = colour_changed || before[i] != after[i];
  }
  EXPECT_TRUE(colour_changed);
}

TEST_F(Generator, SameSeedAndSettingsGiveIdenticalFrames) {
  Resize(24, 16);
  TypicalSettings();
  ToolSettings[21] = 1;
  GenerateSpriteFrame(3, 0);
  const std::vector<uint32_t> sprite = Sprite(3);
  const std::vector<uint32_t> preview = Pixels(PreviewImage, 3, 128, 128);
  const std::vector<int32_t> settings(ToolSettings, ToolSettings + 3200);
  EXPECT_GT(Opaque(sprite), 0);
  GenerateSpriteFrame(3, 0);
  EXPECT_EQ(Sprite(3), sprite);
  EXPECT_EQ(Pixels(PreviewImage, 3, 128, 128), preview);
  EXPECT_EQ(std::vector<int32_t>(ToolSettings, ToolSettings + 3200), settings);
}

TEST_F(Generator, FramesDifferOnlyByMovement) {
  Resize(16, 16);
  TypicalSettings();
  for (int32_t layer = 1; layer <= 3; ++layer) Layer(layer, 22) = Layer(layer, 32) = 0;
  GenerateSpriteFrame(0, 0);
  GenerateSpriteFrame(5, 0);
  EXPECT_EQ(Sprite(0), Sprite(5));
  Layer(1, 22) = 100, Layer(1, 21) = 6;
  GenerateSpriteFrame(5, 0);
  EXPECT_NE(Sprite(0), Sprite(5));
}

TEST_F(Generator, RandomShapeAndFilterAreDrawnAndKept) {
  SimpleLayerOne(10, 0);
  Layer(1, 41) = 1, Layer(1, 51) = 1;
  fw_seed_rnd(kSeed + 200);
  for (int32_t draw = 0; draw < 7; ++draw) fw_rand_int(0, 0);
  const int32_t shape = fw_rand_int(0, ShapeCount);
  const int32_t filter = fw_rand_int(0, FilterCount);
  GenerateSpriteFrame(0, 0);
  EXPECT_EQ(Layer(1, 40), shape);
  EXPECT_EQ(Layer(1, 50), filter);
}

TEST_F(Generator, FilterScalesByBlueAndPower) {
  ToolSettings[12] = 200, ToolSettings[13] = 100;
  Layer(1, 0) = 1, Layer(1, 3) = 110;
  const uint32_t plain = Painted(0, 200, 100);
  struct Case {
    int32_t filter, power;
    uint32_t expected;
  };
  const Case cases[] = {
      {1, 100, plain},        // blue 255: factor 1
      {2, 100, 0xff000002u},  // blue 5: factor 0, blue kept off 0
      {3, 100, 0xff000002u},  // blue 0: factor clamped to 0
      {0, 100, plain},        // no filter
      {2, 0, plain},          // no power
  };
  for (const Case& c : cases) {
    Layer(1, 50) = c.filter, Layer(1, 52) = c.power;
    GenerateSpriteFrame(0, 0);
    EXPECT_EQ(LayerFrame(1), std::vector<uint32_t>(64, c.expected)) << c.filter << " " << c.power;
  }
}

// The mean of the visible 3 x 3 block, written straight from its definition.
std::vector<uint32_t> Averaged(const std::vector<uint32_t>& in, int32_t w, int32_t h) {
  std::vector<uint32_t> out(in.size(), 0);
  for (int32_t x = 0; x < w; ++x)
    for (int32_t y = 0; y < h; ++y) {
      uint32_t sum[4] = {}, count = 0;
      for (int32_t nx = std::max(x - 1, 0); nx <= std::min(x + 1, w - 1); ++nx)
        for (int32_t ny = std::max(y - 1, 0); ny <= std::min(y + 1, h - 1); ++ny) {
          const uint32_t p = in[size_t(ny * w + nx)];
          if ((p >> 24) <= 50) continue;
          for (int32_t c = 0; c < 4; ++c) sum[c] += (p >> (24 - 8 * c)) & 0xff;
          ++count;
        }
      if (count == 0) continue;
      const uint32_t own_alpha = in[size_t(y * w + x)] >> 24;
      const uint32_t alpha = own_alpha < 50 ? sum[0] / (3 * count) : sum[0] / count;
      out[size_t(y * w + x)] =
          alpha << 24 | (sum[1] / count) << 16 | (sum[2] / count) << 8 | sum[3] / count;
    }
  return out;
}

TEST_F(Generator, AverageSoftensHolesToAThirdOfTheAlpha) {
  Resize(16, 16);
  SimpleLayerOne(75, 0);
  GenerateSpriteFrame(0, 0);
  const std::vector<uint32_t> composite = Sprite();
  ToolSettings[21] = 1;
  GenerateSpriteFrame(0, 0);
  const std::vector<uint32_t> averaged = LayerFrame(1);
  EXPECT_EQ(averaged, Averaged(composite, 16, 16));
  int32_t holes = 0;
  for (int32_t x = 1; x < 15; ++x)
    for (int32_t y = 1; y < 15; ++y) {
      bool hole = composite[size_t(y * 16 + x)] == 0;
      for (int32_t dx = -1; dx <= 1; ++dx)
        for (int32_t dy = -1; dy <= 1; ++dy)
          if (dx || dy) hole = hole && composite[size_t((y + dy) * 16 + x + dx)] != 0;
      if (!hole) continue;
      ++holes;
      EXPECT_EQ(averaged[size_t(y * 16 + x)] >> 24, 85u);
    }
  EXPECT_GT(holes, 0);
}

TEST_F(Generator, PaletteSnapPrefersTheLowerIndexOnATie) {
  ToolSettings[12] = 200, ToolSettings[13] = 100;
  Layer(1, 0) = 1, Layer(1, 3) = 110;
  const uint32_t plain = Painted(0, 200, 100);
  const int32_t r = int32_t(plain >> 16 & 0xff), g = int32_t(plain >> 8 & 0xff);
  const int32_t b = int32_t(plain & 0xff);
  for (int32_t i = 0; i < 64; ++i)
    PaletteTable[128 + i] = 255 - r, PaletteTable[256 + i] = 255 - g,
                       PaletteTable[384 + i] = 255 - b;
  PaletteTable[128 + 3] = r - 10, PaletteTable[256 + 3] = g, PaletteTable[384 + 3] = b;
  PaletteTable[128 + 7] = r, PaletteTable[256 + 7] = g, PaletteTable[384 + 7] = b + 10;
  PaletteOn = 1;
  GenerateSpriteFrame(0, 0);
  const uint32_t snapped = 0xff000000u | uint32_t((r - 10) << 16 | g << 8 | b);
  EXPECT_EQ(Sprite(), std::vector<uint32_t>(64, snapped));
}

TEST_F(Generator, WideSpritePreviewIsEnlargedTwice) {
  Resize(64, 8);
  SimpleLayerOne(50, 0);
  GenerateSpriteFrame(2, 0);
  EXPECT_EQ(PreviewScale, 2);
  const std::vector<uint32_t> sprite = Sprite(2);
  const std::vector<uint32_t> preview = Pixels(PreviewImage, 2, 128, 128);
  for (int32_t y = 0; y < 128; ++y)
    for (int32_t x = 0; x < 128; ++x) {
      const uint32_t expected = y < 16 ? sprite[size_t(y / 2 * 64 + x / 2)] : 0u;
      ASSERT_EQ(preview[size_t(y * 128 + x)], expected) << x << " " << y;
    }
}

TEST_F(Generator, LeavesTheGeneratorSeededForTheNextSprite) {
  fw_seed_rnd(kSeed + 2000);
  const int32_t expected = platform::RandomState();
  TypicalSettings();
  GenerateSpriteFrame(0, 0);
  EXPECT_EQ(platform::RandomState(), expected);
  Layer(10, 0) = 1, Layer(10, 3) = 80;  // a foreign preset's tenth layer
  GenerateSpriteFrame(1, 0);
  EXPECT_EQ(platform::RandomState(), expected);
  EXPECT_EQ(fw_image_frames(LayerImage), 10);
}

TEST_F(Generator, SizeOutsideTheCanvasPaintsNothing) {
  TypicalSettings();
  fw_seed_rnd(kSeed + 2000);
  const int32_t expected = platform::RandomState();
  for (const auto& size :
       {std::pair{0, 8}, std::pair{8, 0}, std::pair{200, 8}, std::pair{-8, -8}}) {
    SpriteWidth = size.first, SpriteHeight = size.second;
    fw_seed_rnd(1);
    GenerateSpriteFrame(0, 0);
    EXPECT_EQ(platform::RandomState(), expected);
  }
  EXPECT_EQ(Opaque(Pixels(PreviewImage, 0, 128, 128)), 0);
}

TEST_F(Generator, MissingSheetsReadAsDark) {
  ShapesImage = ShapeCount = FiltersImage = FilterCount = 0;
  SimpleLayerOne(30, 0);
  Layer(1, 41) = Layer(1, 51) = 1;
  Layer(1, 52) = 100;
  GenerateSpriteFrame(0, 0);
  Model model;
  model.bright = [](int32_t, int32_t) { return false; };
  EXPECT_EQ(Sprite(), ModelLayerOne(model));
  EXPECT_EQ(Layer(1, 50), 0);  // drawn from 0 to 0: no filter pass
}

// Settings from a foreign preset may hold anything; none of it may crash,
// overflow or write outside the images.
TEST_F(Generator, ForeignSettingsStayInsideTheImages) {
  const int32_t extremes[] = {INT32_MIN, -256, -1, 0, 1, 2, 63, 110, 255, INT32_MAX};
  const int32_t sizes[] = {1, 3, 8, 16, 128};
  const int32_t read[] = {0,  1,  2,  3,  4,  11, 12, 13, 14, 15, 16, 17, 18, 19, 21, 22,
                          23, 24, 25, 31, 32, 33, 34, 35, 40, 41, 44, 45, 50, 51, 52};
  std::mt19937 chooser(5);
  for (int32_t round = 0; round < 24; ++round) {
    const auto pick = [&] { return extremes[chooser() % 10]; };
    for (int32_t global : {11, 12, 13, 14, 15, 16, 20, 21}) ToolSettings[global] = pick();
    for (int32_t layer = 1; layer <= 10; ++layer)
      for (int32_t offset : read) Layer(layer, offset) = pick();
    for (int32_t layer = 1; layer <= 10; ++layer)
      if (chooser() % 2) Layer(layer, 0) = 1;
    const int32_t size = sizes[round % 5];
    if (size == 128)  // one busy layer is enough at full size
      for (int32_t layer = 2; layer <= 10; ++layer) Layer(layer, 0) = 0;
    Resize(size, sizes[(round / 5) % 4]);
    SpriteSeed = pick();
    GenerateSpriteFrame(round % 128, pick());
    ASSERT_GE(PreviewScale, 1);
  }
}

// The real sheets and images of the tool's set-up, with every layer on.
class GeneratorOnTheToolStage : public Generator {
 protected:
  void SetUp() override {}
};

TEST_F(GeneratorOnTheToolStage, PaintsTheSameBusySpriteTwice) {
  tool_stage::ToolStage stage;
  stage.SetUpTool();
  stage.StartWorkingState(777);
  Resize(32, 32);
  for (int32_t layer = 1; layer <= 9; ++layer) {
    Layer(layer, 0) = 1, Layer(layer, 1) = layer % 3, Layer(layer, 3) = 15 + 5 * layer;
    Layer(layer, 4) = 10, Layer(layer, 11) = 30, Layer(layer, 17) = 20;
    Layer(layer, 41) = Layer(layer, 51) = 1, Layer(layer, 52) = 50;
    Layer(layer, 22) = 60, Layer(layer, 21) = 3;
  }
  ToolSettings[12] = 180, ToolSettings[13] = 120, ToolSettings[20] = 4, ToolSettings[21] = 1;
  SelectPalette(PaletteCount + 1);
  ASSERT_GT(ShapeCount, 0);
  ASSERT_GT(FilterCount, 0);
  GenerateSpriteFrame(1, 0);
  const std::vector<uint32_t> first = Pixels(SpriteImage, 1, 32, 32);
  EXPECT_GT(Opaque(first), 32 * 32 / 4);
  GenerateSpriteFrame(1, 0);
  EXPECT_EQ(Pixels(SpriteImage, 1, 32, 32), first);
  EXPECT_EQ(PreviewScale, 4);
}

}  // namespace
