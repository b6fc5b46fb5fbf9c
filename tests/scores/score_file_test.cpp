#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "engine/engine.h"
#include "fresh_start.h"
#include "full_disk.h"
#include "scores/scores.h"

namespace {

namespace fs = std::filesystem;
using scores::Scores;

// Each test runs in a folder of its own, as the week folder would be.
class ScoreFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "score_file_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    fs::current_path(folder_);
    FreshStart();
    scores::BuildDefaultScrambleKey();
  }
  void TearDown() override {
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(folder_);
  }

  static std::shared_ptr<Scores> Record(const Text& name, int64_t timestamp) {
    auto record = std::make_shared<Scores>();
    record->Name = name;
    record->Timestamp = timestamp;
    return record;
  }

  static void WriteFile(const std::vector<Text>& lines) {
    std::ofstream out("nuscores.dat", std::ios::binary);
    for (const Text& line : lines) out << platform::ToBytes(line) << "\r\n";
  }

  static std::string FileBytes() {
    std::ifstream in("nuscores.dat", std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  static std::vector<Text> FileLines() {
    std::vector<Text> lines;
    std::string bytes = FileBytes();
    for (size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos;
         start = end + 2)
      lines.push_back(platform::FromBytes(bytes.substr(start, end - start)));
    return lines;
  }

  static Text Header(const Text& name, const Text& password) {
    return scores::ScrambleText(name + u"|" + password, scores::ScoreHeaderKey);
  }

  static Text RecordLine(const Text& plain) { return scores::ScrambleText(plain, u""); }

  static std::vector<Text> LoadedNames() {
    std::vector<Text> names;
    for (const auto& record : scores::ScoreList.Links()) names.push_back(record->Name);
    return names;
  }

  // What the folder holds: a save leaves no temporary behind.
  std::vector<std::string> FolderNames() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  fs::path folder_;
};

TEST_F(ScoreFile, MissingFileChangesNothingAndShutdownWritesOnlyTheHeader) {
  scores::LoadScoreFile();
  EXPECT_EQ(scores::ScoreList.Count(), 0);
  EXPECT_EQ(engine::PlayerName, u"Player");

  scores::SaveScoreFile();
  std::vector<Text> lines = FileLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(scores::UnscrambleText(lines[0], scores::ScoreHeaderKey), u"|");
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"nuscores.dat"});
}

