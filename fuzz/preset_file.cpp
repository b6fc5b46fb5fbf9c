// Fuzzed bytes as a preset's .dat through the preset scan and load. Two
// presets share the input as their .dat: one with a small valid icon, one
// whose icon is the input itself. Each scanned record is then applied to
// the working state, which must keep a size the controls could make.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "tool/tool.h"

namespace {

namespace fs = std::filesystem;

std::string& RunFolder() {
  static std::string folder;
  return folder;
}

void RemoveRunFolder() {
  std::error_code ignored;
  fs::remove_all(RunFolder(), ignored);
}

void WriteFile(const fs::path& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

bool IsSpriteSide(int32_t pixels) { return pixels >= 8 && pixels <= 64 && pixels % 8 == 0; }

// Every run starts from a size that makes no new sprite image unless the
// preset sets a valid one.
void ApplyEveryRecord() {
  tool::PresetList.ForEach([](const std::shared_ptr<tool::data>& record) {
    tool::SpriteWidth = tool::SpriteHeight = 0;
    tool::SpriteImage = 0;
    tool::ApplyPreset(*record);
    if (tool::SpriteWidth != 0 &&
        (!IsSpriteSide(tool::SpriteWidth) || !IsSpriteSide(tool::SpriteHeight))) {
      abort();
    }
    if (tool::SpriteSeed != record->seed || tool::SpriteName != record->name) abort();
    // Images live as long as their handles; releasing those the run made
    // keeps the heap the leak checks scan small. Nothing uses them afterwards.
    rt_release_handle(tool::SpriteImage);
    rt_release_handle(record->icon);
  });
}

// Every scan makes handles (listing, streams, icons) that the handle table
// keeps for the whole process, so every run ends with more allocations than
// frees and libFuzzer's leak check would scan the whole heap after each one.
// Placed first, so a flag given on the command line still wins.
void TurnOffPerRunLeakChecks(int* argc, char*** argv) {
  static std::vector<char*> args;
  static char no_leak_checks[] = "-detect_leaks=0";
  args.assign(*argv, *argv + *argc);
  args.insert(args.begin() + (args.empty() ? 0 : 1), no_leak_checks);
  args.push_back(nullptr);
  *argc = int(args.size()) - 1;
  *argv = args.data();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  TurnOffPerRunLeakChecks(argc, argv);
  platform::UseScriptedHost();  // the scan's sleep passes on a virtual clock
  char in_memory[] = "/dev/shm/preset_file_fuzz_XXXXXX";
  char on_disk[] = "/tmp/preset_file_fuzz_XXXXXX";
  const char* folder = mkdtemp(in_memory);
  if (folder == nullptr) folder = mkdtemp(on_disk);
  if (folder == nullptr) abort();
  RunFolder() = folder;
  atexit(RemoveRunFolder);
  fs::create_directories(fs::path(folder) / "Files" / "001");
  fs::create_directories(fs::path(folder) / "Presets");
  platform::PixmapRef icon = fw_create_pixmap(8, 8);
  {
    platform::PixelWrite write(*icon);
    for (uint32_t& pixel : write.All()) pixel = 0xFF336699u;
  }
  const fs::path icon_path = fs::path(folder) / "Presets" / "valid.png";
  if (fw_save_pixmap_png(icon, platform::FromUtf8(icon_path.string()), 9) != 1) abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string started_in = fs::current_path().string();
  const fs::path presets = fs::path(RunFolder()) / "Presets";
  WriteFile(presets / "valid.dat", data, size);
  WriteFile(presets / "raw.png", data, size);
  WriteFile(presets / "raw.dat", data, size);
  const fs::path week_folder = fs::path(RunFolder()) / "Files" / "001";
  if (chdir(week_folder.c_str()) != 0) abort();

  tool::LoadPresetList();
  if (tool::PresetList.Count() != 2) abort();
  if (!fs::equivalent(fs::current_path(), week_folder)) abort();
  ApplyEveryRecord();

  engine::NoticeList.Clear();
  tool::PresetList.Clear();
  if (chdir(started_in.c_str()) != 0) abort();
  return 0;
}
