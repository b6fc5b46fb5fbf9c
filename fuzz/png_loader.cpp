// Arbitrary bytes through the PNG decoder: it must give a pixel map or null,
// never crash, hang or read out of bounds.
#include <cstddef>
#include <cstdint>

#include "platform/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::PixmapRef pixmap = platform::DecodePng(data, size);
  if (pixmap) {
    volatile uint32_t sum = 0;
    for (uint32_t p : pixmap->pixels) sum = sum + p;
  }
  return 0;
}