TEST_F(ScoreFile, RecordsAndHeaderSurviveASaveAndLoad) {
  auto record = Record(u"Ann Lee", 65'000'000'123LL);
  record->Score = -9'000'000'000LL;
  record->Badges = 5;
  record->Level = 3;
  record->GameMode = 2;
  record->GameFlags = 1;
  record->Quit = 4;
  record->Best[1] = 7;
  record->Best[30] = 9;
  scores::ScoreList.Append(record);
  scores::OnlineName = u"ann";
  scores::OnlinePassword = u"secret";
  scores::SaveScoreFile();

  scores::ScoreList.Clear();
  scores::OnlineName = scores::OnlinePassword = u"";
  scores::LoadScoreFile();
  ASSERT_EQ(scores::ScoreList.Count(), 1);
  const Scores& loaded = *scores::ScoreList.Links().front();
  EXPECT_EQ(loaded.Score, -9'000'000'000LL);
  EXPECT_EQ(loaded.Timestamp, 65'000'000'123LL);
  EXPECT_EQ(loaded.Name, u"Ann Lee");
  EXPECT_EQ(loaded.Badges, 5);
  EXPECT_EQ(loaded.Level, 3);
  EXPECT_EQ(loaded.GameMode, 2);
  EXPECT_EQ(loaded.GameFlags, 1);
  EXPECT_EQ(loaded.Quit, 4);
  EXPECT_EQ(loaded.Best[1], 7);
  EXPECT_EQ(loaded.Best[2], 0);
  EXPECT_EQ(loaded.Best[30], 9);
  EXPECT_EQ(scores::OnlineName, u"ann");
  EXPECT_EQ(scores::OnlinePassword, u"secret");
  EXPECT_EQ(engine::PlayerName, u"Ann Lee");
}

TEST_F(ScoreFile, RecordLineHasItsExactLayout) {
  auto record = Record(u"Bo", 1);
  record->Score = 10;
  record->Best[1] = 7;
  record->Best[30] = 9;
  scores::ScoreList.Append(record);
  scores::SaveScoreFile();
  std::vector<Text> lines = FileLines();
  ASSERT_EQ(lines.size(), 2u);
  Text expected = u"10|Bo|0|1|0|0|0|0" + scores::ScoreFieldSeparator + u"7";
  for (int i = 2; i < 30; ++i) expected += u"|0";
  expected += u"|9";
  EXPECT_EQ(scores::UnscrambleText(lines[1], u""), expected);
  EXPECT_EQ(scores::ScoreFieldSeparator.size(), 13u);
}

TEST_F(ScoreFile, LoadsNewestFirstAndPlayerNameIsTheFirstLineOfTheFile) {
  WriteFile({Header(u"", u""), RecordLine(u"1|middle|0|200|0|0|0|0"),
             RecordLine(u"1|oldest|0|100|0|0|0|0"), RecordLine(u"1|newest|0|300|0|0|0|0")});
  scores::LoadScoreFile();
  EXPECT_EQ(LoadedNames(), (std::vector<Text>{u"newest", u"middle", u"oldest"}));
  EXPECT_EQ(engine::PlayerName, u"middle");
}

TEST_F(ScoreFile, OrderFollowsTheTimestampDifferenceCutTo32Bits) {
  // A difference just past 2^31 wraps negative, so the older record sorts
  // first.
  WriteFile({Header(u"", u""), RecordLine(u"1|old|0|0|0|0|0|0"),
             RecordLine(u"1|new|0|2147483649|0|0|0|0")});
  scores::LoadScoreFile();
  EXPECT_EQ(LoadedNames(), (std::vector<Text>{u"old", u"new"}));

  Scores a, b;
  b.Timestamp = 0x1'0000'0005LL;
  EXPECT_EQ(a.Compare(b), 5);
  EXPECT_EQ(b.Compare(a), -5);
  b.Timestamp = 0x8000'0000LL;  // exactly 2^31 apart: both ways read as the lowest value
  EXPECT_EQ(a.Compare(b), INT32_MIN);
  EXPECT_EQ(b.Compare(a), INT32_MIN);
  platform::Object other;
  EXPECT_EQ(a.Compare(other), 1);
}

TEST_F(ScoreFile, EveryLineSortsTheListReadSoFar) {
  // Timestamps 2^31 or more apart make the comparison no order, so the list
  // depends on each sort: three records sorted line by line...
  WriteFile({Header(u"", u""), RecordLine(u"1|a|0|2147483650|0|0|0|0"),
             RecordLine(u"1|b|0|2|0|0|0|0"), RecordLine(u"1|c|0|2147483649|0|0|0|0")});
  scores::LoadScoreFile();
  EXPECT_EQ(LoadedNames(), (std::vector<Text>{u"a", u"c", u"b"}));
  // ...and two exactly 2^31 apart, which every sort swaps, also sorted after
  // the empty last line.
  WriteFile({Header(u"", u""), RecordLine(u"1|a|0|2|0|0|0|0"),
             RecordLine(u"1|b|0|2147483650|0|0|0|0"), u""});
  scores::LoadScoreFile();
  EXPECT_EQ(LoadedNames(), (std::vector<Text>{u"a", u"b"}));
}

TEST_F(ScoreFile, AChangedDigitDropsOnlyThatRecord) {
  for (int64_t t : {10, 20, 30}) scores::ScoreList.Append(Record(u"p" + rt_string_from_long(t), t));
  scores::SaveScoreFile();
  std::vector<Text> lines = FileLines();
  ASSERT_EQ(lines.size(), 4u);
  Text& changed = lines[2];
  changed[10] = changed[10] == u'0' ? u'1' : u'0';
  WriteFile(lines);

  scores::LoadScoreFile();
  EXPECT_EQ(LoadedNames(), (std::vector<Text>{u"p30", u"p10"}));
}

TEST_F(ScoreFile, AHeaderThatDoesNotUnscrambleReadsXXXAndIsSavedSo) {
  WriteFile({u"00112233445566778899AABBCCDDEEFF0011223344", RecordLine(u"1|kept|0|5|0|0|0|0")});
  scores::LoadScoreFile();
  EXPECT_EQ(scores::OnlineName, u"XXX");
  EXPECT_EQ(scores::OnlinePassword, u"XXX");
  EXPECT_EQ(LoadedNames(), (std::vector<Text>{u"kept"}));

  scores::SaveScoreFile();
  EXPECT_EQ(scores::UnscrambleText(FileLines()[0], scores::ScoreHeaderKey), u"XXX|XXX");
}

TEST_F(ScoreFile, EmptyOrShortHeaderStillLoadsTheRecords) {
  WriteFile({u"", RecordLine(u"1|first|0|5|0|0|0|0")});
  scores::LoadScoreFile();
  EXPECT_EQ(LoadedNames(), (std::vector<Text>{u"first"}));

  WriteFile({});
  scores::LoadScoreFile();
  EXPECT_EQ(scores::ScoreList.Count(), 0);
}

TEST_F(ScoreFile, NumbersLoadAsAbsoluteValuesExceptTheLowest) {
  WriteFile({Header(u"", u""), RecordLine(u"-5| x |-1|7|-2|-2147483648|-3|-4" +
                                          scores::ScoreFieldSeparator + u"-8|2147483647|junk")});
  scores::LoadScoreFile();
  ASSERT_EQ(scores::ScoreList.Count(), 1);
  const Scores& r = *scores::ScoreList.Links().front();
  EXPECT_EQ(r.Score, -5);  // 64-bit fields keep their sign
  EXPECT_EQ(r.Name, u"x");
  EXPECT_EQ(r.Badges, 1);
  EXPECT_EQ(r.Level, 2);
  EXPECT_EQ(r.GameMode, INT32_MIN);
  EXPECT_EQ(r.GameFlags, 3);
  EXPECT_EQ(r.Quit, 4);
  EXPECT_EQ(r.Best[1], 8);
  EXPECT_EQ(r.Best[2], 2147483647);
  EXPECT_EQ(r.Best[3], 0);
  EXPECT_EQ(r.Best[4], 0);
}

TEST_F(ScoreFile, MissingFieldsReadZeroAndLinesWithoutFieldsAreSkipped) {
  WriteFile(
      {Header(u"", u""), RecordLine(u"12|short"), RecordLine(u"no separator here"), u"", u"ab"});
  scores::LoadScoreFile();
  ASSERT_EQ(scores::ScoreList.Count(), 1);
  const Scores& r = *scores::ScoreList.Links().front();
  EXPECT_EQ(r.Score, 12);
  EXPECT_EQ(r.Name, u"short");
  EXPECT_EQ(r.Timestamp, 0);
  EXPECT_EQ(r.Quit, 0);
  // Without the separator the whole line is also the best part.
  EXPECT_EQ(r.Best[1], 12);
}

TEST_F(ScoreFile, RecordsWithANegativeGameModeAreNotSaved) {
  auto hidden = Record(u"hidden", 2);
  hidden->GameMode = -1;
  scores::ScoreList.Append(hidden);
  scores::ScoreList.Append(Record(u"shown", 1));
  scores::SaveScoreFile();
  scores::LoadScoreFile();
  EXPECT_EQ(LoadedNames(), (std::vector<Text>{u"shown"}));
}

TEST_F(ScoreFile, AFailedSaveLeavesThePreviousFileIntact) {
  scores::ScoreList.Append(Record(u"before", 1));
  scores::SaveScoreFile();
  const std::string before = FileBytes();

  scores::ScoreList.Append(Record(u"after", 2));
  {
    FullDisk full(before.size() / 2);
    scores::SaveScoreFile();
  }
  EXPECT_EQ(FileBytes(), before);
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"nuscores.dat"});

  fs::remove("nuscores.dat");
  fs::create_directories("nuscores.dat/inside");  // the finished file cannot replace it
  scores::SaveScoreFile();
  EXPECT_TRUE(fs::is_directory("nuscores.dat/inside"));
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"nuscores.dat"});
  scores::LoadScoreFile();  // a folder of that name loads as no file at all
  EXPECT_EQ(scores::ScoreList.Count(), 2);
}

// A load takes at most 16 MiB, and a save after it would keep none of the
// records nor the header's name and password; after a read that failed it
// would keep only those read before.
TEST_F(ScoreFile, AFileTooLargeOrFailingToReadIsLeftAsItIs) {
  WriteFile(std::vector<Text>(2000, RecordLine(u"1|kept|0|5|0|0|0|0")));
  const std::string whole = FileBytes();
  OnAFailingDisk(2, [] { scores::LoadScoreFile(); });
  scores::SaveScoreFile();
  EXPECT_EQ(FileBytes(), whole);
  const uintmax_t large = 17u << 20;
  fs::resize_file("nuscores.dat", large);
  scores::LoadScoreFile();
  scores::SaveScoreFile();
  EXPECT_EQ(fs::file_size("nuscores.dat"), large);
}

}  // namespace
