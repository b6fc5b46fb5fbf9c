// The back buffer every drawing operation paints into.
#include "frame_log.h"

namespace platform {
namespace {

BackBuffer& Buffer() {
  static BackBuffer buffer;
  return buffer;
}

}  // namespace

const BackBuffer& BackBufferAsIs() { return Buffer(); }

BackBuffer& TheBackBuffer() {
  DrawHeldCalls();
  return Buffer();
}

void ResizeBackBuffer(int32_t width, int32_t height) {
  DropFrameLog();
  BackBuffer& buffer = Buffer();
  buffer.width = width;
  buffer.height = height;
  buffer.pixels.assign(size_t(width) * size_t(height), 0xFF000000u);
}

}  // namespace platform
