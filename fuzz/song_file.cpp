// Feeds arbitrary bytes to the sequencer as a song file, starts it and plays a
// few hundred steps on the silent driver: no input may crash it, make it read
// or write outside its tables, or make a step's work grow without bound.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "engine/engine.h"
#include "sequencer/sequencer.h"

namespace {

namespace fs = std::filesystem;

// A folder made once per fuzzing process; current only while an input runs,
// since the fuzzer itself works with paths relative to its own folder.
struct FuzzFolder {
  FuzzFolder() {
    std::string pattern = (fs::temp_directory_path() / "quill-fuzz-song-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) abort();
    path = pattern;
    fs::create_directories(path / "music");
  }
  ~FuzzFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  fs::path path;
};

void WriteSongFile(const uint8_t* data, size_t size) {
  FILE* file = fopen("music/fuzz.ini", "wb");
  if (file == nullptr) abort();
  if (size > 0 && fwrite(data, 1, size, file) != size) abort();
  fclose(file);
}

// The seed and tempo come from the input's first bytes, so that odd values
// (negative, -1, zero tempo) are reached too.
int32_t ByteOr(const uint8_t* data, size_t size, size_t at, int32_t fallback) {
  return at < size ? int32_t(int8_t(data[at])) : fallback;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzFolder folder;
  // No stems are loaded: every note would take a channel handle that lives
  // for the rest of the process, and a long run would only measure that.
  static platform::ScriptedHost& host = []() -> platform::ScriptedHost& {
    platform::ScriptedHost& scripted = platform::UseScriptedHost();
    fw_set_audio_driver(u"Null");
    return scripted;
  }();
  using namespace sequencer;
  engine::EngineSettings[engine::kMasterVolumeSetting] = 100;
  engine::EngineSettings[engine::kMusicVolumeSetting] = 100;
  fs::path previous = fs::current_path();
  fs::current_path(folder.path);
  WriteSongFile(data, size);
  int32_t seed = ByteOr(data, size, 0, 1);
  int32_t tempo = ByteOr(data, size, 1, 250) * 4;
  StartSong(u"fuzz", seed, tempo);
  for (int32_t tick = 0; tick < 300; ++tick) {
    host.Advance(uint32_t(SongStepLength > 0 ? SongStepLength : 1) + 1);
    MusicTick();
    if (SongStep < -1 || SongStep > 63) abort();
  }
  StopSong();
  for (int32_t c = 0; c < 20; ++c) {
    if (engine::ChannelTable[c] != 0) abort();
  }
  fs::current_path(previous);
  return 0;
}
