// Sounds, drivers and the mixer, rendered on the scripted host's device.
#include <gtest/gtest.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/audio.h"
#include "platform/platform.h"
#include "platform/platform_stage.h"

namespace {

namespace fs = std::filesystem;
using platform::audio::PcmRef;

constexpr double kPi = 3.14159265358979323846;

// Interleaved samples for `frames` frames of a signal, the same on every
// channel.
std::vector<float> Signal(int32_t frames, int32_t channels, const std::function<float(int)>& at) {
  std::vector<float> samples;
  for (int f = 0; f < frames; ++f)
    for (int c = 0; c < channels; ++c) samples.push_back(at(f));
  return samples;
}

std::vector<float> Sine(double hz, int32_t rate, int32_t frames, int32_t channels = 1) {
  return Signal(frames, channels,
                [&](int f) { return float(0.5 * std::sin(2 * kPi * hz * f / rate)); });
}

void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += char((value >> (8 * i)) & 0xFF);
}

struct WavLayout {
  int32_t rate = 22050;
  int32_t channels = 1;
  int32_t bits = 16;
  uint32_t format_tag = 1;
};

std::string WavBytes(const std::vector<float>& samples, const WavLayout& layout,
                     const std::string& extra_chunks = "") {
  std::string data;
  for (float s : samples) {
    if (layout.bits == 8)
      PutLe(data, uint32_t(std::lround(s * 127.0f) + 128), 1);
    else
      PutLe(data, uint32_t(int32_t(std::lround(s * 32767.0f))), 2);
  }
  std::string body = "WAVE" + extra_chunks + "fmt ";
  PutLe(body, 16, 4);
  PutLe(body, layout.format_tag, 2);
  PutLe(body, uint32_t(layout.channels), 2);
  PutLe(body, uint32_t(layout.rate), 4);
  int32_t align = layout.channels * layout.bits / 8;
  PutLe(body, uint32_t(layout.rate * align), 4);
  PutLe(body, uint32_t(align), 2);
  PutLe(body, uint32_t(layout.bits), 2);
  body += "data";
  PutLe(body, uint32_t(data.size()), 4);
  std::string riff = "RIFF";
  PutLe(riff, uint32_t(body.size() + data.size()), 4);
  return riff + body + data;
}

// Encodes samples as Ogg Vorbis at a middling quality.
std::string OggBytes(const std::vector<float>& samples, int32_t rate, int32_t channels) {
  vorbis_info info;
  vorbis_info_init(&info);
  EXPECT_EQ(vorbis_encode_init_vbr(&info, channels, rate, 0.4f), 0);
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1);
  std::string out;
  ogg_page page;
  auto drain = [&](int (*take)(ogg_stream_state*, ogg_page*)) {
    while (take(&stream, &page)) {
      out.append(reinterpret_cast<char*>(page.header), size_t(page.header_len));
      out.append(reinterpret_cast<char*>(page.body), size_t(page.body_len));
    }
  };
  ogg_packet header, header_comment, header_code;
  vorbis_analysis_headerout(&dsp, &comment, &header, &header_comment, &header_code);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &header_comment);
  ogg_stream_packetin(&stream, &header_code);
  drain(ogg_stream_flush);
  int32_t frames = int32_t(samples.size()) / channels;
  float** planes = vorbis_analysis_buffer(&dsp, frames);
  for (int32_t f = 0; f < frames; ++f)
    for (int32_t c = 0; c < channels; ++c) planes[c][f] = samples[size_t(f * channels + c)];
  vorbis_analysis_wrote(&dsp, frames);
  vorbis_analysis_wrote(&dsp, 0);
  while (vorbis_analysis_blockout(&dsp, &block) == 1) {
    vorbis_analysis(&block, nullptr);
    vorbis_bitrate_addblock(&block);
    ogg_packet packet;
    while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
      ogg_stream_packetin(&stream, &packet);
      drain(ogg_stream_pageout);
    }
  }
  drain(ogg_stream_flush);
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

