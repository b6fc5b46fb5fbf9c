// Every fast path of drawing, clearing and grabbing against the plain path it
// must match: the same seeded scene is drawn both ways, and the back buffer
// and every grab are compared bit for bit. Then the box a frame is drawn
// over, which must not change what it paints.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/internal.h"
#include "platform/plain_paths.h"
#include "platform/platform.h"
#include "platform/platform_stage.h"

namespace {

// Scene choices from a seed. The standard distributions differ between
// libraries, so only the engine's own numbers are used.
class Dice {
 public:
  explicit Dice(uint32_t seed) : engine_(seed) {}
  int32_t Int(int32_t lo, int32_t hi) { return lo + int32_t(engine_() % uint32_t(hi - lo + 1)); }
  bool Chance(int32_t percent) { return Int(0, 99) < percent; }
  float Unit() { return float(engine_() >> 8) / float(1 << 24); }
  float Between(float lo, float hi) { return lo + (hi - lo) * Unit(); }
  template <class T>
  T Pick(std::initializer_list<T> values) {
    return values.begin()[Int(0, int32_t(values.size()) - 1)];
  }

 private:
  std::mt19937 engine_;
};

// Pixels seen at one point of a scene, and the steps taken since the last
// look.
struct Sight {
  std::string what;
  int32_t width = 0;
  std::vector<uint32_t> pixels;
};

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

// How often a scene takes each kind of step, in percent.
struct Mix {
  int32_t clear, restyle, image, shape, grab, change;
};
constexpr Mix kEverything{10, 20, 40, 15, 8, 7};
constexpr Mix kShapes{10, 30, 0, 60, 0, 0};
constexpr Mix kImages{5, 30, 50, 0, 5, 10};

// A scene of random drawing state, shapes, images, text, clears and grabs
// on a back buffer of random size.
class Scene {
 public:
  Scene(uint32_t seed, const Mix& mix) : dice_(seed), mix_(mix) {}

  std::vector<Sight> Play() {
    width_ = dice_.Pick({1, 2, 3, 7, 16, 33, 64, 101, 160, 199, dice_.Int(1, 200)});
    height_ = dice_.Pick({1, 2, 5, 16, 31, 64, 99, 150, dice_.Int(1, 150)});
    platform::ResizeBackBuffer(width_, height_);
    Log("buffer " + std::to_string(width_) + "x" + std::to_string(height_));
    for (int32_t count = dice_.Int(2, 5); count > 0; --count) images_.push_back(NewImage());
    for (int32_t steps = dice_.Int(20, 60); steps > 0; --steps) {
      Step();
      if (dice_.Chance(35)) LookAtBuffer();
    }
    LookAtBuffer();
    return std::move(sights_);
  }

 private:
  void Log(const std::string& step) { steps_ += step + "; "; }

  void LookAtBuffer() {
    const platform::BackBuffer& buffer = platform::TheBackBuffer();
    sights_.push_back({"back buffer after " + steps_, buffer.width, buffer.pixels});
    steps_.clear();
  }

  void LookAtFrame(int32_t image) {
    platform::PixmapRef frame = fw_lock_image(image, 0, 1, 0);
    Sight sight{"grab after " + steps_, frame->width, {}};
    for (int32_t y = 0; y < frame->height; ++y) {
      for (int32_t x = 0; x < frame->width; ++x) sight.pixels.push_back(fw_read_pixel(frame, x, y));
    }
    sights_.push_back(std::move(sight));
    steps_.clear();
  }

  // Fully clear, fully opaque and in-between texels, alone, in runs or
  // mixed, black among them (a masked image makes it clear).
  uint32_t Texel(int32_t kind) {
    uint32_t rgb = dice_.Chance(4) ? 0u : uint32_t(dice_.Int(0, 0xFFFFFF));
    uint32_t alpha = kind == 0 ? 0u : kind == 1 ? 255u : uint32_t(dice_.Int(1, 254));
    return alpha << 24 | rgb;
  }

