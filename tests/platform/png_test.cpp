#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "full_disk.h"
#include "platform/image.h"
#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

class PngTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("png_test_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  Text PathOf(const std::string& name) { return platform::FromUtf8((folder_ / name).string()); }
  std::string RawPath(const std::string& name) { return (folder_ / name).string(); }

  fs::path folder_;
};

// Writes a file of any colour type and depth straight through libpng, so the
// loader is checked against files it did not write itself.
void WriteRawPng(const std::string& path, int width, int height, int color_type, int depth,
                 const std::vector<std::vector<uint8_t>>& rows,
                 const std::vector<png_color>& palette = {},
                 const std::vector<uint8_t>& transparency = {}) {
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, depth, color_type, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
  if (!transparency.empty()) {
    png_set_tRNS(png, info, transparency.data(), int(transparency.size()), nullptr);
  }
  png_write_info(png, info);
  for (const auto& row : rows) png_write_row(png, row.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

platform::PixmapRef Pattern(int w, int h, bool with_alpha) {
  auto pixmap = fw_create_pixmap(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t alpha = with_alpha ? uint32_t((x * 37 + y * 11) & 0xFF) : 0xFFu;
      fw_write_pixel(pixmap, x, y,
                     (alpha << 24) | uint32_t(x * 13 & 0xFF) << 16 | uint32_t(y * 7 & 0xFF) << 8 |
                         uint32_t((x ^ y) & 0xFF));
    }
  }
  return pixmap;
}

TEST_F(PngTest, RoundTripsAtEveryCompressionLevel) {
  for (bool with_alpha : {false, true}) {
    for (int level : {0, 5, 9}) {
      auto original = Pattern(37, 21, with_alpha);
      Text path = PathOf("round.png");
      ASSERT_EQ(fw_save_pixmap_png(original, path, level), 1);
      auto loaded = fw_load_pixmap(path);
      ASSERT_TRUE(loaded);
      EXPECT_EQ(loaded->width, 37);
      EXPECT_EQ(loaded->height, 21);
      EXPECT_EQ(loaded->pixels, original->pixels) << "alpha " << with_alpha << " level " << level;
    }
  }
}

TEST_F(PngTest, SavesRgbWhenOpaqueAndRgbaOtherwise) {
  auto opaque = Pattern(4, 4, false);
  ASSERT_EQ(fw_save_pixmap_png(opaque, PathOf("rgb.png"), 6), 1);
  auto translucent = Pattern(4, 4, true);
  ASSERT_EQ(fw_save_pixmap_png(translucent, PathOf("rgba.png"), 6), 1);
  auto color_type_of = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    return int(uint8_t(bytes.at(25)));  // IHDR colour type byte
  };
  EXPECT_EQ(color_type_of(RawPath("rgb.png")), PNG_COLOR_TYPE_RGB);
  EXPECT_EQ(color_type_of(RawPath("rgba.png")), PNG_COLOR_TYPE_RGB_ALPHA);
}

TEST_F(PngTest, HigherCompressionGivesSmallerFiles) {
  auto pixmap = fw_create_pixmap(64, 64);
  for (int i = 0; i < 64 * 64; ++i) fw_write_pixel(pixmap, i % 64, i / 64, 0xFF000000u | (i % 16));
  ASSERT_EQ(fw_save_pixmap_png(pixmap, PathOf("c0.png"), 0), 1);
  ASSERT_EQ(fw_save_pixmap_png(pixmap, PathOf("c9.png"), 9), 1);
  EXPECT_LT(fs::file_size(RawPath("c9.png")), fs::file_size(RawPath("c0.png")));
}

TEST_F(PngTest, ReadsRgbRgbaPaletteAndGreyFiles) {
  WriteRawPng(RawPath("rgb.png"), 2, 1, PNG_COLOR_TYPE_RGB, 8, {{1, 2, 3, 250, 251, 252}});
  WriteRawPng(RawPath("rgba.png"), 2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {{1, 2, 3, 0, 9, 8, 7, 128}});
  WriteRawPng(RawPath("palette.png"), 3, 1, PNG_COLOR_TYPE_PALETTE, 8, {{0, 1, 2}},
              {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}}, {0, 100});
  WriteRawPng(RawPath("grey.png"), 2, 1, PNG_COLOR_TYPE_GRAY, 8, {{0, 200}});
  WriteRawPng(RawPath("grey_alpha.png"), 1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {{77, 33}});
  WriteRawPng(RawPath("grey1.png"), 3, 1, PNG_COLOR_TYPE_GRAY, 1, {{0b10100000}});
  WriteRawPng(RawPath("rgb16.png"), 1, 1, PNG_COLOR_TYPE_RGB, 16, {{0x12, 0x34, 0, 0, 0xFF, 0xFF}});

  auto expect = [&](const std::string& name, std::vector<uint32_t> pixels) {
    auto loaded = fw_load_pixmap(PathOf(name));
    ASSERT_TRUE(loaded) << name;
    EXPECT_EQ(loaded->pixels, pixels) << name;
  };
  expect("rgb.png", {0xFF010203u, 0xFFFAFBFCu});
  expect("rgba.png", {0x00010203u, 0x80090807u});
  expect("palette.png", {0x000A141Eu, 0x6428323Cu, 0xFF46505Au});
  expect("grey.png", {0xFF000000u, 0xFFC8C8C8u});
  expect("grey_alpha.png", {0x214D4D4Du});
  expect("grey1.png", {0xFFFFFFFFu, 0xFF000000u, 0xFFFFFFFFu});
  expect("rgb16.png", {0xFF1200FFu});
}

