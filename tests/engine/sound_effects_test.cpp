// The effect pool, its clamps and levels, the track channel and badges.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "engine/engine.h"
#include "fresh_start.h"

namespace {

namespace fs = std::filesystem;
using namespace engine;

// A mono 16-bit sound at 1000 Hz holding one value, so that its length in
// milliseconds is its frame count.
int32_t ConstantSound(float value, int32_t frames) {
  auto put = [](std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += char((v >> (8 * i)) & 0xFF);
  };
  std::string wav = "RIFF";
  put(wav, uint32_t(36 + frames * 2), 4);
  wav += "WAVEfmt ";
  // Header size, PCM, mono, 1000 Hz, bytes per second, block size, bits.
  for (auto [v, bytes] :
       {std::pair{16u, 4}, {1u, 2}, {1u, 2}, {1000u, 4}, {2000u, 4}, {2u, 2}, {16u, 2}})
    put(wav, v, bytes);
  wav += "data";
  put(wav, uint32_t(frames * 2), 4);
  for (int32_t i = 0; i < frames; ++i) put(wav, uint32_t(int32_t(std::lround(value * 32767))), 2);
  fs::path path = fs::temp_directory_path() / ("sfx-" + std::to_string(getpid()) + ".wav");
  std::ofstream(path, std::ios::binary) << wav;
  int32_t sound = fw_load_sound(platform::FromUtf8(path.string()), 0);
  fs::remove(path);
  return sound;
}

class EffectsAndBadges : public ::testing::Test {
 protected:
  void SetUp() override { host_ = &FreshStart(); }
  // Plays `count` effects at rate 1, full volume, centre.
  void PlayEffects(int count) {
    for (int i = 0; i < count; ++i) PlaySfx(1, 1.0f, 1.0f, 0.0f);
  }
  // The first stereo frame the mixer renders.
  std::pair<float, float> FirstFrame() {
    std::vector<float> out = host_->RenderAudio(1);
    return {out[0], out[1]};
  }
  platform::ScriptedHost* host_ = nullptr;
};

TEST_F(EffectsAndBadges, ThePoolCursorStartsOnSlot21AndWrapsFrom255To20) {
  SoundEffects[1] = ConstantSound(0.5f, 100);
  PlayEffects(1);
  EXPECT_EQ(SfxChannelCursor, 21);
  EXPECT_NE(ChannelTable[21], 0);
  PlayEffects(234);
  EXPECT_EQ(SfxChannelCursor, 255);
  PlayEffects(1);
  EXPECT_EQ(SfxChannelCursor, 20);
  PlayEffects(1);
  EXPECT_EQ(SfxChannelCursor, 21);
  EXPECT_EQ(ChannelTable[256], 0);
}

TEST_F(EffectsAndBadges, AStillSoundingSlotIsCutAndAFinishedOneIsReused) {
  SoundEffects[1] = ConstantSound(0.5f, 1000);  // one second
  PlayEffects(236);
  int32_t first = ChannelTable[21];
  PlayEffects(1);  // slot 21 again, its sound still going
  EXPECT_NE(ChannelTable[21], first);
  EXPECT_EQ(fw_channel_playing(first), 0);
  EXPECT_EQ(fw_channel_playing(ChannelTable[21]), 1);

  host_->Advance(2000);
  int32_t finished = ChannelTable[21];
  EXPECT_EQ(fw_channel_playing(finished), 0);
  PlayEffects(236);
  EXPECT_EQ(SfxChannelCursor, 21);
  EXPECT_EQ(ChannelTable[21], finished);
  EXPECT_EQ(fw_channel_playing(finished), 1);
}

TEST_F(EffectsAndBadges, NothingPlaysAndTheCursorStaysWithoutAnEffectOrSoundVolume) {
  SoundEffects[1] = ConstantSound(0.5f, 100);
  for (int32_t index : {0, 5, 201, -1, 1 << 30}) PlaySfx(index, 1.0f, 1.0f, 0.0f);
  EngineSettings[kSoundVolumeSetting] = 0;
  PlaySfx(1, 1.0f, 1.0f, 0.0f);
  EXPECT_EQ(SfxChannelCursor, 20);
  for (int32_t channel : ChannelTable) EXPECT_EQ(channel, 0);
}

TEST_F(EffectsAndBadges, VolumeIsTheSettingsProductTimesTheClampedLevel) {
  ASSERT_EQ(fw_set_audio_driver(u"FreeAudio"), 1);
  SoundEffects[1] = ConstantSound(0.5f, 100);
  PlaySfx(1, 1.0f, 1.0f, 0.0f);  // 50 x 50 gives 0.25
  EXPECT_NEAR(FirstFrame().first, 0.125f, 1e-4);
  fw_stop_channel(ChannelTable[SfxChannelCursor]);

  EngineSettings[kMasterVolumeSetting] = EngineSettings[kSoundVolumeSetting] = 100;
  struct Case {
    float volume, pan, left, right;
  };
  for (Case c :
       {Case{1.5f, 0.0f, 0.5f, 0.5f}, Case{-0.2f, 0.0f, 0.0f, 0.0f}, Case{NAN, 0.0f, 0.0f, 0.0f},
        Case{1.0f, -3.0f, 0.5f, 0.0f}, Case{1.0f, NAN, 0.5f, 0.0f}, Case{1.0f, 9.0f, 0.0f, 0.5f}}) {
    PlaySfx(1, 1.0f, c.volume, c.pan);
    auto [left, right] = FirstFrame();
    EXPECT_NEAR(left, c.left, 1e-4) << c.volume << " " << c.pan;
    EXPECT_NEAR(right, c.right, 1e-4) << c.volume << " " << c.pan;
    fw_stop_channel(ChannelTable[SfxChannelCursor]);
  }
}

TEST_F(EffectsAndBadges, RateIsClampedToAQuarterAndFourTimes) {
  SoundEffects[1] = ConstantSound(0.5f, 1000);  // one second, silent driver
  struct Case {
    float rate;
    uint32_t millis;
  };
  for (Case c : {Case{10.0f, 250}, Case{0.1f, 4000}, Case{NAN, 4000}, Case{2.0f, 500}}) {
    PlaySfx(1, c.rate, 1.0f, 0.0f);
    int32_t channel = ChannelTable[SfxChannelCursor];
    host_->Advance(c.millis - 1);
    EXPECT_EQ(fw_channel_playing(channel), 1) << c.rate;
    host_->Advance(1);
    EXPECT_EQ(fw_channel_playing(channel), 0) << c.rate;
  }
}

TEST_F(EffectsAndBadges, TheTrackChannelIsReplacedEachTimeUnlessTheMusicIsOff) {
  ASSERT_EQ(fw_set_audio_driver(u"FreeAudio"), 1);
  int32_t sound = ConstantSound(0.5f, 100);
  PlaySoundAtVolume(sound);
  int32_t first = TrackChannel;
  ASSERT_NE(first, 0);
  EXPECT_NEAR(FirstFrame().first, 0.125f, 1e-4);  // music 50 x master 50

  EngineSettings[kMusicVolumeSetting] = 0;
  PlaySoundAtVolume(sound);
  EXPECT_EQ(TrackChannel, first);
  EXPECT_EQ(fw_channel_playing(first), 1);

  EngineSettings[kMusicVolumeSetting] = 50;
  host_->RenderAudio(200);  // the first track ends
  PlaySoundAtVolume(sound);
  EXPECT_NE(TrackChannel, first);
  EXPECT_EQ(fw_channel_playing(TrackChannel), 1);
  int32_t second = TrackChannel;
  PlaySoundAtVolume(sound);
  EXPECT_EQ(fw_channel_playing(second), 0);  // cut while sounding
}

TEST_F(EffectsAndBadges, ABadgeSetsItsBitPostsItsNoticeAndAlwaysTakesAPoolSlot) {
  BadgeMask = -1;
  AwardBadge(3);  // no badge sound loaded
  EXPECT_EQ(BadgeMask, 0x3FFFFFFF);
  EXPECT_EQ(SfxChannelCursor, 21);
  ASSERT_EQ(NoticeList.Count(), 1);
  EXPECT_EQ(NoticeList.Links().back()->txt, u" : 3");

  BadgeNames[15] = u"Last";
  AwardBadge(16);
  EXPECT_EQ(NoticeList.Links().back()->txt, u"Last : 16");
  AwardBadge(17);  // past the table: no name
  EXPECT_EQ(NoticeList.Links().back()->txt, u" : 17");

  ASSERT_EQ(fw_set_audio_driver(u"FreeAudio"), 1);
  BadgeSound = ConstantSound(0.5f, 100);
  AwardBadge(1);
  auto [left, right] = FirstFrame();  // full level, centre, sound 50 x master 50
  EXPECT_NEAR(left, 0.125f, 1e-4);
  EXPECT_NEAR(right, 0.125f, 1e-4);
}

}  // namespace
