// Internals shared by the platform layer's own files. Nothing outside
// src/platform includes this header.
#pragma once

#include <cstdint>
#include <vector>

#include "platform.h"

namespace platform {

// The drawing space: one back buffer of opaque 0xAARRGGBB pixels, the size of
// the virtual resolution (800 x 600 unless changed). raster.cpp owns it.
struct BackBuffer {
  int32_t width = 800;
  int32_t height = 600;
  std::vector<uint32_t> pixels = std::vector<uint32_t>(800 * 600, 0xFF000000u);
};
BackBuffer& TheBackBuffer();
// Gives the back buffer a new size, cleared to opaque black.
void ResizeBackBuffer(int32_t width, int32_t height);

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

// Each part of the platform's state back as a new process finds it; the
// public ResetPlatformState (host.cpp) runs them all.
void ResetHandles();  // handles.cpp: none given out
void ResetRandom();   // random.cpp: the unseeded generator
void ResetDrawing();  // raster.cpp: the default drawing state, a black buffer
void ResetInput();    // input.cpp: nothing held, pressed or typed
void ResetWindow();   // window.cpp: no title, no pacing, nothing to close
void ResetImages();   // image.cpp: images handled at their corner
void ResetFonts();    // font.cpp: the built-in font current
void ResetAudio();    // audio.cpp: the silent driver, the first driver list
void ResetSockets();  // sockets.cpp: the default time-outs

}  // namespace platform
