// The software rasterizer: one drawing state and the primitives that paint
// into the back buffer. A pixel is painted when its centre lies inside the
// shape after the rotation and scale matrix (top-left fill rule). Every write
// leaves the pixel opaque.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "frame_log.h"
#include "plain_paths.h"

namespace platform {

bool plain_paths = false;

namespace {

enum BlendMode : int32_t { kMask = 1, kSolid = 2, kAlpha = 3, kLight = 4, kShade = 5 };

DrawingState state;
static_assert(DrawingState{}.blend == kAlpha);

// What fw_cls must repaint: the box touched since the last clear, valid only
// while the buffer and the clear colour stay the same.
struct DirtyTracker {
  const uint32_t* buffer = nullptr;
  size_t size = 0;
  uint32_t cleared_to = 0;
  bool cleared = false;
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // exclusive end; empty when x0 >= x1
};
DirtyTracker dirty;

void MarkDirty(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (x0 >= x1 || y0 >= y1) return;
  // Plots mostly land inside the box already.
  if (x0 >= dirty.x0 && y0 >= dirty.y0 && x1 <= dirty.x1 && y1 <= dirty.y1) return;
  if (dirty.x0 >= dirty.x1 || dirty.y0 >= dirty.y1) {
    dirty.x0 = x0, dirty.y0 = y0, dirty.x1 = x1, dirty.y1 = y1;
    return;
  }
  dirty.x0 = std::min(dirty.x0, x0), dirty.y0 = std::min(dirty.y0, y0);
  dirty.x1 = std::max(dirty.x1, x1), dirty.y1 = std::max(dirty.y1, y1);
}

// A buffer reset behind our back (resized to the same size, say) shows in
// its corners; those outside the dirty box must still hold the clear colour.
bool CornersStillClear(const BackBuffer& buffer) {
  if (buffer.pixels.empty()) return true;
  for (int32_t y : {0, buffer.height - 1}) {
    for (int32_t x : {0, buffer.width - 1}) {
      bool drawn = x >= dirty.x0 && x < dirty.x1 && y >= dirty.y0 && y < dirty.y1;
      if (!drawn && buffer.pixels[size_t(y) * buffer.width + x] != dirty.cleared_to) return false;
    }
  }
  return true;
}

// Every pixel outside the dirty box still holds the colour of the last clear.
bool DirtyBoxHoldsAllDrawing(const BackBuffer& buffer) {
  return dirty.cleared && dirty.buffer == buffer.pixels.data() &&
         dirty.size == buffer.pixels.size() && CornersStillClear(buffer);
}

void UpdateMatrix() {
  double radians = double(state.rotation) * 3.14159265358979323846 / 180.0;
  float s = float(std::sin(radians)), c = float(std::cos(radians));
  state.ix = c * state.scale_x;
  state.iy = -s * state.scale_y;
  state.jx = s * state.scale_x;
  state.jy = c * state.scale_y;
}

bool AxisAligned() { return state.iy == 0.0f && state.jx == 0.0f; }

// Fills n pixels with one value, 16 bytes at a time where the CPU allows.
void FillPixels(uint32_t* out, size_t n, uint32_t value) {
#if defined(__SSE2__)
  if (!plain_paths) {
    while (n > 0 && (reinterpret_cast<uintptr_t>(out) & 15) != 0) *out++ = value, --n;
    __m128i four = _mm_set1_epi32(int32_t(value));
    for (; n >= 8; n -= 8, out += 8) {
      _mm_store_si128(reinterpret_cast<__m128i*>(out), four);
      _mm_store_si128(reinterpret_cast<__m128i*>(out + 4), four);
    }
  }
#endif
  std::fill(out, out + n, value);
}

// Rounded x / 255 for x up to 255 * 255.
inline uint32_t Div255(uint32_t x) { return (x + 128 + ((x + 128) >> 8)) >> 8; }

// The current colour and alpha as integers, ready for the pixel loops.
struct Paint {
  int32_t mode;
  uint32_t red, green, blue;  // colour multipliers 0..255
  uint32_t alpha;             // 0..255
  bool white;
};

// What the paint is made from.
struct PaintInputs {
  int32_t red, green, blue, blend;
  float alpha;
  bool operator==(const PaintInputs&) const = default;
};

Paint MakePaint(const PaintInputs& in) {
  auto channel = [](int32_t v) { return uint32_t(std::clamp(v, 0, 255)); };
  float a = std::isnan(in.alpha) ? 0.0f : std::clamp(in.alpha, 0.0f, 1.0f);
  Paint paint{in.blend,
              channel(in.red),
              channel(in.green),
              channel(in.blue),
              uint32_t(double(a * 255.0f) + 0.5),  // half up, as lround rounds from 0 up
              false};
  if (paint.mode < kMask || paint.mode > kShade) paint.mode = kSolid;
  paint.white = paint.red == 255 && paint.green == 255 && paint.blue == 255;
  return paint;
}

// Plots ask for the paint once per pixel, mostly with the state unchanged
// since the last time, so the last paint is kept.
PaintInputs last_paint_inputs{0, 0, 0, kSolid, 0.0f};
Paint last_paint{kSolid, 0, 0, 0, 0, false};

const Paint& CurrentPaint() {
  const PaintInputs now{state.red, state.green, state.blue, state.blend, state.alpha};
  if (!(now == last_paint_inputs)) last_paint_inputs = now, last_paint = MakePaint(now);
  return last_paint;
}

// Modes in which a fully transparent source changes nothing.
constexpr bool TransparentIsNoOp(int32_t mode) {
  return mode == kMask || mode == kAlpha || mode == kLight;
}

// Whether the paint changes no pixel, so that drawing may be skipped.
bool PaintDrawsNothing(const Paint& paint) {
  return !plain_paths && TransparentIsNoOp(paint.mode) && paint.alpha == 0;
}

[[gnu::always_inline]] inline uint32_t Colorize(uint32_t texel, const Paint& paint) {
  uint32_t r = Div255(((texel >> 16) & 0xFF) * paint.red);
  uint32_t g = Div255(((texel >> 8) & 0xFF) * paint.green);
  uint32_t b = Div255((texel & 0xFF) * paint.blue);
  return (texel & 0xFF000000u) | r << 16 | g << 8 | b;
}

// Blends a source pixel (its rgb already coloured) into dst; a is the texel
// alpha times the current alpha, 0..255 (the mask draws from one half up).
template <int Mode>
[[gnu::always_inline]] inline void BlendPixel(uint32_t& dst, uint32_t src, uint32_t a) {
  if constexpr (Mode == kMask) {
    if (a >= 128) dst = 0xFF000000u | src;
  } else if constexpr (Mode == kSolid) {
    dst = 0xFF000000u | src;
  } else if constexpr (Mode == kAlpha) {
    if (a == 0) return;
    if (a == 255) {
      dst = 0xFF000000u | src;
      return;
    }
    uint32_t rb = (src & 0xFF00FFu) * a + (dst & 0xFF00FFu) * (255 - a) + 0x800080u;
    uint32_t g = (src & 0xFF00u) * a + (dst & 0xFF00u) * (255 - a) + 0x8000u;
    rb = ((rb + ((rb >> 8) & 0xFF00FFu)) >> 8) & 0xFF00FFu;
    g = ((g + ((g >> 8) & 0xFF00u)) >> 8) & 0xFF00u;
    dst = 0xFF000000u | rb | g;
  } else if constexpr (Mode == kLight) {
    if (a == 0) return;
    uint32_t r = std::min(255u, ((dst >> 16) & 0xFF) + Div255(((src >> 16) & 0xFF) * a));
    uint32_t g = std::min(255u, ((dst >> 8) & 0xFF) + Div255(((src >> 8) & 0xFF) * a));
    uint32_t b = std::min(255u, (dst & 0xFF) + Div255((src & 0xFF) * a));
    dst = 0xFF000000u | r << 16 | g << 8 | b;
  } else {
    uint32_t r = Div255(((dst >> 16) & 0xFF) * ((src >> 16) & 0xFF));
    uint32_t g = Div255(((dst >> 8) & 0xFF) * ((src >> 8) & 0xFF));
    uint32_t b = Div255((dst & 0xFF) * (src & 0xFF));
    dst = 0xFF000000u | r << 16 | g << 8 | b;
  }
}

// Calls body.template operator()<Mode>() for the paint's mode.
template <class Body>
void WithMode(int32_t mode, Body&& body) {
  switch (mode) {
    case kMask:
      return body.template operator()<kMask>();
    case kAlpha:
      return body.template operator()<kAlpha>();
    case kLight:
      return body.template operator()<kLight>();
    case kShade:
      return body.template operator()<kShade>();
    default:
      return body.template operator()<kSolid>();
  }
}

int32_t ToPixel(double value) {
  if (!(value > INT_MIN / 2)) return INT_MIN / 2;  // also NaN
  if (!(value < INT_MAX / 2)) return INT_MAX / 2;
  return int32_t(value);
}

// The local point (u, v) of a screen point, as an affine function of the
// screen position: u = u0 + du_dx * X + du_dy * Y, for shapes drawn at a
// drawing point under the current matrix.
struct Mapping {
  double u0, du_dx, du_dy;
  double v0, dv_dx, dv_dy;
};

// Local (u, v) = handle + inverse matrix * (screen - point). False when the
// matrix is singular or anything is not finite.
bool InverseMapping(float x, float y, float hx, float hy, Mapping& m) {
  double det = double(state.ix) * state.jy - double(state.iy) * state.jx;
  if (det == 0.0 || !std::isfinite(det) || !std::isfinite(x) || !std::isfinite(y)) return false;
  m.du_dx = state.jy / det, m.du_dy = -state.iy / det;
  m.dv_dx = -state.jx / det, m.dv_dy = state.ix / det;
  m.u0 = hx - m.du_dx * x - m.du_dy * y;
  m.v0 = hy - m.dv_dx * x - m.dv_dy * y;
  return std::isfinite(m.u0) && std::isfinite(m.v0);
}

// Columns i (half-open) whose centre value base + slope * (i + 0.5) lies in
// [lo, hi).
void SpanOf(double base, double slope, double lo, double hi, int32_t& first, int32_t& end) {
  if (slope == 0.0) {
    bool inside = base >= lo && base < hi;
    first = inside ? INT_MIN / 2 : 0;
    end = inside ? INT_MAX / 2 : 0;
  } else if (slope > 0.0) {
    first = ToPixel(std::ceil((lo - base) / slope - 0.5));
    end = ToPixel(std::ceil((hi - base) / slope - 0.5));
  } else {
    first = ToPixel(std::floor((hi - base) / slope - 0.5) + 1.0);
    end = ToPixel(std::floor((lo - base) / slope - 0.5) + 1.0);
  }
}

// A local rectangle [u_lo, u_hi) x [v_lo, v_hi) and its screen rows.
struct LocalBox {
  double u_lo, u_hi, v_lo, v_hi;
};

// Screen rows that the box can touch, clipped to the buffer.
void RowRange(const LocalBox& box, float y, float hx, float hy, int32_t height, int32_t& first,
              int32_t& end) {
  double lo = INFINITY, hi = -INFINITY;
  for (double u : {box.u_lo, box.u_hi}) {
    for (double v : {box.v_lo, box.v_hi}) {
      double sy = y + state.jx * (u - hx) + state.jy * (v - hy);
      lo = std::min(lo, sy), hi = std::max(hi, sy);
    }
  }
  first = std::max(0, ToPixel(std::ceil(lo - 0.5)));
  end = std::min(height, ToPixel(std::ceil(hi - 0.5)));
}

// Walks every back-buffer pixel whose centre maps inside the box, calling
// row(dst, first, end, u, v, du, dv) per row span with the local position of
// the first pixel centre and its step per column.
template <class Row>
void ScanBox(const LocalBox& box, const Mapping& m, float y, float hx, float hy, Row&& row) {
  BackBuffer& buffer = TheBackBuffer();
  int32_t row_first, row_end;
  RowRange(box, y, hx, hy, buffer.height, row_first, row_end);
  int32_t touched_x0 = INT_MAX, touched_x1 = INT_MIN, touched_y0 = INT_MAX, touched_y1 = INT_MIN;
  for (int32_t j = row_first; j < row_end; ++j) {
    double cy = j + 0.5;
    double u_base = m.u0 + m.du_dy * cy, v_base = m.v0 + m.dv_dy * cy;
    int32_t uf, ue, vf, ve;
    SpanOf(u_base, m.du_dx, box.u_lo, box.u_hi, uf, ue);
    SpanOf(v_base, m.dv_dx, box.v_lo, box.v_hi, vf, ve);
    int32_t first = std::max({uf, vf, 0}), end = std::min({ue, ve, buffer.width});
    if (first >= end) continue;
    double cx = first + 0.5;
    row(&buffer.pixels[size_t(j) * buffer.width], first, end, u_base + m.du_dx * cx,
        v_base + m.dv_dx * cx, m.du_dx, m.dv_dx);
    touched_x0 = std::min(touched_x0, first), touched_x1 = std::max(touched_x1, end);
    touched_y0 = std::min(touched_y0, j), touched_y1 = j + 1;
  }
  MarkDirty(touched_x0, touched_y0, touched_x1, touched_y1);
}

// ---------------------------------------------------------------------------
// Solid shapes: the current colour as the source.

uint32_t PaintColor(const Paint& paint) { return paint.red << 16 | paint.green << 8 | paint.blue; }

template <int Mode>
void FillSpan(uint32_t* row, int32_t first, int32_t end, uint32_t color, uint32_t alpha) {
  bool replaces =
      Mode == kSolid || (Mode == kMask && alpha >= 128) || (Mode == kAlpha && alpha == 255);
  if (replaces && !plain_paths) {
    FillPixels(row + first, size_t(end - first), 0xFF000000u | color);
    return;
  }
  for (int32_t i = first; i < end; ++i) BlendPixel<Mode>(row[i], color, alpha);
}

void FillShape(const LocalBox& box, float x, float y) {
  Paint paint = CurrentPaint();
  if (PaintDrawsNothing(paint)) return;
  Mapping m;
  if (!InverseMapping(x, y, 0, 0, m)) return;
  uint32_t color = PaintColor(paint), alpha = paint.alpha;
  WithMode(paint.mode, [&]<int Mode>() {
    ScanBox(box, m, y, 0, 0,
            [&](uint32_t* row, int32_t first, int32_t end, double, double, double, double) {
              FillSpan<Mode>(row, first, end, color, alpha);
            });
  });
}

void PlotPixel(BackBuffer& buffer, int32_t px, int32_t py, const Paint& paint) {
  if (px < 0 || py < 0 || px >= buffer.width || py >= buffer.height) return;
  uint32_t& dst = buffer.pixels[size_t(py) * buffer.width + px];
  WithMode(paint.mode, [&]<int Mode>() { BlendPixel<Mode>(dst, PaintColor(paint), paint.alpha); });
  MarkDirty(px, py, px + 1, py + 1);
}

// Keeps far-away end points from turning into billions of steps: the segment
// is cut to a margin around the buffer first.
bool ClipSegment(double& x1, double& y1, double& x2, double& y2, double w, double h) {
  constexpr double kMargin = 4.0;
  double t0 = 0.0, t1 = 1.0, dx = x2 - x1, dy = y2 - y1;
  auto cut = [&](double p, double q) {
    if (p == 0.0) return q >= 0.0;
    double t = q / p;
    if (p < 0.0) {
      if (t > t1) return false;
      t0 = std::max(t0, t);
    } else {
      if (t < t0) return false;
      t1 = std::min(t1, t);
    }
    return true;
  };
  if (!cut(-dx, x1 + kMargin) || !cut(dx, w + kMargin - x1) || !cut(-dy, y1 + kMargin) ||
      !cut(dy, h + kMargin - y1)) {
    return false;
  }
  double ox = x1, oy = y1;
  x1 = ox + t0 * dx, y1 = oy + t0 * dy;
  x2 = ox + t1 * dx, y2 = oy + t1 * dy;
  return true;
}

// ---------------------------------------------------------------------------
// Pixel maps.

struct Texture {
  const uint32_t* pixels;
  int32_t width, height;
};

// a and b mixed with weight f (0..256) on b, each channel rounded.
[[gnu::always_inline]] inline uint32_t Lerp(uint32_t a, uint32_t b, uint32_t f) {
  uint32_t rb = (a & 0xFF00FFu) * (256 - f) + (b & 0xFF00FFu) * f + 0x800080u;
  uint32_t ag = ((a >> 8) & 0xFF00FFu) * (256 - f) + ((b >> 8) & 0xFF00FFu) * f + 0x800080u;
  return ((rb >> 8) & 0xFF00FFu) | (ag & 0xFF00FF00u);
}

// Fixed point 16.16 texel coordinates.
[[gnu::always_inline]] inline uint32_t SampleNearest(const Texture& t, int32_t u, int32_t v) {
  int32_t tx = std::clamp(u >> 16, 0, t.width - 1);
  int32_t ty = std::clamp(v >> 16, 0, t.height - 1);
  return t.pixels[size_t(ty) * t.width + tx];
}

#if defined(__SSE2__)
// Lerp's bilinear mix of four texels in 16-bit lanes: columns first, then
// across, with the same rounding steps.
[[gnu::always_inline]] inline uint32_t BilinearLanes(uint32_t p00, uint32_t p01, uint32_t p10,
                                                     uint32_t p11, uint32_t fx, uint32_t fy) {
  const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
  __m128i top = _mm_unpacklo_epi8(_mm_cvtsi64_si128(int64_t(uint64_t(p01) << 32 | p00)), zero);
  __m128i bottom = _mm_unpacklo_epi8(_mm_cvtsi64_si128(int64_t(uint64_t(p11) << 32 | p10)), zero);
  __m128i column = _mm_add_epi16(_mm_mullo_epi16(top, _mm_set1_epi16(int16_t(256 - fy))),
                                 _mm_mullo_epi16(bottom, _mm_set1_epi16(int16_t(fy))));
  column = _mm_srli_epi16(_mm_add_epi16(column, half), 8);
  __m128i across = _mm_mullo_epi16(
      column, _mm_set_epi16(int16_t(fx), int16_t(fx), int16_t(fx), int16_t(fx), int16_t(256 - fx),
                            int16_t(256 - fx), int16_t(256 - fx), int16_t(256 - fx)));
  across = _mm_add_epi16(across, _mm_srli_si128(across, 8));
  across = _mm_srli_epi16(_mm_add_epi16(across, half), 8);
  return uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(across, zero)));
}
#endif

