// The score record and the local score file "nuscores.dat": a scrambled
// header line with the online name and password, then one scrambled line per
// record, newest first.
#include <algorithm>
#include <climits>
#include <vector>

#include "engine/engine.h"
#include "scores.h"

namespace scores {

platform::List<Scores> ScoreList;
platform::List<Scores> SecondScoreList;
std::shared_ptr<Scores> ScoreSlots[50];
Text OnlineName;
Text OnlinePassword;
const Text ScoreHeaderKey = u"MQZRWTEYUIOPLKJHGFDSAXCVBN";
const Text ScoreFieldSeparator = u"{#=+\u00A5Qk58mW2!";
bool ScoreFileUnread = false;

namespace {

const Text kScoreFileName = u"nuscores.dat";
const Text kFieldSeparator = u"|";
constexpr int32_t kBestValues = 30;

int32_t CompareScores(const Scores& a, const Scores& b) { return a.Compare(b); }

void SortNewestFirst(platform::List<Scores>& list) { list.Sort(1, CompareScores); }

Text Field(const Text& text, int32_t n) { return engine::SplitField(text, kFieldSeparator, n, 0); }

// The lowest 32-bit value has no positive counterpart and stays as it is.
int32_t AbsoluteValue(int32_t value) { return value < 0 && value != INT32_MIN ? -value : value; }

int32_t ReadAbsoluteField(const Text& text, int32_t n) {
  return AbsoluteValue(rt_string_to_int(Field(text, n)));
}

std::shared_ptr<Scores> RecordFromFields(const Text& record_part, const Text& best_part) {
  auto record = std::make_shared<Scores>();
  record->Score = rt_string_to_long(Field(record_part, 1));
  record->Name = fw_trim(Field(record_part, 2));
  record->Badges = ReadAbsoluteField(record_part, 3);
  record->Timestamp = rt_string_to_long(Field(record_part, 4));
  record->Level = ReadAbsoluteField(record_part, 5);
  record->GameMode = ReadAbsoluteField(record_part, 6);
  record->GameFlags = ReadAbsoluteField(record_part, 7);
  record->Quit = ReadAbsoluteField(record_part, 8);
  for (int32_t i = 1; i <= kBestValues; ++i) record->Best[i] = ReadAbsoluteField(best_part, i);
  return record;
}

// The record of one file line, or null when the line holds none (a line
// that failed to unscramble reads "XXX" and has no field separator).
std::shared_ptr<Scores> ParseRecordLine(Text line) {
  if (line.size() > 2) line = UnscrambleText(line, Text());
  const Text record_part = engine::SplitField(line, ScoreFieldSeparator, 1, 0);
  const Text best_part = engine::SplitField(line, ScoreFieldSeparator, 2, 0);
  if (fw_instr(record_part, kFieldSeparator) == 0) return nullptr;
  return RecordFromFields(record_part, best_part);
}

void ReadHeader(int32_t stream) {
  const Text header = UnscrambleText(fw_read_line(stream), ScoreHeaderKey);
  OnlineName = Field(header, 1);
  OnlinePassword = Field(header, 2);
}

// The score list as the load builds it, sorted after every line of the
// file. The comparison cuts timestamp differences to 32 bits, so once two
// timestamps lie 2^31 or more apart it is no order, and the list depends on
// every sort that ran: then each line sorts the whole list. While they lie
// closer it orders by timestamp, and that sort leaves a sorted list as it
// is and places a new record after those at least as new; that is done
// directly, so that a long file does not cost a sort per line.
class LoadOrder {
 public:
  // `record` is null for a line that held none.
  void SortAfterLine(const std::shared_ptr<Scores>& record) {
    if (record) TakeTimestamp(record->Timestamp);
    if (!ComparedByTimestamp()) {
      if (record) records_.push_back(record);
      SortAll();
    } else if (record) {
      records_.insert(std::upper_bound(records_.begin(), records_.end(), record, IsNewer), record);
    }
  }
  const std::vector<std::shared_ptr<Scores>>& Records() const { return records_; }