PcmRef Decode(const std::string& bytes) {
  return platform::audio::DecodeSound(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/audio-test-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempFolder() { fs::remove_all(path_); }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

int32_t LoadBytes(const TempFolder& folder, const std::string& name, const std::string& bytes) {
  std::ofstream(folder / name, std::ios::binary) << bytes;
  return fw_load_sound(platform::FromUtf8((folder / name).string()), 0);
}

// Samples of one side of rendered stereo frames.
std::vector<float> Side(const std::vector<float>& stereo, int side) {
  std::vector<float> out;
  for (size_t i = size_t(side); i < stereo.size(); i += 2) out.push_back(stereo[i]);
  return out;
}

int UpwardZeroCrossings(const std::vector<float>& samples) {
  int count = 0;
  for (size_t i = 1; i < samples.size(); ++i) count += samples[i - 1] < 0 && samples[i] >= 0;
  return count;
}

bool Silent(const std::vector<float>& samples) {
  return std::all_of(samples.begin(), samples.end(), [](float s) { return s == 0.0f; });
}

// ---------------------------------------------------------------------------
// Decoding
// ---------------------------------------------------------------------------

TEST(SoundDecoding, WavSixteenBitStereoAndEightBitMonoKeepTheirSamples) {
  std::vector<float> stereo = {0.5f, -0.5f, 0.25f, -1.0f};
  PcmRef pcm = Decode(WavBytes(stereo, {44100, 2, 16}));
  ASSERT_TRUE(pcm);
  EXPECT_EQ(pcm->rate, 44100);
  EXPECT_EQ(pcm->channels, 2);
  ASSERT_EQ(pcm->samples.size(), 4u);
  for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(pcm->samples[i], stereo[i], 1e-4);

  pcm = Decode(WavBytes({0.0f, 0.5f, -0.5f}, {8000, 1, 8}));
  ASSERT_TRUE(pcm);
  EXPECT_EQ(pcm->rate, 8000);
  ASSERT_EQ(pcm->samples.size(), 3u);
  EXPECT_NEAR(pcm->samples[1], 0.5f, 0.01f);
  EXPECT_NEAR(pcm->samples[2], -0.5f, 0.01f);
}

TEST(SoundDecoding, WavChunksAreWalkedAndLyingSizesClampedToTheFile) {
  // An odd-sized chunk (padded) before "fmt " is skipped.
  std::string odd = "LIST";
  PutLe(odd, 3, 4);
  odd += "abc";
  odd += '\0';
  std::string bytes = WavBytes(Sine(440, 22050, 100), {}, odd);
  PcmRef pcm = Decode(bytes);
  ASSERT_TRUE(pcm);
  EXPECT_EQ(pcm->Frames(), 100);
  // A data size far beyond the file keeps what is there.
  bytes.replace(bytes.size() - 200 - 4, 4, "\xff\xff\xff\x7f", 4);
  pcm = Decode(bytes.substr(0, bytes.size() - 51));
  ASSERT_TRUE(pcm);
  EXPECT_EQ(pcm->Frames(), 74);
}

TEST(SoundDecoding, UnreadableWavFilesGiveNone) {
  std::string good = WavBytes(Sine(440, 22050, 64), {});
  EXPECT_FALSE(Decode(good.substr(0, 30)));                            // cut inside "fmt "
  EXPECT_FALSE(Decode(good.substr(0, 36)));                            // no "data" chunk
  EXPECT_FALSE(Decode(WavBytes({0.1f}, {22050, 1, 24})));              // 24-bit
  EXPECT_FALSE(Decode(WavBytes({0.1f}, {22050, 1, 16, 3})));           // float samples
  EXPECT_FALSE(Decode(WavBytes({0.1f, 0.1f, 0.1f}, {22050, 3, 16})));  // three channels
  EXPECT_FALSE(Decode(WavBytes({0.1f}, {0, 1, 16})));                  // no rate
  EXPECT_FALSE(Decode("RIFF"));
  EXPECT_FALSE(Decode(""));
  EXPECT_FALSE(platform::audio::DecodeWav(nullptr, 0));
}

TEST(SoundDecoding, OggVorbisDecodesToTheSignalItWasMadeFrom) {
  std::vector<float> tone = Sine(441, 22050, 22050);
  PcmRef pcm = Decode(OggBytes(tone, 22050, 1));
  ASSERT_TRUE(pcm);
  EXPECT_EQ(pcm->rate, 22050);
  EXPECT_EQ(pcm->channels, 1);
  ASSERT_EQ(pcm->Frames(), 22050);
  double error = 0;
  for (size_t i = 0; i < tone.size(); ++i) error += std::abs(pcm->samples[i] - tone[i]);
  EXPECT_LT(error / double(tone.size()), 0.02);

  PcmRef stereo = Decode(OggBytes(Sine(441, 44100, 4410, 2), 44100, 2));
  ASSERT_TRUE(stereo);
  EXPECT_EQ(stereo->channels, 2);
  EXPECT_EQ(stereo->Frames(), 4410);
}

TEST(SoundDecoding, TruncatedAndCorruptOggFilesGiveNone) {
  std::string good = OggBytes(Sine(441, 22050, 2205), 22050, 1);
  EXPECT_FALSE(Decode(good.substr(0, 60)));
  std::string corrupt = good;
  for (size_t i = 28; i < 120 && i < corrupt.size(); ++i) corrupt[i] = char(corrupt[i] ^ 0x5A);
  EXPECT_FALSE(Decode(corrupt));
  EXPECT_FALSE(Decode("OggS and nothing more"));
}

TEST(SoundDecoding, LoadSoundReadsFilesAndMissingOrBadOnesGiveNone) {
  platform::UseScriptedHost();
  TempFolder folder;
  EXPECT_NE(LoadBytes(folder, "a.wav", WavBytes(Sine(440, 22050, 100), {})), 0);
  EXPECT_NE(LoadBytes(folder, "b.ogg", OggBytes(Sine(440, 22050, 2000), 22050, 1)), 0);
  EXPECT_EQ(LoadBytes(folder, "c.wav", "not a sound at all"), 0);
  EXPECT_EQ(LoadBytes(folder, "d.wav", ""), 0);
  EXPECT_EQ(fw_load_sound(platform::FromUtf8((folder / "missing.wav").string()), 0), 0);
}

// ---------------------------------------------------------------------------
// Drivers
// ---------------------------------------------------------------------------

TEST(AudioDrivers, NamesComeNewestFirstAndCompareIgnoringCase) {
  platform::UseScriptedHost();
  std::vector<Text> expected = {u"FreeAudio", u"FreeAudio Multimedia", u"Null"};
  if (platform::audio::OpenAlLibraryLoads()) expected.insert(expected.begin(), u"OpenAL");
  EXPECT_EQ(fw_audio_driver_names(), expected);
  EXPECT_EQ(fw_audio_driver_exists(u"freeaudio MULTIMEDIA"), 1);
  EXPECT_EQ(fw_audio_driver_exists(u"DirectSound"), 0);
  EXPECT_EQ(fw_audio_driver_exists(u"FreeAudio "), 0);
}

TEST(AudioDrivers, FreeAudioMultimediaOpensTheAlsaBackEndAndAnUnknownNameLeavesSilence) {
  auto& host = platform::UseScriptedHost();
  EXPECT_EQ(fw_set_audio_driver(u"freeaudio multimedia"), 1);
  EXPECT_EQ(host.audio_backend, platform::AudioBackend::kAlsa);
  EXPECT_EQ(host.audio_rate, platform::audio::kMixerRate);
  EXPECT_EQ(fw_set_audio_driver(u"FreeAudio"), 1);
  EXPECT_EQ(host.audio_backend, platform::AudioBackend::kDefault);
  EXPECT_EQ(fw_set_audio_driver(u"DirectSound"), 0);
  EXPECT_EQ(host.audio_rate, 0);  // the mixer's device was closed
}

TEST(AudioDrivers, TheSilentDriverPlaysForTheLengthOfTheSoundOnTheHostClock) {
  auto& host = platform::UseScriptedHost();
  TempFolder folder;
  int32_t sound = LoadBytes(folder, "s.wav", WavBytes(Sine(440, 22050, 22050), {}));  // 1 s
  int32_t channel = fw_cue_sound(sound);  // no driver set yet: the silent one
  ASSERT_NE(channel, 0);
  host.Advance(5000);
  EXPECT_EQ(fw_channel_playing(channel), 0);  // cued, not started
  fw_set_channel_rate(channel, 2.0f);
  fw_resume_channel(channel);
  host.Advance(499);
  EXPECT_EQ(fw_channel_playing(channel), 1);
  host.Advance(1);
  EXPECT_EQ(fw_channel_playing(channel), 0);
  EXPECT_EQ(fw_cue_sound(sound, channel), channel);  // re-cue of an ended channel
  fw_resume_channel(channel);
  EXPECT_EQ(fw_channel_playing(channel), 1);
  fw_stop_channel(channel);
  EXPECT_EQ(fw_channel_playing(channel), 0);
  EXPECT_EQ(fw_cue_sound(0), 0);
  EXPECT_EQ(fw_cue_sound(sound, 12345), 0);
}

// ---------------------------------------------------------------------------
// The mixer on the scripted host's device
// ---------------------------------------------------------------------------

class Mixer : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = &platform::UseScriptedHost();
    ASSERT_EQ(fw_set_audio_driver(u"FreeAudio"), 1);
  }
  int32_t Load(const std::vector<float>& samples, WavLayout layout = {44100, 1, 16}) {
    return LoadBytes(folder_, "s" + std::to_string(++files_) + ".wav", WavBytes(samples, layout));
  }
  std::vector<float> Render(int32_t frames) { return host_->RenderAudio(frames); }

  platform::ScriptedHost* host_ = nullptr;
  TempFolder folder_;
  int files_ = 0;
};