// With skip_clear, four fully transparent texels give 0 without blending
// them (for modes where a transparent source draws nothing).
template <bool SkipClear, bool Plain>
[[gnu::always_inline]] inline uint32_t SampleBilinear(const Texture& t, int32_t u, int32_t v) {
  u -= 0x8000, v -= 0x8000;  // texel centres
  int32_t x0 = u >> 16, y0 = v >> 16;
  uint32_t fx = (u >> 8) & 0xFF, fy = (v >> 8) & 0xFF;
  int32_t xa = std::clamp(x0, 0, t.width - 1), xb = std::clamp(x0 + 1, 0, t.width - 1);
  const uint32_t* ra = t.pixels + size_t(std::clamp(y0, 0, t.height - 1)) * t.width;
  const uint32_t* rb = t.pixels + size_t(std::clamp(y0 + 1, 0, t.height - 1)) * t.width;
  uint32_t p00 = ra[xa], p01 = ra[xb], p10 = rb[xa], p11 = rb[xb];
  if (SkipClear && ((p00 | p01 | p10 | p11) >> 24) == 0) return 0;
#if defined(__SSE2__)
  if constexpr (!Plain) return BilinearLanes(p00, p01, p10, p11, fx, fy);
#endif
  return Lerp(Lerp(p00, p10, fy), Lerp(p01, p11, fy), fx);
}

