// The drawing calls made since the last clear, kept so that a frame which
// repeats the one on screen need not be drawn again. Shared by the platform
// layer's own files and the tests that compare drawing with and without it.
#pragma once

#include <cstdint>
#include <vector>

#include "image.h"

namespace platform {

// What every primitive reads besides its arguments.
struct DrawingState {
  int32_t red = 255, green = 255, blue = 255;
  float alpha = 1.0f;
  int32_t blend = 3;  // alpha blending
  float rotation = 0.0f;
  float scale_x = 1.0f, scale_y = 1.0f;
  // ix, iy, jx, jy: the rotation and scale matrix.
  float ix = 1.0f, iy = 0.0f, jx = 0.0f, jy = 1.0f;
  uint32_t clear_color = 0xFF000000u;
};

// One drawing primitive with everything its pixels depend on.
struct DrawCall {
  enum Kind : int32_t { kPlot, kRect, kLine, kPixmap };
  Kind kind = kPlot;
  DrawingState state;
  // plot: x, y; rect: x, y, width, height; line: x, y, x2, y2;
  // pixmap: x, y and the handle point in [4], [5].
  float at[6] = {0, 0, 0, 0, 0, 0};
  int32_t option = 0;  // line: draw the last pixel; pixmap: filtered
  PixmapRef pixmap;    // kept alive, so that its address names it
  uint64_t generation = 0;
  FrameCoverage coverage;
  // In the log of the frame on screen: the pixel map's pixels as drawn, when
  // they were kept.
  std::shared_ptr<const std::vector<uint32_t>> pixels_shown;
  // Same primitive, same arguments and state bit for bit, and the same
  // pixels as the call `shown` of the frame on screen.
  bool Repeats(const DrawCall& shown) const;
};

// Draws the call now in the current state, which is the one it was made in
// (raster.cpp).
void RunDrawCall(const DrawCall& call);
// Draws the call now with the state it was made in (raster.cpp).
void ReplayDrawCall(const DrawCall& call);
// Fills the whole back buffer with the colour now (raster.cpp).
void ClearBackBuffer(uint32_t colour);

// Whether calls are being logged. A clear starts a new log when it is the one
// that began the frame last flipped (the first, second, ... clear since a
// flip); the calls after other clears are drawn at once.
extern bool calls_logged;
// Whether calls may be held back at all; tests turn it off to compare.
extern bool holding_allowed;
// A clear is held back until something is drawn or read, and with a log the
// calls after it too, for as long as they repeat, one for one, those of the
// frame last shown.
void LogClear(uint32_t colour);
// Logs a call made in the current state, and holds it back or draws it.
void LogDrawCall(DrawCall&& call);
// Every primitive ends here: without a log, draw_now() draws at once and no
// DrawCall is built (plots come one per pixel); with one, make_call() builds
// the call for the log.
template <class MakeCall, class DrawNow>
inline void SubmitDrawCall(MakeCall&& make_call, DrawNow&& draw_now) {
  ExpectNoPixelWriteOpen();
  if (!calls_logged) return draw_now();
  LogDrawCall(make_call());
}
// Whether everything since the clear is held back and the frame, ended now,
// would be the one last shown.
bool FrameRepeatsShown();
// The frame drawn since the clear went to the screen; with no clear since
// the last one shown, nothing is known about the screen.
void NoteFrameShown();
// Ends every flip, whether the frame was sent, shown again or not at all.
void NoteFlip();
// Nothing is known about what the screen shows.
void ForgetShownFrame();
// The back buffer was replaced: what was held back is gone with it.
void DropFrameLog();

}  // namespace platform
