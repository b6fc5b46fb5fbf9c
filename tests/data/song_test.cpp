// Every song file of a laid-out run folder reads, by the song file rules,
// into five parts of patterns the sequencer can play.
#include <gtest/gtest.h>

#include <array>
#include <sstream>

#include "data/run_folder.h"

namespace {

namespace fs = std::filesystem;

struct Song {
  std::array<std::vector<std::string>, 5> patterns;  // DRUMS, CHORDS, BASS, MELODY, ACCOMPANY
  std::array<int32_t, 5> stretch = {-1, -1, -1, -1, -1};
};

std::string Trim(const std::string& line) {
  size_t first = 0, last = line.size();
  while (first < last && uint8_t(line[first]) < 33) ++first;
  while (last > first && uint8_t(line[last - 1]) < 33) --last;
  return line.substr(first, last - first);
}

std::string Upper(std::string text) {
  for (char& c : text) c = char(std::toupper(uint8_t(c)));
  return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

Song ParseSong(const std::string& bytes) {
  Song song;
  int32_t part = -1;
  std::istringstream lines(bytes);
  std::string line;
  const char* headers[] = {"[DRUMS", "[CHORDS", "[BASS", "[MELODY", "[ACCOMPANY"};
  while (std::getline(lines, line)) {
    line = Trim(line);
    std::string upper = Upper(line);
    if (!line.empty() && line[0] == '[') {
      std::string header;
      for (char c : upper) {
        if (c != ']') header += c;
      }
      for (int32_t p = 0; p < 5; ++p) {
        if (header == headers[p]) part = p;
      }
    }
    if (upper.rfind("STRETCH", 0) == 0 && part >= 0) {
      if (EndsWith(upper, "FALSE")) song.stretch[size_t(part)] = 0;
      if (EndsWith(upper, "RANDOM")) song.stretch[size_t(part)] = 1;
      if (EndsWith(upper, "RANDOM+")) song.stretch[size_t(part)] = 2;
      if (EndsWith(upper, "DOUBLE")) song.stretch[size_t(part)] = -2;
    }
    if (!line.empty() && line[0] == '"' && part >= 0) {
      std::string pattern;
      for (char c : line) {
        if (c != '"') pattern += c;
      }
      song.patterns[size_t(part)].push_back(pattern);
    }
  }
  return song;
}

bool IsNoteLetter(char c) {
  static const std::string kKeys = "zsxdcvgbhnjmq2w3er5t6y7ui9o0p[=]";
  return kKeys.find(char(std::tolower(uint8_t(c)))) != std::string::npos;
}

TEST(Song, EverySongHasFivePartsOfPlayablePatterns) {
  data_test::TempFolder root;
  ASSERT_EQ(data_test::RunMakeData(root.Path()), 0);
  int32_t songs = 0;
  for (const auto& entry : fs::directory_iterator(root.Path() / "Files/001/music")) {
    if (entry.path().extension() != ".ini") continue;
    SCOPED_TRACE(entry.path().filename().string());
    Song song = ParseSong(data_test::ReadBytes(entry.path()));
    ++songs;
    for (size_t part = 0; part < 5; ++part) {
      SCOPED_TRACE(part);
      EXPECT_GE(song.patterns[part].size(), 3u);
      EXPECT_NE(song.stretch[part], -1);  // every part says how it stretches
      for (const std::string& pattern : song.patterns[part]) {
        ASSERT_FALSE(pattern.empty());
        bool sounds = false;
        for (char c : pattern) {
          bool note = part == 0 ? (c >= '1' && c <= '8') : IsNoteLetter(c);
          EXPECT_TRUE(note || (c == ' ' && part != 1)) << "'" << c << "' in \"" << pattern << "\"";
          sounds = sounds || note;
        }
        EXPECT_TRUE(sounds) << pattern;
      }
    }
    // Chord lines a multiple of four letters long fill whole bars.
    for (const std::string& chords : song.patterns[1]) EXPECT_EQ(chords.size() % 4, 0u) << chords;
  }
  EXPECT_GE(songs, 1);
}

TEST(Song, ParserFollowsTheFileRules) {
  Song song = ParseSong(
      "\"1 1\"\n"         // before any part: ignored
      "  [drums]]  \r\n"  // case and extra brackets do not matter
      "stretch:random+\n"
      "\"1 2\" trailing\n"  // text after the closing quote stays
      "[unknown]\n"         // an unknown header keeps the part
      "\"3\"\n"
      "[BASS]\n"
      "STRETCH = DOUBLE\n"
      "\"z\"\n");
  ASSERT_EQ(song.patterns[0].size(), 2u);
  EXPECT_EQ(song.patterns[0][0], "1 2 trailing");
  EXPECT_EQ(song.patterns[0][1], "3");
  EXPECT_EQ(song.stretch[0], 2);
  EXPECT_EQ(song.stretch[2], -2);
  EXPECT_EQ(song.patterns[2].size(), 1u);
}

}  // namespace