template <int Mode, bool Colored>
[[gnu::always_inline]] inline void BlendTexel(uint32_t& dst, uint32_t texel, const Paint& paint) {
  uint32_t a = texel >> 24;
  if (paint.alpha != 255) a = Div255(a * paint.alpha);
  if constexpr (Colored) texel = Colorize(texel, paint);
  BlendPixel<Mode>(dst, texel & 0xFFFFFFu, a);
}

int32_t ToFixed(double value) {
  return int32_t(std::clamp(value * 65536.0, double(INT_MIN / 2), double(INT_MAX / 2)));
}

#if defined(__SSE2__)
// Rounded x / 255 in each 16-bit lane, x up to 255 * 255.
inline __m128i Div255Lanes(__m128i x) {
  x = _mm_add_epi16(x, _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
}

// Alpha-blends two pixels widened to 16-bit lanes; the same arithmetic as
// BlendTexel, so both give identical pixels.
template <bool Colored>
inline __m128i BlendTwo(__m128i s, __m128i d, __m128i color, __m128i a) {
  if constexpr (Colored) s = Div255Lanes(_mm_mullo_epi16(s, color));
  __m128i keep = _mm_sub_epi16(_mm_set1_epi16(255), a);
  return Div255Lanes(_mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, keep)));
}

