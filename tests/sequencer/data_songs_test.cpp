// The songs and stems the data step lays out, played for a few bars; one of
// them rendered through the mixer into a WAV file and checked.
#include <cmath>
#include <set>

#include "run/run_folder.h"
#include "sequencer/song_stage.h"

namespace sequencer_test {
namespace {

class DataSongs : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = &FreshStart();
    engine::EngineSettings[engine::kMasterVolumeSetting] = 100;
    engine::EngineSettings[engine::kMusicVolumeSetting] = 100;
    ASSERT_TRUE(folder_.Exists("Files/001/music/theme.ini"));
    fs::current_path(folder_.Path("Files/001"));
    LoadMusicSamples();
  }

  // Ticks once; gives the part channels that started notes.
  std::vector<int32_t> Tick() {
    int32_t before[5];
    std::copy_n(engine::ChannelTable, 5, before);
    MusicTick();
    std::vector<int32_t> started;
    for (int32_t c = 0; c < 5; ++c) {
      if (engine::ChannelTable[c] != before[c]) started.push_back(c);
    }
    return started;
  }

  run_test::RunFolder folder_;
  platform::ScriptedHost* host_ = nullptr;
};

TEST_F(DataSongs, EverySongStartsNotesOnAllFivePartChannels) {
  for (const char16_t* song : {u"theme", u"chase"}) {
    StartSong(song, 2026, 250);
    ASSERT_EQ(SongPlaying, 1);
    host_->Advance(250);
    // Any part channel may rest for a whole section; a few sections bring
    // every one of them in.
    std::set<int32_t> sounded;
    while (sounded.size() < 5 && SongBarCount < 16) {
      host_->Advance(uint32_t(SongStepLength));
      for (int32_t c : Tick()) sounded.insert(c);
    }
    EXPECT_EQ(sounded.size(), 5u) << platform::ToUtf8(song);
    StopSong();
  }
}

float Peak(const std::vector<float>& samples, size_t from, size_t to) {
  float peak = 0.0f;
  for (size_t i = from; i < to; ++i) peak = std::max(peak, std::fabs(samples[i]));
  return peak;
}

// Four bars of the theme as the mixer plays them: every step that starts a
// note is heard at once, the output is silent exactly when no part channel
// sounds, and the file written reads back as the same length of sound.
TEST_F(DataSongs, FourBarsOfTheThemeRenderIntoAWavFileWithNotesOnTheirSteps) {
  ASSERT_EQ(fw_set_audio_driver(u"FreeAudio"), 1);
  StartSong(u"theme", 1, 250);
  constexpr double kFramesPerMs = 44.1;
  // The first step falls due just after 250 ms; the clock and the audio
  // rendered move on together from there.
  double elapsed_ms = 251;
  std::vector<float> song = host_->RenderAudio(int32_t(elapsed_ms * kFramesPerMs));
  host_->Advance(uint32_t(elapsed_ms));
  int32_t steps_with_notes = 0;
  for (int32_t step = 0; step < 64 * 4; ++step) {
    bool started = !Tick().empty();
    ASSERT_EQ(SongStep, step % 64);
    host_->Advance(uint32_t(SongStepLength));
    elapsed_ms += SongStepLength;
    size_t first = song.size();
    std::vector<float> block =
        host_->RenderAudio(int32_t(elapsed_ms * kFramesPerMs) - int32_t(first / 2));
    song.insert(song.end(), block.begin(), block.end());
    if (started) {
      ++steps_with_notes;
      EXPECT_GT(Peak(song, first, first + 2 * 441), 1e-3f) << "step " << step;
    }
    bool sounding = false;
    for (int32_t c = 0; c < 5; ++c) sounding |= fw_channel_playing(engine::ChannelTable[c]) != 0;
    if (!sounding) {
      EXPECT_EQ(Peak(song, song.size() - 2, song.size()), 0.0f) << "step " << step;
    }
  }
  EXPECT_GT(steps_with_notes, 64);
  double energy = 0;
  for (float sample : song) energy += double(sample) * sample;
  EXPECT_GT(std::sqrt(energy / double(song.size())), 0.02);

  fs::path wav = fs::path(QUILL_BINARY_DIR) / "sequencer-theme.wav";
  std::ofstream(wav, std::ios::binary) << WavBytes(song, 2, 44100);
  int32_t sound = fw_load_sound(platform::FromUtf8(wav.string()), 0);
  ASSERT_NE(sound, 0);
  // The wait for the first step, then four bars of 64 steps of 125 ms.
  EXPECT_NEAR(double(song.size()) / 2 / 44100, 0.251 + 4 * 8.0, 1e-3);
}

}  // namespace
}  // namespace sequencer_test
