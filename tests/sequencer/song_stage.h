// A temporary week folder with stems and song files written by the test, the
// scripted host, and helpers that step a song and note which channels start.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "fresh_start.h"
#include "platform/platform.h"
#include "sequencer/sequencer.h"

namespace sequencer_test {

namespace fs = std::filesystem;
using namespace sequencer;

// Stems play at this rate, the mixer's own, so one stem frame is one output
// frame at rate 1.
constexpr int32_t kStemRate = 44100;

inline void PutLittleEndian(std::string& out, uint32_t value, int32_t bytes) {
  for (int32_t i = 0; i < bytes; ++i) out += char((value >> (8 * i)) & 0xFF);
}

// A 16-bit PCM WAV file of the given interleaved samples (-1..1).
inline std::string WavBytes(const std::vector<float>& samples, int32_t channels, int32_t rate) {
  uint32_t data_bytes = uint32_t(samples.size() * 2);
  std::string wav = "RIFF";
  PutLittleEndian(wav, 36 + data_bytes, 4);
  wav += "WAVEfmt ";
  PutLittleEndian(wav, 16, 4);
  PutLittleEndian(wav, 1, 2);  // PCM
  PutLittleEndian(wav, uint32_t(channels), 2);
  PutLittleEndian(wav, uint32_t(rate), 4);
  PutLittleEndian(wav, uint32_t(rate * channels * 2), 4);
  PutLittleEndian(wav, uint32_t(channels * 2), 2);
  PutLittleEndian(wav, 16, 2);
  wav += "data";
  PutLittleEndian(wav, data_bytes, 4);
  for (float sample : samples) {
    float clamped = std::clamp(sample, -1.0f, 1.0f);
    PutLittleEndian(wav, uint32_t(int32_t(std::lround(clamped * 32767.0f))), 2);
  }
  return wav;
}

// A note start: which bar, which step, which channel.
struct Note {
  int32_t bar, step, channel;
  bool operator==(const Note&) const = default;
};

class SongStage : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = &FreshStart();
    engine::EngineSettings[engine::kMasterVolumeSetting] = 100;
    engine::EngineSettings[engine::kMusicVolumeSetting] = 100;
    std::string pattern = (fs::temp_directory_path() / "quill-song-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    fs::create_directories(folder_ / "music");
    previous_ = fs::current_path();
    fs::current_path(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
    fs::remove_all(folder_, ignored);
  }

  void WriteFile(const std::string& relative, const std::string& bytes) {
    std::ofstream(folder_ / relative, std::ios::binary) << bytes;
  }
  // Lines end in CR LF, as a song file written on any system may.
  void WriteSong(const std::string& name, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    WriteFile("music/" + name + ".ini", bytes);
  }
  // A mono stem rising linearly from 0 by 1/1000 per frame for 1000 frames,
  // so that the level heard after n output frames tells the playback rate.
  void WriteRampStem(const std::string& file) {
    std::vector<float> samples(1000);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = float(i) / 1000.0f;
    WriteFile("music/" + file + ".wav", WavBytes(samples, 1, kStemRate));
  }
  // Every stem of both kits and the three pitched parts.
  void WriteAllStems() {
    for (int32_t n = 1; n <= 8; ++n) {
      for (const char* stem : {"d1-", "d2-", "bass", "lead", "accompany"})
        WriteRampStem(stem + std::to_string(n));
    }
    LoadMusicSamples();
  }

  // Moves the clock just past the next step's time and ticks; gives the part
  // channels that started a note.
  std::vector<int32_t> Step() {
    int32_t wait = wrap_sub(SongNextStepTime, rt_millisecs()) + 1;
    if (wait > 0) host_->Advance(uint32_t(wait));
    int32_t before[5];
    std::copy(engine::ChannelTable, engine::ChannelTable + 5, before);
    MusicTick();
    std::vector<int32_t> started;
    for (int32_t c = 0; c < 5; ++c) {
      if (engine::ChannelTable[c] != before[c]) started.push_back(c);
    }
    return started;
  }

  std::vector<Note> PlaySteps(int32_t steps) {
    std::vector<Note> notes;
    for (int32_t i = 0; i < steps; ++i) {
      for (int32_t c : Step()) notes.push_back({SongBarCount, SongStep, c});
    }
    return notes;
  }
  // Steps until the song reaches step 63 of its current bar.
  void PlayToBarEnd() {
    while (SongStep != 63) Step();
  }

  // Overrides the first flags of the section as drawn.
  static void SetRests(std::initializer_list<int32_t> rest, std::initializer_list<int32_t> next,
                       std::initializer_list<int32_t> lead_in) {
    std::copy(rest.begin(), rest.end(), MusicChannelRest);
    std::copy(next.begin(), next.end(), MusicChannelNextRest);
    std::copy(lead_in.begin(), lead_in.end(), MusicChannelLeadIn);
  }

  platform::ScriptedHost* host_ = nullptr;
  fs::path folder_;

 private:
  fs::path previous_;
};

}  // namespace sequencer_test