TEST_F(Mixer, ACuedSoundIsSilentUntilResumedAndItsSettingsApplyFromTheFirstSample) {
  int32_t channel = fw_cue_sound(Load(std::vector<float>(1000, 0.5f)));
  fw_set_channel_volume(channel, 0.5f);
  fw_set_channel_pan(channel, -1.0f);
  EXPECT_TRUE(Silent(Render(256)));
  EXPECT_EQ(fw_channel_playing(channel), 0);
  fw_resume_channel(channel);
  EXPECT_EQ(fw_channel_playing(channel), 1);
  std::vector<float> out = Render(4);
  EXPECT_NEAR(out[0], 0.25f, 1e-4);
  EXPECT_EQ(out[1], 0.0f);
}

TEST_F(Mixer, VolumeAndPanLandInTheRightChannelAtTheRightLevel) {
  struct Case {
    float volume, pan, left, right;
  };
  for (Case c : {Case{1.0f, 0.0f, 0.5f, 0.5f}, Case{0.5f, 0.5f, 0.125f, 0.25f},
                 Case{1.0f, 1.0f, 0.0f, 0.5f}, Case{0.8f, -0.25f, 0.4f, 0.3f}}) {
    int32_t channel = fw_cue_sound(Load(std::vector<float>(100, 0.5f)));
    fw_set_channel_volume(channel, c.volume);
    fw_set_channel_pan(channel, c.pan);
    fw_resume_channel(channel);
    std::vector<float> out = Render(1);
    EXPECT_NEAR(out[0], c.left, 1e-4) << c.volume << " " << c.pan;
    EXPECT_NEAR(out[1], c.right, 1e-4) << c.volume << " " << c.pan;
    fw_stop_channel(channel);
  }
}

