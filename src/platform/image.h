// Images: the object behind an image handle, and what drawing derives from
// its frames. Shared by the platform layer's own files, and by the tests,
// benchmarks and fuzz targets that look inside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "internal.h"

namespace platform {

enum ImageFlag : int32_t {
  kImageMasked = 1,
  kImageFiltered = 2,
  kImageMipmapped = 4,
  kImageDynamic = 8,
};

// What drawing needs to know about a frame's pixels, rebuilt whenever the
// frame's generation moves on.
struct FrameCoverage {
  uint64_t generation = ~uint64_t(0);
  bool valid = false;
  bool empty = true;    // true only when every pixel is fully transparent
  bool opaque = false;  // true only when every pixel is fully opaque
  // A box holding every non-transparent pixel, exclusive end: exactly theirs
  // when worked out from the pixels, possibly larger once blocks were copied
  // in (the extra pixels are transparent).
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool exact = true;  // false once the box may be larger
};

struct Image : Object {
  int32_t width = 0;
  int32_t height = 0;
  int32_t flags = 0;
  float handle_x = 0;
  float handle_y = 0;
  std::vector<PixmapRef> frames;
  std::vector<FrameCoverage> coverage;  // one per frame
};
using ImageRef = std::shared_ptr<Image>;

// The frame, or null when the image or the frame does not exist.
PixmapRef ImageFrame(const Image& image, int32_t frame);

// The coverage of a pixel map, recomputed only when its generation moved on.
const FrameCoverage& UpdateCoverage(const Pixmap& pixmap, FrameCoverage& coverage);
// What the pixels of the block [x0, x1) x [y0, y1) of a pixel map hold.
struct BlockScan {
  bool any_visible = false;
  bool all_opaque = true;                  // also for an empty block
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // box of the visible pixels, exclusive end
};
BlockScan ScanBlock(const Pixmap& pixmap, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// The coverage of a pixel map that is 0 outside the block [x0, x1) x [y0, y1).
FrameCoverage BlockCoverage(const Pixmap& pixmap, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// A current coverage after the scanned block was copied into the frame
// (dx, dy) further right and down.
void GrowCoverage(FrameCoverage& coverage, const BlockScan& scan, int32_t dx, int32_t dy);
// Draws a pixel map with its local point (hx, hy) on (x, y), under the
// current drawing state.
void DrawPixmap(const PixmapRef& pixmap, FrameCoverage& coverage, bool filtered, float x, float y,
                float hx, float hy);
// Copies the back buffer block at (x, y) into the pixel map; pixels outside
// the buffer read as 0.
void CopyFromBackBuffer(Pixmap& pixmap, int32_t x, int32_t y);
// The same, storing every pixel whose red, green and blue are all 0 as 0,
// and leaving the map's coverage current.
void GrabMaskedFromBackBuffer(Pixmap& pixmap, FrameCoverage& coverage, int32_t x, int32_t y);

// One character of a font, drawn as white with its coverage as alpha.
struct Glyph {
  PixmapRef pixmap;  // null for a glyph with nothing to draw
  FrameCoverage coverage;
  int32_t left = 0, top = 0;  // of the pixmap, from the pen on the line's top
  float advance = 0;
  bool present = false;  // false: the font has no glyph for the character
};

// An image font: glyphs rendered once, on first use, and kept.
class Font : public Object {
 public:
  Font(int32_t line_height, int32_t ascender) : line_height_(line_height), ascender_(ascender) {}
  int32_t LineHeight() const { return line_height_; }
  int32_t Ascender() const { return ascender_; }
  Glyph& GlyphOf(char16_t code);

 protected:
  virtual Glyph Render(char16_t code) = 0;

 private:
  int32_t line_height_, ascender_;
  std::unordered_map<char16_t, Glyph> glyphs_;
};

// The font that serves when no font is current.
std::shared_ptr<Font> DefaultFont();

// Wider or taller PNG pictures are refused from their header.
constexpr uint32_t kMaxPngSide = 16384;
// PNG bytes to a pixel map; null for anything that is not a whole PNG, and
// for a picture wider than `most_width` or taller than `most_height`, which
// is refused from its header before anything is decoded.
PixmapRef DecodePng(const uint8_t* data, size_t size, uint32_t most_width = kMaxPngSide,
                    uint32_t most_height = kMaxPngSide);

}  // namespace platform
