// The back buffer every drawing operation paints into.
#include "internal.h"

namespace platform {

BackBuffer& TheBackBuffer() {
  static BackBuffer buffer;
  return buffer;
}

void ResizeBackBuffer(int32_t width, int32_t height) {
  BackBuffer& buffer = TheBackBuffer();
  buffer.width = width;
  buffer.height = height;
  buffer.pixels.assign(size_t(width) * size_t(height), 0xFF000000u);
}

}  // namespace platform
