// Holding back the drawing of a frame that repeats the one on screen must
// never show: whatever a program draws, writes, grabs and flips, it sees the
// same pixels with holding on as with holding off.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <random>
#include <span>
#include <vector>

#include "platform/frame_log.h"
#include "platform/internal.h"
#include "platform/platform.h"
#include "platform/platform_stage.h"

namespace {

// A small screen keeps it fast, and makes draws, writes and grabs meet.
constexpr int32_t kWidth = 16, kHeight = 12;
constexpr int32_t kImages = 3, kFrames = 2, kSide = 6;
constexpr int32_t kImageFlags[kImages] = {0, 2, 1};  // plain, filtered, masked

enum class Kind {
  kColour,
  kAlpha,
  kBlend,
  kRotation,
  kScale,
  kClearColour,
  kPlot,
  kRect,
  kLine,
  kImage,
  kText,
  kWritePixel,
  kScopedWrite,
  kLock,
  kCopyIntoImage,
  kGrabPixmap,
  kGrabImage,
  kGrabMasked,
  kClear,
  kFlip,
};
// The steps of a frame: drawing images comes most often.
constexpr Kind kFrameKinds[] = {
    Kind::kColour,      Kind::kAlpha,      Kind::kBlend, Kind::kRotation, Kind::kScale,
    Kind::kClearColour, Kind::kPlot,       Kind::kRect,  Kind::kLine,     Kind::kImage,
    Kind::kImage,       Kind::kImage,      Kind::kImage, Kind::kText,     Kind::kLock,
    Kind::kGrabPixmap,  Kind::kGrabPixmap, Kind::kClear};
// The steps that draw.
constexpr Kind kDraws[] = {Kind::kPlot, Kind::kRect, Kind::kLine, Kind::kImage, Kind::kText};
// The steps that change a map.
constexpr Kind kWrites[] = {Kind::kWritePixel, Kind::kScopedWrite, Kind::kCopyIntoImage,
                            Kind::kGrabImage, Kind::kGrabMasked};

// One step of a program; what a, b, c and d mean depends on the kind.
struct Step {
  Kind kind;
  int32_t image, frame, a, b, c, d;
};

class Program {
 public:
  explicit Program(uint32_t seed) : random_(seed) {
    std::vector<Step> body = Body();
    for (int32_t frame = 0; frame < 14; ++frame) {
      Vary(body);
      steps.push_back({Kind::kClear, 0, 0, 0, 0, 0, 0});
      steps.insert(steps.end(), body.begin(), body.end());
      steps.push_back({Kind::kFlip, 0, 0, 0, 0, 0, 0});
      while (Roll(5) == 0) steps.push_back(AnyStep(kWrites));
    }
  }
  std::vector<Step> steps;

 private:
  int32_t Roll(int32_t n) { return int32_t(random_() % uint32_t(n)); }
  // Positions in half pixels, a little beyond the screen on every side.
  int32_t Position(int32_t side) { return Roll(2 * side + 16) - 8; }

  Step AnyStep(std::span<const Kind> kinds = kFrameKinds) {
    const Kind kind = kinds[size_t(Roll(int32_t(kinds.size())))];
    return {kind,
            Roll(kImages),
            Roll(kFrames),
            Position(kWidth),
            Position(kHeight),
            Roll(kWidth) - 4,
            Roll(kHeight) - 4};
  }
  std::vector<Step> Body() {
    std::vector<Step> body(size_t(3 + Roll(10)));
    for (Step& step : body) step = AnyStep();
    return body;
  }
  // Most frames repeat the one before, since that is when drawing is held;
  // the others are new, change or drop a step, or write into a map after the
  // frame drew it, which a held call must not see.
  void Vary(std::vector<Step>& body) {
    switch (Roll(8)) {
      case 0:
        body = Body();
        break;
      case 1:
        body[size_t(Roll(int32_t(body.size())))] = AnyStep();
        break;
      case 2:
        if (body.size() > 1) body.erase(body.begin() + Roll(int32_t(body.size())));
        break;
      case 3:
      case 4:
        WriteAfterDraw(body);
        break;
      default:
        break;
    }
  }
  void WriteAfterDraw(std::vector<Step>& body) {
    const auto drawn = std::find_if(body.begin() + Roll(int32_t(body.size())), body.end(),
                                    [](const Step& step) { return step.kind == Kind::kImage; });
    if (drawn == body.end()) return;
    Step write = AnyStep(kWrites);
    write.image = drawn->image;
    write.frame = drawn->frame;
    const auto at = drawn + 1 + Roll(int32_t(body.end() - drawn));
    body.insert(at, {write, AnyStep(kDraws)});
  }

