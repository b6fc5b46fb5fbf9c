// Pinned output of the generator and both spritesheet builders for busy
// settings drawn from fixed seeds: every layer on, random mirrors, flips,
// shapes and filters, movement, Average and a palette. The checksums were
// taken once; any change in a pixel, a random draw or a float reading shows
// as a different checksum, and the pictures it covers are then written to
// golden-failures/ in the build folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tool/tool_stage.h"

namespace {

using namespace tool;

// A picture a checksum was taken over, kept so that a failure can show it.
struct Picture {
  int32_t width, height;
  std::vector<uint32_t> pixels;
};

using PictureRows = std::vector<std::vector<Picture>>;
constexpr int32_t kPictureGap = 2;
constexpr uint32_t kGrey = 0xff808080u;

// The pictures row by row, a gap after each, on a grey ground.
platform::PixmapRef ContactSheet(const PictureRows& rows) {
  int32_t width = 0, height = 0;
  std::vector<int32_t> row_heights;
  for (const std::vector<Picture>& row : rows) {
    int32_t row_width = 0, row_height = 0;
    for (const Picture& picture : row) {
      row_width += picture.width + kPictureGap;
      row_height = std::max(row_height, picture.height);
    }
    width = std::max(width, row_width);
    height += row_height + kPictureGap;
    row_heights.push_back(row_height);
  }
  platform::PixmapRef sheet = fw_create_pixmap(width, height);
  if (!sheet) return sheet;
  platform::PixelWrite write(*sheet);
  std::ranges::fill(write.All(), kGrey);
  int32_t top = 0;
  for (size_t r = 0; r < rows.size(); ++r) {
    int32_t left = 0;
    for (const Picture& picture : rows[r]) {
      for (int32_t y = 0; y < picture.height; ++y) {
        const auto from = picture.pixels.begin() + ptrdiff_t(y) * picture.width;
        std::copy(from, from + picture.width, write.Row(top + y) + left);
      }
      left += picture.width + kPictureGap;
    }
    top += row_heights[r] + kPictureGap;
  }
  return sheet;
}

// Writes the pictures as one PNG in golden-failures/ under the build folder,
// named after the case and the checksum; gives its path.
std::string SavePictures(const PictureRows& rows, uint64_t sum) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::filesystem::path folder = std::filesystem::path(QUILL_BINARY_DIR) / "golden-failures";
  std::filesystem::create_directories(folder);
  const std::filesystem::path path = folder / (std::string(test->test_suite_name()) + "." +
                                               test->name() + "-" + std::to_string(sum) + ".png");
  if (fw_save_pixmap_png(ContactSheet(rows), platform::FromUtf8(path.string()), 9) == 0)
    return "(none: " + path.string() + " could not be written)";
  return path.string();
}

// 64-bit FNV-1a over 32-bit values, low byte first. The pictures it covers
// are kept in rows, one row per frame of an animation.
class Checksum {
 public:
  void Add(uint32_t value) {
    for (int32_t shift = 0; shift < 32; shift += 8) {
      hash_ ^= (value >> shift) & 0xffu;
      hash_ *= 0x100000001b3ull;
    }
  }
  void Add(const std::vector<uint32_t>& values) {
    for (uint32_t value : values) Add(value);
  }
  void AddPicture(int32_t width, int32_t height, const std::vector<uint32_t>& pixels) {
    Add(pixels);
    if (rows_.empty()) NextRow();
    if (pixels.size() == size_t(width) * size_t(height))
      rows_.back().push_back({width, height, pixels});
  }
  void AddFrame(int32_t image, int32_t frame) {
    const platform::PixmapRef pixels = fw_lock_image(image, frame, 1, 0);
    AddPicture(pixels->width, pixels->height, pixels->pixels);
    fw_unlock_image(image, frame);
  }
  void NextRow() { rows_.emplace_back(); }
  uint64_t value() const { return hash_; }

  // Writes the pictures for a failure to show; gives where they went.
  std::string WritePictures() const { return SavePictures(rows_, hash_); }

