#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/internal.h"
#include "platform/platform.h"
#include "platform/platform_stage.h"

namespace {

class ImageDraw : public platform_stage::PlatformCase {};
class ImageGrab : public platform_stage::PlatformCase {};
class ImageLoad : public platform_stage::PlatformCase {};

namespace fs = std::filesystem;

uint32_t Pixel(int x, int y) {
  auto& buffer = platform::TheBackBuffer();
  return buffer.pixels[size_t(y) * buffer.width + x];
}

// An image whose frame 0 holds the given rows of pixels.
int32_t ImageOf(const std::vector<std::vector<uint32_t>>& rows, int32_t flags = 0) {
  auto pixmap = fw_create_pixmap(int32_t(rows[0].size()), int32_t(rows.size()));
  for (size_t y = 0; y < rows.size(); ++y) {
    for (size_t x = 0; x < rows[y].size(); ++x) fw_write_pixel(pixmap, int(x), int(y), rows[y][x]);
  }
  return fw_load_image(pixmap, flags);
}

Text TempPng(const std::string& name) {
  return platform::FromUtf8(
      (fs::temp_directory_path() /
       (std::to_string(::getpid()) + "-" +
        ::testing::UnitTest::GetInstance()->current_test_info()->name() + name))
          .string());
}

TEST_F(ImageDraw, WholePixelCopiesOneToOne) {
  fw_set_cls_color(100, 100, 100);
  fw_cls();
  int32_t image = ImageOf({{0x00FF0000u, 0xFF00FF00u, 0x800000FFu}});
  fw_draw_image(image, 10, 20);
  EXPECT_EQ(Pixel(10, 20), 0xFF646464u);  // alpha 0 leaves the buffer
  EXPECT_EQ(Pixel(11, 20), 0xFF00FF00u);  // alpha 255 replaces it
  EXPECT_EQ(Pixel(12, 20), 0xFF3232B2u);
  EXPECT_EQ(Pixel(13, 20), 0xFF646464u);
}

TEST_F(ImageDraw, CurrentColourAndAlphaMultiplyTheTexel) {
  fw_cls();
  int32_t image = ImageOf({{0xFFFFFFFFu, 0xFF808080u}});
  fw_set_color(255, 128, 0);
  fw_draw_image(image, 0, 0);
  EXPECT_EQ(Pixel(0, 0), 0xFFFF8000u);
  EXPECT_EQ(Pixel(1, 0), 0xFF804000u);
  fw_set_color(255, 255, 255);
  fw_set_alpha(0.5f);
  fw_draw_image(image, 0, 1);
  EXPECT_EQ(Pixel(0, 1), 0xFF808080u);
}

TEST_F(ImageDraw, MidHandledImageTurnsAboutItsCentre) {
  fw_set_auto_mid_handle(1);
  int32_t image = ImageOf({{0xFF0000FFu, 0xFF0000FFu, 0xFF0000FFu, 0xFFFF0000u},
                           {0xFF00FF00u, 0xFF0000FFu, 0xFF0000FFu, 0xFF0000FFu}});
  fw_cls();
  fw_draw_image(image, 50, 50);
  EXPECT_EQ(Pixel(48, 49), 0xFF0000FFu);
  EXPECT_EQ(Pixel(51, 49), 0xFFFF0000u);
  EXPECT_EQ(Pixel(48, 50), 0xFF00FF00u);
  fw_cls();
  fw_set_rotation(90);
  fw_draw_image(image, 50, 50);
  // The top row now runs down the right column, the bottom row down the left.
  EXPECT_EQ(Pixel(50, 48), 0xFF0000FFu);
  EXPECT_EQ(Pixel(50, 51), 0xFFFF0000u);
  EXPECT_EQ(Pixel(49, 48), 0xFF00FF00u);
  EXPECT_EQ(Pixel(48, 50), 0xFF000000u);
  EXPECT_EQ(Pixel(51, 50), 0xFF000000u);
}

TEST_F(ImageDraw, FilteredScalingBlendsAndNearestDoesNot) {
  std::vector<std::vector<uint32_t>> rows = {{0xFF000000u, 0xFFFFFFFFu}};
  int32_t nearest = ImageOf(rows, 0), filtered = ImageOf(rows, 2);
  fw_set_scale(2, 2);
  fw_cls();
  fw_draw_image(nearest, 0, 0);
  EXPECT_EQ(Pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(Pixel(1, 0), 0xFF000000u);
  EXPECT_EQ(Pixel(2, 0), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(3, 1), 0xFFFFFFFFu);
  fw_draw_image(filtered, 0, 10);
  EXPECT_EQ(Pixel(0, 10), 0xFF000000u);
  EXPECT_EQ(Pixel(1, 10), 0xFF404040u);
  EXPECT_EQ(Pixel(2, 10), 0xFFBFBFBFu);
  EXPECT_EQ(Pixel(3, 10), 0xFFFFFFFFu);
  fw_set_scale(1, 1);
  fw_draw_image(filtered, 0, 20);  // a filtered image at scale 1 is an exact copy
  EXPECT_EQ(Pixel(0, 20), 0xFF000000u);
  EXPECT_EQ(Pixel(1, 20), 0xFFFFFFFFu);
}

TEST_F(ImageDraw, MaskedImagesDropBlackOnly) {
  int32_t image = ImageOf({{0xFF000000u, 0xFF010000u, 0x00000000u}}, -1);
  auto frame = fw_lock_image(image);
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->pixels, (std::vector<uint32_t>{0x00000000u, 0xFF010000u, 0u}));
  fw_set_cls_color(9, 9, 9);
  fw_cls();
  fw_set_blend(1);
  fw_draw_image(image, 0, 0);
  EXPECT_EQ(Pixel(0, 0), 0xFF090909u);
  EXPECT_EQ(Pixel(1, 0), 0xFF010000u);
}

TEST_F(ImageDraw, LockedChangesShowAtTheNextDraw) {
  int32_t image = fw_create_image(2, 2, 2, 0);
  ASSERT_NE(image, 0);
  EXPECT_EQ(fw_image_frames(image), 2);
  fw_cls();
  fw_draw_image(image, 0, 0);  // fully transparent: nothing
  EXPECT_EQ(Pixel(0, 0), 0xFF000000u);
  auto frame0 = fw_lock_image(image, 0);
  auto frame1 = fw_lock_image(image, 1);
  ASSERT_NE(frame0, frame1);
  {
    platform::PixelWrite write(*frame0);  // written in place while locked
    write.At(0, 0) = 0xFFABCDEFu;
  }
  fw_unlock_image(image, 0);
  fw_draw_image(image, 0, 0);
  EXPECT_EQ(Pixel(0, 0), 0xFFABCDEFu);
  EXPECT_EQ(frame1->pixels[0], 0u);
}

TEST_F(ImageDraw, NoImageOrFrameIsIgnored) {
  fw_cls();
  fw_draw_image(0, 0, 0);
  fw_draw_image(12345, 0, 0);
  int32_t image = fw_create_image(2, 2, 1, 0);
  fw_draw_image(image, 0, 0, 1);
  fw_draw_image(image, 0, 0, -1);
  EXPECT_FALSE(fw_lock_image(0));
  EXPECT_FALSE(fw_lock_image(image, 1));
  EXPECT_EQ(fw_image_width(0), 0);
  EXPECT_EQ(fw_create_image(0, 5, 1, 0), 0);
  EXPECT_EQ(fw_create_image(5, 5, 0, 0), 0);
  fw_grab_image(0, 0, 0);
  fw_grab_image(image, 0, 0, 3);
  EXPECT_EQ(Pixel(0, 0), 0xFF000000u);
}

TEST_F(ImageGrab, ReadsBackOpaquePixelsAndMasksBlack) {
  fw_set_cls_color(0, 0, 0);
  fw_cls();
  fw_set_color(10, 20, 30);
  fw_set_alpha(0.5f);
  fw_draw_rect(1, 0, 1, 1);
  auto grabbed = fw_grab_pixmap(0, 0, 3, 1);
  ASSERT_TRUE(grabbed);
  EXPECT_EQ(grabbed->pixels, (std::vector<uint32_t>{0xFF000000u, 0xFF050A0Fu, 0xFF000000u}));
  auto outside = fw_grab_pixmap(-1, 0, 2, 1);
  EXPECT_EQ(outside->pixels[0], 0u);

  int32_t masked = fw_create_image(3, 1, 1, 1);
  fw_grab_image(masked, 0, 0);
  EXPECT_EQ(fw_lock_image(masked)->pixels, (std::vector<uint32_t>{0u, 0xFF050A0Fu, 0u}));
}

TEST_F(ImageLoad, AnimationCellsRunRowByRow) {
  // A 3 x 2 sheet of 2 x 2 cells, cell n filled with colour n.
  auto sheet = fw_create_pixmap(6, 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x)
      fw_write_pixel(sheet, x, y, 0xFF000000u | uint32_t((y / 2) * 3 + x / 2));
  }
  Text path = TempPng("sheet.png");
  ASSERT_EQ(fw_save_pixmap_png(sheet, path, 1), 1);
  int32_t strip = fw_load_anim_image(path, 2, 2, 1, 5, 0);
  ASSERT_NE(strip, 0);
  EXPECT_EQ(fw_image_frames(strip), 5);
  EXPECT_EQ(fw_image_width(strip), 2);
  for (int f = 0; f < 5; ++f) EXPECT_EQ(fw_lock_image(strip, f)->pixels[3], 0xFF000000u | (f + 1));
  EXPECT_EQ(fw_load_anim_image(path, 2, 2, 2, 5, 0), 0);
  EXPECT_EQ(fw_load_anim_image(path, 4, 4, 0, 2, 0), 0);
  EXPECT_EQ(fw_load_anim_image(path, 0, 2, 0, 1, 0), 0);
  fs::remove(platform::ToUtf8(path));
}

