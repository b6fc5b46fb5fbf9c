// Images: frames of pixel maps held by integer handles, with their flags and
// drawing handle.
#include "image.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

bool auto_mid_handle = false;

int32_t ResolveFlags(int32_t flags) { return flags == -1 ? kImageMasked | kImageFiltered : flags; }

// Black pixels become fully transparent; their colour bytes stay.
void MaskBlack(Pixmap& pixmap) {
  PixelWrite write(pixmap);
  for (uint32_t& p : write.All()) {
    if ((p & 0xFFFFFFu) == 0) p = 0;
  }
}

int32_t HandleOf(ImageRef image) {
  return image ? rt_handle_from_object(std::static_pointer_cast<Object>(image)) : 0;
}

// An image made of the given frames, masked when the flags say so.
int32_t NewImage(std::vector<PixmapRef> frames, int32_t flags) {
  if (frames.empty() || !frames[0]) return 0;
  auto image = std::make_shared<Image>();
  image->flags = ResolveFlags(flags);
  image->width = frames[0]->width;
  image->height = frames[0]->height;
  if (auto_mid_handle) {
    image->handle_x = float(image->width) / 2.0f;
    image->handle_y = float(image->height) / 2.0f;
  }
  if (image->flags & kImageMasked) {
    for (const PixmapRef& frame : frames) MaskBlack(*frame);
  }
  image->frames = std::move(frames);
  image->coverage.resize(image->frames.size());
  return HandleOf(image);
}

PixmapRef CutCell(const Pixmap& sheet, int32_t x, int32_t y, int32_t width, int32_t height) {
  PixmapRef cell = std::make_shared<Pixmap>(width, height);
  PixelWrite write(*cell);
  for (int32_t row = 0; row < height; ++row) {
    std::memcpy(write.Row(row), &sheet.pixels[size_t(y + row) * sheet.width + x],
                size_t(width) * 4);
  }
  return cell;
}

}  // namespace

PixmapRef ImageFrame(const Image& image, int32_t frame) {
  if (frame < 0 || size_t(frame) >= image.frames.size()) return nullptr;
  return image.frames[size_t(frame)];
}

}  // namespace platform

using platform::HandleTo;
using platform::Image;
using platform::PixmapRef;

void fw_set_auto_mid_handle(int32_t enable) { platform::auto_mid_handle = enable != 0; }

void platform::ResetImages() { auto_mid_handle = false; }

int32_t fw_load_image(const Text& path, int32_t flags) {
  return fw_load_image(fw_load_pixmap(path), flags);
}

int32_t fw_load_image(const PixmapRef& pixmap, int32_t flags) {
  if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return 0;
  // The image owns its pixels: masking must not reach the caller's map.
  return platform::NewImage({std::make_shared<platform::Pixmap>(*pixmap)}, flags);
}

int32_t fw_load_anim_image(const Text& path, int32_t cell_width, int32_t cell_height,
                           int32_t first_cell, int32_t cell_count, int32_t flags) {
  if (cell_width <= 0 || cell_height <= 0 || first_cell < 0 || cell_count <= 0) return 0;
  PixmapRef sheet = fw_load_pixmap(path);
  if (!sheet) return 0;
  int32_t columns = sheet->width / cell_width;
  int64_t cells = int64_t(columns) * (sheet->height / cell_height);
  if (cells < int64_t(first_cell) + cell_count) return 0;
  std::vector<PixmapRef> frames;
  for (int32_t cell = first_cell; cell < first_cell + cell_count; ++cell) {
    frames.push_back(platform::CutCell(*sheet, (cell % columns) * cell_width,
                                       (cell / columns) * cell_height, cell_width, cell_height));
  }
  return platform::NewImage(std::move(frames), flags);
}

int32_t fw_create_image(int32_t width, int32_t height, int32_t frames, int32_t flags) {
  if (frames <= 0 || !fw_create_pixmap(width, height)) return 0;
  std::vector<PixmapRef> maps;
  for (int32_t i = 0; i < frames; ++i) maps.push_back(fw_create_pixmap(width, height));
  return platform::NewImage(std::move(maps),
                            platform::ResolveFlags(flags) | platform::kImageDynamic);
}