TEST_F(Mixer, StereoSoundsKeepTheirSidesAndTheSumIsClipped) {
  int32_t stereo = fw_cue_sound(Load({0.25f, -0.5f, 0.25f, -0.5f}, {44100, 2, 16}));
  fw_resume_channel(stereo);
  std::vector<float> out = Render(1);
  EXPECT_NEAR(out[0], 0.25f, 1e-4);
  EXPECT_NEAR(out[1], -0.5f, 1e-4);
  fw_stop_channel(stereo);
  int32_t loud = Load(std::vector<float>(100, 0.75f));
  fw_resume_channel(fw_cue_sound(loud));
  fw_resume_channel(fw_cue_sound(loud));
  out = Render(1);
  EXPECT_EQ(out[0], 1.0f);
  EXPECT_EQ(out[1], 1.0f);
}

TEST_F(Mixer, RateTwoPlaysAnOctaveUpAndEndsInHalfTheTime) {
  int32_t sound = Load(Sine(441, 44100, 44100));
  int32_t normal = fw_cue_sound(sound);
  fw_resume_channel(normal);
  int normal_crossings = UpwardZeroCrossings(Side(Render(22050), 0));
  fw_stop_channel(normal);

  int32_t fast = fw_cue_sound(sound);
  fw_set_channel_rate(fast, 2.0f);
  fw_resume_channel(fast);
  int fast_crossings = UpwardZeroCrossings(Side(Render(22050), 0));
  EXPECT_NEAR(fast_crossings, 2 * normal_crossings, 2);
  EXPECT_EQ(fw_channel_playing(fast), 0);  // 44100 frames at double speed
  EXPECT_TRUE(Silent(Render(64)));
}

