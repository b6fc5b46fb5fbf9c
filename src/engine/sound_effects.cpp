// Badges and sound effects: the channel table, the effect pool and the
// track channel.
#include <cmath>

#include "engine.h"

namespace engine {

int32_t ChannelTable[260] = {};
float ChannelLevels[260] = {};
int32_t SoundEffects[201] = {};
Text BadgeNames[16];
int32_t BadgeMask = 0;
int32_t SfxChannelCursor = 20;
int32_t TrackChannel = 0;

namespace {

constexpr int32_t kFirstPoolSlot = 20;
constexpr int32_t kPoolEnd = 256;  // one past the last pool slot

// The badge sound's level, pan and rate.
constexpr float kBadgeLevel = 1.0f;
constexpr float kBadgePan = 0.0f;
constexpr float kBadgeRate = 1.0f;

// A value that is not a number takes the lower bound.
float ClampOrLow(float value, float low, float high) {
  if (std::isnan(value) || value < low) return low;
  return value > high ? high : value;
}

int32_t& NextPoolSlot() {
  SfxChannelCursor = wrap_add(SfxChannelCursor, 1);
  if (SfxChannelCursor >= kPoolEnd) SfxChannelCursor = kFirstPoolSlot;
  return ChannelTable[SfxChannelCursor];
}

// Plays the sound on the next pool slot, keeping a finished channel there.
void PlayOnPool(int32_t sound, float volume, float pan, float rate) {
  int32_t& slot = NextPoolSlot();
  if (slot != 0 && fw_channel_playing(slot)) {
    fw_stop_channel(slot);
    slot = 0;
  }
  if (slot == 0) slot = fw_alloc_channel();
  if (slot == 0) return;
  fw_cue_sound(sound, slot);
  fw_set_channel_volume(slot, volume);
  fw_set_channel_pan(slot, pan);
  fw_set_channel_rate(slot, rate);
  fw_resume_channel(slot);
}

Text BadgeName(int32_t n) { return n >= 1 && n <= 16 ? BadgeNames[n - 1] : Text(); }

}  // namespace

float VolumeLevel(int32_t setting, float divisor) {
  const int32_t product = wrap_mul(EngineSettings[setting], EngineSettings[kMasterVolumeSetting]);
  return float(product) / 100.0f / divisor;
}

void PlaySfx(int32_t index, float rate, float volume, float pan) {
  if (EngineSettings[kSoundVolumeSetting] <= 0) return;
  if (index < 0 || index > 200 || SoundEffects[index] == 0) return;
  volume = ClampOrLow(volume, 0.0f, 1.0f);
  rate = ClampOrLow(rate, 0.25f, 4.0f);
  pan = ClampOrLow(pan, -1.0f, 1.0f);
  PlayOnPool(SoundEffects[index], VolumeLevel(kSoundVolumeSetting) * volume, pan, rate);
}

void AwardBadge(int32_t n) {
  BadgeMask = SetBit(BadgeMask, n, 1);
  AddNotice(BadgeName(n) + u" : " + rt_string_from_int(n), 1);
  PlayOnPool(BadgeSound, VolumeLevel(kSoundVolumeSetting) * kBadgeLevel, kBadgePan, kBadgeRate);
}

void PlaySoundAtVolume(int32_t sound) {
  if (EngineSettings[kMusicVolumeSetting] <= 0) return;
  if (TrackChannel != 0) {
    fw_stop_channel(TrackChannel);
    TrackChannel = 0;
  }
  TrackChannel = fw_alloc_channel();
  if (TrackChannel == 0) return;
  fw_cue_sound(sound, TrackChannel);
  fw_set_channel_volume(TrackChannel, VolumeLevel(kMusicVolumeSetting));
  fw_resume_channel(TrackChannel);
}

}  // namespace engine