TEST_F(ImageLoad, FilesKeepTheirBytesAndBadOnesGiveNone) {
  auto pixmap = fw_create_pixmap(2, 1);
  fw_write_pixel(pixmap, 0, 0, 0x7F123456u);
  fw_write_pixel(pixmap, 1, 0, 0xFF000000u);
  Text path = TempPng("kept.png");
  ASSERT_EQ(fw_save_pixmap_png(pixmap, path, 9), 1);
  fw_set_auto_mid_handle(1);
  int32_t image = fw_load_image(path, 1);
  ASSERT_NE(image, 0);
  EXPECT_EQ(fw_lock_image(image)->pixels, (std::vector<uint32_t>{0x7F123456u, 0u}));
  EXPECT_EQ(fw_load_image(TempPng("missing.png"), 0), 0);
  EXPECT_EQ(fw_load_image(platform::PixmapRef(), 0), 0);
  fs::remove(platform::ToUtf8(path));
}

}  // namespace

namespace {

// Draws everywhere, at every angle, scale and mode, across the buffer's
// edges: under the sanitizers any read or write out of bounds shows here.
TEST_F(ImageDraw, DrawsAcrossEdgesAtAnyAngleStayInBounds) {
  int32_t images[] = {ImageOf({{0xFF112233u, 0x80FFFFFFu}, {0x00000000u, 0xFFFFFFFFu}}, 0),
                      ImageOf({{0xFF112233u, 0x80FFFFFFu}, {0x00000000u, 0xFFFFFFFFu}}, 2)};
  fw_set_auto_mid_handle(1);
  int32_t big = fw_create_image(64, 48, 1, 3);
  fw_write_pixel(fw_lock_image(big), 63, 47, 0xFFFFFFFFu);
  uint32_t seed = 12345;
  auto next = [&](float range) {
    seed = seed * 1103515245u + 12345u;
    return float(seed >> 8) / float(1 << 24) * range;
  };
  for (int i = 0; i < 400; ++i) {
    fw_set_blend(1 + i % 5);
    fw_set_alpha(next(1.2f));
    fw_set_rotation(next(720) - 360);
    fw_set_scale(next(6) - 3, next(6) - 3);
    fw_set_color(int32_t(next(255)), 255, int32_t(next(255)));
    float x = next(900) - 50, y = next(700) - 50;
    fw_draw_image(images[i % 2], x, y);
    fw_draw_image(big, x, y);
    fw_draw_rect(x, y, next(100) - 50, next(100) - 50);
    fw_draw_line(x, y, next(1000) - 100, next(800) - 100, i % 2);
    fw_plot(x, y);
    fw_draw_text(u"Edge", x, y);
  }
  for (float scale : {1e-7f, 1e7f, 0.0f, -1e7f}) {
    fw_set_scale(scale, scale);
    fw_set_rotation(10);
    fw_draw_image(images[1], 400, 300);
    fw_draw_rect(400, 300, 3, 3);
  }
  auto& buffer = platform::TheBackBuffer();
  for (uint32_t p : buffer.pixels) ASSERT_EQ(p >> 24, 0xFFu);  // still opaque everywhere
}

}  // namespace

