// Song files: five parts of quoted patterns, read into the song tables, and
// starting and stopping a song.
#include <algorithm>

#include "engine/engine.h"
#include "sequencer.h"

namespace sequencer {

Text MusicPatterns[5000];
int32_t MusicPatternCounts[5] = {};
int32_t MusicStretchModes[5] = {};
int32_t SongSeed = 0;
int32_t SongStepLength = 0;
int32_t SongNextStepTime = 0;
int32_t SongStep = 0;
int32_t SongSectionBar = 0;
int32_t SongBarCount = 0;
Text SongChordLine;
float SongPanSpread = 0.0f;

namespace {

constexpr int32_t kPartCount = 5;
constexpr int32_t kMaxPatternsPerPart = 998;
constexpr int32_t kNoPart = -1;
constexpr int32_t kStretchUnset = -1;
constexpr int32_t kMusicChannels = 20;
// The first step falls due this long after the start.
constexpr int32_t kFirstStepDelay = 250;

// Part numbers follow the order of the headers.
const char16_t* const kPartHeaders[kPartCount] = {u"[DRUMS", u"[CHORDS", u"[BASS", u"[MELODY",
                                                  u"[ACCOMPANY"};

struct StretchEnding {
  const char16_t* word;
  int32_t mode;
};
const StretchEnding kStretchEndings[] = {
    {u"FALSE", 0}, {u"RANDOM", 1}, {u"RANDOM+", 2}, {u"DOUBLE", -2}};

bool EndsWith(const Text& text, const Text& ending) {
  return fw_right(text, int32_t(ending.size())) == ending;
}

// An unknown header leaves the current part as it was.
void ReadHeader(const Text& upper, int32_t& part) {
  Text header = fw_replace(upper, u"]", u"");
  for (int32_t p = 0; p < kPartCount; ++p) {
    if (header == kPartHeaders[p]) part = p;
  }
}

void ReadStretch(const Text& upper, int32_t part) {
  for (const StretchEnding& ending : kStretchEndings) {
    if (EndsWith(upper, ending.word)) MusicStretchModes[part] = ending.mode;
  }
}

void AddPattern(const Text& line, int32_t part) {
  if (MusicPatternCounts[part] >= kMaxPatternsPerPart) return;
  MusicPatternCounts[part] += 1;
  MusicPatterns[part * 1000 + MusicPatternCounts[part]] = fw_replace(line, u"\"", u"");
}

// The rules apply in this order, all to the same trimmed line.
void ReadSongLine(const Text& raw, int32_t& part) {
  Text line = fw_trim(raw);
  Text upper = fw_upper(line);
  if (fw_left(line, 1) == u"[") ReadHeader(upper, part);
  if (fw_left(upper, 7) == u"STRETCH" && part != kNoPart) ReadStretch(upper, part);
  if (fw_left(line, 1) == u"\"" && part != kNoPart) AddPattern(line, part);
}

// False when the file cannot be opened; the song tables are then empty.
bool ReadSongFile(const Text& path) {
  int32_t stream = fw_read_file(path);
  if (stream == 0) return false;
  int32_t part = kNoPart;
  do {
    ReadSongLine(fw_read_line(stream), part);
  } while (fw_stream_eof(stream) == 0);
  fw_close_file(stream);
  return true;
}

void ResetSongTables() {
  for (int32_t part = 0; part < kPartCount; ++part) {
    MusicPatternCounts[part] = 0;
    MusicStretchModes[part] = kStretchUnset;
  }
}

// Below 2 the step length would be 0 or go backwards, and every frame would
// play a step; the shortest step is a millisecond.
int32_t StepLengthOfTempo(int32_t tempo) { return std::max(tempo / 2, 1); }

}  // namespace

void StartSong(const Text& name, int32_t seed, int32_t tempo) {
  ResetSongTables();
  Text path = u"music/" + name + u".ini";
  if (fw_file_type(path) == 0) return;
  // A file that exists but cannot be read starts nothing, like a missing one.
  if (!ReadSongFile(path)) return;

  fw_seed_rnd(wrap_mul(seed, 1024));
  if (seed == -1) {
    seed = rt_millisecs();
    fw_seed_rnd(wrap_mul(seed, 1024));
  }
  SongSeed = seed;

  SongPanSpread = 0.3f;
  SongChordLine.clear();
  SongStep = -1;
  SongSectionBar = -1;
  SongBarCount = -1;
  SongStepLength = StepLengthOfTempo(tempo);
  for (int32_t c = 0; c < kMusicChannels; ++c) MusicChannelNextRest[c] = fw_rand_int(0, 1);

  NextBar();
  SongNextStepTime = wrap_add(rt_millisecs(), kFirstStepDelay);
  SongPlaying = 1;
}

void StopSong() {
  SongPlaying = 0;
  for (int32_t slot = 0; slot < kMusicChannels; ++slot) {
    int32_t& channel = engine::ChannelTable[slot];
    if (channel != 0 && fw_channel_playing(channel) != 0) fw_stop_channel(channel);
    rt_replace_handle(channel, 0);  // a finished channel is never cued again
  }
}

void SetMusicPanSpread(float spread) { SongPanSpread = spread; }

}  // namespace sequencer