 private:
  uint64_t hash_ = 0xcbf29ce484222325ull;
  PictureRows rows_;
};

// Settings drawn from `seed` with a generator whose sequence the C++
// standard fixes, so the same settings come out everywhere.
class BusySettings {
 public:
  explicit BusySettings(uint32_t seed) : draw_(seed) {}

  void Apply(int32_t frames) {
    for (int32_t& value : ToolSettings) value = 0;
    for (int32_t index : {11, 12, 13}) ToolSettings[index] = Between(0, 255);
    for (int32_t index : {14, 15, 16}) ToolSettings[index] = Between(0, 40);
    ToolSettings[20] = frames;
    ToolSettings[21] = 1;
    for (int32_t layer = 1; layer <= 9; ++layer) ApplyLayer(ToolSettings + 200 * layer);
    AnimFrames = frames;
  }

  // The palette is not part of a preset.
  void ApplyPalette() {
    for (int32_t i = 0; i < 64; ++i)
      for (int32_t channel = 1; channel <= 3; ++channel)
        PaletteTable[128 * channel + i] = Between(0, 255);
    for (int32_t i = 0; i < 64; ++i) PaletteTable[i] = 255;
    PaletteOn = 1;
  }

  void ApplyAll(int32_t frames, bool palette) {
    Apply(frames);
    PaletteOn = 0;
    if (palette) ApplyPalette();
  }

 private:
  int32_t Between(int32_t lo, int32_t hi) { return lo + int32_t(draw_() % uint32_t(hi - lo + 1)); }

  void ApplyLayer(int32_t* block) {
    block[0] = 1;
    block[1] = Between(0, 2), block[2] = Between(0, 2);
    block[3] = Between(0, 120), block[4] = Between(0, 120);
    for (int32_t k = 11; k <= 13; ++k) block[k] = Between(-80, 80);
    for (int32_t k = 14; k <= 19; ++k) block[k] = Between(0, 40);
    for (int32_t axis : {21, 31}) {
      block[axis] = Between(-16, 16);
      block[axis + 1] = Between(0, 100);
      for (int32_t k = axis + 2; k <= axis + 4; ++k) block[k] = Between(0, 2);
    }
    block[40] = Between(0, ShapeCount), block[41] = Between(0, 1);
    block[44] = Between(0, 2), block[45] = Between(0, 2);
    block[50] = Between(0, FilterCount), block[51] = Between(0, 1);
    block[52] = Between(0, 100);
  }

  std::mt19937 draw_;
};

// A checksum that differs from its pinned value writes the pictures it
// covers, so that the failure can be looked at and not only read.
::testing::AssertionResult Pinned(const Checksum& sum, uint64_t pinned) {
  if (sum.value() == pinned) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "checksum " << sum.value() << ", pinned " << pinned
                                       << "; its pictures are in " << sum.WritePictures();
}

class Golden : public ::testing::Test {
 protected:
  void SetUp() override { stage_.SetUpTool(); }

  static void UseSprite(int32_t width, int32_t height, int32_t seed) {
    SpriteName = u"Golden";
    SpriteSeed = seed;
    SpriteWidth = width;
    SpriteHeight = height;
    RemakeSpriteImage();
  }

  // The sheet, then the last frame the build showed.
  Checksum BuildSheet(int32_t (*builder)()) {
    builder();
    Checksum sum;
    sum.AddFrame(SheetImage, 0);
    sum.AddPicture(engine::VirtualWidth, engine::VirtualHeight, stage_.host().LastFrame());
    return sum;
  }

  tool_stage::ToolStage stage_;
};