int32_t fw_image_width(int32_t image) {
  auto object = HandleTo<Image>(image);
  return object ? object->width : 0;
}

int32_t fw_image_height(int32_t image) {
  auto object = HandleTo<Image>(image);
  return object ? object->height : 0;
}

int32_t fw_image_frames(int32_t image) {
  auto object = HandleTo<Image>(image);
  return object ? int32_t(object->frames.size()) : 0;
}

// Neither the lock nor the unlock is a change: every write into the map goes
// through a PixelWrite, which draws what is held first and marks the change.
PixmapRef fw_lock_image(int32_t image, int32_t frame, int32_t, int32_t) {
  auto object = HandleTo<Image>(image);
  return object ? platform::ImageFrame(*object, frame) : nullptr;
}

void fw_unlock_image(int32_t, int32_t) {}

namespace platform {
namespace {

// A masked image, or a caller that asks for it, stores black as transparent.
void GrabIntoFrame(int32_t image, int32_t x, int32_t y, int32_t frame, bool always_mask) {
  auto object = HandleTo<Image>(image);
  PixmapRef pixmap = object ? ImageFrame(*object, frame) : nullptr;
  if (!pixmap) return;
  if (always_mask || (object->flags & kImageMasked) != 0) {
    GrabMaskedFromBackBuffer(*pixmap, object->coverage[size_t(frame)], x, y);
  } else {
    CopyFromBackBuffer(*pixmap, x, y);
  }
}

}  // namespace
}  // namespace platform

void fw_copy_pixmap_into_image(const PixmapRef& pixmap, int32_t image, int32_t frame, int32_t x,
                               int32_t y) {
  auto object = HandleTo<Image>(image);
  PixmapRef target = object ? platform::ImageFrame(*object, frame) : nullptr;
  if (!pixmap || !target) return;
  // The part of the map that lands inside the frame, in map coordinates.
  const int64_t x0 = std::max<int64_t>(0, -int64_t(x)), y0 = std::max<int64_t>(0, -int64_t(y));
  const int64_t x1 = std::min<int64_t>(pixmap->width, int64_t(target->width) - x);
  const int64_t y1 = std::min<int64_t>(pixmap->height, int64_t(target->height) - y);
  if (x0 >= x1 || y0 >= y1) return;
  platform::FrameCoverage& coverage = object->coverage[size_t(frame)];
  const bool current = coverage.valid && coverage.generation == target->generation();
  {
    platform::PixelWrite write(*target);
    for (int64_t row = y0; row < y1; ++row) {
      std::memcpy(write.Row(int32_t(row + y)) + (x0 + x),
                  &pixmap->pixels[size_t(row) * pixmap->width + size_t(x0)], size_t(x1 - x0) * 4);
    }
  }
  if (!current) return;
  platform::GrowCoverage(
      coverage, platform::ScanBlock(*pixmap, int32_t(x0), int32_t(y0), int32_t(x1), int32_t(y1)), x,
      y);
  coverage.generation = target->generation();
}

void fw_grab_image(int32_t image, int32_t x, int32_t y, int32_t frame) {
  platform::GrabIntoFrame(image, x, y, frame, false);
}

void fw_grab_image_masked(int32_t image, int32_t x, int32_t y, int32_t frame) {
  platform::GrabIntoFrame(image, x, y, frame, true);
}

void fw_draw_image(int32_t image, float x, float y, int32_t frame) {
  auto object = HandleTo<Image>(image);
  PixmapRef pixmap = object ? platform::ImageFrame(*object, frame) : nullptr;
  if (!pixmap) return;
  platform::DrawPixmap(pixmap, object->coverage[size_t(frame)],
                       (object->flags & platform::kImageFiltered) != 0, x, y, object->handle_x,
                       object->handle_y);
}
