// PNG files and pixel maps. Every colour type and bit depth is read as 8-bit
// 0xAARRGGBB with the file's colour bytes untouched (no gamma handling), and
// saved as 8-bit RGB or RGBA. libpng reports errors by longjmp, so each stage
// that can fail runs in a small function holding only plain data.
#include <png.h>

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <string>

#include "image.h"
#include "stream.h"

static_assert(std::endian::native == std::endian::little,
              "pixels are read and written as BGRA bytes");

namespace platform {
namespace {

// Larger pictures than this are refused rather than risking huge allocations
// on a corrupt header.
constexpr uint64_t kMaxPixels = uint64_t(1) << 25;
// The largest PNG the program loads, a shapes or filters sheet, is about a
// megabyte even uncompressed.
constexpr size_t kMaxPngFileBytes = size_t(64) << 20;
// libpng allocates what a chunk's length claims before it reads the chunk,
// and only warns about a length past its own limit; a damaged length must
// fail the load instead of asking for gigabytes. The pixels themselves are
// ours, so libpng never needs more than a few rows and a chunk's worth.
constexpr png_alloc_size_t kMaxLibpngAllocation = png_alloc_size_t(16) << 20;

struct MemoryReader {
  const uint8_t* data;
  size_t size;
  size_t offset;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (length > reader->size - reader->offset) png_error(png, "truncated");
  std::memcpy(out, reader->data + reader->offset, length);
  reader->offset += length;
}

void IgnoreWarning(png_structp, png_const_charp) {}

png_voidp BoundedAllocation(png_structp, png_alloc_size_t size) {
  return size <= kMaxLibpngAllocation ? std::malloc(size) : nullptr;
}

void FreeAllocation(png_structp, png_voidp memory) { std::free(memory); }

// Bad files are an expected outcome here, not something to print.
[[noreturn]] void QuietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Reads the header and sets up the transforms to 8-bit BGRA. A picture
// wider or taller than the limits fails here, before any row is decoded.
bool ReadHeader(png_structp png, png_infop info, uint32_t& width, uint32_t& height) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  width = png_get_image_width(png, info);
  height = png_get_image_height(png, info);
  int color_type = png_get_color_type(png, info);
  png_set_expand(png);  // palette, grey below 8 bits and tRNS
  png_set_strip_16(png);
  if (color_type == PNG_COLOR_TYPE_GRAY || color_type == PNG_COLOR_TYPE_GRAY_ALPHA) {
    png_set_gray_to_rgb(png);
  }
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);  // no-op when alpha is present
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  return png_get_rowbytes(png, info) == size_t(width) * 4;
}

bool ReadRows(png_structp png, png_infop info, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  png_read_end(png, info);
  return true;
}

void WriteToSave(png_structp png, png_bytep bytes, png_size_t length) {
  if (!static_cast<FileBeingSaved*>(png_get_io_ptr(png))->Write(bytes, length))
    png_error(png, "write failed");
}

void FlushNothing(png_structp) {}

bool WriteFile(png_structp png, png_infop info, FileBeingSaved& save, png_bytepp rows,
               uint32_t width, uint32_t height, bool with_alpha, int compression) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, &save, WriteToSave, FlushNothing);
  png_set_compression_level(png, compression);
  png_set_IHDR(png, info, width, height, 8,
               with_alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  if (!with_alpha) png_set_filler(png, 0, PNG_FILLER_AFTER);  // drops the alpha byte
  png_write_image(png, rows);
  png_write_end(png, info);
  return true;
}

bool AllOpaque(const Pixmap& pixmap) {
  for (uint32_t p : pixmap.pixels) {
    if ((p >> 24) != 0xFF) return false;
  }
  return true;
}

std::vector<png_bytep> RowPointers(const Pixmap& pixmap) {
  std::vector<png_bytep> rows(size_t(pixmap.height));
  auto* base = reinterpret_cast<png_bytep>(const_cast<uint32_t*>(pixmap.pixels.data()));
  for (int32_t y = 0; y < pixmap.height; ++y) rows[y] = base + size_t(y) * pixmap.width * 4;
  return rows;
}

bool DecodeRows(png_structp png, png_infop info, Pixmap& pixmap) {
  PixelWrite write(pixmap);
  std::vector<png_bytep> rows(size_t(pixmap.height));
  for (int32_t y = 0; y < pixmap.height; ++y) rows[y] = reinterpret_cast<png_bytep>(write.Row(y));
  return ReadRows(png, info, rows.data());
}