// The texel alpha of two pixels in every lane of each, times the current
// alpha.
inline __m128i AlphaLanes(__m128i s, __m128i alpha, bool scaled) {
  __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
  return scaled ? Div255Lanes(_mm_mullo_epi16(a, alpha)) : a;
}

template <bool Colored>
inline __m128i BlendTwo(__m128i s, __m128i d, __m128i color, __m128i alpha, bool scaled) {
  return BlendTwo<Colored>(s, d, color, AlphaLanes(s, alpha, scaled));
}

// The texels at x and x + 1 of a row, each clamped to the row, in the low
// half.
[[gnu::always_inline]] inline __m128i TexelPair(const uint32_t* row, int32_t x, int32_t width) {
  if (uint32_t(x) < uint32_t(width - 1)) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + x));
  }
  uint64_t left = row[std::clamp(x, 0, width - 1)], right = row[std::clamp(x + 1, 0, width - 1)];
  return _mm_cvtsi64_si128(int64_t(right << 32 | left));
}

// The four texels around a 16.16 sample point (texel centres at .5) as rows
// of two, and the point's fractions.
struct TexelQuad {
  __m128i top, bottom;
  int32_t fx, fy;
};

[[gnu::always_inline]] inline TexelQuad QuadAt(const Texture& t, int32_t u, int32_t v) {
  u -= 0x8000, v -= 0x8000;
  int32_t x0 = u >> 16, y0 = v >> 16;
  const uint32_t* top = t.pixels + size_t(std::clamp(y0, 0, t.height - 1)) * t.width;
  const uint32_t* bottom = t.pixels + size_t(std::clamp(y0 + 1, 0, t.height - 1)) * t.width;
  return {TexelPair(top, x0, t.width), TexelPair(bottom, x0, t.width), (u >> 8) & 0xFF,
          (v >> 8) & 0xFF};
}

