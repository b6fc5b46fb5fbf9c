// The tick, bar and section changes, pattern picks and the notes they start.
#include <climits>
#include <map>
#include <set>

#include "sequencer/song_stage.h"

namespace sequencer_test {
namespace {

using Tick = SongStage;

const std::string kKeys = "zsxdcvgbhnjmq2w3er5t6y7ui9o0p[=]";

std::string Utf8(const Text& text) { return platform::ToUtf8(text); }

// A song whose every part plays its one pattern unstretched.
std::vector<std::string> PlainSong(const std::string& chords, const std::string& drums,
                                   const std::string& pitched) {
  return {"[CHORDS]",        "\"" + chords + "\"",  "[DRUMS]",
          "STRETCH = FALSE", "\"" + drums + "\"",   "[BASS]",
          "STRETCH = FALSE", "\"" + pitched + "\"", "[MELODY]",
          "STRETCH = FALSE", "\"" + pitched + "\"", "[ACCOMPANY]",
          "STRETCH = FALSE", "\"" + pitched + "\""};
}

// Positions (bar x 64 + step) at which the channel started notes.
std::vector<int32_t> StartsOf(const std::vector<Note>& notes, int32_t channel) {
  std::vector<int32_t> positions;
  for (const auto& note : notes) {
    if (note.channel == channel) positions.push_back(note.bar * 64 + note.step);
  }
  return positions;
}

std::vector<int32_t> Range(int32_t first, int32_t last) {
  std::vector<int32_t> values;
  for (int32_t v = first; v <= last; ++v) values.push_back(v);
  return values;
}

TEST_F(Tick, TheFirstStepComesAfter250MsAndEachTickPlaysAtMostOneStep) {
  WriteSong("tune", PlainSong("qqqq", "1", "q"));
  StartSong(u"tune", 1, 250);
  host_->Advance(250);
  MusicTick();
  EXPECT_EQ(SongStep, -1);
  host_->Advance(1);
  MusicTick();
  EXPECT_EQ(SongStep, 0);
  EXPECT_EQ(SongBarCount, 0);
  EXPECT_EQ(SongSectionBar, 1);
  MusicTick();
  EXPECT_EQ(SongStep, 0);

  // Frames slower than steps: each tick catches up by one step.
  host_->Advance(1000);
  for (int32_t step = 1; step <= 8; ++step) {
    MusicTick();
    EXPECT_EQ(SongStep, step);
  }
  MusicTick();
  EXPECT_EQ(SongStep, 8);
}

TEST_F(Tick, StepsGoOnAcrossTheWrapOfTheClock) {
  WriteSong("tune", PlainSong("qqqq", "1", "q"));
  host_->SetClock(0xFFFFFF00u);
  StartSong(u"tune", 1, 250);
  for (int32_t step = 0; step < 10; ++step) {
    host_->Advance(step == 0 ? 251 : 125);
    MusicTick();
    EXPECT_EQ(SongStep, step);
  }
}

TEST_F(Tick, EightChordLettersMakeTwoBarSectionsWithLeadInsFromStep48Or56) {
  WriteAllStems();
  WriteSong("eight", PlainSong("qqqqqqqq", "1", "q"));
  StartSong(u"eight", 5, 250);
  // Drums and accompaniment rest and play next; bass rests on; lead plays.
  SetRests({1, 1, 1, 0, 1}, {0, 0, 1, 0, 0}, {1, 2, 1, 2, 2});
  std::vector<Note> notes = PlaySteps(128);
  EXPECT_EQ(SongBarCount, 1);
  EXPECT_EQ(SongSectionBar, 2);
  EXPECT_EQ(StartsOf(notes, 0), Range(64 + 48, 127));
  EXPECT_EQ(StartsOf(notes, 1), Range(64 + 56, 127));
  EXPECT_EQ(StartsOf(notes, 2), std::vector<int32_t>{});
  EXPECT_EQ(StartsOf(notes, 3), Range(0, 127));
  EXPECT_EQ(StartsOf(notes, 4), Range(64 + 56, 127));
  Step();
  EXPECT_EQ(SongBarCount, 2);
  EXPECT_EQ(SongSectionBar, 1);
}

TEST_F(Tick, SixChordLettersMakeOneBarSectionsThatNeverLeadIn) {
  WriteAllStems();
  WriteSong("six", PlainSong("qqqqii", "1", "q"));
  StartSong(u"six", 5, 250);
  const int32_t kResting[5] = {0, 1, 1, 0, 1};
  SetRests({0, 1, 1, 0, 1}, {0, 1, 1, 0, 1}, {1, 1, 1, 1, 1});
  int32_t could_lead_in = 0;
  std::vector<Note> notes;
  for (int32_t bar = 0; bar < 6; ++bar) {
    std::vector<Note> played = PlaySteps(63);
    notes.insert(notes.end(), played.begin(), played.end());
    for (int32_t c : {1, 2, 4}) could_lead_in += MusicChannelNextRest[c] == 0;
    EXPECT_EQ(SongSectionBar, 1);
    // The next section keeps the same channels resting.
    std::copy_n(kResting, 5, MusicChannelNextRest);
    played = PlaySteps(1);
    notes.insert(notes.end(), played.begin(), played.end());
  }
  EXPECT_GT(could_lead_in, 0);
  EXPECT_EQ(StartsOf(notes, 0).size(), 6u * 64u);
  EXPECT_TRUE(StartsOf(notes, 1).empty());
  EXPECT_TRUE(StartsOf(notes, 2).empty());
  EXPECT_EQ(StartsOf(notes, 3).size(), 6u * 64u);
  EXPECT_TRUE(StartsOf(notes, 4).empty());
}

TEST_F(Tick, AnEmptyChordLineMakesEveryBarASectionInItsLastLetter) {
  WriteAllStems();
  WriteSong("bare", {"[DRUMS]", "STRETCH = FALSE", "\"1\"", "[BASS]", "STRETCH = FALSE", "\"q\""});
  StartSong(u"bare", 5, 250);
  EXPECT_EQ(Utf8(SongChordLine), "");
  // Resting channels that play next come in on every step, either kind.
  SetRests({1, 1, 1, 1, 1}, {0, 1, 0, 1, 1}, {1, 1, 2, 1, 1});
  std::vector<Note> notes = PlaySteps(64);
  EXPECT_EQ(StartsOf(notes, 0), Range(0, 63));
  EXPECT_EQ(StartsOf(notes, 2), Range(0, 63));
  EXPECT_TRUE(StartsOf(notes, 1).empty());
  for (int32_t bar = 1; bar <= 3; ++bar) {
    PlaySteps(64);
    EXPECT_EQ(SongBarCount, bar);
    EXPECT_EQ(SongSectionBar, 1);
  }
}

// The level of the last of `frames` output frames, left and right.
std::pair<float, float> LevelAfter(platform::ScriptedHost& host, int32_t frames) {
  std::vector<float> out = host.RenderAudio(frames);
  return {out[size_t(2 * frames - 2)], out[size_t(2 * frames - 1)]};
}

TEST_F(Tick, EachPartChannelPlaysItsStemWithItsPanRateAndVolume) {
  ASSERT_EQ(fw_set_audio_driver(u"FreeAudio"), 1);
  engine::EngineSettings[engine::kMusicVolumeSetting] = 50;
  engine::EngineSettings[engine::kMasterVolumeSetting] = 80;  // full volume 0.4, half 0.2
  WriteAllStems();
  WriteSong("parts", {"[CHORDS]", "\"qi  \"", "[DRUMS]", "STRETCH = FALSE", "\"1\"", "[BASS]",
                      "STRETCH = FALSE", "\"w\"", "[MELODY]", "STRETCH = FALSE", "\"e\"",
                      "[ACCOMPANY]", "STRETCH = FALSE", "\"r\""});
  struct Expected {
    float left, right, rate;
  };
  // Spread 0.5: the far side of a panned channel keeps half its level.
  const Expected expected[5] = {{0.2f, 0.4f, 1.0f},
                                {0.4f, 0.2f, 1.0f},
                                {0.4f, 0.2f, 1.122f},
                                {0.4f, 0.4f, 1.26f},
                                {0.1f, 0.2f, 1.335f}};
  for (int32_t c = 0; c < 5; ++c) {
    StartSong(u"parts", 5, 250);
    SetMusicPanSpread(0.5f);
    std::vector<int32_t> rest(5, 1);
    rest[size_t(c)] = 0;
    std::copy(rest.begin(), rest.end(), MusicChannelRest);
    std::fill_n(MusicChannelNextRest, 5, 1);
    ASSERT_EQ(Step(), std::vector<int32_t>{c});
    // After 200 frames a ramp stem has reached 0.2 x its rate.
    auto [left, right] = LevelAfter(*host_, 201);
    EXPECT_NEAR(left, expected[c].left * 0.2f * expected[c].rate, 2e-4) << c;
    EXPECT_NEAR(right, expected[c].right * 0.2f * expected[c].rate, 2e-4) << c;
    StopSong();
  }
}

TEST_F(Tick, ChordLettersTransposeAndANonNoteChordLetterGivesRateZero) {
  ASSERT_EQ(fw_set_audio_driver(u"FreeAudio"), 1);
  WriteAllStems();
  WriteSong("chords", {"[CHORDS]", "\"qia \"", "[MELODY]", "STRETCH = FALSE", "\"w\""});
  StartSong(u"chords", 5, 250);
  SetRests({1, 1, 1, 0, 1}, {1, 1, 1, 0, 1}, {1, 1, 1, 1, 1});
  // Rate 0 reaches the mixer as its slowest rate, 1/64.
  const std::map<int32_t, float> rates = {
      {0, 1.122f}, {16, 2.244f}, {32, 1.0f / 64.0f}, {48, 1.0f / 64.0f}};
  for (auto [step, rate] : rates) {
    while (SongStep != step) Step();
    EXPECT_NEAR(LevelAfter(*host_, 201).first, 0.2f * rate, 2e-4) << step;
  }
}

TEST_F(Tick, NoteLettersFollowTheTwoRowKeyboardInEitherCase) {
  const float middle[12] = {1.0f,   1.059f, 1.122f, 1.189f, 1.26f,  1.335f,
                            1.414f, 1.498f, 1.587f, 1.682f, 1.782f, 1.888f};
  for (size_t i = 0; i < kKeys.size(); ++i) {
    float rate = middle[i % 12] * (i < 12 ? 0.5f : i < 24 ? 1.0f : 2.0f);
    Text key(1, char16_t(kKeys[i]));
    EXPECT_FLOAT_EQ(NoteLetterToRate(key), rate) << kKeys[i];
    EXPECT_FLOAT_EQ(NoteLetterToRate(fw_upper(key)), rate) << kKeys[i];
  }
  EXPECT_FLOAT_EQ(NoteLetterToRate(u"z") * 2.0f, NoteLetterToRate(u"q"));
  EXPECT_FLOAT_EQ(NoteLetterToRate(u"Q"), 1.0f);
  for (const char16_t* other : {u"", u" ", u"a", u"1", u"qq", u"-", u"\u00e9"})
    EXPECT_EQ(NoteLetterToRate(other), 0.0f) << Utf8(other);
}

std::vector<float> Row(int32_t channel) {
  return std::vector<float>(MusicStepValues + channel * 70, MusicStepValues + channel * 70 + 64);
}

TEST_F(Tick, DrumPatternsRepeatWithinABarAndStretchAddsRests) {
  const std::string drums = "1234567890123456";
  WriteSong("plain", {"[DRUMS]", "STRETCH = FALSE", "\"" + drums + "\""});
  WriteSong("doubled", {"[DRUMS]", "\"" + drums + "\""});
  StartSong(u"plain", 1, 250);
  for (int32_t c : {0, 1}) {
    for (int32_t k = 0; k < 64; ++k) EXPECT_EQ(Row(c)[size_t(k)], float(drums[k % 16] - '0'));
  }
  StartSong(u"doubled", 1, 250);
  EXPECT_EQ(Utf8(ChannelPatterns[0]).size(), 32u);
  for (int32_t k = 0; k < 64; ++k) {
    EXPECT_EQ(Row(0)[size_t(k)], k % 2 ? 0.0f : float(drums[(k / 2) % 16] - '0')) << k;
  }
}

TEST_F(Tick, StretchModesDoubleOrQuadrupleAsRolled) {
  WriteSong("modes", {"[DRUMS]", "STRETCH = FALSE", "\"12\"", "[BASS]", "STRETCH = RANDOM",
                      "\"q w\"", "[MELODY]", "STRETCH = RANDOM+", "\"q w\"", "[ACCOMPANY]",
                      "STRETCH = DOUBLE", "\"q w\""});
  std::set<size_t> lengths[5];
  for (int32_t seed = 0; seed < 40; ++seed) {
    StartSong(u"modes", seed, 250);
    for (int32_t c : {0, 2, 3, 4}) lengths[c].insert(ChannelPatterns[c].size());
  }
  EXPECT_EQ(lengths[0], (std::set<size_t>{2}));
  EXPECT_EQ(lengths[2], (std::set<size_t>{3, 6}));
  EXPECT_EQ(lengths[3], (std::set<size_t>{3, 6, 12}));
  EXPECT_EQ(lengths[4], (std::set<size_t>{12}));
  StartSong(u"modes", 0, 250);
  EXPECT_EQ(Utf8(ChannelPatterns[4]), "q       w   ");
}

TEST_F(Tick, APitchedPatternRunsOnAcrossTheBarsOfItsSection) {
  std::string bass;
  for (int32_t i = 0; i < 100; ++i) bass += kKeys[size_t(i % 31)];
  WriteSong("long", PlainSong("qqqqqqqq", "1", bass));
  StartSong(u"long", 2, 250);
  auto expect_bar = [&](int32_t first) {
    for (int32_t k = 0; k < 64; ++k) {
      char16_t letter = char16_t(bass[size_t((first + k) % 100)]);
      EXPECT_EQ(Row(2)[size_t(k)], NoteLetterToRate(Text(1, letter))) << first << " " << k;
    }
  };
  expect_bar(0);
  NextBar();
  ASSERT_EQ(SongSectionBar, 2);
  expect_bar(64);  // characters 65..100, then 1..28
  NextBar();
  ASSERT_EQ(SongSectionBar, 1);
  expect_bar(0);
}

TEST_F(Tick, Digits9And0AndDigitsWithoutAStemAreSilent) {
  WriteAllStems();
  fs::remove("music/d1-5.wav");
  LoadMusicSamples();
  WriteSong("drums", PlainSong("qqqq", "9055", "q"));
  StartSong(u"drums", 1, 250);
  SetRests({0, 0, 1, 1, 1}, {1, 1, 1, 1, 1}, {1, 1, 1, 1, 1});
  std::vector<Note> notes = PlaySteps(64);
  EXPECT_TRUE(StartsOf(notes, 0).empty());
  std::vector<int32_t> kit_two;
  for (int32_t k = 0; k < 64; ++k) {
    if (k % 4 >= 2) kit_two.push_back(k);
  }
  EXPECT_EQ(StartsOf(notes, 1), kit_two);
}

TEST_F(Tick, DrumsNeverBothRestAndBassOrLeadAlwaysPlays) {
  WriteSong("tune", PlainSong("qqqq", "1", "q"));
  int32_t corrected_drums = 0, corrected_tunes = 0;
  for (int32_t seed = 0; seed < 60; ++seed) {
    StartSong(u"tune", seed, 250);
    for (int32_t bar = 0; bar < 6; ++bar) {
      int32_t drawn[20];
      std::copy_n(MusicChannelNextRest, 20, drawn);
      NextBar();
      EXPECT_FALSE(MusicChannelRest[0] == 1 && MusicChannelRest[1] == 1);
      EXPECT_FALSE(MusicChannelRest[2] == 1 && MusicChannelRest[3] == 1);
      bool both_drums = drawn[0] == 1 && drawn[1] == 1;
      bool both_tunes = drawn[2] == 1 && drawn[3] == 1;
      corrected_drums += both_drums;
      corrected_tunes += both_tunes;
      if (!both_drums) {
        EXPECT_TRUE(std::equal(drawn, drawn + 2, MusicChannelRest));
      }
      if (!both_tunes) {
        EXPECT_TRUE(std::equal(drawn + 2, drawn + 4, MusicChannelRest + 2));
      }
      EXPECT_TRUE(std::equal(drawn + 4, drawn + 20, MusicChannelRest + 4));
    }
  }
  EXPECT_GT(corrected_drums, 0);
  EXPECT_GT(corrected_tunes, 0);
}

// Several patterns per part, every stretch mode, so that picks and rests vary.
std::vector<std::string> RichSong() {
  return {"[DRUMS]",     "\"1 4 3 4 \"",      "\"1  13 5\"",  "\"8 6 6 7 \"",
          "[CHORDS]",    "\"qqrrbbqq\"",      "\"qjrq\"",     "\"qiqiqi\"",
          "[BASS]",      "STRETCH = RANDOM",  "\"z  zb x \"", "\"zz c\"",
          "[MELODY]",    "STRETCH = RANDOM+", "\"e t i  \"",  "\"q w e r t\"",
          "[ACCOMPANY]", "\"qet qet\"",       "\"i t e t\""};
}

TEST_F(Tick, TheSameFileSeedAndTempoStartTheSameNotesOnTheSameSteps) {
  WriteAllStems();
  WriteSong("rich", RichSong());
  auto run = [&](int32_t seed) {
    StartSong(u"rich", seed, 250);
    return PlaySteps(64 * 6);
  };
  std::vector<Note> first = run(77);
  std::vector<Note> second = run(77);
  EXPECT_GT(first.size(), 100u);
  EXPECT_EQ(first, second);
  EXPECT_NE(run(78), first);
  EXPECT_EQ(run(INT_MIN), run(INT_MIN));
}

TEST_F(Tick, TheChordLineAndTheBassPatternComeFromIdenticalStates) {
  std::vector<std::string> song = {"[CHORDS]"};
  for (int32_t n = 0; n < 7; ++n) song.push_back("\"" + std::string(4, kKeys[size_t(n)]) + "\"");
  song.insert(song.end(), {"[BASS]", "STRETCH = FALSE"});
  for (int32_t n = 0; n < 7; ++n) song.push_back("\"" + std::string(1, kKeys[size_t(n)]) + "\"");
  WriteSong("pairs", song);
  std::set<char16_t> seen;
  for (int32_t seed = 0; seed < 30; ++seed) {
    StartSong(u"pairs", seed, 250);
    for (int32_t bar = 0; bar < 4; ++bar, NextBar()) {
      ASSERT_EQ(ChannelPatterns[2].size(), 1u);
      EXPECT_EQ(SongChordLine[0], ChannelPatterns[2][0]);
      seen.insert(SongChordLine[0]);
    }
  }
  EXPECT_EQ(seen.size(), 7u);
}

TEST_F(Tick, PickersSeedFromTheSongPositionWarmUpAndRollTheStretch) {
  std::vector<std::string> song = {"[MELODY]", "STRETCH = RANDOM+"};
  for (int32_t n = 1; n <= 50; ++n) song.push_back("\"" + std::to_string(n) + "\"");
  WriteSong("numbers", song);
  StartSong(u"numbers", 1, 250);
  for (int32_t seed : {0, 9, INT_MAX, INT_MIN}) {
    SongSeed = seed;
    SongSectionBar = 1;
    SongBarCount = 3;
    int32_t salt = 19;
    fw_seed_rnd(wrap_add(wrap_mul(seed, 1024), 1 + 3 + salt));
    for (int32_t i = 0; i < 3 * 4 + salt; ++i) fw_rand_int(0, 1000);
    Text expected = rt_string_from_int(fw_rand_int(1, 50));
    int32_t roll = fw_rand_int(0, 2);
    int32_t after = platform::RandomState();
    Text picked = PickMelodyPattern(salt);
    EXPECT_EQ(platform::RandomState(), after);
    for (int32_t spread = 0; spread < roll; ++spread) {
      Text spaced;
      for (char16_t c : expected) spaced += Text{c, u' '};
      expected = spaced;
    }
    EXPECT_EQ(Utf8(picked), Utf8(expected)) << seed;
  }
}

TEST_F(Tick, EmptyPatternsAndPartsLeaveTheirChannelsSilent) {
  WriteAllStems();
  WriteSong("old", PlainSong("qqqq", "1", "q"));
  WriteSong("empty", {"[DRUMS]", "\"\"", "[MELODY]", "\"\"\"\""});
  StartSong(u"old", 1, 250);
  StartSong(u"empty", 1, 250);
  SetRests({0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {1, 1, 1, 1, 1});
  for (const Text& pattern : ChannelPatterns) EXPECT_EQ(Utf8(pattern), "");
  EXPECT_TRUE(PlaySteps(64 * 3).empty());
  for (float value : MusicStepValues) EXPECT_EQ(value, 0.0f);
}

}  // namespace
}  // namespace sequencer_test