namespace {

// The one-to-one copy has loops of its own; a turn of 360 degrees takes the
// general path to the same texels, so both must paint the same pixels.
TEST_F(ImageDraw, OneToOneCopyAgreesWithTheGeneralPath) {
  std::vector<std::vector<uint32_t>> rows(5, std::vector<uint32_t>(37));
  uint32_t seed = 99;
  for (auto& row : rows) {
    for (uint32_t& p : row) p = seed = seed * 1664525u + 1013904223u;
  }
  rows[0][3] = 0x00FFFFFFu, rows[1][5] = 0xFF123456u;
  int32_t image = ImageOf(rows, 0);
  for (int32_t mode : {1, 2, 3, 4, 5}) {
    for (float alpha : {1.0f, 0.7f, 0.4f}) {
      for (int32_t green : {255, 90}) {
        fw_set_cls_color(40, 80, 120);
        fw_cls();
        fw_set_blend(mode);
        fw_set_alpha(alpha);
        fw_set_color(255, green, 255);
        fw_set_rotation(0);
        fw_draw_image(image, 10, 10);
        fw_draw_image(image, 60.25f, 9.75f);  // nearest sampling copies off whole pixels too
        fw_set_rotation(360);
        fw_draw_image(image, 10, 100);
        fw_draw_image(image, 60.25f, 99.75f);
        for (int y = 0; y < 6; ++y) {
          for (int x = 0; x < 90; ++x) {
            ASSERT_EQ(Pixel(10 + x, 9 + y), Pixel(10 + x, 99 + y))
                << "mode " << mode << " alpha " << alpha << " at " << x << "," << y;
          }
        }
      }
    }
  }
}

}  // namespace