  platform::PixmapRef NewPixmap(int32_t width, int32_t height) {
    platform::PixmapRef pixmap = fw_create_pixmap(width, height);
    // Clear, opaque, in-between, in runs of each or mixed.
    const int32_t style = dice_.Pick({0, 1, 1, 1, 2, 3, 4});
    int32_t kind = style % 3, run = 0;
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        if (style == 3 && --run < 0) kind = dice_.Int(0, 2), run = dice_.Int(0, 9);
        if (style == 4) kind = dice_.Int(0, 2);
        fw_write_pixel(pixmap, x, y, Texel(kind));
      }
    }
    return pixmap;
  }

  int32_t Size() { return dice_.Pick({1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 33, 64}); }

  int32_t NewImage() {
    fw_set_auto_mid_handle(dice_.Int(0, 1));
    const int32_t flags = dice_.Pick({0, 0, 8, 1, 2, 3, 10});
    const int32_t width = Size();
    const int32_t height = Size();
    Log("image " + std::to_string(images_.size()) + " " + std::to_string(width) + "x" +
        std::to_string(height) + " flags " + std::to_string(flags));
    if (dice_.Chance(20)) return fw_create_image(width, height, 1, flags);
    return fw_load_image(NewPixmap(width, height), flags);
  }

  // Mostly on whole or half pixels near the buffer or a hair beside them,
  // some far off or not a number at all.
  float Coordinate(int32_t extent) {
    if (dice_.Chance(3)) return dice_.Pick({1e9f, -1e9f, 5e8f, -70000.5f, kNaN, kInfinity});
    float whole = float(dice_.Int(-40, extent + 40));
    float at = whole + dice_.Pick({0.0f, 0.0f, 0.5f, 0.5f, dice_.Unit(), -dice_.Unit()});
    for (int32_t hairs = dice_.Pick({0, 0, 0, 1, 2, -1, -2}); hairs != 0;
         hairs -= hairs > 0 ? 1 : -1) {
      at = std::nextafter(at, hairs > 0 ? kInfinity : -kInfinity);
    }
    return at;
  }

  // White, a hair off white, out of range or anything.
  void Recolour() {
    int32_t rgb[3];
    const int32_t kind = dice_.Pick({0, 0, 0, 1, 2, 3, 3});
    for (int32_t& channel : rgb) {
      channel = kind == 0   ? 255
                : kind == 1 ? dice_.Pick({255, 255, 254, 0})
                : kind == 2 ? dice_.Int(-20, 300)
                            : dice_.Int(0, 255);
    }
    fw_set_color(rgb[0], rgb[1], rgb[2]);
  }

  float Alpha() {
    return dice_.Pick({0.0f, 0.004f, 0.008f, 0.45f, 0.498f, 0.502f, 0.5f, 0.996f, 1.5f, -0.5f, kNaN,
                       dice_.Unit()});
  }

  // Often the default state or one blend or alpha from it, as most drawing
  // is, else each part anew; alphas at the edges of what the modes treat
  // alike.
  void Restyle() {
    if (dice_.Chance(35)) {
      fw_set_color(255, 255, 255), fw_set_rotation(0), fw_set_scale(1, 1);
      fw_set_blend(dice_.Chance(50) ? 3 : dice_.Pick({1, 2}));
      fw_set_alpha(dice_.Chance(50) ? 1.0f : Alpha());
      return LogStyle();
    }
    Recolour();
    fw_set_alpha(dice_.Chance(40) ? 1.0f : Alpha());
    fw_set_blend(dice_.Chance(30) ? 3 : dice_.Pick({1, 2, 3, 4, 5, 1, 2, 4, 5, 0, 9}));
    fw_set_rotation(dice_.Chance(60) ? 0.0f
                                     : dice_.Pick({90.0f, 180.0f, -90.0f, 45.0f, 360.0f, 0.001f,
                                                   dice_.Between(-720, 720)}));
    const float s =
        dice_.Chance(60)
            ? 1.0f
            : dice_.Pick({2.0f, 0.5f, 1.5f, 0.75f, -1.0f, 3.0f, 0.0f, dice_.Between(-4, 4)});
    fw_set_scale(s, dice_.Chance(70) ? s : dice_.Pick({1.0f, -2.0f, 1.5f, dice_.Between(0, 4)}));
    LogStyle();
  }

  void LogStyle() {
    int32_t r, g, b;
    fw_get_color(r, g, b);
    float sx, sy;
    fw_get_scale(sx, sy);
    char style[160];
    std::snprintf(style, sizeof style, "style rgb %d,%d,%d alpha %g blend %d turn %g scale %g,%g",
                  r, g, b, fw_get_alpha(), fw_get_blend(), fw_get_rotation(), sx, sy);
    Log(style);
  }

  void Clear() {
    if (dice_.Chance(40)) {
      const int32_t rgb = dice_.Pick({0, 0, 0, 0x010000, 0x000001, dice_.Int(0, 0xFFFFFF)});
      fw_set_cls_color(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }
    // Now and then the buffer is reset behind the clear's back.
    if (dice_.Chance(5)) {
      platform::ResizeBackBuffer(width_, height_);
      Log("reset");
    }
    fw_cls();
    Log("cls");
  }

  size_t AnyImage() { return size_t(dice_.Int(0, int32_t(images_.size()) - 1)); }

  // Often the image grabbed or changed last, as a spritesheet build draws
  // the sheet after each cell.
  void DrawImage() {
    const size_t index = dice_.Chance(40) ? last_changed_ : AnyImage();
    const float x = Coordinate(width_);
    const float y = Coordinate(height_);
    fw_draw_image(images_[index], x, y);
    Log("draw " + std::to_string(index) + " at " + std::to_string(x) + "," + std::to_string(y));
  }

  void DrawShape() {
    const float x = Coordinate(width_);
    const float y = Coordinate(height_);
    switch (dice_.Int(0, 3)) {
      case 0: {
        const float width = dice_.Between(-50, 50), height = dice_.Between(-50, 50);
        fw_draw_rect(x, y, width, height);
        return Log("rect");
      }
      case 1: {
        const float x2 = Coordinate(width_), y2 = Coordinate(height_);
        fw_draw_line(x, y, x2, y2, dice_.Int(0, 1));
        return Log("line");
      }
      case 2:
        fw_plot(x, y);
        return Log("plot");
      default:
        fw_draw_text(u"Quill 0123!", x, y);
        return Log("text");
    }
  }

  void Grab() {
    const size_t index = last_changed_ = AnyImage();
    const int32_t x = dice_.Int(-70, width_ + 10);
    const int32_t y = dice_.Int(-70, height_ + 10);
    if (dice_.Chance(50)) {
      fw_grab_image_masked(images_[index], x, y);
    } else {
      fw_grab_image(images_[index], x, y);
    }
    Log("grab " + std::to_string(index));
    LookAtFrame(images_[index]);
  }

  void ChangeImage() {
    const int32_t image = images_[last_changed_ = AnyImage()];
    const int32_t width = fw_image_width(image), height = fw_image_height(image);
    const int32_t x = dice_.Int(-4, width - 1), y = dice_.Int(-4, height - 1);
    if (dice_.Chance(50)) {
      const int32_t block_width = dice_.Int(1, width);
      platform::PixmapRef block = NewPixmap(block_width, dice_.Int(1, height));
      fw_copy_pixmap_into_image(block, image, 0, x, y);
      return Log("copy into image");
    }
    platform::PixmapRef frame = fw_lock_image(image, 0, 1, 1);
    fw_write_pixel(frame, std::max(x, 0), std::max(y, 0), Texel(dice_.Int(0, 2)));
    Log("write pixel");
  }

  void Step() {
    int32_t roll = dice_.Int(0, 99);
    if ((roll -= mix_.clear) < 0) return Clear();
    if ((roll -= mix_.restyle) < 0) return Restyle();
    if ((roll -= mix_.image) < 0) return DrawImage();
    if ((roll -= mix_.shape) < 0) return DrawShape();
    if ((roll -= mix_.grab) < 0) return Grab();
    ChangeImage();
  }

  Dice dice_;
  const Mix mix_;
  int32_t width_ = 0, height_ = 0;
  std::vector<int32_t> images_;
  size_t last_changed_ = 0;
  std::string steps_;
  std::vector<Sight> sights_;
};

