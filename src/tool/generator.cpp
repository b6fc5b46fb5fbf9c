// The sprite generator: paints one animation frame of the sprite from the
// seed and the settings block, layer by layer, on the back buffer.
//
// Every random draw below happens in a fixed order, and a preset stores only
// the seed and the settings: reordering, adding or dropping a draw changes
// every saved sprite.
#include <algorithm>
#include <array>
#include <cstdlib>

#include "engine/engine.h"
#include "frame_view.h"
#include "movement.h"
#include "tool.h"

namespace tool {
namespace {

constexpr int32_t kCanvasSize = 128;  // the generator paints in this corner of the back buffer
constexpr int32_t kCellSize = 64;     // shapes and filters sheet cells
constexpr int32_t kShownLayers = 9;   // layers the panel edits and the composite shows
constexpr int32_t kVisitedLayers = 10;
constexpr int32_t kBudgetSlot = 1;
constexpr int32_t kMaxTries = 61;
constexpr int32_t kMaxDensity = 230;
constexpr int32_t kFullFillAmount = 110;
constexpr int32_t kAverageAlphaFloor = 50;
constexpr int32_t kAlphaCut = 60;
constexpr int32_t kPaletteColours = 64;

int32_t& Setting(int32_t index) { return ToolSettings[index]; }

int32_t RandAround(int32_t spread) { return fw_rand_int(wrap_sub(0, spread), spread); }

int32_t Clamp(int32_t value, int32_t lo, int32_t hi) { return std::min(std::max(value, lo), hi); }

uint32_t AlphaOf(uint32_t argb) { return argb >> 24; }
uint32_t RedOf(uint32_t argb) { return (argb >> 16) & 0xffu; }
uint32_t GreenOf(uint32_t argb) { return (argb >> 8) & 0xffu; }
uint32_t BlueOf(uint32_t argb) { return argb & 0xffu; }
uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

// The working colour, carried from layer to layer.
struct Hsl {
  int32_t hue;
  int32_t sat;
  int32_t light;
};

// What one call needs everywhere: the sprite size, the frame and where the
// images store it, the coin that decides every random mirror of the call,
// and the shape or filter cell column and row under each sprite column and
// row.
struct FrameJob {
  int32_t width;
  int32_t height;
  int32_t frame;
  int32_t stored_frame;
  int32_t mirror_coin;
  std::array<int32_t, kCanvasSize> cell_x;  // x * 64 / width
  std::array<int32_t, kCanvasSize> cell_y;  // y * 64 / height
};

// One layer's choices, fixed before its pixels are placed.
struct LayerJob {
  LayerJob(const FrameJob& job, int32_t base, int32_t cell)
      : base(base),
        shape(fw_lock_image(ShapesImage, cell, 1, 0), kCellSize, kCellSize),
        horizontal(false, job.frame, base),
        vertical(true, job.frame, base) {}