// The quad's left and right texels blended from top to bottom, in 16-bit
// lanes: the first step of SampleBilinear.
[[gnu::always_inline]] inline __m128i Columns(const TexelQuad& q) {
  const __m128i zero = _mm_setzero_si128();
  __m128i top = _mm_unpacklo_epi8(q.top, zero), bottom = _mm_unpacklo_epi8(q.bottom, zero);
  __m128i column = _mm_add_epi16(_mm_mullo_epi16(top, _mm_set1_epi16(int16_t(256 - q.fy))),
                                 _mm_mullo_epi16(bottom, _mm_set1_epi16(int16_t(q.fy))));
  return _mm_srli_epi16(_mm_add_epi16(column, _mm_set1_epi16(128)), 8);
}

// Filtered sampling and alpha blending of two pixels at a time, with the
// arithmetic of SampleBilinear and BlendTexel, so every pixel comes out the
// same; a pixel whose alpha comes to 0 is left as it was.
template <bool Colored>
int32_t FilteredAlphaPairs(uint32_t* row, int32_t first, int32_t end, uint32_t& fu, uint32_t& fv,
                           uint32_t step_u, uint32_t step_v, const Texture& t, const Paint& paint) {
  const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
  const __m128i alpha_bits = _mm_set1_epi32(int32_t(0xFF000000u));
  const __m128i color = _mm_set_epi16(255, paint.red, paint.green, paint.blue, 255, paint.red,
                                      paint.green, paint.blue);
  const __m128i alpha = _mm_set1_epi16(int16_t(paint.alpha));
  const bool scaled = paint.alpha != 255;
  int32_t i = first;
  for (; i + 2 <= end; i += 2) {
    TexelQuad a = QuadAt(t, int32_t(fu), int32_t(fv));
    fu += step_u, fv += step_v;
    TexelQuad b = QuadAt(t, int32_t(fu), int32_t(fv));
    fu += step_u, fv += step_v;
    __m128i any = _mm_or_si128(_mm_or_si128(a.top, a.bottom), _mm_or_si128(b.top, b.bottom));
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(any, alpha_bits), zero)) == 0xFFFF) {
      continue;
    }
    __m128i column_a = Columns(a), column_b = Columns(b);
    __m128i left = _mm_unpacklo_epi64(column_a, column_b);
    __m128i right = _mm_unpackhi_epi64(column_a, column_b);
    __m128i left_weight = _mm_set_epi16(
        int16_t(256 - b.fx), int16_t(256 - b.fx), int16_t(256 - b.fx), int16_t(256 - b.fx),
        int16_t(256 - a.fx), int16_t(256 - a.fx), int16_t(256 - a.fx), int16_t(256 - a.fx));
    __m128i right_weight =
        _mm_set_epi16(int16_t(b.fx), int16_t(b.fx), int16_t(b.fx), int16_t(b.fx), int16_t(a.fx),
                      int16_t(a.fx), int16_t(a.fx), int16_t(a.fx));
    __m128i s =
        _mm_add_epi16(_mm_mullo_epi16(left, left_weight), _mm_mullo_epi16(right, right_weight));
    s = _mm_srli_epi16(_mm_add_epi16(s, half), 8);
    __m128i dst = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + i));
    __m128i a_lanes = AlphaLanes(s, alpha, scaled);
    __m128i blended = BlendTwo<Colored>(s, _mm_unpacklo_epi8(dst, zero), color, a_lanes);
    __m128i out = _mm_or_si128(_mm_packus_epi16(blended, zero), alpha_bits);
    __m128i untouched = _mm_packs_epi16(_mm_cmpeq_epi16(a_lanes, zero), zero);
    out = _mm_or_si128(_mm_and_si128(untouched, dst), _mm_andnot_si128(untouched, out));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(row + i), out);
  }
  return i;
}
#endif

// Pixels [first, end) of a row one at a time, from the 16.16 texel point
// (fu, fv) on.
template <int Mode, bool Colored, bool Filtered, bool Plain>
[[gnu::always_inline]] inline void TexturedPixels(uint32_t* row, int32_t first, int32_t end,
                                                  uint32_t fu, uint32_t fv, uint32_t step_u,
                                                  uint32_t step_v, const Texture& t,
                                                  const Paint& paint) {
  for (int32_t i = first; i < end; ++i, fu += step_u, fv += step_v) {
    int32_t su = int32_t(fu), sv = int32_t(fv);
    uint32_t texel = Filtered ? SampleBilinear<TransparentIsNoOp(Mode), Plain>(t, su, sv)
                              : SampleNearest(t, su, sv);
    BlendTexel<Mode, Colored>(row[i], texel, paint);
  }
}

template <int Mode, bool Colored, bool Filtered>
void TexturedRow(uint32_t* row, int32_t first, int32_t end, double u, double v, double du,
                 double dv, const Texture t, const Paint paint) {
  // Unsigned steps: the one step taken past the last pixel may wrap harmlessly.
  uint32_t fu = uint32_t(ToFixed(u)), fv = uint32_t(ToFixed(v));
  uint32_t step_u = uint32_t(ToFixed(du)), step_v = uint32_t(ToFixed(dv));
  if (plain_paths) {
    return TexturedPixels<Mode, Colored, Filtered, true>(row, first, end, fu, fv, step_u, step_v, t,
                                                         paint);
  }
#if defined(__SSE2__)
  if constexpr (Filtered && Mode == kAlpha) {
    first = FilteredAlphaPairs<Colored>(row, first, end, fu, fv, step_u, step_v, t, paint);
  }
#endif
  TexturedPixels<Mode, Colored, Filtered, false>(row, first, end, fu, fv, step_u, step_v, t, paint);
}