// Each frame of the animation: the sprite, its preview, every layer frame,
// the preview scale, the settings written back and the generator's state.
Checksum GenerateAnimation(int32_t frames, int32_t hue_shift) {
  Checksum sum;
  for (int32_t frame = 0; frame < frames; ++frame) {
    sum.NextRow();
    GenerateSpriteFrame(frame, hue_shift);
    sum.AddFrame(SpriteImage, frame);
    sum.AddFrame(PreviewImage, frame);
    for (int32_t layer = 0; layer < 10; ++layer) sum.AddFrame(LayerImage, layer);
    sum.Add(uint32_t(PreviewScale));
    for (int32_t value : ToolSettings) sum.Add(uint32_t(value));
    sum.Add(uint32_t(fw_rand_int(0, 1 << 30)));
  }
  return sum;
}

TEST_F(Golden, GeneratorFramesAtThreeSizes) {
  UseSprite(8, 8, 1001);
  BusySettings(11).ApplyAll(6, false);
  EXPECT_TRUE(Pinned(GenerateAnimation(6, 0), 17557199290506278443u));
  UseSprite(24, 40, 70707);
  BusySettings(12).ApplyAll(5, true);
  EXPECT_TRUE(Pinned(GenerateAnimation(5, 39), 7023086313573814902u));
  UseSprite(64, 64, 2024);
  BusySettings(13).ApplyAll(4, true);
  EXPECT_TRUE(Pinned(GenerateAnimation(4, 0), 994360732505107962u));
}

// Escape, held from the 170th progress frame on, ends the build in its
// sixteenth row; the whole sheet would take too long under the sanitizers.
TEST_F(Golden, BatchSheetOfEightByEightSprites) {
  UseSprite(8, 8, 31337);
  BusySettings(21).ApplyAll(5, true);
  stage_.host().QueueAtFrame(stage_.host().Presents() + 170, tool_stage::KeyDown(vk::kEscape));
  EXPECT_TRUE(Pinned(BuildSheet(BuildBatchSpritesheet), 5883586225369178847u));
}

TEST_F(Golden, ColourVariantSheetOfTwentyFourByFortySprites) {
  UseSprite(24, 40, 5150);
  BusySettings(22).ApplyAll(3, false);
  EXPECT_TRUE(Pinned(BuildSheet(BuildColourVariantSpritesheet), 6006056311276006883u));
}

TEST_F(Golden, BothSheetsOfSixtyFourBySixtyFourSprites) {
  UseSprite(64, 64, 86420);
  BusySettings(23).ApplyAll(4, false);
  EXPECT_TRUE(Pinned(BuildSheet(BuildBatchSpritesheet), 3636157516744488938u));
  BusySettings(24).ApplyAll(1, true);
  EXPECT_TRUE(Pinned(BuildSheet(BuildColourVariantSpritesheet), 4660272153826316126u));
}

// A saved preset rebuilds the same frames after it is loaded back.
TEST_F(Golden, PresetRoundTrip) {
  UseSprite(24, 40, 99991);
  BusySettings(31).ApplyAll(4, true);
  GenerateAnimation(4, 0);
  SavePreset(2);
  Checksum files;
  for (unsigned char byte : stage_.Read("Presets/Golden.dat")) files.Add(byte);
  const platform::PixmapRef icon =
      fw_load_pixmap(platform::FromUtf8(stage_.Path("Presets/Golden.png").string()));
  ASSERT_TRUE(icon);
  files.AddPicture(icon->width, icon->height, icon->pixels);
  EXPECT_TRUE(Pinned(files, 16928692356333034528u));
  const uint64_t saved = GenerateAnimation(4, 0).value();

  BusySettings(32).Apply(4);
  UseSprite(8, 8, 1);
  std::shared_ptr<data> stored;
  PresetList.ForEach([&](const std::shared_ptr<data>& preset) {
    if (preset->name == u"Golden") stored = preset;
  });
  ASSERT_TRUE(stored);
  ApplyPreset(*stored);
  EXPECT_EQ(SpriteSeed, 99991);
  EXPECT_EQ(SpriteWidth, 24);
  EXPECT_EQ(SpriteHeight, 40);
  EXPECT_TRUE(Pinned(GenerateAnimation(4, 0), saved));
}

}  // namespace