std::vector<Sight> DrawScene(uint32_t seed, const Mix& mix, bool plain) {
  platform::UseScriptedHost();
  platform::plain_paths = plain;
  return Scene(seed, mix).Play();
}

// "" when both saw the same, else where they first differ.
std::string FirstDifference(const std::vector<Sight>& fast, const std::vector<Sight>& plain) {
  if (fast.size() != plain.size()) return "a different number of sights";
  std::string steps;
  for (size_t i = 0; i < fast.size(); ++i) {
    steps += fast[i].what;
    if (fast[i].pixels == plain[i].pixels) continue;
    if (fast[i].pixels.size() != plain[i].pixels.size()) return "sizes differ in " + steps;
    for (size_t p = 0; p < fast[i].pixels.size(); ++p) {
      if (fast[i].pixels[p] == plain[i].pixels[p]) continue;
      char at[96];
      std::snprintf(at, sizeof at, "pixel (%zu, %zu): fast %08X, plain %08X, in ",
                    p % size_t(fast[i].width), p / size_t(fast[i].width), fast[i].pixels[p],
                    plain[i].pixels[p]);
      return at + steps;
    }
  }
  return "";
}

class FastPaths : public platform_stage::PlatformCase {
 protected:
  void TearDown() override { platform::plain_paths = false; }
};