  std::mt19937 random_;
};

// What a program run on a fresh platform could see: each grab, each frame on
// screen, and at the end the back buffer and the images.
class Sights {
 public:
  Sights(const Program& program, uint32_t seed, bool holding) {
    platform::ResetPlatformState();
    auto host = std::make_unique<platform_stage::KeepingHost>();
    host_ = host.get();
    platform::InstallHost(std::move(host));
    platform::holding_allowed = holding;
    fw_set_auto_mid_handle(1);
    EXPECT_EQ(fw_open_graphics(kWidth, kHeight, 0, 60, 0), 1);
    MakeImages(seed);
    for (const Step& step : program.steps) Do(step);
    seen.push_back(platform::TheBackBuffer().pixels);
    for (int32_t image : images_) {
      for (int32_t frame = 0; frame < kFrames; ++frame) seen.push_back(Pixels(image, frame));
    }
    shown_again = host_->shown_again;
  }
  std::vector<std::vector<uint32_t>> seen;
  int32_t shown_again = 0;

 private:
  void MakeImages(uint32_t seed) {
    std::mt19937 random(seed);
    for (int32_t flags : kImageFlags) {
      images_.push_back(fw_create_image(kSide, kSide, kFrames, flags));
      for (int32_t frame = 0; frame < kFrames; ++frame) {
        for (int32_t y = 0; y < kSide; ++y) {
          for (int32_t x = 0; x < kSide; ++x) {
            fw_write_pixel(fw_lock_image(images_.back(), frame), x, y, Colour(random()));
          }
        }
      }
    }
  }
  // Transparent, half and opaque pixels, some black.
  static uint32_t Colour(uint32_t bits) {
    static constexpr uint32_t kAlphas[] = {0x00, 0x80, 0xFF, 0xFF};
    return kAlphas[bits >> 30] << 24 | ((bits & 1) ? 0u : bits & 0xFFFFFFu);
  }
  static std::vector<uint32_t> Pixels(int32_t image, int32_t frame) {
    return fw_lock_image(image, frame, 1, 0)->pixels;
  }

