// Grabs: blocks of the back buffer copied into pixel maps.
#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "image.h"
#include "plain_paths.h"

namespace platform {
namespace {

// A box of pixels, exclusive end; empty when x0 >= x1 or y0 >= y1.
struct Box {
  int32_t x0, y0, x1, y1;
};

// The common part of two boxes; all zero when they have none.
Box Intersect(const Box& a, const Box& b) {
  const Box common{std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1),
                   std::min(a.y1, b.y1)};
  return common.x0 < common.x1 && common.y0 < common.y1 ? common : Box{0, 0, 0, 0};
}

int32_t ClampToInt(int64_t value) {
  return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// The buffer's box seen from a map whose top-left corner lies at (x, y).
Box BufferSeenFrom(const BackBuffer& buffer, int32_t x, int32_t y) {
  return {ClampToInt(-int64_t(x)), ClampToInt(-int64_t(y)), ClampToInt(int64_t(buffer.width) - x),
          ClampToInt(int64_t(buffer.height) - y)};
}

// Copies n pixels, storing those whose red, green and blue are all 0 as 0.
void CopyMaskingBlack(uint32_t* out, const uint32_t* in, int32_t n) {
  int32_t i = 0;
#if defined(__SSE2__)
  const __m128i colour_bits = _mm_set1_epi32(0xFFFFFF), zero = _mm_setzero_si128();
  const int32_t in_quads = plain_paths ? 0 : n / 4 * 4;
  for (; i < in_quads; i += 4) {
    const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    const __m128i black = _mm_cmpeq_epi32(_mm_and_si128(four, colour_bits), zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_andnot_si128(black, four));
  }
#endif
  for (; i < n; ++i) out[i] = (in[i] & 0xFFFFFFu) == 0 ? 0u : in[i];
}

// Fills the map from the buffer block at (x, y): the pixels of `read` (map
// coordinates, inside the buffer) through `copy_row`, every other pixel 0.
template <class CopyRow>
void FillFromBuffer(Pixmap& pixmap, const BackBuffer& buffer, Box read, int32_t x, int32_t y,
                    CopyRow copy_row) {
  PixelWrite write(pixmap);
  for (int32_t row = 0; row < pixmap.height; ++row) {
    uint32_t* out = write.Row(row);
    if (row < read.y0 || row >= read.y1) {
      std::fill(out, out + pixmap.width, 0u);
      continue;
    }
    std::fill(out, out + read.x0, 0u);
    copy_row(out + read.x0, &buffer.pixels[size_t(row + y) * buffer.width + size_t(read.x0 + x)],
             read.x1 - read.x0);
    std::fill(out + read.x1, out + pixmap.width, 0u);
  }
}

}  // namespace

void CopyFromBackBuffer(Pixmap& pixmap, int32_t x, int32_t y) {
  const BackBuffer& buffer = TheBackBuffer();
  const Box read = Intersect({0, 0, pixmap.width, pixmap.height}, BufferSeenFrom(buffer, x, y));
  FillFromBuffer(pixmap, buffer, read, x, y, [](uint32_t* out, const uint32_t* in, int32_t n) {
    std::memcpy(out, in, size_t(n) * 4);
  });
}

// Outside the buffer, and outside what was drawn since a clear to black,
// every pixel comes out 0: only the drawn part is read.
void GrabMaskedFromBackBuffer(Pixmap& pixmap, FrameCoverage& coverage, int32_t x, int32_t y) {
  const BackBuffer& buffer = TheBackBuffer();
  Box read = Intersect({0, 0, pixmap.width, pixmap.height}, BufferSeenFrom(buffer, x, y));
  DrawnBox drawn;
  if (!plain_paths && DrawnSinceClear(drawn) && (drawn.cleared_to & 0xFFFFFFu) == 0) {
    const Box shifted{ClampToInt(int64_t(drawn.x0) - x), ClampToInt(int64_t(drawn.y0) - y),
                      ClampToInt(int64_t(drawn.x1) - x), ClampToInt(int64_t(drawn.y1) - y)};
    read = Intersect(read, shifted);
  }
  FillFromBuffer(pixmap, buffer, read, x, y, [](uint32_t* out, const uint32_t* in, int32_t n) {
    CopyMaskingBlack(out, in, n);
  });
  coverage = BlockCoverage(pixmap, read.x0, read.y0, read.x1, read.y1);
}

}  // namespace platform

platform::PixmapRef fw_grab_pixmap(int32_t x, int32_t y, int32_t width, int32_t height) {
  platform::PixmapRef pixmap = fw_create_pixmap(width, height);
  if (pixmap) platform::CopyFromBackBuffer(*pixmap, x, y);
  return pixmap;
}
