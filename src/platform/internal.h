// Internals shared by the platform layer's own files, and by the tests,
// benchmarks and fuzz targets that look inside it; the system above the
// platform never includes this header.
#pragma once

#include <cassert>
#include <cstdint>
#include <vector>

#include "platform.h"

namespace platform {

// The drawing space: one back buffer of opaque 0xAARRGGBB pixels, the size of
// the virtual resolution (800 x 600 unless changed). backbuffer.cpp owns it.
struct BackBuffer {
  int32_t width = 800;
  int32_t height = 600;
  std::vector<uint32_t> pixels = std::vector<uint32_t>(800 * 600, 0xFF000000u);
};
// The back buffer with every drawing call made so far in it: calls that
// repeat the frame on screen may be held back until the pixels are needed
// (frame_log.cpp).
BackBuffer& TheBackBuffer();
// The back buffer as it is, with what is held back not drawn: for its size.
const BackBuffer& BackBufferAsIs();
// Whether drawing calls are held back (frame_log.cpp).
extern bool calls_held;
[[gnu::cold]] void DrawHeldCallsNow();
// Draws the calls held back. Opening a PixelWrite calls this, since a held
// call must draw the pixels it was given.
inline void DrawHeldCalls() {
  if (__builtin_expect(calls_held, false)) DrawHeldCallsNow();
}
#ifndef NDEBUG
extern int32_t open_pixel_writes;  // PixelWrites open now (png.cpp)
#endif
// Every drawing call, clear and flip checks, in debug builds, that no
// PixelWrite is open: what it did would depend on writes still to come.
inline void ExpectNoPixelWriteOpen() {
#ifndef NDEBUG
  assert(open_pixel_writes == 0 &&
         "a drawing call, clear or flip came while a PixelWrite was open");
#endif
}
// Gives the back buffer a new size, cleared to opaque black.
void ResizeBackBuffer(int32_t width, int32_t height);

// The box drawn into since the last fw_cls (exclusive end; empty when
// x0 >= x1) and the colour that clear wrote, which every pixel outside the
// box still holds.
struct DrawnBox {
  int32_t x0, y0, x1, y1;
  uint32_t cleared_to;
};
// False when that is not known, as before the first clear (raster.cpp).
bool DrawnSinceClear(DrawnBox& drawn);

// Takes the host's pending events into the input state (input.cpp). Every
// key and mouse query calls it first.
void PumpInput();
// Closes the current audio driver's output and leaves the silent one current
// (audio.cpp); the process end calls it so that no device is left open.
void ShutDownAudio();

// The virtual resolution the mouse is mapped into (window.cpp).
void VirtualResolution(int32_t& width, int32_t& height);
// Notes that the window was asked to close (window.cpp); input.cpp calls it
// for a quit event, fw_app_terminate_requested reports it once.
void RequestTerminate();

// Stop signals (stop_signals.cpp). NoteStopSignal records one and tells
// whether one had been recorded already; it is async-signal-safe, and tests
// call it in place of a real signal. The SDL host installs the handlers while
// it lives.
bool NoteStopSignal();
void InstallStopSignalHandlers();
void RestoreStopSignalHandlers();

// Each part of the platform's state back as a new process finds it; the
// public ResetPlatformState (host.cpp) runs them all.
void ResetHandles();     // handles.cpp: none given out
void ResetRandom();      // random.cpp: the unseeded generator
void ResetDrawing();     // raster.cpp: the default drawing state, a black buffer, holding on
void ResetInput();       // input.cpp: nothing held, pressed or typed
void ResetWindow();      // window.cpp: no title, no pacing, nothing to close
void ResetStopSignal();  // stop_signals.cpp: no stop signal seen
void ResetImages();      // image.cpp: images handled at their corner
void ResetFonts();       // font.cpp: the built-in font current
void ResetAudio();       // audio.cpp: the silent driver, the first driver list
void ResetSockets();     // sockets.cpp: the default time-outs

}  // namespace platform