TEST_F(Mixer, ASoundRecordedAtHalfTheDeviceRateKeepsItsPitchAndLength) {
  int32_t channel = fw_cue_sound(Load(Sine(441, 22050, 22050), {22050, 1, 16}));
  fw_resume_channel(channel);
  std::vector<float> left = Side(Render(44099), 0);
  EXPECT_NEAR(UpwardZeroCrossings(left), 441, 2);
  EXPECT_EQ(fw_channel_playing(channel), 1);
  Render(2);
  EXPECT_EQ(fw_channel_playing(channel), 0);
}

TEST_F(Mixer, StopSilencesAtOnceAndAnEndedChannelPlaysAgainWhenCued) {
  int32_t sound = Load(std::vector<float>(100, 0.5f));
  int32_t channel = fw_cue_sound(sound);
  fw_resume_channel(channel);
  Render(10);
  fw_stop_channel(channel);
  EXPECT_EQ(fw_channel_playing(channel), 0);
  EXPECT_TRUE(Silent(Render(100)));
  fw_resume_channel(channel);  // a stopped channel stays stopped
  EXPECT_TRUE(Silent(Render(10)));
  EXPECT_EQ(rt_handle_to_object(channel), nullptr);  // and its handle is gone

  channel = fw_cue_sound(sound);
  fw_resume_channel(channel);
  EXPECT_NEAR(Render(1)[0], 0.5f, 1e-4);
  Render(200);
  EXPECT_EQ(fw_channel_playing(channel), 0);
  EXPECT_EQ(fw_cue_sound(sound, channel), channel);
  fw_resume_channel(channel);
  EXPECT_EQ(fw_channel_playing(channel), 1);
}

TEST_F(Mixer, SettingsThatAreNotNumbersOrOutOfRangeAreBroughtIntoRange) {
  int32_t sound = Load(std::vector<float>(100, 0.5f));
  int32_t channel = fw_cue_sound(sound);
  fw_set_channel_volume(channel, std::nanf(""));
  fw_set_channel_pan(channel, -7.0f);
  fw_set_channel_rate(channel, std::nanf(""));
  fw_resume_channel(channel);
  EXPECT_TRUE(Silent(Render(4)));
  fw_set_channel_volume(channel, 3.0f);
  std::vector<float> out = Render(1);
  EXPECT_NEAR(out[0], 0.5f, 1e-4);
  EXPECT_EQ(out[1], 0.0f);
}

TEST_F(Mixer, ChannelsOfADriverThatWasShutDownStaySilent) {
  int32_t channel = fw_cue_sound(Load(std::vector<float>(1000, 0.5f)));
  fw_resume_channel(channel);
  ASSERT_EQ(fw_set_audio_driver(u"FreeAudio"), 1);
  EXPECT_EQ(fw_channel_playing(channel), 0);
  fw_resume_channel(fw_cue_sound(Load(std::vector<float>(1000, 0.25f))));
  EXPECT_NEAR(Render(1)[0], 0.25f, 1e-4);
}

}  // namespace

// ---------------------------------------------------------------------------
// Real back ends writing to files
// ---------------------------------------------------------------------------

