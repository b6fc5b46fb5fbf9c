// Loads fuzzed bytes as the score file, then saves and reloads the result.
// An input whose first byte is odd has each of its lines scrambled with the
// record key before it is written, so the record parser sees real fields
// and not only lines that fail their checksums.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
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

int32_t SavableRecords() {
  int32_t count = 0;
  for (const auto& record : scores::ScoreList.Links()) count += record->GameMode >= 0;
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char folder[] = "/tmp/score_file_fuzz_XXXXXX";
  if (mkdtemp(folder) == nullptr || chdir(folder) != 0) abort();
  scores::BuildDefaultScrambleKey();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
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
  return 0;
}
