// Direct reads and writes of a locked image frame for the tool's pixel
// loops. Private to src/tool.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "platform/platform.h"

namespace tool {

// A frame whose pixels a walk over the width x height area reaches in place:
// only when the frame holds that whole area, so that the walk needs no call
// and no bounds test per pixel. Any other frame (missing, or too small) goes
// through the bounds-checked platform calls instead.
inline bool HoldsArea(const platform::PixmapRef& frame, int32_t width, int32_t height) {
  return frame && frame->width >= width && frame->height >= height;
}

// Reads a frame.
class FrameView {
 public:
  FrameView(platform::PixmapRef frame, int32_t width, int32_t height)
      : frame_(std::move(frame)),
        pixels_(HoldsArea(frame_, width, height) ? frame_->pixels.data() : nullptr),
        stride_(frame_ ? frame_->width : 0) {}

  uint32_t Get(int32_t x, int32_t y) const {
    return pixels_ ? pixels_[size_t(y) * size_t(stride_) + size_t(x)] : fw_read_pixel(frame_, x, y);
  }

 private:
  platform::PixmapRef frame_;
  const uint32_t* pixels_;
  int32_t stride_;
};

// Reads and writes a frame. The frame is being written for as long as the
// view lives, so no drawing call may come meanwhile.
class FrameEdit {
 public:
  FrameEdit(platform::PixmapRef frame, int32_t width, int32_t height) : frame_(std::move(frame)) {
    if (!frame_) return;
    write_.emplace(*frame_);
    if (HoldsArea(frame_, width, height)) pixels_ = write_->Row(0);
    stride_ = frame_->width;
  }

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
  std::optional<platform::PixelWrite> write_;
  uint32_t* pixels_ = nullptr;
  int32_t stride_ = 0;
};

}  // namespace tool
