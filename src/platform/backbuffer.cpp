// The back buffer every drawing operation paints into.
#include "frame_log.h"

namespace platform {

BackBuffer& BackBufferAsIs() {
  static BackBuffer buffer;
  return buffer;
}

BackBuffer& TheBackBuffer() {
  DrawHeldCalls();
  return BackBufferAsIs();
}

void ResizeBackBuffer(int32_t width, int32_t height) {
  DropFrameLog();
  BackBuffer& buffer = BackBufferAsIs();
  buffer.width = width;
  buffer.height = height;
  buffer.pixels.assign(size_t(width) * size_t(height), 0xFF000000u);
}

}  // namespace platform