#if defined(__SSE2__)
// Alpha blending of texels four at a time, as BlendTexel would; returns how
// many were done.
template <bool Colored>
int32_t BlendAlphaQuads(uint32_t* dst, const uint32_t* src, int32_t n, const Paint& paint) {
  int32_t i = 0;
  const __m128i zero = _mm_setzero_si128(), alpha_bits = _mm_set1_epi32(int32_t(0xFF000000u));
  const __m128i color = _mm_set_epi16(255, paint.red, paint.green, paint.blue, 255, paint.red,
                                      paint.green, paint.blue);
  const __m128i alpha = _mm_set1_epi16(int16_t(paint.alpha));
  const bool scaled = paint.alpha != 255;
  for (; i + 4 <= n; i += 4) {
    __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    __m128i clear = _mm_cmpeq_epi32(_mm_and_si128(s, alpha_bits), zero);
    if (_mm_movemask_epi8(clear) == 0xFFFF) continue;
    __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    if (!Colored && !scaled) {
      // Texels fully opaque or fully clear give themselves or the buffer's
      // pixel, as the arithmetic below would.
      __m128i opaque = _mm_cmpeq_epi32(_mm_and_si128(s, alpha_bits), alpha_bits);
      if (_mm_movemask_epi8(_mm_or_si128(opaque, clear)) == 0xFFFF) {
        __m128i out = _mm_or_si128(_mm_and_si128(opaque, s), _mm_andnot_si128(opaque, d));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(out, alpha_bits));
        continue;
      }
    }
    __m128i lo = BlendTwo<Colored>(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero), color,
                                   alpha, scaled);
    __m128i hi = BlendTwo<Colored>(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero), color,
                                   alpha, scaled);
    __m128i out = _mm_or_si128(_mm_packus_epi16(lo, hi), alpha_bits);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), out);
  }
  return i;
}
#endif

// Alpha blending of a row of texels, four at a time where the CPU allows.
template <bool Colored>
void BlendAlphaRow(uint32_t* dst, const uint32_t* src, int32_t n, const Paint paint) {
  int32_t i = 0;
#if defined(__SSE2__)
  if (!plain_paths) i = BlendAlphaQuads<Colored>(dst, src, n, paint);
#endif
  for (; i < n; ++i) BlendTexel<kAlpha, Colored>(dst[i], src[i], paint);
}

// The unscaled, unrotated, whole-pixel case: texels map one to one.
template <int Mode, bool Colored>
void DrawOneToOne(const Texture t, int32_t left, int32_t top, const FrameCoverage& box,
                  const Paint paint) {
  BackBuffer& buffer = TheBackBuffer();
  int32_t x0 = std::max(box.x0, -left), x1 = std::min(box.x1, buffer.width - left);
  int32_t y0 = std::max(box.y0, -top), y1 = std::min(box.y1, buffer.height - top);
  if (x0 >= x1 || y0 >= y1) return;
  bool straight_copy = box.opaque && !Colored &&
                       (Mode == kSolid || (Mode == kMask && paint.alpha >= 128) ||
                        (Mode == kAlpha && paint.alpha == 255));
  for (int32_t ty = y0; ty < y1; ++ty) {
    const uint32_t* src = t.pixels + size_t(ty) * t.width;
    uint32_t* dst = &buffer.pixels[size_t(ty + top) * buffer.width + left];
    if (straight_copy) {
      std::memcpy(dst + x0, src + x0, size_t(x1 - x0) * 4);
      continue;
    }
    if constexpr (Mode == kAlpha) {
      BlendAlphaRow<Colored>(dst + x0, src + x0, x1 - x0, paint);
    } else {
      for (int32_t tx = x0; tx < x1; ++tx) BlendTexel<Mode, Colored>(dst[tx], src[tx], paint);
    }
  }
  MarkDirty(left + x0, top + y0, left + x1, top + y1);
}

// Beyond this a whole-pixel corner no longer fits the integer pixel loops.
constexpr double kFarAway = 1e9;

bool WholePixel(double value) { return std::isfinite(value) && value == std::floor(value); }

// Unscaled and unturned, nearest sampling is a one-to-one copy from the
// pixel whose centre falls on the frame's first texel; so is filtering when
// the corner lies on whole pixels. That pixel is (at_x, at_y).
bool OneToOneCorner(bool filtered, float x, float y, float hx, float hy, int32_t& at_x,
                    int32_t& at_y) {
  double left = double(x) - hx, top = double(y) - hy;
  bool identity = state.ix == 1.0f && state.jy == 1.0f && AxisAligned();
  bool aligned = !filtered || (WholePixel(left) && WholePixel(top));
  if (!identity || !aligned || !(std::abs(left) < kFarAway) || !(std::abs(top) < kFarAway)) {
    return false;
  }
  at_x = int32_t(-std::floor(0.5 - left)), at_y = int32_t(-std::floor(0.5 - top));
  return true;
}

// Any scale and turn: every pixel whose centre maps inside the box samples
// the texture there.
void DrawMapped(const Texture& texture, const FrameCoverage& box, const Paint& paint, bool colored,
                bool filtered, float x, float y, float hx, float hy) {
  Mapping m;
  if (!InverseMapping(x, y, hx, hy, m)) return;
  // A filtered texel reaches half a pixel beyond itself.
  int32_t grow = filtered ? 1 : 0;
  LocalBox local{double(std::max(0, box.x0 - grow)), double(std::min(texture.width, box.x1 + grow)),
                 double(std::max(0, box.y0 - grow)),
                 double(std::min(texture.height, box.y1 + grow))};
  WithMode(paint.mode, [&]<int Mode>() {
    auto draw = [&]<bool Colored, bool Filtered>() {
      ScanBox(
          local, m, y, hx, hy,
          [&](uint32_t* row, int32_t first, int32_t end, double u, double v, double du, double dv) {
            TexturedRow<Mode, Colored, Filtered>(row, first, end, u, v, du, dv, texture, paint);
          });
    };
    if (colored) {
      filtered ? draw.template operator()<true, true>() : draw.template operator()<true, false>();
    } else {
      filtered ? draw.template operator()<false, true>() : draw.template operator()<false, false>();
    }
  });
}

}  // namespace

