// The two spritesheet builders: a 512 x 512 sheet filled cell by cell with
// generated frames, saved as a PNG in Spritesheets/. They differ only in how
// the hue shift moves on after each full animation.
#include "engine/engine.h"
#include "tool.h"

namespace tool {

namespace {

constexpr int32_t kSheetSize = 512;
constexpr int32_t kBudgetSlot = 1;
constexpr int32_t kCellsPerShownFrame = 6;
// A row number past every sheet: the build's outer loop ends after this row.
constexpr int32_t kStoppedRow = 1024;
// Once the hue shift reaches this, it starts again at 0 with a new seed.
constexpr int32_t kHueCycleEnd = 250;
// A step that ends the hue cycle after every animation: a new seed each time.
constexpr int32_t kNewSeedEveryAnimation = kHueCycleEnd;
// Twenty variants per seed: shifts 0, 13, ... 247.
constexpr int32_t kColourVariantHueStep = 13;
constexpr int32_t kNoticeColour = 1;
const Text kSheetsFolder = u"../../Spritesheets";
// Copy numbers tried for sheets of one name and second before the save gives up.
constexpr int32_t kMostSheetsOfOneName = 1000;

// Two's-complement absolute value: the most negative value maps to itself
// (as the hardware negation does) instead of overflowing.
int32_t WrappingAbs(int32_t value) { return value < 0 ? wrap_sub(0, value) : value; }

// Drawn from the generator state the last frame left behind (seeded with the
// old seed + 2000), so a seed always leads to the same next seed.
int32_t NextSeed(int32_t seed) { return WrappingAbs(wrap_add(seed, fw_rand_int(seed, 1))); }

void ClearScreenToBlack() {
  fw_set_cls_color(0, 0, 0);
  engine::BeginFrame(1);
}

// Grabbing a black screen stores every pixel as 0: a fully transparent sheet.
void StartTransparentSheet() {
  engine::BeginFrame(1);
  engine::ResetDrawState();
  ClearScreenToBlack();
  GrabFrameToImage(SheetImage, 0, 0, 0);
}

// Copies animation frame `frame` of SpriteImage to the sheet with its
// top-left corner at (left, top); what falls outside the sheet is dropped.
void CopyFrameToSheet(int32_t frame, int32_t left, int32_t top) {
  const int32_t stored = StoredFrame(frame);
  fw_copy_pixmap_into_image(fw_lock_image(SpriteImage, stored, 1, 0), SheetImage, 0, left, top);
  fw_unlock_image(SpriteImage, stored);
}

void ShowProgressFrame() {
  engine::SelectFont(1, 5);
  engine::SetColourAlpha(255.0f, 255.0f, 255.0f, 1.0f);
  engine::DrawTextAligned(256, 232, u"Please Wait", 1, 1);
  engine::DrawTextAligned(256, 280, u"Building Spritesheet", 1, 1);
  engine::EndFrame(engine::FrameRateTarget, 0, engine::MouseMode);
}

// Which frame, hue shift and seed the next cell gets.
struct CellCursor {
  int32_t frame = 0;
  int32_t hue_shift = 0;
  int32_t hue_step;

  void Advance() {
    frame = wrap_add(frame, 1);
    if (frame < AnimFrames) return;
    frame = 0;
    hue_shift = wrap_add(hue_shift, hue_step);
    if (hue_shift < kHueCycleEnd) return;
    hue_shift = 0;
    SpriteSeed = NextSeed(SpriteSeed);
  }
};

// Fills the sheet row by row, each row left to right; Escape ends the build
// after the current row, whose remaining cells land off the sheet.
void FillSheet(int32_t hue_step) {
  const int32_t columns = wrap_div(kSheetSize, SpriteWidth);
  const int32_t rows = wrap_div(kSheetSize, SpriteHeight);
  CellCursor cursor{.hue_step = hue_step};
  int32_t cells_since_shown = 0;
  for (int32_t row = 0; row < rows; ++row) {
    for (int32_t column = 0; column < columns; ++column) {
      ClearScreenToBlack();
      GenerateSpriteFrame(cursor.frame, cursor.hue_shift);
      const int32_t made = cursor.frame;
      cursor.Advance();
      CopyFrameToSheet(made, wrap_mul(column, SpriteWidth), wrap_mul(row, SpriteHeight));
      engine::DrawSpriteCounted(SheetImage, 0, 0, 0, kBudgetSlot);
      if (++cells_since_shown == kCellsPerShownFrame) {
        ShowProgressFrame();
        cells_since_shown = 0;
      }
      if (fw_key_down(vk::kEscape)) row = kStoppedRow;
    }
  }
}

// The date and time a sheet is named by, cleaned as its name is.
Text SheetStamp() {
  return engine::SanitiseFileName(u"_(" + fw_current_date() + u"_" + fw_current_time() + u")");
}

// The sprite's name with the stamp, and from the second sheet of one second
// on a copy number. The name gives way when the whole would be too long a
// file name, so the stamp always stays.
Text SheetFileName(const Text& stamp, int32_t copy) {
  const Text ending = (copy > 1 ? stamp + u"_" + rt_string_from_int(copy) : stamp) + u".png";
  const size_t room = platform::kMaxFileNameBytes - platform::ToUtf8(ending).size();
  return platform::Utf8Prefix(engine::SanitiseFileName(SpriteName), room) + ending;
}

// Into Spritesheets/ beside Files/ (the week folder is current), under a
// name no file has yet: a sheet built in the same second as another takes
// the next copy number, and the one there stays as it is.
bool SaveSheetAsNewFile() {
  const Text stamp = SheetStamp();
  engine::MakeOwnFolder(kSheetsFolder);
  platform::PendingNewFile save(kSheetsFolder + u"/");
  const bool written = platform::WritePixmapPng(fw_lock_image(SheetImage, 0, 1, 0), save, 0) == 1;
  fw_unlock_image(SheetImage, 0);
  for (int32_t copy = 1; written && copy <= kMostSheetsOfOneName; ++copy) {
    const auto result = save.CommitAs(kSheetsFolder + u"/" + SheetFileName(stamp, copy));
    if (result != platform::PendingNewFile::Result::kTaken)
      return result == platform::PendingNewFile::Result::kSaved;
  }
  return false;
}

// A user waits for this file, so a failed save is said on screen.
void SaveSheet() {
  if (!SaveSheetAsNewFile()) engine::AddNotice(u"Could not save spritesheet", kNoticeColour);
}

int32_t BuildSpritesheet(int32_t hue_step) {
  MouseConsumed = 1;
  const int32_t start_seed = SpriteSeed;
  UiState = kUiIdle;
  StartTransparentSheet();
  FillSheet(hue_step);
  SaveSheet();
  engine::BeginFrame(1);
  engine::ResetDrawState();
  SpriteSeed = start_seed;
  return 0;
}

}  // namespace

int32_t BuildBatchSpritesheet() { return BuildSpritesheet(kNewSeedEveryAnimation); }

int32_t BuildColourVariantSpritesheet() { return BuildSpritesheet(kColourVariantHueStep); }

}  // namespace tool