TEST_F(PngTest, BadFilesGiveNone) {
  EXPECT_FALSE(fw_load_pixmap(PathOf("missing.png")));
  std::ofstream(RawPath("text.png")) << "not a picture at all";
  EXPECT_FALSE(fw_load_pixmap(PathOf("text.png")));

  ASSERT_EQ(fw_save_pixmap_png(Pattern(20, 20, true), PathOf("whole.png"), 5), 1);
  std::ifstream in(RawPath("whole.png"), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  for (size_t cut : {size_t(8), size_t(30), bytes.size() / 2, bytes.size() - 13}) {
    EXPECT_FALSE(platform::DecodePng(reinterpret_cast<const uint8_t*>(bytes.data()), cut)) << cut;
  }
  std::string flipped = bytes;
  flipped[bytes.size() / 2] ^= 0x55;
  EXPECT_FALSE(
      platform::DecodePng(reinterpret_cast<const uint8_t*>(flipped.data()), flipped.size()));
}

TEST_F(PngTest, APictureLargerThanItsBoundIsRefused) {
  for (auto [width, height] : {std::pair{64, 64}, {65, 64}, {64, 65}, {1, 200}}) {
    const std::string name = std::to_string(width) + "x" + std::to_string(height) + ".png";
    ASSERT_EQ(fw_save_pixmap_png(Pattern(width, height, true), PathOf(name), 9), 1);
    const int32_t image = fw_load_image_within(PathOf(name), 1, 64, 64);
    EXPECT_EQ(fw_image_width(image), width <= 64 && height <= 64 ? width : 0) << name;
    EXPECT_NE(fw_load_image(PathOf(name), 1), 0) << name;
  }
  EXPECT_EQ(fw_load_image_within(PathOf("64x64.png"), 1, 0, 64), 0);
}

TEST_F(PngTest, FailedSaveLeavesNothingBehind) {
  EXPECT_EQ(fw_save_pixmap_png(nullptr, PathOf("none.png"), 5), 0);
  EXPECT_EQ(fw_save_pixmap_png(Pattern(2, 2, false), PathOf("no_folder/x.png"), 5), 0);
  EXPECT_TRUE(fs::is_empty(folder_));
}

TEST_F(PngTest, TheLongestFileNameSavesAndAFullDiskKeepsTheOldFile) {
  const std::string longest = std::string(platform::kMaxFileNameBytes - 4, 'n') + ".png";
  ASSERT_EQ(fw_save_pixmap_png(Pattern(4, 4, false), PathOf(longest), 9), 1);
  const platform::PixmapRef saved = fw_load_pixmap(PathOf(longest));
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->pixels, Pattern(4, 4, false)->pixels);
  {
    FullDisk full(1024);
    EXPECT_EQ(fw_save_pixmap_png(Pattern(64, 64, true), PathOf(longest), 0), 0);
  }
  ASSERT_TRUE(fw_load_pixmap(PathOf(longest)));
  EXPECT_EQ(fw_load_pixmap(PathOf(longest))->pixels, saved->pixels);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST(PixmapTest, ReadAndWriteStayInsideAndBumpTheGeneration) {
  auto pixmap = fw_create_pixmap(3, 2);
  ASSERT_TRUE(pixmap);
  EXPECT_EQ(fw_read_pixel(pixmap, 2, 1), 0u);
  uint64_t before = pixmap->generation();
  fw_write_pixel(pixmap, 2, 1, 0x12345678u);
  EXPECT_GT(pixmap->generation(), before);
  EXPECT_EQ(fw_read_pixel(pixmap, 2, 1), 0x12345678u);
  fw_write_pixel(pixmap, 3, 0, 1);
  fw_write_pixel(pixmap, -1, 0, 1);
  EXPECT_EQ(fw_read_pixel(pixmap, 3, 0), 0u);
  EXPECT_EQ(fw_read_pixel(nullptr, 0, 0), 0u);
  EXPECT_FALSE(fw_create_pixmap(0, 5));
  EXPECT_FALSE(fw_create_pixmap(-3, 5));
}

}  // namespace