namespace {

// The box of the visible pixels, found by looking at each one: what a
// frame's coverage stands for.
FrameCoverage PlainVisibleBox(const Pixmap& pixmap) {
  int32_t x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
  for (int32_t y = 0; y < pixmap.height; ++y) {
    for (int32_t x = 0; x < pixmap.width; ++x) {
      if ((pixmap.pixels[size_t(y) * pixmap.width + x] >> 24) == 0) continue;
      x0 = std::min(x0, x), x1 = std::max(x1, x + 1);
      y0 = std::min(y0, y), y1 = y + 1;
    }
  }
  FrameCoverage box;
  if (x0 < x1) box.x0 = x0, box.y0 = y0, box.x1 = x1, box.y1 = y1;
  return box;
}

// Whether drawing a pixel map of this coverage in this paint changes no pixel.
bool DrawsNothing(const FrameCoverage& coverage, const Paint& paint) {
  return !plain_paths && TransparentIsNoOp(paint.mode) && (coverage.empty || paint.alpha == 0);
}

// The part of the frame a draw looks at: outside the box of its visible
// pixels it draws nothing, in the modes where a clear texel changes nothing.
FrameCoverage DrawingBox(const Pixmap& pixmap, const FrameCoverage& coverage, const Paint& paint) {
  if (plain_paths && TransparentIsNoOp(paint.mode)) return PlainVisibleBox(pixmap);
  FrameCoverage box = coverage;
  if (!TransparentIsNoOp(paint.mode)) {
    box.x0 = 0, box.y0 = 0, box.x1 = pixmap.width, box.y1 = pixmap.height;
  }
  return box;
}

// Each row's texel walk starts at the first pixel inside the box, so a draw
// through the general mapping needs the box of the visible pixels itself.
void MakeExact(const Pixmap& pixmap, FrameCoverage& box) {
  if (box.exact) return;
  const BlockScan scan = ScanBlock(pixmap, box.x0, box.y0, box.x1, box.y1);
  box.x0 = scan.x0, box.y0 = scan.y0, box.x1 = scan.x1, box.y1 = scan.y1;
  box.exact = true;
}

void DrawPixmapNow(const Pixmap& pixmap, const FrameCoverage& coverage, const Paint& paint,
                   bool filtered, float x, float y, float hx, float hy) {
  if (DrawsNothing(coverage, paint)) return;
  FrameCoverage box = DrawingBox(pixmap, coverage, paint);
  Texture texture{pixmap.pixels.data(), pixmap.width, pixmap.height};
  // White paint leaves the texels' colours as they are.
  bool colored = plain_paths || !paint.white;
  int32_t at_x, at_y;
  if (!plain_paths && OneToOneCorner(filtered, x, y, hx, hy, at_x, at_y)) {
    WithMode(paint.mode, [&]<int Mode>() {
      if (colored) return DrawOneToOne<Mode, true>(texture, at_x, at_y, box, paint);
      DrawOneToOne<Mode, false>(texture, at_x, at_y, box, paint);
    });
    return;
  }
  if (TransparentIsNoOp(paint.mode)) MakeExact(pixmap, box);
  DrawMapped(texture, box, paint, colored, filtered, x, y, hx, hy);
}

// The pixel is the one at the whole parts of x and y; the test is false for
// NaN and for anything outside the buffer.
void PlotNow(float x, float y) {
  BackBuffer& buffer = TheBackBuffer();
  if (!(x >= 0.0f && x < float(buffer.width) && y >= 0.0f && y < float(buffer.height))) return;
  PlotPixel(buffer, int32_t(x), int32_t(y), CurrentPaint());
}

void RectNow(float x, float y, float width, float height) {
  LocalBox box{std::min(0.0, double(width)), std::max(0.0, double(width)),
               std::min(0.0, double(height)), std::max(0.0, double(height))};
  FillShape(box, x, y);
}

void LineNow(float x, float y, float x2, float y2, int32_t last_pixel) {
  double ex = x + state.ix * (double(x2) - x) + state.iy * (double(y2) - y);
  double ey = y + state.jx * (double(x2) - x) + state.jy * (double(y2) - y);
  double sx = x, sy = y;
  BackBuffer& buffer = TheBackBuffer();
  if (!std::isfinite(sx + sy + ex + ey)) return;
  if (std::max({std::abs(sx), std::abs(sy), std::abs(ex), std::abs(ey)}) > 65536.0 &&
      !ClipSegment(sx, sy, ex, ey, buffer.width, buffer.height)) {
    return;
  }
  Paint paint = CurrentPaint();
  if (PaintDrawsNothing(paint)) return;
  int32_t px = int32_t(std::floor(sx)), py = int32_t(std::floor(sy));
  int32_t qx = int32_t(std::floor(ex)), qy = int32_t(std::floor(ey));
  int32_t dx = std::abs(qx - px), dy = -std::abs(qy - py);
  int32_t step_x = px < qx ? 1 : -1, step_y = py < qy ? 1 : -1;
  int32_t error = dx + dy;
  for (;;) {
    bool at_end = px == qx && py == qy;
    if (at_end && !last_pixel) break;
    PlotPixel(buffer, px, py, paint);
    if (at_end) break;
    int32_t twice = 2 * error;
    if (twice >= dy) error += dy, px += step_x;
    if (twice <= dx) error += dx, py += step_y;
  }
}

DrawCall CallInState(DrawCall::Kind kind, std::initializer_list<float> at, int32_t option = 0) {
  DrawCall call;
  call.kind = kind;
  call.state = state;
  std::copy(at.begin(), at.end(), call.at);
  call.option = option;
  return call;
}

// A primitive: drawn now, or, with a log, logged as the call of that kind at
// those points in the current state. The points become a list only for the
// log, so that a plot drawn at once costs nothing more.
template <class DrawNow, class... Floats>
void SubmitPrimitive(DrawCall::Kind kind, int32_t option, DrawNow&& draw_now, Floats... at) {
  SubmitDrawCall([&] { return CallInState(kind, {at...}, option); }, draw_now);
}

}  // namespace

