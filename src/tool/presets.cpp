// The tool's settings block and its presets: an icon PNG and a ".dat" file of
// the seed and the 3200 settings, kept in Presets/ beside Files/.
#include <algorithm>
#include <iterator>
#include <memory>

#include "engine/engine.h"
#include "tool.h"

namespace tool {

int32_t ToolSettings[3200] = {};
platform::List<data> PresetList;
std::shared_ptr<data> PresetCursor;

namespace {

const Text kPresetsFolder = u"../../Presets";
constexpr int32_t kHeightEntry = 2998;
constexpr int32_t kWidthEntry = 2999;
// The tool saves icons of at most 64 x 64, and the column draws a larger one
// at scale 0, where it cannot be seen: such a file is not decoded at all.
constexpr int32_t kLargestIconSide = 64;

bool IsSpriteSide(int32_t pixels) { return pixels >= 8 && pixels <= 64 && pixels % 8 == 0; }

// A short file leaves the missing values at 0; bytes past the block are
// never read.
void ReadSeedAndValues(int32_t stream, data& preset) {
  preset.seed = fw_read_int(stream);
  for (int32_t& value : preset.values) value = fw_read_int(stream);
}

std::shared_ptr<data> ReadPreset(const Text& name) {
  auto preset = std::make_shared<data>();
  preset->name = name;
  preset->icon = fw_load_image_within(name + u".png", 1, kLargestIconSide, kLargestIconSide);
  int32_t stream = fw_read_file(name + u".dat");
  if (stream != 0) {
    ReadSeedAndValues(stream, *preset);
    fw_close_file(stream);
  }
  return preset;
}

bool WriteSettingsFile(int32_t stream) {
  bool written = fw_write_int(stream, SpriteSeed) == 1;
  for (int32_t value : ToolSettings) written = fw_write_int(stream, value) == 1 && written;
  return written;
}

// Both files are written and flushed to disk under temporary names, and
// renamed into place only once both are whole, so a failed save leaves the
// previous pair as it was. The settings go first: a run that dies between
// the two renames leaves the new settings beside the previous icon, and the
// settings are what rebuild the sprite.
bool WritePresetFiles(const platform::PixmapRef& icon) {
  ToolSettings[kWidthEntry] = SpriteWidth;
  ToolSettings[kHeightEntry] = SpriteHeight;
  platform::PendingSave icon_file(SpriteName + u".png"), settings_file(SpriteName + u".dat");
  const bool both_whole = platform::WritePixmapPng(icon, icon_file, 9) == 1 && icon_file.Finish() &&
                          settings_file.IsOpen() && WriteSettingsFile(settings_file.Stream()) &&
                          settings_file.Finish();
  return both_whole && settings_file.Commit() == 1 && icon_file.Commit() == 1;
}

// A preset name is a file name: it must not lead out of Presets/ nor hold
// what no file name should.
bool IsPlainFileName(const Text& name) {
  if (name == u"." || name == u"..") return false;
  return std::none_of(name.begin(), name.end(), [](char16_t c) {
    return c == u'/' || c == u'\\' || c < 0x20 || (c >= 0x7F && c <= 0x9F);
  });
}

// From the week folder into Presets/, then back.
bool SaveIntoPresetsFolder(const platform::PixmapRef& icon) {
  engine::FolderTrip trip;
  return trip.GoIntoOwnFolder(kPresetsFolder) == 1 && WritePresetFiles(icon);
}

}  // namespace

std::vector<Text> ListPngBaseNames() {
  std::vector<Text> names;
  int32_t listing = fw_read_dir(fw_current_dir());
  for (Text entry = fw_next_file(listing); !entry.empty(); entry = fw_next_file(listing)) {
    // A folder or FIFO named like a picture is none.
    if (fw_right(entry, 4) == u".png" && fw_file_type(entry) == 1) {
      names.push_back(fw_left(entry, int32_t(entry.size()) - 4));
    }
  }
  fw_close_dir(listing);
  return names;
}

int32_t LoadPresetList() {
  rt_delay(50);
  // The old records go, and their icons with them.
  PresetList.ForEach([](const std::shared_ptr<data>& preset) { rt_release_handle(preset->icon); });
  PresetList.Clear();
  engine::FolderTrip trip;
  if (trip.Go(kPresetsFolder) == 0) return 0;
  // The preset column walks every link on every pass. Made one after another
  // once all records are read, the links lie side by side instead of each
  // between two records' settings, and the walk stays quick.
  std::vector<std::shared_ptr<data>> read;
  for (const Text& name : ListPngBaseNames()) {
    if (fw_file_type(name + u".dat") != 1) continue;
    PresetCursor = ReadPreset(name);
    read.push_back(PresetCursor);
  }
  for (std::shared_ptr<data>& preset : read) PresetList.Append(std::move(preset));
  return 0;
}

int32_t SavePreset(int32_t shown_frame) {
  const int32_t icon_frame = StoredFrame(shown_frame);
  WorkPixmap = fw_lock_image(SpriteImage, icon_frame, 1, 1);
  if (SpriteName.empty()) SpriteName = u"Autosave";
  const bool saved = IsPlainFileName(SpriteName) && SaveIntoPresetsFolder(WorkPixmap);
  engine::AddNotice((saved ? u"Saved " : u"Save Failed : ") + SpriteName, 1);
  LoadPresetList();
  fw_unlock_image(SpriteImage, icon_frame);
  WorkPixmap = nullptr;
  return 0;
}

int32_t ApplyPreset(const data& preset) {
  SpriteSeed = preset.seed;
  const size_t stored = std::min(preset.values.size(), std::size(ToolSettings));
  std::fill(std::copy_n(preset.values.begin(), stored, ToolSettings), std::end(ToolSettings), 0);
  SpriteName = preset.name;
  // A size no control could have made is left out; the rest still loads.
  if (IsSpriteSide(ToolSettings[kWidthEntry]) && IsSpriteSide(ToolSettings[kHeightEntry])) {
    SpriteWidth = ToolSettings[kWidthEntry];
    SpriteHeight = ToolSettings[kHeightEntry];
  }
  RemakeSpriteImage();
  engine::AddNotice(u"Loaded " + SpriteName, 1);
  return 0;
}

}  // namespace tool
