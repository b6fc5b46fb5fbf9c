// Stems, the song file rules, and starting and stopping a song.
#include <climits>

#include "sequencer/song_stage.h"

namespace sequencer_test {
namespace {

using SongFile = SongStage;

std::string Utf8(const Text& text) { return platform::ToUtf8(text); }

std::string Pattern(int32_t part, int32_t n) { return Utf8(MusicPatterns[part * 1000 + n]); }

TEST_F(SongFile, PitchedStemsCountToTheHighestPresentAndKeepSlotsWhoseFileHasGone) {
  for (const char* stem : {"bass1", "bass2", "bass4", "d1-3", "d2-8", "lead8"}) WriteRampStem(stem);
  LoadMusicSamples();
  EXPECT_EQ(MusicSampleCounts[1], 4);
  EXPECT_EQ(MusicSampleCounts[2], 8);
  EXPECT_EQ(MusicSampleCounts[3], 0);
  for (int32_t slot : {3, 18, 21, 22, 24, 38}) EXPECT_NE(MusicSamples[slot], 0) << slot;
  for (int32_t slot : {1, 11, 13, 23, 31, 41}) EXPECT_EQ(MusicSamples[slot], 0) << slot;

  fs::remove("music/bass4.wav");
  fs::remove("music/d1-3.wav");
  LoadMusicSamples();
  // The count follows the files still there; the gone stem keeps its slot.
  EXPECT_EQ(MusicSampleCounts[1], 2);
  EXPECT_NE(MusicSamples[24], 0);
  EXPECT_EQ(MusicSamples[3], 0);
}

TEST_F(SongFile, HeadersStretchLinesAndPatternsFollowTheirRules) {
  WriteSong("rules", {
                         "\"11\"",             // before any header: ignored
                         "STRETCH = DOUBLE",   // likewise
                         "  [drums  ",         // any case, no closing bracket
                         "\"12 34\" tail",     // text after the closing quote stays
                         "\t\"1\"2\"3\"  ",    // every quote goes, blanks around trimmed
                         "[Chords]",           //
                         "stretch: random+",   // mode of the current part
                         "[ BASS]",            // blank after the bracket: unknown
                         "\"qw\"",             // so this is still a chord line
                         "[BASS] extra",       // text after the bracket: unknown
                         "[bass]]",            // every closing bracket removed
                         "STRETCHdouble",      // nothing between keyword and value
                         "STRETCH",            // keyword only: no change
                         "STRETCH = maybe",    // unknown value: no change
                         "; a comment \"q\"",  // not a pattern line
                         "[MELODY]",           //
                         "Stretch = False",    //
                         "\"\"",               // only quotes: an empty pattern
                         "[accompany]",        //
                         "STRETCH=RANDOM",     //
                         "[INTRO]",            // unknown: accompaniment stays current
                         "\"q e\"",            //
                     });
  StartSong(u"rules", 1, 250);
  EXPECT_EQ(MusicPatternCounts[0], 2);
  EXPECT_EQ(Pattern(0, 1), "12 34 tail");
  EXPECT_EQ(Pattern(0, 2), "123");
  EXPECT_EQ(MusicPatternCounts[1], 1);
  EXPECT_EQ(Pattern(1, 1), "qw");
  EXPECT_EQ(MusicPatternCounts[2], 0);
  EXPECT_EQ(MusicPatternCounts[3], 1);
  EXPECT_EQ(Pattern(3, 1), "");
  EXPECT_EQ(MusicPatternCounts[4], 1);
  EXPECT_EQ(Pattern(4, 1), "q e");
  EXPECT_EQ(MusicStretchModes[0], -1);
  EXPECT_EQ(MusicStretchModes[1], 2);
  EXPECT_EQ(MusicStretchModes[2], -2);
  EXPECT_EQ(MusicStretchModes[3], 0);
  EXPECT_EQ(MusicStretchModes[4], 1);
}

TEST_F(SongFile, APartKeepsAtMost998Patterns) {
  std::vector<std::string> lines = {"[DRUMS]"};
  for (int32_t n = 1; n <= 1001; ++n) lines.push_back("\"" + std::to_string(n) + "\"");
  lines.push_back("[CHORDS]");
  lines.push_back("\"q\"");
  WriteSong("full", lines);
  StartSong(u"full", 1, 250);
  EXPECT_EQ(MusicPatternCounts[0], 998);
  EXPECT_EQ(Pattern(0, 998), "998");
  EXPECT_EQ(Pattern(0, 999), "");
  EXPECT_EQ(MusicPatternCounts[1], 1);
  EXPECT_EQ(Pattern(1, 1), "q");
}

TEST_F(SongFile, StartingSetsTheSongStateAndRunsTheFirstBarChange) {
  WriteSong("tune", {"[CHORDS]", "\"qqqq\""});
  StartSong(u"tune", 7, 251);
  EXPECT_EQ(SongPlaying, 1);
  EXPECT_EQ(SongSeed, 7);
  EXPECT_EQ(SongStepLength, 125);
  EXPECT_EQ(SongStep, -1);
  EXPECT_EQ(SongBarCount, 0);
  EXPECT_EQ(SongSectionBar, 1);
  EXPECT_EQ(Utf8(SongChordLine), "qqqq");
  EXPECT_FLOAT_EQ(SongPanSpread, 0.3f);
  EXPECT_EQ(SongNextStepTime, rt_millisecs() + 250);

  // The next-rest flags the section took over are the first 20 draws after
  // seeding with seed x 1024.
  fw_seed_rnd(7 * 1024);
  int32_t drawn[20];
  for (int32_t& flag : drawn) flag = fw_rand_int(0, 1);
  for (int32_t c = 4; c < 20; ++c) EXPECT_EQ(MusicChannelRest[c], drawn[c]) << c;
}

TEST_F(SongFile, ASeedOfMinusOneTakesTheClockAndExtremeSeedsWrap) {
  WriteSong("tune", {"[DRUMS]", "\"1\""});
  host_->SetClock(123456);
  StartSong(u"tune", -1, 250);
  EXPECT_EQ(SongSeed, 123456);
  for (int32_t seed : {INT_MAX, INT_MIN, -2}) {
    StartSong(u"tune", seed, 250);
    EXPECT_EQ(SongSeed, seed);
  }
}

TEST_F(SongFile, TemposBelowTwoGiveOneMillisecondSteps) {
  WriteSong("tune", {"[DRUMS]", "\"1\""});
  for (int32_t tempo : {1, 0, -7, INT_MIN}) {
    StartSong(u"tune", 1, tempo);
    EXPECT_EQ(SongStepLength, 1) << tempo;
  }
  StartSong(u"tune", 1, INT_MAX);
  EXPECT_EQ(SongStepLength, INT_MAX / 2);
}

TEST_F(SongFile, AMissingOrUnreadableFileResetsTheTablesAndLeavesTheSongPlaying) {
  WriteSong("tune", {"[DRUMS]", "STRETCH = FALSE", "\"1\""});
  StartSong(u"tune", 3, 250);
  int32_t seed = SongSeed, bars = SongBarCount;
  fs::create_directory("music/folder.ini");
  for (const char16_t* name : {u"missing", u"folder"}) {
    StartSong(name, 9, 500);
    EXPECT_EQ(SongPlaying, 1);
    EXPECT_EQ(SongSeed, seed);
    EXPECT_EQ(SongBarCount, bars);
    EXPECT_EQ(SongStepLength, 125);
    EXPECT_EQ(MusicPatternCounts[0], 0);
    EXPECT_EQ(MusicStretchModes[0], -1);
  }
}

TEST_F(SongFile, StoppingEmptiesTheMusicChannelsOnly) {
  WriteAllStems();
  WriteSong("tune", {"[DRUMS]", "\"1\""});
  StartSong(u"tune", 3, 250);
  for (int32_t c = 0; c < 20; ++c) engine::ChannelTable[c] = c == 7 ? 12345 : 0;
  engine::ChannelTable[20] = 999;
  SetRests({0, 1, 1, 1, 1}, {1, 1, 1, 1, 1}, {1, 1, 1, 1, 1});
  std::vector<int32_t> started = Step();
  ASSERT_EQ(started, std::vector<int32_t>{0});
  int32_t note = engine::ChannelTable[0];
  ASSERT_EQ(fw_channel_playing(note), 1);
  const int32_t finished = fw_alloc_channel();  // holds no sound any more
  engine::ChannelTable[5] = finished;

  StopSong();
  EXPECT_EQ(SongPlaying, 0);
  EXPECT_EQ(fw_channel_playing(note), 0);
  EXPECT_EQ(rt_handle_to_object(finished), nullptr);  // let go, as never cued again
  for (int32_t c = 0; c < 20; ++c) EXPECT_EQ(engine::ChannelTable[c], 0) << c;
  EXPECT_EQ(engine::ChannelTable[20], 999);
  EXPECT_EQ(MusicPatternCounts[0], 1);
  EXPECT_TRUE(Step().empty());
}

TEST_F(SongFile, ThePanSpreadIsSetWithoutClampAndResetByTheNextSong) {
  WriteSong("tune", {"[DRUMS]", "\"1\""});
  SetMusicPanSpread(-4.5f);
  EXPECT_FLOAT_EQ(SongPanSpread, -4.5f);
  StartSong(u"tune", 1, 250);
  EXPECT_FLOAT_EQ(SongPanSpread, 0.3f);
}

}  // namespace
}  // namespace sequencer_test