  int32_t base;
  bool fold_x = false;  // mirror on: place in the left half only
  bool fold_y = false;
  bool mirror_x = false;  // plot the mirrored copies
  bool mirror_y = false;
  bool flip_x = false;
  bool flip_y = false;
  int32_t jitter = 0;
  int32_t threshold = 0;
  FrameView shape;
  AxisMovement horizontal;
  AxisMovement vertical;
};

struct Rgb {
  int32_t r, g, b;
};

// The drawing colour of an HSL triple. All arithmetic is floating point, q
// and the red and green results held as 32-bit floats, and the constants
// 0.3333, 0.1666 and 0.6666 are taken as written, not as thirds and sixths.
Rgb RgbFromHsl(int32_t hue, int32_t saturation, int32_t lightness) {
  const double h = hue / 255.0;
  const double s = saturation / 255.0;
  const double l = lightness / 255.0;
  const float q = l < 0.5 ? float(l * (1.0 + s)) : float(l + s - l * s);
  const double p = 2.0 * l - q;

  const auto channel = [&](double x) -> double {
    if (x < 0.1666f) return p + (q - p) * 6.0 * x;
    if (x < 0.5) return q;
    if (x < 0.6666f) return p + (q - p) * (0.6666f - x) * 6.0;
    return p;
  };
  double red_position = h + 0.3333f;
  if (red_position > 1.0) red_position -= 1.0;
  double blue_position = h - 0.3333f;
  if (blue_position < 0.0) blue_position += 1.0;

  const float red = float(channel(red_position));
  const float green = float(channel(h));
  const double blue = channel(blue_position);
  return {rt_float_to_int(255.0 * red), rt_float_to_int(255.0 * green),
          rt_float_to_int(255.0 * blue)};
}

// Pure black is transparent in the tool's images, so paint (1, 1, 1) instead.
void SetPaintColour(const Hsl& colour) {
  Rgb paint = RgbFromHsl(colour.hue, colour.sat, colour.light);
  if (paint.r == 0 && paint.g == 0 && paint.b == 0) paint = {1, 1, 1};
  engine::SetColourAlpha(float(paint.r), float(paint.g), float(paint.b), 1.0f);
}

void ClearCanvas() {
  engine::BeginFrame(1);
  engine::ResetDrawState();
  engine::DrawSpriteCounted(BlankScreenImage, 0, 0, 0, kBudgetSlot);
}

// The layer's shift of the inherited colour; the hue wraps into 0 to 511 so
// that a negative remainder r lands on 256 - r.
void InheritColour(int32_t base, Hsl& colour) {
  colour.hue = wrap_add(colour.hue, Setting(base + kHueOffset));
  colour.sat = wrap_add(colour.sat, Setting(base + kHueOffset + 1));
  colour.light = wrap_add(colour.light, Setting(base + kHueOffset + 2));
  colour.hue = wrap_add(colour.hue, RandAround(Setting(base + kInheritRandomness)));
  colour.sat = wrap_add(colour.sat, RandAround(Setting(base + kInheritRandomness + 1)));
  colour.light = wrap_add(colour.light, RandAround(Setting(base + kInheritRandomness + 2)));
  colour.hue = wrap_mod(colour.hue, 256);
  if (colour.hue < 0) colour.hue = 256 - colour.hue;
  colour.sat = Clamp(colour.sat, 0, 255);
  colour.light = Clamp(colour.light, 0, 255);
}

int32_t PixelCount(const FrameJob& job, int32_t base) {
  int32_t area = job.width * job.height;
  if (Setting(base + kMirrorX) == 1) area /= 2;
  if (Setting(base + kMirrorY) == 1) area /= 2;
  int32_t density =
      wrap_add(wrap_mul(2, Setting(base + kAmount)), RandAround(Setting(base + kRandomness)));
  if (density > kMaxDensity) density = kMaxDensity;
  if (density < 0) density = 0;
  return density * area / 100;
}

void FillSpriteArea(const FrameJob& job, const Hsl& colour) {
  SetPaintColour(colour);
  for (int32_t x = 0; x < job.width; ++x)
    for (int32_t y = 0; y < job.height; ++y) fw_plot(float(x), float(y));
}

bool ChosenOrOn(int32_t setting, int32_t coin) {
  return setting == 1 || (setting == 2 && coin == 1);
}

struct Spot {
  int32_t x, y;
};

// Picks a spot whose shape pixel is bright enough; the last try is taken
// whatever it reads. Mirrored layers fold the spot into the first half.
// The loop keeps what it reads in locals, as every draw writes the
// generator's state.
Spot PickSpot(const FrameJob& job, const LayerJob& layer) {
  const int32_t width = job.width, height = job.height;
  const int32_t jitter = layer.jitter, threshold = layer.threshold;
  const bool flip_x = layer.flip_x, flip_y = layer.flip_y;
  const bool fold_x = layer.fold_x, fold_y = layer.fold_y;
  Spot spot{0, 0};
  for (int32_t attempt = 1; attempt <= kMaxTries; ++attempt) {
    int32_t x = fw_rand_int(0, width - 1);
    int32_t y = fw_rand_int(0, height - 1);
    int32_t sx = job.cell_x[size_t(x)] + RandAround(jitter);
    int32_t sy = job.cell_y[size_t(y)] + RandAround(jitter);
    sx = Clamp(sx, 0, kCellSize - 1);
    sy = Clamp(sy, 0, kCellSize - 1);
    if (flip_x) sx = kCellSize - 1 - sx;
    if (flip_y) sy = kCellSize - 1 - sy;
    const int32_t red = int32_t(RedOf(layer.shape.Get(sx, sy)));
    if (fold_x && x > width / 2 - 1) x = width - x;
    if (fold_y && y > height / 2 - 1) y = height - y;
    spot = Spot{x, y};
    if (red >= threshold) break;
  }
  return spot;
}

// Every position makes its two movement draws, plotted or not.
void PlotMoved(LayerJob& layer, int32_t px, int32_t py, int32_t roll, bool plotted) {
  if (!plotted) {
    layer.horizontal.SkipDraw();
    layer.vertical.SkipDraw();
    return;
  }
  const int32_t x = layer.horizontal.Move(px, py, float(px), roll);
  const int32_t y = layer.vertical.Move(px, py, float(py), roll);
  fw_plot(float(x), float(y));
}

void PlacePixel(const FrameJob& job, LayerJob& layer, const Hsl& colour) {
  const int32_t base = layer.base;
  Hsl pixel;
  pixel.hue = wrap_mod(wrap_add(colour.hue, RandAround(Setting(base + kPixelRandomness))), 256);
  if (pixel.hue < 0) pixel.hue += 256;
  pixel.sat = Clamp(wrap_add(colour.sat, RandAround(Setting(base + kPixelRandomness + 1))), 0, 255);
  pixel.light =
      Clamp(wrap_add(colour.light, RandAround(Setting(base + kPixelRandomness + 2))), 0, 255);
  SetPaintColour(pixel);

  const auto [x, y] = PickSpot(job, layer);
  const int32_t roll = fw_rand_int(0, 100);
  const int32_t right = job.width - 1 - x;
  const int32_t bottom = job.height - 1 - y;
  PlotMoved(layer, x, y, roll, true);
  PlotMoved(layer, right, y, roll, layer.mirror_x);
  PlotMoved(layer, x, bottom, roll, layer.mirror_y);
  PlotMoved(layer, right, bottom, roll, layer.mirror_x && layer.mirror_y);
}

// The share of a layer pixel's colour the filter keeps, from the filter
// cell's blue byte: 1 at 255, falling with the byte and the power.
float FilterFactor(uint32_t filter_pixel, int32_t power) {
  const float fb = float(BlueOf(filter_pixel));
  const float factor = (100.0f - ((255.0f - fb) / 2.5f) * float(power) / 100.0f) / 100.0f;
  return factor < 0.0f ? 0.0f : factor;
}

// Darkens the layer where the filter cell's blue byte is low.
void ApplyFilter(const FrameJob& job, int32_t layer_index, int32_t base) {
  const int32_t cell = Setting(base + kFilter);
  const int32_t power = Setting(base + kFilterPower);
  if (cell <= 0 || power <= 0) return;
  FrameEdit layer(fw_lock_image(LayerImage, layer_index, 1, 1), job.width, job.height);
  const FrameView filter(fw_lock_image(FiltersImage, cell, 1, 0), kCellSize, kCellSize);
  for (int32_t x = 0; x < job.width; ++x) {
    const int32_t fx = std::min(job.cell_x[size_t(x)], kCellSize - 1);
    for (int32_t y = 0; y < job.height; ++y) {
      const uint32_t pixel = layer.Get(x, y);
      if (AlphaOf(pixel) == 0) continue;
      const int32_t fy = std::min(job.cell_y[size_t(y)], kCellSize - 1);
      const float factor = FilterFactor(filter.Get(fx, fy), power);
      const uint32_t r = uint32_t(rt_float_to_int(float(RedOf(pixel)) * factor));
      const uint32_t g = uint32_t(rt_float_to_int(float(GreenOf(pixel)) * factor));
      uint32_t b = uint32_t(rt_float_to_int(float(BlueOf(pixel)) * factor));
      if (b == 0) b = 2;  // keeps a darkened pixel from reading as transparent black
      layer.Set(x, y, Argb(AlphaOf(pixel), r, g, b));
    }
  }
  fw_unlock_image(FiltersImage, cell);
  fw_unlock_image(LayerImage, layer_index);
}

void PaintLayer(const FrameJob& job, int32_t layer_index, Hsl& colour) {
  const int32_t base = kLayerStride * layer_index;
  InheritColour(base, colour);
  const int32_t count = PixelCount(job, base);
  if (Setting(base + kAmount) >= kFullFillAmount) FillSpriteArea(job, colour);

  const int32_t jitter = fw_rand_int(0, 12);
  const int32_t flip_coin_x = fw_rand_int(0, 1);
  const int32_t flip_coin_y = fw_rand_int(0, 1);
  if (Setting(base + kRandomShape) != 0) Setting(base + kShape) = fw_rand_int(0, ShapeCount);
  if (Setting(base + kRandomFilter) != 0) Setting(base + kFilter) = fw_rand_int(0, FilterCount);

  const int32_t cell = Setting(base + kShape);
  LayerJob layer(job, base, cell);
  layer.jitter = jitter;
  layer.flip_x = ChosenOrOn(Setting(base + kFlipX), flip_coin_x);
  layer.flip_y = ChosenOrOn(Setting(base + kFlipY), flip_coin_y);
  layer.fold_x = Setting(base + kMirrorX) == 1;
  layer.fold_y = Setting(base + kMirrorY) == 1;
  layer.mirror_x = ChosenOrOn(Setting(base + kMirrorX), job.mirror_coin);
  layer.mirror_y = ChosenOrOn(Setting(base + kMirrorY), job.mirror_coin);
  layer.threshold = wrap_sub(140, Setting(base + kRandomness));
  for (int32_t i = 0; i < count; ++i) PlacePixel(job, layer, colour);
  fw_unlock_image(ShapesImage, cell);

  GrabFrameToImage(LayerImage, 0, 0, layer_index);
  ClearCanvas();
  ApplyFilter(job, layer_index, base);
}

void ComposeLayers(const FrameJob& job) {
  ClearCanvas();
  for (int32_t layer = 1; layer <= kShownLayers; ++layer)
    if (Setting(kLayerStride * layer + kLayerOn) == 1)
      engine::DrawSpriteCounted(LayerImage, 0, 0, layer, kBudgetSlot);
  GrabFrameToImage(SpriteImage, 0, 0, job.stored_frame);
  GrabFrameToImage(LayerImage, 0, 0, 0);
}

// The mean of the 3 x 3 block's visible pixels; a transparent centre takes
// a third of their alpha, which softens the outline.
uint32_t AveragedPixel(const FrameJob& job, const FrameView& source, int32_t x, int32_t y) {
  uint32_t sum_a = 0, sum_r = 0, sum_g = 0, sum_b = 0, count = 0;
  for (int32_t nx = std::max(x - 1, 0); nx <= std::min(x + 1, job.width - 1); ++nx) {
    for (int32_t ny = std::max(y - 1, 0); ny <= std::min(y + 1, job.height - 1); ++ny) {
      const uint32_t pixel = source.Get(nx, ny);
      if (AlphaOf(pixel) <= uint32_t(kAverageAlphaFloor)) continue;
      sum_a += AlphaOf(pixel);
      sum_r += RedOf(pixel);
      sum_g += GreenOf(pixel);
      sum_b += BlueOf(pixel);
      ++count;
    }
  }
  if (count == 0) return 0;
  uint32_t alpha = sum_a / count;
  if (AlphaOf(source.Get(x, y)) < uint32_t(kAverageAlphaFloor)) alpha = sum_a / (3 * count);
  return Argb(alpha, sum_r / count, sum_g / count, sum_b / count);
}

void AverageLayers(const FrameJob& job) {
  const FrameView source(fw_lock_image(LayerImage, 0, 1, 0), job.width, job.height);
  FrameEdit target(fw_lock_image(LayerImage, 1, 0, 1), job.width, job.height);
  for (int32_t x = 0; x < job.width; ++x)
    for (int32_t y = 0; y < job.height; ++y) target.Set(x, y, AveragedPixel(job, source, x, y));
  fw_unlock_image(LayerImage, 1);
  fw_unlock_image(LayerImage, 0);
}

// The averaged layer is drawn once its write is done.
void AverageComposite(const FrameJob& job) {
  AverageLayers(job);
  ClearCanvas();
  engine::DrawSpriteCounted(LayerImage, 0, 0, 1, kBudgetSlot);
}

// The nearest palette colour by the sum of channel distances, fully opaque;
// on a tie the lower index stays.
uint32_t SnapToPalette(uint32_t pixel) {
  int32_t best = 1000;
  uint32_t snapped = pixel;
  const int32_t r = int32_t(RedOf(pixel)), g = int32_t(GreenOf(pixel)), b = int32_t(BlueOf(pixel));
  for (int32_t i = 0; i < kPaletteColours; ++i) {
    const int32_t pr = PaletteTable[128 + i], pg = PaletteTable[256 + i];
    const int32_t pb = PaletteTable[384 + i];
    const int32_t distance =
        std::abs(wrap_sub(pr, r)) + std::abs(wrap_sub(pg, g)) + std::abs(wrap_sub(pb, b));
    if (distance < best) {
      best = distance;
      snapped = Argb(255, uint32_t(pr) & 0xffu, uint32_t(pg) & 0xffu, uint32_t(pb) & 0xffu);
    }
  }
  return snapped;
}

// The preview holds the sprite enlarged by `scale` in its top-left corner
// and 0 everywhere else.
void ClearAroundPreview(FrameEdit& preview, const FrameJob& job, int32_t scale) {
  for (int32_t y = 0; y < kCanvasSize; ++y) {
    const int32_t first = y < job.height * scale ? job.width * scale : 0;
    for (int32_t x = first; x < kCanvasSize; ++x) preview.Set(x, y, 0);
  }
}

void FinishFrame(const FrameJob& job) {
  FrameEdit sprite(fw_lock_image(SpriteImage, job.stored_frame, 1, 1), job.width, job.height);
  FrameEdit preview(fw_lock_image(PreviewImage, job.stored_frame, 1, 1), kCanvasSize, kCanvasSize);
  fw_set_cls_color(120, 120, 120);
  const int32_t scale = FitScale(kCanvasSize, job.width, job.height);
  PreviewScale = scale;
  ClearAroundPreview(preview, job, scale);

  for (int32_t x = 0; x < job.width; ++x) {
    for (int32_t y = 0; y < job.height; ++y) {
      const uint32_t pixel = sprite.Get(x, y);
      uint32_t out = pixel;
      if (PaletteOn == 1 && AlphaOf(pixel) > 0) out = SnapToPalette(pixel);
      if (AlphaOf(pixel) < uint32_t(kAlphaCut)) out = 0;
      for (int32_t i = 0; i < scale; ++i)
        for (int32_t j = 0; j < scale; ++j) preview.Set(x * scale + i, y * scale + j, out);
      sprite.Set(x, y, out);
    }
  }
  fw_unlock_image(PreviewImage, job.stored_frame);
  fw_unlock_image(SpriteImage, job.stored_frame);
}

// The canvas is 128 x 128, and the shape sampling divides by the size.
bool SizeFitsCanvas(int32_t width, int32_t height) {
  return width >= 1 && width <= kCanvasSize && height >= 1 && height <= kCanvasSize;
}

}  // namespace

int32_t SetColourFromHsl(int32_t hue, int32_t saturation, int32_t lightness) {
  const Rgb colour = RgbFromHsl(hue, saturation, lightness);
  fw_set_color(colour.r, colour.g, colour.b);
  return 0;
}

int32_t GenerateSpriteFrame(int32_t frame, int32_t hue_shift) {
  FrameJob job{SpriteWidth, SpriteHeight, frame, StoredFrame(frame), 0, {}, {}};
  if (!SizeFitsCanvas(job.width, job.height)) {
    // Nothing sensible to paint; leave the generator as a painted frame would.
    fw_seed_rnd(wrap_add(SpriteSeed, kLayerStride * kVisitedLayers));
    fw_set_cls_color(120, 120, 120);
    return 0;
  }

  for (int32_t x = 0; x < job.width; ++x) job.cell_x[size_t(x)] = x * kCellSize / job.width;
  for (int32_t y = 0; y < job.height; ++y) job.cell_y[size_t(y)] = y * kCellSize / job.height;

  fw_set_cls_color(0, 0, 0);
  fw_seed_rnd(SpriteSeed);
  ClearCanvas();
  Hsl colour;
  colour.hue =
      wrap_add(wrap_add(Setting(kBaseColour), hue_shift), RandAround(Setting(kBaseRandomness)));
  colour.sat = wrap_add(Setting(kBaseColour + 1), RandAround(Setting(kBaseRandomness + 1)));
  colour.light = wrap_add(Setting(kBaseColour + 2), RandAround(Setting(kBaseRandomness + 2)));
  job.mirror_coin = fw_rand_int(0, 1);

  for (int32_t layer = 1; layer <= kVisitedLayers; ++layer) {
    const int32_t base = kLayerStride * layer;
    fw_seed_rnd(wrap_add(SpriteSeed, base));
    // The tenth block has no frame to be painted into and is never shown.
    if (layer > kShownLayers || Setting(base + kLayerOn) != 1) continue;
    PaintLayer(job, layer, colour);
  }

  ComposeLayers(job);
  if (Setting(kAverageOn) == 1) AverageComposite(job);
  GrabFrameToImage(SpriteImage, 0, 0, job.stored_frame);
  GrabFrameToImage(LayerImage, 0, 0, 0);
  FinishFrame(job);
  return 0;
}

// Black is stored as transparent, the rule every image of the tool keeps.
int32_t GrabFrameToImage(int32_t image, int32_t x, int32_t y, int32_t frame) {
  fw_grab_image_masked(image, x, y, frame);
  return 0;
}

}  // namespace tool
