// Image fonts: FreeType renders a TrueType file at a pixel size into glyph
// images (white, coverage as alpha) with their advances.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <vector>

#include "image.h"
#include "stream.h"

namespace platform {

Glyph& Font::GlyphOf(char16_t code) {
  auto found = glyphs_.find(code);
  if (found != glyphs_.end()) return found->second;
  Glyph& glyph = glyphs_[code] = Render(code);
  if (glyph.pixmap) UpdateCoverage(*glyph.pixmap, glyph.coverage);
  return glyph;
}

namespace {

constexpr int32_t kSmoothStyle = 4;
// Even the largest TrueType collections stay well below this.
constexpr size_t kMaxFontFileBytes = size_t(64) << 20;

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library made = nullptr;
    return FT_Init_FreeType(&made) == 0 ? made : nullptr;
  }();
  return library;
}

// Coverage of one bitmap pixel, 0 to 255, for grey and one-bit bitmaps.
uint32_t CoverageAt(const FT_Bitmap& bitmap, uint32_t x, uint32_t y) {
  const unsigned char* row = bitmap.buffer + ptrdiff_t(y) * bitmap.pitch;
  if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) return (row[x / 8] >> (7 - x % 8)) & 1 ? 255 : 0;
  return row[x];
}

class TrueTypeFont : public Font {
 public:
  TrueTypeFont(std::vector<FT_Byte> bytes, FT_Face face, bool smooth)
      : Font(int32_t(face->size->metrics.height >> 6), int32_t(face->size->metrics.ascender >> 6)),
        bytes_(std::move(bytes)),
        face_(face),
        smooth_(smooth) {}
  ~TrueTypeFont() override { FT_Done_Face(face_); }

  // Renders every printable ASCII character up front: a damaged file shows
  // itself here rather than in the middle of drawing.
  bool RendersAscii() {
    for (char16_t code = 32; code < 127; ++code) {
      if (FT_Get_Char_Index(face_, code) != 0 && !GlyphOf(code).present) return false;
    }
    return true;
  }

 protected:
  Glyph Render(char16_t code) override {
    Glyph glyph;
    FT_UInt index = FT_Get_Char_Index(face_, code);
    if (index == 0) return glyph;
    if (FT_Load_Glyph(face_, index, smooth_ ? FT_LOAD_DEFAULT : FT_LOAD_TARGET_MONO) != 0 ||
        FT_Render_Glyph(face_->glyph, smooth_ ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) {
      return glyph;
    }
    FT_GlyphSlot slot = face_->glyph;
    glyph.present = true;
    glyph.advance = float(slot->advance.x) / 64.0f;
    glyph.left = slot->bitmap_left;
    glyph.top = Ascender() - slot->bitmap_top;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.width == 0 || bitmap.rows == 0) return glyph;
    glyph.pixmap = std::make_shared<Pixmap>(int32_t(bitmap.width), int32_t(bitmap.rows));
    PixelWrite write(*glyph.pixmap);
    for (uint32_t y = 0; y < bitmap.rows; ++y) {
      for (uint32_t x = 0; x < bitmap.width; ++x) {
        write.At(int32_t(x), int32_t(y)) = CoverageAt(bitmap, x, y) << 24 | 0xFFFFFFu;
      }
    }
    return glyph;
  }

 private:
  std::vector<FT_Byte> bytes_;  // FreeType reads the face from here
  FT_Face face_;
  bool smooth_;
};

std::shared_ptr<Font> current_font;

Font& CurrentFont() { return current_font ? *current_font : *DefaultFont(); }

}  // namespace

void ResetFonts() { current_font = nullptr; }
}  // namespace platform

int32_t fw_load_image_font(const Text& path, int32_t pixel_size, int32_t style) {
  if (pixel_size <= 0 || pixel_size > 1000 || !platform::Library()) return 0;
  auto read = platform::ReadOutsideFile(platform::ToUtf8(path), platform::kMaxFontFileBytes);
  if (!read) return 0;
  std::vector<FT_Byte> bytes = std::move(*read);
  FT_Face face = nullptr;
  if (bytes.empty() ||
      FT_New_Memory_Face(platform::Library(), bytes.data(), FT_Long(bytes.size()), 0, &face) != 0) {
    return 0;
  }
  if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixel_size)) != 0) {
    FT_Done_Face(face);
    return 0;
  }
  auto font = std::make_shared<platform::TrueTypeFont>(std::move(bytes), face,
                                                       (style & platform::kSmoothStyle) != 0);
  if (!font->RendersAscii()) return 0;
  return rt_handle_from_object(font);
}

void fw_set_image_font(int32_t font) {
  platform::current_font = platform::HandleTo<platform::Font>(font);
}

int32_t fw_text_width(const Text& text) {
  platform::Font& font = platform::CurrentFont();
  int32_t width = 0;
  for (char16_t code : text) {
    const platform::Glyph& glyph = font.GlyphOf(code);
    if (glyph.present) width = wrap_add(width, rt_float_to_int(glyph.advance));
  }
  return width;
}

int32_t fw_text_height() { return platform::CurrentFont().LineHeight(); }

// Glyphs are placed on whole-pixel pen positions, so the pen moves by the
// same truncated advances that fw_text_width adds up.
void fw_draw_text(const Text& text, float x, float y) {
  platform::Font& font = platform::CurrentFont();
  int32_t pen = 0;
  for (char16_t code : text) {
    platform::Glyph& glyph = font.GlyphOf(code);
    if (!glyph.present) continue;
    if (glyph.pixmap) {
      platform::DrawPixmap(glyph.pixmap, glyph.coverage, false, x, y, -float(pen + glyph.left),
                           -float(glyph.top));
    }
    pen = wrap_add(pen, rt_float_to_int(glyph.advance));
  }
}
