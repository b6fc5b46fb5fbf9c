// The data step's private toolkit: output that never overwrites, pictures
// drawn with signed distances, and sounds synthesised into sample buffers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace data {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Output: every writer goes through these, so nothing that exists is touched.
// ---------------------------------------------------------------------------

// True when the file must be made (it does not exist yet).
bool Missing(const fs::path& path);
// Writes a new file through a temporary name; never replaces. `write` fills
// the temporary and says whether every byte went in.
void WriteNewFile(const fs::path& path,
                  const std::function<bool(platform::FileBeingSaved&)>& write);
void WriteNewFile(const fs::path& path, const std::string& bytes);
// Copies the first source that exists; returns false when none does.
bool CopyFirstExisting(const std::vector<fs::path>& sources, const fs::path& target);

// ---------------------------------------------------------------------------
// Pictures
// ---------------------------------------------------------------------------

struct Colour {
  float r = 0, g = 0, b = 0, a = 255;
};
Colour Mix(const Colour& a, const Colour& b, float t);
uint32_t PackArgb(const Colour& c);

// A float picture that is packed into a pixel map when saved.
class Picture {
 public:
  Picture(int32_t width, int32_t height, Colour fill = {0, 0, 0, 255});
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  Colour& At(int32_t x, int32_t y) { return pixels_[size_t(y) * size_t(width_) + size_t(x)]; }
  const Colour& At(int32_t x, int32_t y) const {
    return pixels_[size_t(y) * size_t(width_) + size_t(x)];
  }
  // Paints colour where `cover` (0..1 at a pixel centre) is above 0.
  void Paint(int32_t x0, int32_t y0, int32_t w, int32_t h,
             const std::function<float(float, float)>& cover, const Colour& colour);
  void Fill(int32_t x0, int32_t y0, int32_t w, int32_t h, const Colour& colour);
  // Copies `cell` with its top-left corner at (x, y).
  void Place(const Picture& cell, int32_t x, int32_t y);
  platform::PixmapRef ToPixmap() const;

 private:
  int32_t width_, height_;
  std::vector<Colour> pixels_;
};

// Lays cells out row by row, `columns` to a row, in a sheet of `total`
// cells; cells past the given ones are filled with `rest`.
Picture CellSheet(const std::vector<Picture>& cells, int32_t columns, int32_t total,
                  const Colour& rest);
// Each pixel becomes a factor x factor block.
Picture Scaled(const Picture& picture, int32_t factor);
// Saves as PNG at compression 9 unless the file exists.
void SavePictureIfMissing(const Picture& picture, const fs::path& path);

// Signed distances in pixels: negative inside, positive outside.
using Shape = std::function<float(float, float)>;
Shape Circle(float cx, float cy, float radius);
Shape Ellipse(float cx, float cy, float rx, float ry);
Shape Box(float cx, float cy, float half_w, float half_h, float corner = 0);
Shape Capsule(float x0, float y0, float x1, float y1, float radius);
Shape Polygon(std::vector<std::pair<float, float>> points);
Shape Star(float cx, float cy, int32_t points, float outer, float inner, float turn = 0);
Shape Union(std::vector<Shape> parts);
Shape Subtract(Shape body, Shape cut);
Shape Intersect(Shape a, Shape b);
Shape Ring(Shape shape, float half_thickness);
// Anti-aliased coverage of a distance field at one pixel.
float Coverage(float distance);
// Paints a shape in the box at (x0, y0), its coordinates local to the box,
// over a near-black outline `outline` pixels wide (near-black, since pure
// black is the mask colour of masked images).
void DrawShape(Picture& picture, int32_t x0, int32_t y0, int32_t w, int32_t h, const Shape& shape,
               const Colour& colour, float outline = 0);
const Colour kOutline = {1, 1, 1, 255};

// Pixel lettering: a 5 x 7 face drawn as squares of `dot` pixels.
void DrawPixelText(Picture& picture, const std::string& text, float x, float y, float dot,
                   const Colour& colour, float spacing = 1);
float PixelTextWidth(const std::string& text, float dot, float spacing = 1);

// ---------------------------------------------------------------------------
// Sounds
// ---------------------------------------------------------------------------

constexpr int32_t kSampleRate = 44100;
constexpr float kNoteOfQ = 261.6256f;  // C4: every pitched stem sounds here at rate 1.0

using Samples = std::vector<float>;
// Deterministic white noise in -1..1.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed ? seed : 1) {}
  float Next();

 private:
  uint32_t state_;
};
Samples Silence(float seconds);
// Mixes `add` into `into` from sample `at`, growing it when needed.
void MixInto(Samples& into, const Samples& add, size_t at = 0, float gain = 1);
// Scales to the given peak and fades the last few milliseconds to zero.
void Finish(Samples& samples, float peak);
// Make, level to `peak` and save a sound unless the file exists: as 16-bit
// mono PCM WAV, or as Ogg Vorbis.
void SaveWavIfMissing(const fs::path& path, float peak, const std::function<Samples()>& make);
void SaveOggIfMissing(const fs::path& path, float peak, const std::function<Samples()>& make);
// A decaying tone with harmonics: `partials` gives the level of harmonic n.
Samples Tone(float frequency, float seconds, const std::vector<float>& partials, float attack,
             float decay);
enum class Wave { kSine, kSquare, kTriangle };
// A tone gliding exponentially from f0 to f1 under an exponential decay.
Samples Sweep(float f0, float f1, float seconds, Wave wave, float decay);
// Decaying noise; brightness 0 keeps the lows (a thud), 1 only the highs (a hiss).
Samples NoiseBurst(float seconds, float decay, float brightness, uint32_t seed);

// ---------------------------------------------------------------------------
// Makers, one per kind of file
// ---------------------------------------------------------------------------

void MakeFonts(const fs::path& common);
void MakeIcons(const fs::path& common);
void MakeLogos(const fs::path& common, const fs::path& week);
void MakeBadges(const fs::path& week);
void MakeShapes(const fs::path& root);
void MakeFilters(const fs::path& root);
void MakePalettes(const fs::path& palettes);
void MakeSounds(const fs::path& common, const fs::path& week);
void MakeMusic(const fs::path& music);

// A sheet of 100 cells of 64 x 64, ten to a row: the cells, the stop cell
// (top-left pixel cyan-like), then plain cells.
void SaveSheetWithStopCell(std::vector<Picture> cells, const fs::path& path);

// Cell pictures for the contact sheet.
std::vector<Picture> ShapeCells();
std::vector<Picture> FilterCells();
std::vector<Picture> PaletteCells();
Picture IconSheet();
std::vector<Picture> BadgeCells();

}  // namespace data