namespace {

uint64_t BufferChecksum() {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a over every pixel
  for (uint32_t p : platform::TheBackBuffer().pixels) hash = (hash ^ p) * 1099511628211ull;
  return hash;
}

// Turned, scaled, filtered, alpha-blended draws have a path of their own for
// speed; these pixels are the ones the plain per-pixel path paints.
TEST_F(ImageDraw, TurnedFilteredDrawsKeepTheirPixels) {
  uint32_t seed = 2024;
  auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
  fw_set_auto_mid_handle(0);
  fw_set_virtual_resolution(800, 600);
  std::vector<int32_t> images;
  for (auto [w, h] : {std::pair{1, 1}, {2, 3}, {5, 4}, {16, 16}, {33, 7}}) {
    std::vector<std::vector<uint32_t>> rows(h, std::vector<uint32_t>(w));
    for (auto& row : rows) {
      for (uint32_t& p : row) {
        const uint32_t alphas[] = {0, 255, 128, next() >> 24};
        uint32_t alpha = alphas[next() % 4];
        p = alpha << 24 | (next() & 0xFFFFFFu);
      }
    }
    images.push_back(ImageOf(rows, 2));
  }
  fw_set_cls_color(30, 60, 90);
  fw_cls();
  fw_set_blend(3);
  for (int i = 0; i < 600; ++i) {
    fw_set_rotation(float(next() % 3600) / 10.0f);
    float scale = float(next() % 900) / 100.0f - 2.0f;
    fw_set_scale(scale, float(next() % 500) / 100.0f + 0.1f);
    const float alphas[] = {1.0f, 0.5f, 0.25f, 0.0f};
    fw_set_alpha(alphas[next() % 4]);
    if (next() % 2) {
      fw_set_color(255, 255, 255);
    } else {
      fw_set_color(int32_t(next() % 256), int32_t(next() % 256), int32_t(next() % 256));
    }
    fw_draw_image(images[next() % images.size()], float(next() % 8400) / 10.0f - 20.0f,
                  float(next() % 6400) / 10.0f - 20.0f);
  }
  EXPECT_EQ(BufferChecksum(), 17871773984504154197u);
}

}  // namespace