  void Do(const Step& s) {
    const int32_t image = images_[size_t(s.image)];
    const float x = float(s.a) / 2.0f, y = float(s.b) / 2.0f;
    switch (s.kind) {
      case Kind::kColour:
        return fw_set_color((s.a * 7) & 0xFF, (s.b * 13) & 0xFF, (s.c * 29) & 0xFF);
      case Kind::kAlpha:
        return fw_set_alpha(float(s.frame + s.image) / 3.0f);
      case Kind::kBlend:
        return fw_set_blend(1 + (s.a & 0xFFFF) % 5);
      case Kind::kRotation:
        return fw_set_rotation(float(s.image * 30 + s.frame * 45));
      case Kind::kScale:
        return fw_set_scale(float(1 + s.image) / 2.0f, float(1 + s.frame));
      case Kind::kClearColour:
        return fw_set_cls_color(s.a * 5, s.b * 11, s.c * 3);
      case Kind::kPlot:
        return fw_plot(x, y);
      case Kind::kRect:
        return fw_draw_rect(x, y, float(s.c), float(s.d));
      case Kind::kLine:
        return fw_draw_line(x, y, float(s.c), float(s.d), s.frame);
      case Kind::kImage:
        return fw_draw_image(image, x, y, s.frame);
      case Kind::kText:
        return fw_draw_text(s.frame ? u"Ab" : u"7", x, y);
      case Kind::kWritePixel:
        return fw_write_pixel(fw_lock_image(image, s.frame), s.c % (kSide + 2), s.d % (kSide + 2),
                              Colour(Written(s)));
      case Kind::kScopedWrite:
        return WriteRow(fw_lock_image(image, s.frame), s.c % (kSide + 2), Written(s));
      case Kind::kLock:
        fw_lock_image(image, s.frame, 1, s.c & 1);
        return fw_unlock_image(image, s.frame);
      case Kind::kCopyIntoImage:
        return fw_copy_pixmap_into_image(fw_lock_image(images_[size_t(s.c & 1)], 1 - s.frame),
                                         image, s.frame, s.a / 4, s.b / 4);
      case Kind::kGrabPixmap:
        return seen.push_back(fw_grab_pixmap(s.a / 2, s.b / 2, kSide + s.frame, kSide)->pixels);
      case Kind::kGrabImage:
        fw_grab_image(image, s.a / 2, s.b / 2, s.frame);
        return seen.push_back(Pixels(image, s.frame));
      case Kind::kGrabMasked:
        fw_grab_image_masked(image, s.a / 2, s.b / 2, s.frame);
        return seen.push_back(Pixels(image, s.frame));
      case Kind::kClear:
        return fw_cls();
      case Kind::kFlip:
        fw_flip(0);
        ++flips_;
        return seen.push_back(host_->LastFrame());
    }
  }
  // What a write step writes: the same in every frame, or new every few
  // frames, so that a map drawn as it was shown changes after the draw.
  uint32_t Written(const Step& s) const {
    const uint32_t period = (s.d & 1) ? uint32_t(flips_ / 3) : 0u;
    return (uint32_t(s.a * 977 + s.b) + period * 7919u) * 2654435761u;
  }
  // A row of a frame written in place.
  static void WriteRow(const platform::PixmapRef& frame, int32_t row, uint32_t bits) {
    if (row < 0 || row >= frame->height) return;
    platform::PixelWrite write(*frame);
    for (int32_t x = 0; x < frame->width; ++x) write.At(x, row) = Colour(bits * uint32_t(x + 1));
  }

  platform_stage::KeepingHost* host_ = nullptr;
  std::vector<int32_t> images_;
  int32_t flips_ = 0;
};

TEST(HeldDrawing, EveryProgramSeesTheSamePixelsWithHoldingOnAndOff) {
  int32_t frames_shown_again = 0;
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    const Program program(seed);
    const Sights held(program, seed, true);
    frames_shown_again += held.shown_again;
    const Sights drawn(program, seed, false);
    ASSERT_EQ(held.seen.size(), drawn.seen.size()) << "seed " << seed;
    for (size_t i = 0; i < held.seen.size(); ++i) {
      ASSERT_TRUE(held.seen[i] == drawn.seen[i]) << "seed " << seed << ", sight " << i;
    }
  }
  EXPECT_GT(frames_shown_again, 400);  // so the programs do hold drawing back
  platform::UseScriptedHost();
}

// A drawing call inside an open write is the fault itself: debug builds stop
// at the call, whether or not it would have been held.
TEST(HeldDrawing, ADrawingCallWhileAPixelWriteIsOpenStopsADebugBuild) {
  platform::UseScriptedHost();
  platform::PixmapRef pixmap = fw_create_pixmap(2, 2);
  EXPECT_DEBUG_DEATH(
      {
        platform::PixelWrite write(*pixmap);
        fw_plot(0, 0);
      },
      "PixelWrite was open");
}

}  // namespace