bool InBounds(const PixmapRef& pixmap, int32_t x, int32_t y) {
  return pixmap && x >= 0 && y >= 0 && x < pixmap->width && y < pixmap->height;
}

}  // namespace

PixmapRef DecodePng(const uint8_t* data, size_t size, uint32_t most_width, uint32_t most_height) {
  if (size < 8 || png_sig_cmp(data, 0, 8) != 0 || most_width == 0 || most_height == 0) {
    return nullptr;
  }
  png_structp png =
      png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, QuietError, IgnoreWarning, nullptr,
                               BoundedAllocation, FreeAllocation);
  if (!png) return nullptr;
  png_infop info = png_create_info_struct(png);
  MemoryReader reader{data, size, 0};
  PixmapRef pixmap;
  uint32_t width = 0, height = 0;
  if (info) {
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_set_user_limits(png, std::min(most_width, kMaxPngSide), std::min(most_height, kMaxPngSide));
    if (ReadHeader(png, info, width, height) && width > 0 && height > 0 &&
        uint64_t(width) * height <= kMaxPixels) {
      pixmap = std::make_shared<Pixmap>(int32_t(width), int32_t(height));
      if (!DecodeRows(png, info, *pixmap)) pixmap = nullptr;
    }
  }
  png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  return pixmap;
}

#ifndef NDEBUG
int32_t open_pixel_writes = 0;
#endif

PixelWrite::PixelWrite(Pixmap& pixmap)
    : pixmap_(pixmap), pixels_(pixmap.pixels.values_.data()), width_(pixmap.width) {
  DrawHeldCalls();
#ifndef NDEBUG
  ++open_pixel_writes;
#endif
}

PixelWrite::~PixelWrite() {
  ++pixmap_.generation_;
#ifndef NDEBUG
  --open_pixel_writes;
#endif
}

}  // namespace platform

using platform::Pixmap;
using platform::PixmapRef;

PixmapRef fw_create_pixmap(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) > platform::kMaxPixels) {
    return nullptr;
  }
  return std::make_shared<Pixmap>(width, height);
}

uint32_t fw_read_pixel(const PixmapRef& pixmap, int32_t x, int32_t y) {
  if (!platform::InBounds(pixmap, x, y)) return 0;
  return pixmap->pixels[size_t(y) * pixmap->width + x];
}

void fw_write_pixel(const PixmapRef& pixmap, int32_t x, int32_t y, uint32_t argb) {
  if (!platform::InBounds(pixmap, x, y)) return;
  platform::PixelWrite write(*pixmap);
  write.At(x, y) = argb;
}

namespace platform {
namespace {

PixmapRef LoadPng(const Text& path, uint32_t most_width, uint32_t most_height) {
  auto bytes = ReadOutsideFile(ToUtf8(path), kMaxPngFileBytes);
  return bytes ? DecodePng(bytes->data(), bytes->size(), most_width, most_height) : nullptr;
}

}  // namespace
}  // namespace platform

PixmapRef fw_load_pixmap(const Text& path) {
  return platform::LoadPng(path, platform::kMaxPngSide, platform::kMaxPngSide);
}

int32_t fw_load_image_within(const Text& path, int32_t flags, int32_t most_width,
                             int32_t most_height) {
  if (most_width <= 0 || most_height <= 0) return 0;
  return fw_load_image(platform::LoadPng(path, uint32_t(most_width), uint32_t(most_height)), flags);
}

int32_t platform::WritePixmapPng(const PixmapRef& pixmap, FileBeingSaved& save,
                                 int32_t compression) {
  if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0 || !save.IsOpen()) return 0;
  if (compression < 0 || compression > 9) compression = compression < 0 ? 0 : 9;
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, IgnoreWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<png_bytep> rows = RowPointers(*pixmap);
  const bool written = info && WriteFile(png, info, save, rows.data(), pixmap->width,
                                         pixmap->height, !AllOpaque(*pixmap), compression);
  png_destroy_write_struct(&png, info ? &info : nullptr);
  return written ? 1 : 0;
}

// A save that fails leaves the old file (or nothing) rather than a broken one.
int32_t fw_save_pixmap_png(const PixmapRef& pixmap, const Text& path, int32_t compression) {
  if (!pixmap) return 0;
  platform::PendingSave save(path);
  return platform::WritePixmapPng(pixmap, save, compression) == 1 ? save.Commit() : 0;
}