 private:
  static bool IsNewer(const std::shared_ptr<Scores>& a, const std::shared_ptr<Scores>& b) {
    return a->Timestamp > b->Timestamp;
  }
  void TakeTimestamp(int64_t timestamp) {
    if (records_.empty() || timestamp < oldest_) oldest_ = timestamp;
    if (records_.empty() || timestamp > newest_) newest_ = timestamp;
  }
  bool ComparedByTimestamp() const {
    return static_cast<uint64_t>(newest_) - static_cast<uint64_t>(oldest_) < (uint64_t(1) << 31);
  }
  void SortAll() {
    platform::List<Scores> list;
    for (const auto& record : records_) list.Append(record);
    SortNewestFirst(list);
    records_.assign(list.Links().begin(), list.Links().end());
  }

  std::vector<std::shared_ptr<Scores>> records_;
  int64_t oldest_ = 0;
  int64_t newest_ = 0;
};

Text RecordLine(const Scores& record) {
  Text line = rt_string_from_long(record.Score);
  for (const Text& field :
       {record.Name, rt_string_from_int(record.Badges), rt_string_from_long(record.Timestamp),
        rt_string_from_int(record.Level), rt_string_from_int(record.GameMode),
        rt_string_from_int(record.GameFlags), rt_string_from_int(record.Quit)})
    line += kFieldSeparator + field;
  line += ScoreFieldSeparator + rt_string_from_int(record.Best[1]);
  for (int32_t i = 2; i <= kBestValues; ++i)
    line += kFieldSeparator + rt_string_from_int(record.Best[i]);
  return line;
}

// The header line and one line per savable record, in list order.
std::vector<Text> ScoreFileLines() {
  std::vector<Text> lines = {
      ScrambleText(OnlineName + kFieldSeparator + OnlinePassword, ScoreHeaderKey)};
  SortNewestFirst(ScoreList);
  ScoreList.ForEach([&](const std::shared_ptr<Scores>& record) {
    if (record && record->GameMode >= 0) lines.push_back(ScrambleText(RecordLine(*record), Text()));
  });
  return lines;
}

bool WriteLines(int32_t stream, const std::vector<Text>& lines) {
  bool written = true;
  for (const Text& line : lines) written = fw_write_line(stream, line) != 0 && written;
  return written;
}

}  // namespace

int32_t Scores::Compare(const platform::Object& other) const {
  const auto* scores = dynamic_cast<const Scores*>(&other);
  if (scores == nullptr) return 1;
  const uint64_t difference =
      static_cast<uint64_t>(scores->Timestamp) - static_cast<uint64_t>(Timestamp);
  return static_cast<int32_t>(static_cast<uint32_t>(difference));
}

int32_t LoadScoreFile() {
  ScoreFileUnread = false;
  // A folder of that name is no score file either: nothing changes.
  if (fw_file_type(kScoreFileName) != 1) return 0;
  const int32_t stream = fw_read_file(kScoreFileName);
  if (stream == 0) {
    ScoreFileUnread = true;
    engine::LogFileLeftUnread(kScoreFileName);
    return 0;
  }
  ReadHeader(stream);
  ScoreList.Clear();
  LoadOrder order;
  do {
    auto record = ParseRecordLine(fw_read_line(stream));
    if (record && order.Records().empty()) engine::PlayerName = record->Name;
    order.SortAfterLine(record);
  } while (!fw_stream_eof(stream));
  fw_close_file(stream);
  for (const auto& record : order.Records()) ScoreList.Append(record);
  return 0;
}

// Written first and renamed over the score file only once complete, so a
// failed save leaves the previous file as it was. A file the load could not
// read stays too: this run's list lacks every record in it, and the online
// name and password of its header.
int32_t SaveScoreFile() {
  if (ScoreFileUnread) return 0;
  const std::vector<Text> lines = ScoreFileLines();
  platform::PendingSave save(kScoreFileName);
  if (save.IsOpen() && WriteLines(save.Stream(), lines)) save.Commit();
  return 0;
}

}  // namespace scores