// Each seed's scene, drawn on the fast paths and on the plain ones.
void ExpectScenesSeenAlike(const Mix& mix, uint32_t first_seed, uint32_t scenes) {
  for (uint32_t seed = first_seed; seed < first_seed + scenes; ++seed) {
    const std::vector<Sight> plain = DrawScene(seed, mix, true);
    const std::vector<Sight> fast = DrawScene(seed, mix, false);
    ASSERT_EQ(FirstDifference(fast, plain), "") << "scene " << seed;
  }
}

TEST_F(FastPaths, DrawClearAndGrabAsThePlainPathsDo) {
  ExpectScenesSeenAlike(kEverything, 1, 700);
  ExpectScenesSeenAlike(kShapes, 100001, 250);
  ExpectScenesSeenAlike(kImages, 200001, 500);
}

// The buffer after drawing the image at (x, y) over black.
std::vector<uint32_t> Drawn(int32_t image, float x, float y) {
  fw_cls();
  fw_draw_image(image, x, y);
  return platform::TheBackBuffer().pixels;
}

// Copying blocks in may leave a frame's visible box larger than its visible
// pixels; a scaled draw must still paint what the pixels alone give, though
// each row's texel walk starts at the box's first pixel.
TEST_F(FastPaths, FrameWithBlocksCopiedInDrawsAsItsPixelsDo) {
  platform::PixmapRef opaque = fw_create_pixmap(4, 1), clear = fw_create_pixmap(4, 1);
  for (int32_t x = 0; x < 4; ++x) fw_write_pixel(opaque, x, 0, 0xFFFFFFFFu);
  const int32_t copied_in = fw_create_image(16, 1, 1, 0);
  fw_draw_image(copied_in, 0, 0);  // from here on each copy widens the box
  fw_copy_pixmap_into_image(opaque, copied_in, 0, 0, 0);
  fw_copy_pixmap_into_image(clear, copied_in, 0, 0, 0);
  fw_copy_pixmap_into_image(opaque, copied_in, 0, 10, 0);
  platform::PixmapRef same = fw_create_pixmap(16, 1);
  for (int32_t x = 10; x < 14; ++x) fw_write_pixel(same, x, 0, 0xFFFFFFFFu);
  const int32_t written = fw_load_image(same, 0);
  fw_set_scale(1.5f, 1.0f);
  // Pixel 15's centre falls a hair past the left edge of texel 10.
  const float x = 0.4999985f;
  EXPECT_EQ(Drawn(copied_in, x, 0), Drawn(written, x, 0));
}

// A filtered texel reaches half a texel beyond itself: a frame visible only
// in its middle paints the same fringe as one visible all over.
TEST_F(FastPaths, FilteredFramesPaintPastTheirVisibleBox) {
  platform::PixmapRef middle = fw_create_pixmap(8, 8), all_over = fw_create_pixmap(8, 8);
  for (int32_t y = 3; y < 5; ++y) {
    for (int32_t x = 3; x < 5; ++x) {
      fw_write_pixel(middle, x, y, 0xFFC08040u);
      fw_write_pixel(all_over, x, y, 0xFFC08040u);
    }
  }
  fw_write_pixel(all_over, 0, 0, 0xFF000000u);  // opaque, but black adds no light
  const int32_t visible_in_middle = fw_load_image(middle, 2);
  const int32_t visible_all_over = fw_load_image(all_over, 2);
  fw_set_blend(4);
  fw_set_scale(2, 2);
  EXPECT_EQ(Drawn(visible_in_middle, 10, 10), Drawn(visible_all_over, 10, 10));
}

}  // namespace
