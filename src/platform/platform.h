// The platform layer: every operation the system uses to reach the window,
// the 2D drawing context, images, fonts, audio, input, files, the clock,
// random numbers, lists and sockets. Nothing outside src/platform talks to
// the operating system or a library directly.
//
// Conventions: integers are 32-bit and wrap, floats are 32-bit, texts are
// 16-bit code units with 1-based positions. Images, fonts, sounds, channels,
// streams, folder listings and sockets are integer handles; 0 is "none".
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Texts
// ---------------------------------------------------------------------------

using Text = std::u16string;

namespace platform {
// Conversions at the OS boundary only (file names, window caption). Bytes
// that are not valid UTF-8 become U+DC80..U+DCFF and turn back into the same
// bytes, so any name read from the OS names the same file again.
std::string ToUtf8(const Text& text);
Text FromUtf8(const std::string& utf8);
// One code unit per byte, as files hold texts.
Text FromBytes(const std::string& bytes);
std::string ToBytes(const Text& text);  // low 8 bits of each unit
// The two halves of a character beyond the first plane.
inline bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
inline bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
// The code units of the character that starts at `start`: 2 for a whole
// surrogate pair, 1 for anything else, a lone half included.
inline size_t CharacterUnitsAt(const Text& text, size_t start) {
  const bool pair =
      IsHighSurrogate(text[start]) && start + 1 < text.size() && IsLowSurrogate(text[start + 1]);
  return pair ? 2 : 1;
}
// The same for the character that ends just before `end` (above 0).
inline size_t CharacterUnitsBefore(const Text& text, size_t end) {
  const bool pair = IsLowSurrogate(text[end - 1]) && end >= 2 && IsHighSurrogate(text[end - 2]);
  return pair ? 2 : 1;
}
// The longest start of `text` whose UTF-8 takes at most `bytes` bytes, cut
// between characters: a surrogate pair stays whole.
Text Utf8Prefix(const Text& text, size_t bytes);
}  // namespace platform

Text fw_mid(const Text& text, int32_t pos, int32_t size = -1);
Text fw_left(const Text& text, int32_t n);
Text fw_right(const Text& text, int32_t n);
int32_t fw_instr(const Text& text, const Text& part, int32_t start = 1);
Text fw_replace(const Text& text, const Text& find, const Text& with);
Text fw_trim(const Text& text);
Text fw_upper(const Text& text);
Text fw_lower(const Text& text);
Text fw_hex(int32_t value);
Text rt_string_from_int(int32_t value);
Text rt_string_from_long(int64_t value);
int32_t rt_string_to_int(const Text& text);
int64_t rt_string_to_long(const Text& text);
Text rt_string_from_char(int32_t code);
int32_t rt_string_first_char(const Text& text);
// Code unit by code unit, then by length: below 0, 0 or above 0.
int32_t rt_string_compare(const Text& a, const Text& b);

// ---------------------------------------------------------------------------
// Numbers
// ---------------------------------------------------------------------------

// Truncation toward zero, saturating instead of undefined for out-of-range
// values (NaN gives 0).
inline int32_t rt_float_to_int(double value) {
  if (value != value) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}
