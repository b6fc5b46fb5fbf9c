// Audio internals shared by the driver registry, the decoders and the three
// kinds of output (the mixer, OpenAL and the silent driver).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform.h"

namespace platform::audio {

// Decoded sound: interleaved float samples (-1..1), one or two channels.
struct Pcm {
  int32_t rate = 0;
  int32_t channels = 0;
  std::vector<float> samples;
  int64_t Frames() const { return channels > 0 ? int64_t(samples.size()) / channels : 0; }
  // Length in milliseconds at the recorded rate.
  int64_t Millis() const { return rate > 0 ? Frames() * 1000 / rate : 0; }
};
using PcmRef = std::shared_ptr<const Pcm>;

// Longest sound a decoder keeps (about three minutes of 44.1 kHz stereo); a
// few bytes of Vorbis can describe far more than that.
constexpr size_t kMaxSamples = size_t(1) << 24;
// Largest sound file read into memory.
constexpr int64_t kMaxSoundFileBytes = int64_t(1) << 28;

// Decoders over bytes in memory; null for anything they cannot read.
PcmRef DecodeWav(const uint8_t* data, size_t size);
PcmRef DecodeOgg(const uint8_t* data, size_t size);
// Either of the two, chosen by the file's magic.
PcmRef DecodeSound(const uint8_t* data, size_t size);
PcmRef LoadSoundFile(const std::string& path_utf8);

// A channel as one driver plays it. The registry has already brought volume
// into 0..1, pan into -1..1 and rate into its usable range.
class Voice {
 public:
  virtual ~Voice() = default;
  // Readies the sound paused at its start, replacing what was there.
  virtual void Cue(const PcmRef& pcm) = 0;
  virtual void SetVolume(float volume) = 0;
  virtual void SetPan(float pan) = 0;
  virtual void SetRate(float rate) = 0;
  // Starts a cued sound; does nothing otherwise.
  virtual void Resume() = 0;
  virtual void Stop() = 0;
  virtual bool Playing() = 0;
};

class Driver {
 public:
  virtual ~Driver() = default;
  // Opens the output; false when it cannot.
  virtual bool Start() = 0;
  // Closes the output; the driver's voices fall silent and stay so.
  virtual void Shutdown() = 0;
  virtual std::shared_ptr<Voice> NewVoice() = 0;
};

// The drivers.
std::unique_ptr<Driver> MakeNullDriver();
std::unique_ptr<Driver> MakeMixerDriver(AudioBackend backend);
// device_utf8 empty: OpenAL's default device.
std::unique_ptr<Driver> MakeOpenAlDriver(const std::string& device_utf8);

// OpenAL Soft, loaded on first ask.
bool OpenAlLibraryLoads();
// True when the library loads and its default device opens.
bool OpenAlDeviceOpens();
std::vector<std::string> OpenAlDeviceNames();

// The rate the mixer asks its device for.
constexpr int32_t kMixerRate = 44100;
// Playback rates outside this range are brought into it.
constexpr float kMinRate = 1.0f / 64.0f;
constexpr float kMaxRate = 64.0f;

}  // namespace platform::audio
