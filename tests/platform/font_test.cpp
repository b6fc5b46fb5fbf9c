#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/internal.h"
#include "platform/platform.h"
#include "platform/platform_stage.h"

namespace {

class DefaultFont : public platform_stage::PlatformCase {};
class ImageFont : public platform_stage::PlatformCase {};

namespace fs = std::filesystem;

const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

uint32_t Pixel(int x, int y) {
  auto& buffer = platform::TheBackBuffer();
  return buffer.pixels[size_t(y) * buffer.width + x];
}

// The box of every pixel that is not black: x0, y0, x1, y1 (inclusive).
std::array<int, 4> PaintedBox() {
  auto& buffer = platform::TheBackBuffer();
  std::array<int, 4> box{buffer.width, buffer.height, -1, -1};
  for (int y = 0; y < buffer.height; ++y) {
    for (int x = 0; x < buffer.width; ++x) {
      if (Pixel(x, y) == 0xFF000000u) continue;
      box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x), std::max(box[3], y)};
    }
  }
  return box;
}

TEST_F(DefaultFont, ServesWhenNoFontIsCurrent) {
  fw_set_image_font(0);
  EXPECT_EQ(fw_text_height(), 10);
  EXPECT_EQ(fw_text_width(u"AB"), 12);
  EXPECT_EQ(fw_text_width(u"A\u00E9\u4E00B"), 12);  // no glyphs: nothing added
  fw_cls();
  fw_set_color(255, 0, 0);
  fw_draw_text(u"I", 10, 20);
  EXPECT_EQ(Pixel(11, 21), 0xFFFF0000u);  // top bar of the I
  EXPECT_EQ(Pixel(12, 24), 0xFFFF0000u);  // its stem
  EXPECT_EQ(PaintedBox(), (std::array<int, 4>{11, 21, 13, 27}));
}

TEST_F(ImageFont, AdvancesSumAsTruncatedIntegers) {
  int32_t font = fw_load_image_font(platform::FromUtf8(kDejaVu), 17, 4);
  ASSERT_NE(font, 0);
  fw_set_image_font(font);
  Text text = u"Sprite Tool: 0123 Wavy";
  int32_t sum = 0;
  for (char16_t c : text) sum += fw_text_width(Text(1, c));
  EXPECT_EQ(fw_text_width(text), sum);
  EXPECT_GT(sum, 100);
  EXPECT_EQ(fw_text_width(u"ab\uFFFF"), fw_text_width(u"ab"));
  EXPECT_GE(fw_text_height(), 17);
  EXPECT_EQ(fw_text_height(), fw_text_height());
}

TEST_F(ImageFont, TextHangsFromItsTopLeftCorner) {
  int32_t font = fw_load_image_font(platform::FromUtf8(kDejaVu), 24, 4);
  ASSERT_NE(font, 0);
  fw_set_image_font(font);
  fw_cls();
  fw_draw_text(u"Hello", 100, 50);
  auto box = PaintedBox();
  EXPECT_GE(box[0], 100);
  EXPECT_LE(box[0], 104);
  EXPECT_GE(box[1], 50);
  EXPECT_LE(box[1], 58);
  EXPECT_LE(box[2], 100 + fw_text_width(u"Hello"));
  EXPECT_LT(box[3], 50 + fw_text_height());
  // Smoothed: some edge pixels are partly covered.
  bool grey = false;
  for (int y = box[1]; y <= box[3]; ++y) {
    for (int x = box[0]; x <= box[2]; ++x) {
      uint32_t red = (Pixel(x, y) >> 16) & 0xFF;
      grey = grey || (red > 0 && red < 255);
    }
  }
  EXPECT_TRUE(grey);
}

TEST_F(ImageFont, MissingOrDamagedFilesGiveNone) {
  fs::path folder = fs::temp_directory_path() / ("font_test_damaged_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::ifstream in(kDejaVu, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  ASSERT_GT(bytes.size(), 4096u);
  std::ofstream((folder / "cut.ttf").string(), std::ios::binary) << bytes.substr(0, 4096);
  std::ofstream((folder / "text.ttf").string()) << "hello";
  std::ofstream((folder / "empty.ttf").string());
  for (const char* name : {"cut.ttf", "text.ttf", "empty.ttf", "missing.ttf"}) {
    EXPECT_EQ(fw_load_image_font(platform::FromUtf8((folder / name).string()), 16, 4), 0) << name;
  }
  EXPECT_EQ(fw_load_image_font(platform::FromUtf8(kDejaVu), 0, 4), 0);
  fs::remove_all(folder);
}

}  // namespace