// 32-bit wrapping arithmetic without undefined behaviour.
inline int32_t wrap_add(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t wrap_sub(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
inline int32_t wrap_mul(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
// Division truncating toward zero; INT_MIN / -1 wraps, x / 0 gives 0. Both
// go through 64 bits, where INT_MIN / -1 is representable.
inline int32_t wrap_div(int32_t a, int32_t b) {
  if (b == 0) return 0;
  return static_cast<int32_t>(static_cast<uint32_t>(int64_t(a) / int64_t(b)));
}
inline int32_t wrap_mod(int32_t a, int32_t b) {
  if (b == 0) return 0;
  return static_cast<int32_t>(int64_t(a) % int64_t(b));
}
double fw_sin_deg(double degrees);
double fw_cos_deg(double degrees);

// ---------------------------------------------------------------------------
// Clock, process and memory
// ---------------------------------------------------------------------------

int32_t rt_millisecs();
void rt_delay(int32_t ms);
Text fw_current_date();  // "%d %b %Y" with English month names
Text fw_current_time();  // "%H:%M:%S"
[[noreturn]] void rt_end(int32_t exit_code = 0);
void fw_debug_log(const Text& text);
void rt_gc_set_mode(int32_t mode);
int32_t rt_gc_collect();
int32_t rt_gc_memory_in_use();

// ---------------------------------------------------------------------------
// Files, folders and streams (paths relative to the current folder, "/")
// ---------------------------------------------------------------------------

int32_t fw_change_dir(const Text& path);
Text fw_current_dir();
// Creates one folder; 1 when it exists afterwards.
int32_t fw_create_dir(const Text& path);
// 0 missing, 1 regular file, 2 folder, 3 anything else (FIFO, socket, device).
int32_t fw_file_type(const Text& path);
int32_t fw_delete_file(const Text& path);
// Replaces `to` atomically; 1 on success. Used for safe saves.
int32_t fw_rename_file(const Text& from, const Text& to);
namespace platform {
// The longest file name the file systems take, in bytes of UTF-8.
inline constexpr size_t kMaxFileNameBytes = 255;

class Stream;

// A file being saved. Its bytes go to a new temporary file beside the place
// it goes (the same folder, so that the move there is atomic), under a short
// name of its own however long the final name is, through the descriptor
// that made it; the two kinds of save below move it into place. A save
// dropped before that leaves the folder as it was and takes its temporary
// away. Temporaries that a killed run left in that folder, and only those,
// are removed once they are dated far enough from now that no other run can
// still be writing them.
class FileBeingSaved {
 public:
  FileBeingSaved(const FileBeingSaved&) = delete;
  FileBeingSaved& operator=(const FileBeingSaved&) = delete;

  // False when no temporary could be made.
  bool IsOpen() const { return file_ != nullptr; }
  // A stream handle for the fw_write_ operations; 0 when not open.
  int32_t Stream();
  // Appends bytes; false when they could not be written, and then no
  // commit succeeds.
  bool Write(const void* bytes, size_t size);
  // Every byte written and flushed to disk, the file still under its
  // temporary name; true when all reached it. A save of several files
  // finishes them all before it moves any. Writes after it fail, and so
  // does the commit.
  bool Finish();

 protected:
  FileBeingSaved() = default;
  ~FileBeingSaved();
  // Makes the temporary in `folder` ("" or ending in "/") with the
  // permission bits `mode`, or the folder's default when there are none.
  void Open(const std::string& folder, std::optional<uint32_t> mode);
  const std::string& TemporaryPath() const { return temporary_; }
  // The temporary now stands under its final name, and stays; the move is
  // flushed to disk.
  void Kept();

 private:
  std::string temporary_;
  std::shared_ptr<platform::Stream> file_;
  int32_t stream_ = 0;
};

// A save that replaces `target` (a link there is replaced, never followed)
// and takes its permission bits. Nothing is made, and the save fails, when
// the target is a folder, a file with no write bit, or a file this process
// may not write.
class PendingSave : public FileBeingSaved {
 public:
  explicit PendingSave(const Text& target);
  // Moves the written file over the target; 1 on success.
  int32_t Commit();

 private:
  std::string target_;
};

// A save that takes a new name in `folder` ("" for the current folder, else
// ending in "/").
class PendingNewFile : public FileBeingSaved {
 public:
  explicit PendingNewFile(const Text& folder);
  // Moves the written file to `name`, a path into the same folder, only
  // where nothing has that name; the file already there is never touched.
  enum class Result { kSaved, kTaken, kFailed };
  Result CommitAs(const Text& name);
};
}  // namespace platform
int32_t fw_read_dir(const Text& path);
Text fw_next_file(int32_t listing);
void fw_close_dir(int32_t listing);
// Regular files only, read whole at once: none for a folder, FIFO, socket or
// device, for a file larger than any the program reads as a stream, or for
// one a read failed in.
int32_t fw_read_file(const Text& path);
// A new, empty file of its own: a link or a file with a second name in its
// place is removed, never followed nor emptied, so that no write lands
// elsewhere. None where a folder, FIFO, socket or device stands.
int32_t fw_write_file(const Text& path);
void fw_close_file(int32_t stream);
void fw_close_stream(int32_t stream);
Text fw_read_line(int32_t stream);
namespace platform {
// fw_read_line taking at most `most_bytes` bytes of the stream (line end
// included) and adding how many it took to `taken`.
Text ReadLineWithin(int32_t stream, size_t most_bytes, size_t& taken);
}  // namespace platform
int32_t fw_write_line(int32_t stream, const Text& text);
int32_t fw_stream_eof(int32_t stream);
int32_t fw_read_int(int32_t stream);
int32_t fw_write_int(int32_t stream, int32_t value);

// ---------------------------------------------------------------------------
// Handles
// ---------------------------------------------------------------------------

namespace platform {
// Root of every object that can be held by an integer handle. Records that
// add nothing of their own keep its plain behaviour: an object is known by
// its identity alone.
struct Object {
  virtual ~Object() = default;
  // The object's identity as text: its address in hexadecimal digits.
  virtual Text ToString() const;
  // 0 for the object itself; other objects are ordered by identity.
  virtual int32_t Compare(const Object& other) const;
  // Takes a message with its context and hands the message back unanswered.
  virtual std::shared_ptr<Object> SendMessage(const std::shared_ptr<Object>& message,
                                              const std::shared_ptr<Object>& context);
};
}  // namespace platform

int32_t rt_handle_from_object(const std::shared_ptr<platform::Object>& object);
std::shared_ptr<platform::Object> rt_handle_to_object(int32_t handle);
// Forgets a handle whose object the caller is done with, so that replacing an
// image or a channel again and again does not keep every old one alive. The
// number is never given out again; using it afterwards finds nothing.
void rt_release_handle(int32_t handle);
namespace platform {
// How many handles find an object now: what a run holds through handles.
int32_t LiveHandleCount();
}  // namespace platform
// Puts a new handle into a slot, releasing the one it held.
inline void rt_replace_handle(int32_t& slot, int32_t handle) {
  if (slot != 0 && slot != handle) rt_release_handle(slot);
  slot = handle;
}

namespace platform {
// The object behind a handle as type T, or null when the handle is 0,
// unknown, or of another type.
template <class T>
std::shared_ptr<T> HandleTo(int32_t handle) {
  return std::dynamic_pointer_cast<T>(rt_handle_to_object(handle));
}
}  // namespace platform

// ---------------------------------------------------------------------------
// Lists of records
// ---------------------------------------------------------------------------

namespace platform {
// An ordered list of shared records. A walk may remove the record it has
// just been given without disturbing the rest of the walk.
template <class T>
class List {
 public:
  using Ref = std::shared_ptr<T>;
  void Clear() { links_.clear(); }
  int32_t Count() const { return static_cast<int32_t>(links_.size()); }
  void Append(Ref record) { links_.push_back(std::move(record)); }
  // Removes the first link holding the record.
  void Remove(const Ref& record) {
    for (auto it = links_.begin(); it != links_.end(); ++it) {
      if (*it == record) {
        links_.erase(it);
        return;
      }
    }
  }
  template <class Visit>
  void ForEach(Visit visit) {
    for (auto it = links_.begin(); it != links_.end();) {
      auto next = std::next(it);
      Ref keep = *it;  // the record lives while the walk holds it
      visit(keep);
      it = next;
    }
  }
  // Stable sort by compare(a, b) returning below 0, 0 or above 0.
  // ascending = 1 keeps the comparison's order, 0 reverses it.
  template <class Compare>
  void Sort(int32_t ascending, Compare compare) {
    links_.sort([&](const Ref& a, const Ref& b) {
      int32_t c = compare(*a, *b);
      return ascending ? c < 0 : c > 0;
    });
  }
  const std::list<Ref>& Links() const { return links_; }

 private:
  std::list<Ref> links_;
};
}  // namespace platform

// ---------------------------------------------------------------------------
// Random numbers (one generator for the whole system; bit-exact)
// ---------------------------------------------------------------------------

void fw_seed_rnd(int32_t seed);
namespace platform {
int32_t RandomState();  // for tests and the sequencer's reproducibility checks

// The state, 1 .. 2^31 - 2 (random.cpp); only fw_seed_rnd and fw_rand_int
// change it. fw_rand_int is inline: the sprite generator draws hundreds of
// thousands of numbers a frame.
extern int32_t random_state;

// Park-Miller minimal standard: multiplier 48271, modulus m = 2^31 - 1.
inline constexpr uint64_t kRandomModulus = 2147483647;
inline constexpr uint32_t kRandomMultiplier = 48271;
inline constexpr uint32_t kRandomMultiplierSquared = 182605794;  // 48271^2 mod m: two steps

// state * multiplier mod m. As m is a Mersenne prime, the product's bits
// from bit 31 up fold back onto its low 31 bits (2^31 = 1 mod m) without a
// division; for a multiplier below 2^28 one fold leaves less than 2m.
inline int32_t RandomStepBy(int32_t state, uint32_t multiplier) {
  const uint64_t product = uint64_t(uint32_t(state)) * multiplier;
  uint64_t folded = (product & kRandomModulus) + (product >> 31);
  if (folded >= kRandomModulus) folded -= kRandomModulus;
  return static_cast<int32_t>(folded);
}

// One draw takes two steps, s1 and s2 (s2 straight from the state, so both
// products run side by side), and gives
//   ((s1 AND 0x1ffffffc) + (s2 AND 0x1ffffff8) / 2^27) / 2^29,
// a value in [0, 1) with 53 significant bits. That is the 56-bit integer
// (s1 AND 0x1ffffffc) * 2^27 + (s2 AND 0x1ffffff8), whose low 3 bits are 0,
// over 2^56: exact in a double whichever way it is computed.
inline double RandomDraw() {
  const int32_t s1 = RandomStepBy(random_state, kRandomMultiplier);
  const int32_t s2 = RandomStepBy(random_state, kRandomMultiplierSquared);
  random_state = s2;
  const int64_t numerator = int64_t(s1 & 0x1ffffffc) << 27 | int64_t(s2 & 0x1ffffff8);
  return double(numerator) * 0x1p-56;
}
}  // namespace platform

// An integer between a and b inclusive, in either order; always two steps.
inline int32_t fw_rand_int(int32_t a, int32_t b) {
  const double d = platform::RandomDraw();
  const int64_t lo = a < b ? a : b;
  const int64_t count = (a < b ? int64_t(b) - a : int64_t(a) - b) + 1;
  const int64_t result = lo + static_cast<int64_t>(d * double(count));
  return static_cast<int32_t>(static_cast<uint32_t>(result));
}

// ---------------------------------------------------------------------------
// Window and display
// ---------------------------------------------------------------------------

int32_t fw_gl_2d_driver();
int32_t fw_d3d9_2d_driver();
int32_t fw_d3d7_2d_driver();
void fw_set_graphics_driver(int32_t driver, int32_t default_flags);
int32_t fw_count_graphics_modes();
void fw_get_graphics_mode(int32_t index, int32_t& width, int32_t& height, int32_t& depth,
                          int32_t& rate);
int32_t fw_graphics_mode_exists(int32_t width, int32_t height, int32_t depth, int32_t rate);
// Opens the window at width x height: windowed at depth 0, full screen at
// any other depth (in bits per pixel). `rate` paces synced flips; `flags` is
// not used. 1 when the window opened, 0 when it could not be opened.
int32_t fw_open_graphics(int32_t width, int32_t height, int32_t depth, int32_t rate, int32_t flags);
// Why the host could not open the last window it was asked for, in a few
// plain words, such as "no display is available (DISPLAY is not set)"; empty
// when that window opened or the host gave no reason.
Text fw_window_failure();
void fw_close_graphics();
void fw_set_app_title(const Text& title);
void fw_set_virtual_resolution(int32_t width, int32_t height);
void fw_flip(int32_t sync);
void fw_show_mouse();
void fw_hide_mouse();
int32_t fw_app_terminate_requested();
// 1 once the process was asked to stop by a signal (SIGTERM, SIGINT or SIGHUP
// on the SDL host), and from then on: reading it does not clear it. A second
// such signal ends the process at once.
int32_t fw_app_stop_signalled();

// ---------------------------------------------------------------------------
// Drawing (one current drawing state; the back buffer is 0xAARRGGBB)
// ---------------------------------------------------------------------------

void fw_set_color(int32_t r, int32_t g, int32_t b);
void fw_get_color(int32_t& r, int32_t& g, int32_t& b);
void fw_set_alpha(float alpha);
float fw_get_alpha();
void fw_set_blend(int32_t mode);  // 1 mask, 2 solid, 3 alpha, 4 light, 5 shade
int32_t fw_get_blend();
void fw_set_rotation(float degrees);
float fw_get_rotation();
void fw_set_scale(float sx, float sy);
void fw_get_scale(float& sx, float& sy);
void fw_set_cls_color(int32_t r, int32_t g, int32_t b);
void fw_cls();
void fw_plot(float x, float y);
void fw_draw_rect(float x, float y, float width, float height);
void fw_draw_line(float x, float y, float x2, float y2, int32_t last_pixel = 1);
void fw_draw_image(int32_t image, float x, float y, int32_t frame = 0);
void fw_draw_text(const Text& text, float x, float y);

// ---------------------------------------------------------------------------
// Images and pixel maps
// ---------------------------------------------------------------------------

namespace platform {
class PixelWrite;

// The pixels of a pixel map, top row first, for reading; they are written
// only through a PixelWrite.
class PixelStore {
 public:
  using value_type = uint32_t;
  using const_iterator = std::vector<uint32_t>::const_iterator;
  using iterator = const_iterator;

  explicit PixelStore(size_t count) : values_(count, 0u) {}
  operator const std::vector<uint32_t>&() const { return values_; }
  const uint32_t* data() const { return values_.data(); }
  size_t size() const { return values_.size(); }
  bool empty() const { return values_.empty(); }
  const uint32_t& operator[](size_t index) const { return values_[index]; }
  const_iterator begin() const { return values_.begin(); }
  const_iterator end() const { return values_.end(); }
  bool operator==(const PixelStore&) const = default;
  bool operator==(const std::vector<uint32_t>& other) const { return values_ == other; }

 private:
  friend class PixelWrite;
  std::vector<uint32_t> values_;
};

// A block of 0xAARRGGBB pixels.
class Pixmap : public Object {
 public:
  Pixmap(int32_t w, int32_t h) : width(w), height(h), pixels(size_t(w) * size_t(h)) {}
  const int32_t width;
  const int32_t height;
  PixelStore pixels;
  // Moves on with every finished write, so that drawing can cache what it
  // derives from the pixels; a read, a lock or an unlock leaves it alone.
  uint64_t generation() const { return generation_; }

 private:
  friend class PixelWrite;
  uint64_t generation_ = 0;
};

// The one way to change a pixel map's pixels. Drawing calls may be held back
// with a reference to the map they draw, so opening a write first draws what
// is held (the held calls paint the pixels they were given), and closing it
// marks the map changed. No drawing call, clear or flip may come while a
// write is open: a call made then would paint whatever the write does after
// it. Debug builds check that. Pointers from a write are good only while it
// is open, so only a named write hands them out.
class PixelWrite {
 public:
  explicit PixelWrite(Pixmap& pixmap);
  ~PixelWrite();
  PixelWrite(const PixelWrite&) = delete;
  PixelWrite& operator=(const PixelWrite&) = delete;

  // Row y; the rows follow one another, `width` pixels each.
  uint32_t* Row(int32_t y) const& { return pixels_ + size_t(y) * size_t(width_); }
  uint32_t& At(int32_t x, int32_t y) const& { return Row(y)[x]; }
  std::span<uint32_t> All() const& { return {pixels_, pixmap_.pixels.size()}; }
  uint32_t* Row(int32_t y) const&& = delete;
  uint32_t& At(int32_t x, int32_t y) const&& = delete;
  std::span<uint32_t> All() const&& = delete;

 private:
  Pixmap& pixmap_;
  uint32_t* pixels_;
  int32_t width_;
};
using PixmapRef = std::shared_ptr<Pixmap>;
}  // namespace platform

// Image flags: 1 masked, 2 filtered, 4 mipmapped, 8 dynamic; -1 = 3.
int32_t fw_load_image(const Text& path, int32_t flags);
int32_t fw_load_image(const platform::PixmapRef& pixmap, int32_t flags);
// The same, or none for a picture wider than most_width or taller than
// most_height, known from the file's header before anything is decoded.
int32_t fw_load_image_within(const Text& path, int32_t flags, int32_t most_width,
                             int32_t most_height);
int32_t fw_load_anim_image(const Text& path, int32_t cell_width, int32_t cell_height,
                           int32_t first_cell, int32_t cell_count, int32_t flags);
int32_t fw_create_image(int32_t width, int32_t height, int32_t frames, int32_t flags);
int32_t fw_image_width(int32_t image);
int32_t fw_image_height(int32_t image);
int32_t fw_image_frames(int32_t image);
void fw_set_auto_mid_handle(int32_t enable);
platform::PixmapRef fw_lock_image(int32_t image, int32_t frame = 0, int32_t read = 1,
                                  int32_t write = 1);
void fw_unlock_image(int32_t image, int32_t frame = 0);
uint32_t fw_read_pixel(const platform::PixmapRef& pixmap, int32_t x, int32_t y);
void fw_write_pixel(const platform::PixmapRef& pixmap, int32_t x, int32_t y, uint32_t argb);
platform::PixmapRef fw_create_pixmap(int32_t width, int32_t height);
platform::PixmapRef fw_load_pixmap(const Text& path);  // PNG file; null on failure
platform::PixmapRef fw_grab_pixmap(int32_t x, int32_t y, int32_t width, int32_t height);
// Copies the pixel map into that frame with its top-left corner at (x, y);
// what falls outside the frame is dropped. The frame's next draw need not
// look at all its pixels again.
void fw_copy_pixmap_into_image(const platform::PixmapRef& pixmap, int32_t image, int32_t frame,
                               int32_t x, int32_t y);
void fw_grab_image(int32_t image, int32_t x, int32_t y, int32_t frame = 0);
// As fw_grab_image, storing every pixel whose red, green and blue are all 0
// as 0 whatever the image's flags.
void fw_grab_image_masked(int32_t image, int32_t x, int32_t y, int32_t frame = 0);
// Saved through a PendingSave: a failed save leaves the old file.
int32_t fw_save_pixmap_png(const platform::PixmapRef& pixmap, const Text& path,
                           int32_t compression);
namespace platform {
// The PNG written into a save that the caller commits itself.
int32_t WritePixmapPng(const PixmapRef& pixmap, FileBeingSaved& save, int32_t compression);
}  // namespace platform

// ---------------------------------------------------------------------------
// Fonts
// ---------------------------------------------------------------------------

int32_t fw_load_image_font(const Text& path, int32_t pixel_size, int32_t style);
void fw_set_image_font(int32_t font);
int32_t fw_text_width(const Text& text);
int32_t fw_text_height();

// ---------------------------------------------------------------------------
// Audio
// ---------------------------------------------------------------------------

std::vector<Text> fw_audio_driver_names();
int32_t fw_audio_driver_exists(const Text& name);
int32_t fw_set_audio_driver(const Text& name);
int32_t fw_enable_openal_audio();
int32_t fw_load_sound(const Text& path, int32_t flags);
int32_t fw_alloc_channel();
// Readies the sound paused on the channel (a new one when channel is 0);
// returns the channel, 0 when none.
int32_t fw_cue_sound(int32_t sound, int32_t channel = 0);
void fw_set_channel_volume(int32_t channel, float volume);
void fw_set_channel_pan(int32_t channel, float pan);
void fw_set_channel_rate(int32_t channel, float rate);
void fw_resume_channel(int32_t channel);
void fw_stop_channel(int32_t channel);
int32_t fw_channel_playing(int32_t channel);

// ---------------------------------------------------------------------------
// Input (Windows virtual-key codes; mouse buttons 1 left, 2 right, 3 middle)
// ---------------------------------------------------------------------------

// The virtual-key codes the system answers to by name.
namespace vk {
constexpr int32_t kBackspace = 8;
constexpr int32_t kTab = 9;
constexpr int32_t kEnter = 13;
constexpr int32_t kEscape = 27;
constexpr int32_t kSpace = 32;
constexpr int32_t kUp = 38;
constexpr int32_t kDown = 40;
constexpr int32_t kF4 = 115;
constexpr int32_t kF11 = 122;
constexpr int32_t kF12 = 123;
constexpr int32_t kLeftAlt = 164;
constexpr int32_t kRightAlt = 165;
}  // namespace vk

int32_t fw_key_down(int32_t key);
int32_t fw_key_hit(int32_t key);
int32_t fw_get_char();
namespace platform {
// The next typed character whole, a surrogate pair as one; "" when none is
// queued. A lone half, as a full queue may leave one, is no character and
// is dropped, so that no text takes half of one.
Text TakeTypedCharacter();
}  // namespace platform
void fw_flush_keys();
int32_t fw_mouse_down(int32_t button);
int32_t fw_mouse_hit(int32_t button);
float fw_virtual_mouse_x();
float fw_virtual_mouse_y();
int32_t fw_mouse_z_speed();
int32_t fw_joy_count();
Text fw_joy_name(int32_t port);
int32_t fw_joy_button_caps(int32_t port);
int32_t fw_joy_button_down(int32_t button, int32_t port);
float fw_joy_axis_x(int32_t port);
float fw_joy_axis_y(int32_t port);
float fw_joy_axis_z(int32_t port);
float fw_joy_axis_r(int32_t port);
float fw_joy_axis_u(int32_t port);
float fw_joy_axis_v(int32_t port);
float fw_joy_hat(int32_t port);

// ---------------------------------------------------------------------------
// Sockets (POSIX TCP; every call blocks, bounded by time-outs)
// ---------------------------------------------------------------------------

int32_t fw_create_tcp_socket();
int32_t fw_host_ip(const Text& host, int32_t index);
int32_t fw_connect_socket(int32_t socket, int32_t address, int32_t port);
int32_t fw_create_socket_stream(int32_t socket, int32_t close_socket_with_stream);
void fw_close_socket(int32_t socket);

// ---------------------------------------------------------------------------
// The host seam: what touches the OS at run time. The SDL2 host drives the
// program; the scripted host drives tests with a virtual clock, queued input
// and captured frames and audio.
// ---------------------------------------------------------------------------

namespace platform {

struct DisplayMode {
  int32_t width, height, depth, rate;
};

// Input events delivered by a host's event pump, in window pixels.
struct InputEvent {
  // kFocusLost: the window lost the focus or was hidden, so that the
  // releases of what is held now go elsewhere.
  enum Kind {
    kKeyDown,
    kKeyUp,
    kChar,
    kMouseMove,
    kMouseDown,
    kMouseUp,
    kWheel,
    kQuit,
    kFocusLost
  };
  Kind kind;
  int32_t code = 0;  // virtual-key code, character code, button or wheel steps
  float x = 0, y = 0;
};

struct JoystickState {
  Text name;
  int32_t buttons = 0;                 // number of buttons
  uint32_t held = 0;                   // bit n: button n held
  float axes[6] = {0, 0, 0, 0, 0, 0};  // x, y, z, r, u, v
  float hat = -1.0f;                   // fraction of a turn, -1 centred
};

// Pulls `frames` stereo frames of float samples (-1..1) into `out`.
using AudioCallback = std::function<void(float* out, int32_t frames)>;
enum class AudioBackend { kDefault, kAlsa };

class Host {
 public:
  virtual ~Host() = default;
  // Clock and process.
  virtual uint32_t Millisecs() = 0;
  virtual void Delay(int32_t ms) = 0;
  [[noreturn]] virtual void EndProcess(int32_t code) = 0;
  // Window.
  virtual std::vector<DisplayMode> DisplayModes() = 0;
  virtual bool OpenWindow(int32_t width, int32_t height, bool fullscreen, int32_t depth,
                          const std::string& caption_utf8) = 0;
  virtual void CloseWindow() = 0;
  virtual bool WindowOpen() const = 0;
  // Why the last OpenWindow failed, in UTF-8; empty when not known.
  virtual std::string WindowFailure() const { return {}; }
  virtual void SetCaption(const std::string& caption_utf8) = 0;
  virtual void ShowCursor(bool show) = 0;
  // Shows an 800 x 600 (or w x h) 0xAARRGGBB frame, scaled to the window.
  virtual void Present(const uint32_t* pixels, int32_t width, int32_t height) = 0;
  // Shows the frame last presented once more; false when the host no longer
  // has it and wants it presented again.
  virtual bool ShowAgain() { return false; }
  // Maps a window position to the drawing space of the given size.
  virtual void WindowToVirtual(float wx, float wy, int32_t vw, int32_t vh, float& vx,
                               float& vy) = 0;
  virtual void PumpEvents(std::vector<InputEvent>& out) = 0;
  // Joysticks.
  virtual int32_t JoystickCount() = 0;
  virtual JoystickState Joystick(int32_t port) = 0;
  // Audio device: a stereo float stream at `rate` pulled through callback.
  virtual bool OpenAudio(AudioBackend backend, int32_t rate, AudioCallback callback) = 0;
  virtual void CloseAudio() = 0;
  virtual void LockAudio() = 0;
  virtual void UnlockAudio() = 0;
};

// The host in use; the SDL2 host unless another was installed.
Host& CurrentHost();
void InstallHost(std::unique_ptr<Host> host);
std::unique_ptr<Host> MakeSdlHost();

// Puts the platform layer back as a new process finds it: no handles given
// out (their objects go), the generator unseeded, the default drawing state
// over a black 800 x 600 back buffer, no key or button held or pressed and
// no character typed, the window closed and its title empty, no stop signal
// noted, images handled at their corner, the built-in font current, the
// silent audio driver with the driver list of a new process, and the default
// socket time-outs. The installed host stays.
void ResetPlatformState();

// Thrown by the scripted host's EndProcess so that a test regains control.
struct ProcessEnded {
  int32_t code;
};

// Thrown by the scripted host when a run goes on waiting once its scripted
// input has run out, so that the test fails instead of spinning for ever.
struct ScriptRanOut : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A host for tests: virtual clock advanced by Delay, input queued per frame,
// presented frames and audio kept for inspection.
class ScriptedHost : public Host {
 public:
  ScriptedHost();
  ~ScriptedHost() override;

  // Test controls.
  void SetClock(uint32_t ms) { clock_ = ms; }
  void Advance(uint32_t ms) { clock_ += ms; }
  // Events delivered at the first pump after `presents` frames were shown.
  void QueueAtFrame(int32_t presents, const InputEvent& event);
  void Queue(const InputEvent& event) { QueueAtFrame(presented_, event); }
  // Called after every present with the number of frames shown so far.
  std::function<void(ScriptedHost&, int32_t)> on_present;
  // Called by every Delay with the milliseconds asked for.
  std::function<void(ScriptedHost&, int32_t)> on_delay;
  int32_t Presents() const { return presented_; }
  const std::vector<uint32_t>& LastFrame() const { return last_frame_; }
  std::vector<DisplayMode> modes = {{800, 600, 32, 60}, {1024, 768, 32, 60}};
  std::vector<JoystickState> joysticks;
  bool fail_open_window = false;
  // Refuses full-screen windows only, as a display without such a mode does.
  bool refuse_fullscreen = false;
  // Renders `frames` stereo frames from the open audio device.
  std::vector<float> RenderAudio(int32_t frames);
  int32_t audio_rate = 0;
  AudioBackend audio_backend = AudioBackend::kDefault;

  // Each clock reading advances the clock by this much, so that loops which
  // poll the clock without sleeping still see time pass.
  uint32_t clock_step_per_read = 0;

  // A run that goes on once nothing is left to deliver waits for input the
  // script never gives. After this many frames shown with nothing queued and
  // nothing delivered, or this many input polls without a frame and without
  // an event, the host throws ScriptRanOut. A test that means to run idle
  // longer raises the limit; 0 lets it run idle for ever.
  int32_t idle_frame_limit = kDefaultIdleFrameLimit;
  int32_t idle_poll_limit = kDefaultIdlePollLimit;
  static constexpr int32_t kDefaultIdleFrameLimit = 5000;
  static constexpr int32_t kDefaultIdlePollLimit = 1000000;

  uint32_t Millisecs() override {
    uint32_t now = clock_;
    clock_ += clock_step_per_read;
    return now;
  }
  void Delay(int32_t ms) override;
  [[noreturn]] void EndProcess(int32_t code) override;
  std::vector<DisplayMode> DisplayModes() override { return modes; }
  bool OpenWindow(int32_t width, int32_t height, bool fullscreen, int32_t depth,
                  const std::string& caption_utf8) override;
  void CloseWindow() override { window_open_ = false; }
  bool WindowOpen() const override { return window_open_; }
  void SetCaption(const std::string& caption_utf8) override { caption = caption_utf8; }
  void ShowCursor(bool show) override { cursor_shown = show; }
  void Present(const uint32_t* pixels, int32_t width, int32_t height) override;
  void WindowToVirtual(float wx, float wy, int32_t vw, int32_t vh, float& vx, float& vy) override;
  void PumpEvents(std::vector<InputEvent>& out) override;
  int32_t JoystickCount() override { return static_cast<int32_t>(joysticks.size()); }
  JoystickState Joystick(int32_t port) override;
  bool OpenAudio(AudioBackend backend, int32_t rate, AudioCallback callback) override;
  void CloseAudio() override;
  void LockAudio() override {}
  void UnlockAudio() override {}

  std::string caption;
  bool cursor_shown = true;
  bool fullscreen = false;
  int32_t window_width = 0, window_height = 0, window_depth = 0;
  int32_t windows_opened = 0;

 private:
  void CountIdleFrame();
  void CountIdlePoll(bool delivered);

  uint32_t clock_ = 1000;
  int32_t presented_ = 0;
  int32_t idle_frames_ = 0;
  int32_t idle_polls_ = 0;
  bool window_open_ = false;
  std::vector<uint32_t> last_frame_;
  std::vector<std::pair<int32_t, InputEvent>> queued_;
  AudioCallback audio_;
};

// Resets the platform's state and installs a fresh scripted host in place of
// the one in use; returns it.
ScriptedHost& UseScriptedHost();

}  // namespace platform
