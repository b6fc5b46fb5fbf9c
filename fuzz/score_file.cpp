// Loads fuzzed bytes as the score file, then saves and reloads the result.
// An input whose first byte is odd has each of its lines scrambled with the
// record key before it is written, so the record parser sees real fields
// and not only lines that fail their checksums.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/engine.h"
#include "scores/scores.h"

namespace {

std::string ScrambledLines(const std::string& plain) {
  std::string out;
  size_t start = 0;
  while (start <= plain.size()) {
    size_t end = plain.find('\n', start);
    if (end == std::string::npos) end = plain.size();
    Text line = platform::FromBytes(plain.substr(start, end - start));
    if (!line.empty()) out += platform::ToBytes(scores::ScrambleText(line, Text()));
    out += "\r\n";
    start = end + 1;
  }
  return out;
}

std::string& WorkFolder() {
  static std::string folder;
  return folder;
}

void RemoveWorkFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(WorkFolder(), ignored);
}

int32_t SavableRecords() {
  int32_t count = 0;
  for (const auto& record : scores::ScoreList.Links()) count += record->GameMode >= 0;
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A memory-backed folder where there is one: every run saves by rename,
  // which a disk file system would flush.
  char in_memory[] = "/dev/shm/score_file_fuzz_XXXXXX";
  char on_disk[] = "/tmp/score_file_fuzz_XXXXXX";
  const char* folder = mkdtemp(in_memory);
  if (folder == nullptr) folder = mkdtemp(on_disk);
  if (folder == nullptr) abort();
  WorkFolder() = folder;
  atexit(RemoveWorkFolder);
  scores::BuildDefaultScrambleKey();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The score file lives in the current folder; the fuzzer's own paths are
  // relative to the folder it was started in.
  const std::string started_in = std::filesystem::current_path().string();
  if (chdir(WorkFolder().c_str()) != 0) abort();
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (!bytes.empty() && (bytes[0] & 1)) bytes = ScrambledLines(bytes.substr(1));
  {
    std::ofstream out("nuscores.dat", std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  scores::ScoreList.Clear();
  scores::LoadScoreFile();

  // What loads must save and load again, less records that cannot be saved.
  const int32_t savable = SavableRecords();
  scores::SaveScoreFile();
  scores::LoadScoreFile();
  if (scores::ScoreList.Count() != savable) abort();
  if (chdir(started_in.c_str()) != 0) abort();
  return 0;
}