void DrawPixmap(const PixmapRef& pixmap, FrameCoverage& cache, bool filtered, float x, float y,
                float hx, float hy) {
  if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return;
  const FrameCoverage& coverage = UpdateCoverage(*pixmap, cache);
  const Paint paint = CurrentPaint();
  // A call that changes no pixel need not be logged either.
  if (DrawsNothing(coverage, paint)) return;
  SubmitDrawCall(
      [&] {
        DrawCall call = CallInState(DrawCall::kPixmap, {x, y, 0, 0, hx, hy}, filtered ? 1 : 0);
        call.coverage = coverage;
        call.generation = pixmap->generation();
        call.pixmap = pixmap;
        return call;
      },
      [&] { DrawPixmapNow(*pixmap, coverage, paint, filtered, x, y, hx, hy); });
}

void RunDrawCall(const DrawCall& call) {
  const float* at = call.at;
  switch (call.kind) {
    case DrawCall::kPlot:
      return PlotNow(at[0], at[1]);
    case DrawCall::kRect:
      return RectNow(at[0], at[1], at[2], at[3]);
    case DrawCall::kLine:
      return LineNow(at[0], at[1], at[2], at[3], call.option);
    case DrawCall::kPixmap:
      return DrawPixmapNow(*call.pixmap, call.coverage, CurrentPaint(), call.option != 0, at[0],
                           at[1], at[4], at[5]);
  }
}

void ReplayDrawCall(const DrawCall& call) {
  DrawingState now = std::exchange(state, call.state);
  RunDrawCall(call);
  state = now;
}

// Repaints only what was drawn since the last clear when nothing else changed.
void ClearBackBuffer(uint32_t colour) {
  BackBuffer& buffer = TheBackBuffer();
  bool same = !plain_paths && DirtyBoxHoldsAllDrawing(buffer) && dirty.cleared_to == colour;
  if (!same) {
    FillPixels(buffer.pixels.data(), buffer.pixels.size(), colour);
  } else if (dirty.x0 < dirty.x1 && dirty.y0 < dirty.y1) {
    for (int32_t y = dirty.y0; y < dirty.y1; ++y) {
      uint32_t* row = &buffer.pixels[size_t(y) * buffer.width];
      FillPixels(row + dirty.x0, size_t(dirty.x1 - dirty.x0), colour);
    }
  }
  dirty = DirtyTracker{buffer.pixels.data(), buffer.pixels.size(), colour, true};
}

bool DrawnSinceClear(DrawnBox& drawn) {
  if (!DirtyBoxHoldsAllDrawing(TheBackBuffer())) return false;
  drawn = DrawnBox{dirty.x0, dirty.y0, dirty.x1, dirty.y1, dirty.cleared_to};
  return true;
}

}  // namespace platform

using platform::state;

void fw_set_color(int32_t r, int32_t g, int32_t b) {
  state.red = r, state.green = g, state.blue = b;
}

void fw_get_color(int32_t& r, int32_t& g, int32_t& b) {
  r = state.red, g = state.green, b = state.blue;
}

void fw_set_alpha(float alpha) { state.alpha = alpha; }
float fw_get_alpha() { return state.alpha; }
void fw_set_blend(int32_t mode) { state.blend = mode; }
int32_t fw_get_blend() { return state.blend; }

void fw_set_rotation(float degrees) {
  state.rotation = degrees;
  platform::UpdateMatrix();
}

float fw_get_rotation() { return state.rotation; }

void fw_set_scale(float sx, float sy) {
  state.scale_x = sx, state.scale_y = sy;
  platform::UpdateMatrix();
}

void fw_get_scale(float& sx, float& sy) { sx = state.scale_x, sy = state.scale_y; }

void fw_set_cls_color(int32_t r, int32_t g, int32_t b) {
  auto channel = [](int32_t v) { return uint32_t(std::clamp(v, 0, 255)); };
  state.clear_color = 0xFF000000u | channel(r) << 16 | channel(g) << 8 | channel(b);
}

// The clear, and the calls after it, may be held back (frame_log.cpp).
void fw_cls() { platform::LogClear(state.clear_color); }

void fw_plot(float x, float y) {
  platform::SubmitPrimitive(
      platform::DrawCall::kPlot, 0, [&] { platform::PlotNow(x, y); }, x, y);
}

void fw_draw_rect(float x, float y, float width, float height) {
  if (!(width != 0.0f) || !(height != 0.0f)) return;
  platform::SubmitPrimitive(
      platform::DrawCall::kRect, 0, [&] { platform::RectNow(x, y, width, height); }, x, y, width,
      height);
}

void fw_draw_line(float x, float y, float x2, float y2, int32_t last_pixel) {
  platform::SubmitPrimitive(
      platform::DrawCall::kLine, last_pixel, [&] { platform::LineNow(x, y, x2, y2, last_pixel); },
      x, y, x2, y2);
}

namespace platform {

void ResetDrawing() {
  state = DrawingState{};
  ResizeBackBuffer(800, 600);
  dirty = DirtyTracker{};
  plain_paths = false;
  holding_allowed = true;
}

}  // namespace platform
