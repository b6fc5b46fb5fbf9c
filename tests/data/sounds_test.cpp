// The sounds of a laid-out run folder: the jingle decodes, every WAV is the
// plain PCM the loader reads, and the stems the sequencer asks for exist.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cmath>

#include "data/run_folder.h"

namespace {

namespace fs = std::filesystem;

uint32_t Little(const std::string& bytes, size_t at, int32_t size) {
  uint32_t value = 0;
  for (int32_t i = size - 1; i >= 0; --i) value = value << 8 | uint8_t(bytes[at + size_t(i)]);
  return value;
}

// A canonical 44-byte-header RIFF file: PCM, mono, 44100 Hz, 16 bits.
void ExpectPlainWav(const fs::path& path) {
  SCOPED_TRACE(path.string());
  std::string bytes = data_test::ReadBytes(path);
  ASSERT_GT(bytes.size(), 44u + 2000u);  // some real sound after the header
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(Little(bytes, 4, 4), bytes.size() - 8);
  EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(Little(bytes, 16, 4), 16u);
  EXPECT_EQ(Little(bytes, 20, 2), 1u);  // PCM
  EXPECT_EQ(Little(bytes, 22, 2), 1u);  // mono
  EXPECT_EQ(Little(bytes, 24, 4), 44100u);
  EXPECT_EQ(Little(bytes, 28, 4), 88200u);
  EXPECT_EQ(Little(bytes, 32, 2), 2u);
  EXPECT_EQ(Little(bytes, 34, 2), 16u);
  EXPECT_EQ(bytes.substr(36, 4), "data");
  EXPECT_EQ(Little(bytes, 40, 4), bytes.size() - 44);
  // Not clipped flat: the loudest sample stays below full scale.
  int32_t loudest = 0;
  for (size_t i = 44; i + 1 < bytes.size(); i += 2) {
    loudest = std::max(loudest, std::abs(int32_t(int16_t(Little(bytes, i, 2)))));
  }
  EXPECT_GT(loudest, 8000);
  EXPECT_LT(loudest, 32767);
}

class Sounds : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(data_test::RunMakeData(root_.Path()), 0); }
  fs::path Week() const { return root_.Path() / "Files/001"; }
  data_test::TempFolder root_;
};

TEST_F(Sounds, JingleDecodesToItsLength) {
  OggVorbis_File file;
  std::string path = (root_.Path() / "Files/Common/open.ogg").string();
  ASSERT_EQ(ov_fopen(path.c_str(), &file), 0);
  vorbis_info* info = ov_info(&file, -1);
  EXPECT_EQ(info->channels, 1);
  EXPECT_EQ(info->rate, 44100);
  EXPECT_EQ(ov_pcm_total(&file, -1), 79380);  // 1.8 seconds
  // Decode it through to be sure the stream is whole.
  char buffer[8192];
  int section = 0;
  long total = 0, got = 0;
  while ((got = ov_read(&file, buffer, sizeof buffer, 0, 2, 1, &section)) > 0) total += got;
  EXPECT_EQ(got, 0);
  EXPECT_EQ(total, 79380 * 2);
  ov_clear(&file);
}

TEST_F(Sounds, EffectsAndStemsArePlainWavs) {
  int32_t effects = 0;
  for (int32_t n = 1; n <= 200; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "%03d.wav", n);
    if (!fs::exists(Week() / name)) break;
    ExpectPlainWav(Week() / name);
    ++effects;
  }
  EXPECT_GE(effects, 4);
  for (int32_t n = 1; n <= 8; ++n) {
    ExpectPlainWav(Week() / "music" / ("d1-" + std::to_string(n) + ".wav"));
    ExpectPlainWav(Week() / "music" / ("d2-" + std::to_string(n) + ".wav"));
  }
  for (const char* part : {"bass", "lead", "accompany"}) {
    int32_t count = 0;
    while (fs::exists(Week() / "music" / (part + std::to_string(count + 1) + ".wav"))) {
      ExpectPlainWav(Week() / "music" / (part + std::to_string(++count) + ".wav"));
    }
    EXPECT_GE(count, 2) << part;
  }
}

// The shortest period, in samples, at which the sound's start matches
// itself closely (normalised autocorrelation).
int32_t Period(const std::string& bytes) {
  std::vector<double> s;
  for (size_t i = 44; i + 1 < bytes.size() && s.size() < 4410; i += 2) {
    s.push_back(double(int16_t(Little(bytes, i, 2))));
  }
  auto match = [&](int32_t lag) {
    double cross = 0, a = 0, b = 0;
    for (size_t i = 0; i + size_t(lag) < s.size(); ++i) {
      cross += s[i] * s[i + size_t(lag)];
      a += s[i] * s[i];
      b += s[i + size_t(lag)] * s[i + size_t(lag)];
    }
    return a > 0 && b > 0 ? cross / std::sqrt(a * b) : 0.0;
  };
  for (int32_t lag = 80; lag < 400; ++lag) {
    if (match(lag) <= 0.9) continue;
    while (match(lag + 1) > match(lag)) ++lag;  // on to the peak of this match
    return lag;
  }
  return 0;
}

TEST_F(Sounds, PitchedStemsSoundTheNoteOfQAtRateOne) {
  const double c4_period = 44100.0 / 261.6256;  // 168.6 samples
  for (const char* part : {"bass", "lead", "accompany"}) {
    for (int32_t n = 1; fs::exists(Week() / "music" / (part + std::to_string(n) + ".wav")); ++n) {
      std::string name = part + std::to_string(n) + ".wav";
      int32_t period = Period(data_test::ReadBytes(Week() / "music" / name));
      EXPECT_NEAR(period, c4_period, 2.0) << name;
    }
  }
}

}  // namespace
