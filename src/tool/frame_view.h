// Direct reads and writes of a locked image frame for the tool's pixel
// loops. Private to src/tool.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/platform.h"

namespace tool {

// Reads and writes a frame in place when it holds the whole width x height
// area the caller walks, so the walk needs no call and no bounds test per
// pixel; any other frame (missing, or too small) goes through the
// bounds-checked platform calls instead.
class FrameView {
 public:
  FrameView(platform::PixmapRef frame, int32_t width, int32_t height)
      : frame_(std::move(frame)),
        pixels_(frame_ && frame_->width >= width && frame_->height >= height ? frame_->pixels.data()
                                                                             : nullptr),
        stride_(frame_ ? frame_->width : 0) {}

  uint32_t Get(int32_t x, int32_t y) const {
    return pixels_ ? pixels_[size_t(y) * size_t(stride_) + size_t(x)] : fw_read_pixel(frame_, x, y);
  }
  void Set(int32_t x, int32_t y, uint32_t argb) {
    if (pixels_) {
      pixels_[size_t(y) * size_t(stride_) + size_t(x)] = argb;
    } else {
      fw_write_pixel(frame_, x, y, argb);
    }
  }

 private:
  platform::PixmapRef frame_;
  uint32_t* pixels_;
  int32_t stride_;
};

}  // namespace tool