namespace {

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double Rms(const std::vector<float>& samples) {
  double sum = 0;
  for (float s : samples) sum += double(s) * s;
  return samples.empty() ? 0.0 : std::sqrt(sum / double(samples.size()));
}

// Waits in real time, at most a few seconds, for the channel to finish.
void WaitUntilDone(int32_t channel) {
  for (int i = 0; i < 500 && fw_channel_playing(channel); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// Plays half a second of tone hard left on the current driver.
int32_t PlayToneLeft(const TempFolder& folder) {
  int32_t sound = LoadBytes(folder, "tone.wav", WavBytes(Sine(441, 22050, 11025), {}));
  int32_t channel = fw_cue_sound(sound);
  fw_set_channel_pan(channel, -1.0f);
  fw_resume_channel(channel);
  return channel;
}

}  // namespace

TEST(RealBackEnds, OpenAlSoftRendersAPlayedSoundIntoItsWaveFileLouderOnTheLeft) {
  TempFolder folder;
  fs::path wave = folder / "out.wav";
  std::ofstream(folder / "alsoft.conf")
      << "[general]\ndrivers=wave\nchannels=stereo\nsample-type=int16\nfrequency=44100\n"
         "hrtf=false\nstereo-mode=speakers\nstereo-encoding=panpot\n[wave]\nfile="
      << wave.string() << "\n";
  setenv("ALSOFT_CONF", (folder / "alsoft.conf").c_str(), 1);
  setenv("ALSOFT_DRIVERS", "wave", 1);
  if (!platform::audio::OpenAlLibraryLoads()) GTEST_SKIP() << "libopenal.so.1 does not load";
  platform::UseScriptedHost();

  std::vector<Text> names = fw_audio_driver_names();
  ASSERT_EQ(names.front(), u"OpenAL");
  ASSERT_EQ(fw_enable_openal_audio(), 1);
  EXPECT_EQ(fw_audio_driver_exists(u"openal default"), 1);
  EXPECT_EQ(std::count(names.begin(), names.end(), u"OpenAL Default"), 0);
  ASSERT_EQ(fw_set_audio_driver(u"OpenAL Default"), 1);

  int32_t channel = PlayToneLeft(folder);
  EXPECT_EQ(fw_channel_playing(channel), 1);
  WaitUntilDone(channel);
  EXPECT_EQ(fw_channel_playing(channel), 0);
  ASSERT_EQ(fw_set_audio_driver(u"Null"), 1);  // closes the device and its file

  std::string bytes = ReadFile(wave);
  PcmRef written =
      platform::audio::DecodeWav(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  ASSERT_TRUE(written);
  ASSERT_EQ(written->channels, 2);
  double left = Rms(Side(written->samples, 0)), right = Rms(Side(written->samples, 1));
  EXPECT_GT(left, 0.02);
  EXPECT_GT(left, 4 * right);
}

TEST(RealBackEnds, FreeAudioPlaysThroughSdlIntoItsDiskWriter) {
  TempFolder folder;
  fs::path raw = folder / "out.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
  platform_stage::UseSdlHost();
  if (fw_set_audio_driver(u"FreeAudio") != 1) GTEST_SKIP() << "SDL has no disk audio writer";

  int32_t channel = PlayToneLeft(folder);
  WaitUntilDone(channel);
  EXPECT_EQ(fw_channel_playing(channel), 0);
  ASSERT_EQ(fw_set_audio_driver(u"Null"), 1);

  std::string bytes = ReadFile(raw);
  std::vector<float> written(bytes.size() / sizeof(float));
  std::memcpy(written.data(), bytes.data(), written.size() * sizeof(float));
  EXPECT_GT(Rms(Side(written, 0)), 0.1);
  EXPECT_EQ(Rms(Side(written, 1)), 0.0);
}

TEST(RealBackEnds, AnSdlBackEndThatDoesNotStartLeavesTheSilentDriverCurrent) {
  setenv("SDL_AUDIODRIVER", "no-such-back-end", 1);
  platform_stage::UseSdlHost();
  EXPECT_EQ(fw_set_audio_driver(u"FreeAudio"), 0);
  TempFolder folder;
  int32_t channel = PlayToneLeft(folder);
  EXPECT_EQ(fw_channel_playing(channel), 1);  // the silent driver keeps time
}
