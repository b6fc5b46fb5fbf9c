// Holding back the drawing of a frame that repeats the one on screen. Loops
// clear and redraw their whole screen every pass; when nothing moved, every
// call repeats the last frame's and the pixels would come out the same, so
// they are only logged. Whatever needs the pixels (a grab, a present, a
// changed pixel map, a call that differs) draws what was held back first,
// from the clear on, with the state each call was made in.
#include "frame_log.h"

#include <cstring>
#include <type_traits>
#include <unordered_map>
#include <utility>

namespace platform {
namespace {

// A screen's worth of calls is a few thousand; beyond this a loop is not
// redrawing a screen, and logging stops until the next clear.
constexpr size_t kMostCalls = 1 << 16;

struct FrameStart {
  uint32_t colour = 0;
  int32_t width = 0, height = 0;
  bool operator==(const FrameStart&) const = default;
};

struct FrameLog {
  // Clears since the last flip, and which of them began the frame last
  // flipped (-1 for none): only that one is logged, since the clears before
  // it begin work that is read back (a grab), not shown.
  int32_t clears_since_flip = 0;
  int32_t flipped_clear = -1;
  FrameStart start;
  std::vector<DrawCall> calls;
  // What the screen shows, when known.
  bool shown_known = false;
  FrameStart shown_start;
  std::vector<DrawCall> shown;
};

FrameLog& Log() {
  static FrameLog log;
  return log;
}

template <class T>
bool SameBits(const T& a, const T& b) {
  static_assert(std::is_trivially_copyable_v<T>);
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Every field is four bytes wide, so there is no padding to compare.
static_assert(sizeof(DrawingState) == 13 * 4);

// Pixel maps up to this many pixels are kept as shown (the preview is
// 128 x 128).
constexpr size_t kLargestKept = 256 * 256;

// Keeps the pixels of each pixel map the shown calls drew, while they are
// still as drawn.
void KeepShownPixels(std::vector<DrawCall>& shown) {
  std::unordered_map<const Pixmap*, std::shared_ptr<const std::vector<uint32_t>>> kept;
  for (DrawCall& call : shown) {
    const Pixmap* pixmap = call.pixmap.get();
    if (!pixmap || pixmap->generation() != call.generation || pixmap->pixels.size() > kLargestKept)
      continue;
    auto& pixels = kept[pixmap];
    if (!pixels) pixels = std::make_shared<const std::vector<uint32_t>>(pixmap->pixels);
    call.pixels_shown = pixels;
  }
}

}  // namespace

bool calls_logged = false;
bool calls_held = false;
bool holding_allowed = true;

// A pixel map rewritten with the same pixels (a preview rebuilt every pass)
// still repeats.
bool DrawCall::Repeats(const DrawCall& shown) const {
  if (kind != shown.kind || option != shown.option || pixmap != shown.pixmap ||
      !SameBits(at, shown.at) || !SameBits(state, shown.state)) {
    return false;
  }
  if (generation == shown.generation) return true;
  return shown.pixels_shown && pixmap->pixels == *shown.pixels_shown;
}

void DrawHeldCallsNow() {
  FrameLog& log = Log();
  if (!calls_held) return;
  calls_held = false;
  ClearBackBuffer(log.start.colour);
  for (const DrawCall& call : log.calls) ReplayDrawCall(call);
}

// What was held back before is cleared away before it was ever needed, and
// this clear waits too: another may follow before anything is drawn.
void LogClear(uint32_t colour) {
  ExpectNoPixelWriteOpen();
  FrameLog& log = Log();
  const BackBuffer& buffer = BackBufferAsIs();
  calls_logged = log.clears_since_flip++ == log.flipped_clear && holding_allowed;
  calls_held = true;
  log.start = {colour, buffer.width, buffer.height};
  log.calls.clear();
}

void LogDrawCall(DrawCall&& call) {
  FrameLog& log = Log();
  if (log.calls.size() >= kMostCalls) {
    DrawHeldCalls();
    calls_logged = false;
    log.calls.clear();
    return RunDrawCall(call);
  }
  const size_t index = log.calls.size();
  bool repeats = calls_held && log.shown_known && log.start == log.shown_start &&
                 index < log.shown.size() && call.Repeats(log.shown[index]);
  if (!repeats) DrawHeldCalls();
  log.calls.push_back(std::move(call));
  if (!repeats) RunDrawCall(log.calls.back());
}

bool FrameRepeatsShown() {
  const FrameLog& log = Log();
  return calls_logged && calls_held && log.shown_known && log.start == log.shown_start &&
         log.calls.size() == log.shown.size();
}

void NoteFrameShown() {
  FrameLog& log = Log();
  log.shown_known = calls_logged;
  if (!calls_logged) return;
  log.shown_start = log.start;
  log.shown.assign(log.calls.begin(), log.calls.end());
  KeepShownPixels(log.shown);
}

void NoteFlip() {
  ExpectNoPixelWriteOpen();
  FrameLog& log = Log();
  log.flipped_clear = log.clears_since_flip - 1;
  log.clears_since_flip = 0;
}

void ForgetShownFrame() {
  FrameLog& log = Log();
  log.shown_known = false;
  log.shown.clear();
}

void DropFrameLog() {
  calls_logged = false;
  calls_held = false;
  Log() = FrameLog{};
}

}  // namespace platform
