// What drawing derives from a frame's pixels: the box of its visible pixels
// and whether every pixel is opaque, worked out a row at a time.
#include <algorithm>
#include <climits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "image.h"

namespace platform {
namespace {

// The bitwise OR and AND of n pixels: their alpha bytes tell at once whether
// any pixel is visible and whether all are opaque.
void FoldRow(const uint32_t* row, int32_t n, uint32_t& any, uint32_t& all) {
  int32_t i = 0;
  any = 0, all = ~0u;
#if defined(__SSE2__)
  __m128i ored = _mm_setzero_si128(), anded = _mm_set1_epi32(-1);
  for (; i + 4 <= n; i += 4) {
    const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
    ored = _mm_or_si128(ored, four);
    anded = _mm_and_si128(anded, four);
  }
  alignas(16) uint32_t ors[4], ands[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(ors), ored);
  _mm_store_si128(reinterpret_cast<__m128i*>(ands), anded);
  for (int32_t lane = 0; lane < 4; ++lane) any |= ors[lane], all &= ands[lane];
#endif
  for (; i < n; ++i) any |= row[i], all &= row[i];
}

bool Visible(uint32_t argb) { return (argb >> 24) != 0; }

}  // namespace

BlockScan ScanBlock(const Pixmap& pixmap, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  BlockScan scan;
  int32_t box_x0 = INT_MAX, box_y0 = INT_MAX, box_x1 = INT_MIN, box_y1 = INT_MIN;
  for (int32_t y = y0; y < y1 && x0 < x1; ++y) {
    const uint32_t* row = &pixmap.pixels[size_t(y) * pixmap.width];
    uint32_t any = 0, all = 0;
    FoldRow(row + x0, x1 - x0, any, all);
    if ((all >> 24) != 0xFF) scan.all_opaque = false;
    if (!Visible(any)) continue;
    int32_t first = x0, last = x1 - 1;
    while (!Visible(row[first])) ++first;
    while (!Visible(row[last])) --last;
    box_x0 = std::min(box_x0, first), box_x1 = std::max(box_x1, last + 1);
    box_y0 = std::min(box_y0, y), box_y1 = y + 1;
  }
  scan.any_visible = box_x0 != INT_MAX;
  if (scan.any_visible) scan.x0 = box_x0, scan.y0 = box_y0, scan.x1 = box_x1, scan.y1 = box_y1;
  return scan;
}

FrameCoverage BlockCoverage(const Pixmap& pixmap, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const BlockScan scan = ScanBlock(pixmap, x0, y0, x1, y1);
  FrameCoverage coverage;
  coverage.valid = true;
  coverage.generation = pixmap.generation();
  const bool whole = x0 == 0 && y0 == 0 && x1 == pixmap.width && y1 == pixmap.height;
  coverage.opaque = whole && !pixmap.pixels.empty() && scan.all_opaque;
  coverage.empty = !scan.any_visible;
  if (scan.any_visible) {
    coverage.x0 = scan.x0, coverage.y0 = scan.y0, coverage.x1 = scan.x1, coverage.y1 = scan.y1;
  }
  return coverage;
}

// Pixels the block covered may have turned clear, so the box can come out
// larger than the visible pixels: a one-to-one draw then only looks at a few
// more, and any other draw finds the exact box first.
void GrowCoverage(FrameCoverage& coverage, const BlockScan& scan, int32_t dx, int32_t dy) {
  coverage.exact = false;
  if (!scan.all_opaque) coverage.opaque = false;
  if (!scan.any_visible) return;
  const int32_t x0 = scan.x0 + dx, y0 = scan.y0 + dy, x1 = scan.x1 + dx, y1 = scan.y1 + dy;
  if (coverage.empty) {
    coverage.x0 = x0, coverage.y0 = y0, coverage.x1 = x1, coverage.y1 = y1;
  } else {
    coverage.x0 = std::min(coverage.x0, x0), coverage.y0 = std::min(coverage.y0, y0);
    coverage.x1 = std::max(coverage.x1, x1), coverage.y1 = std::max(coverage.y1, y1);
  }
  coverage.empty = false;
}

const FrameCoverage& UpdateCoverage(const Pixmap& pixmap, FrameCoverage& coverage) {
  if (coverage.valid && coverage.generation == pixmap.generation()) return coverage;
  coverage = BlockCoverage(pixmap, 0, 0, pixmap.width, pixmap.height);
  return coverage;
}

}  // namespace platform
