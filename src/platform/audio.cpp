// The audio driver registry, sounds and channels, and the silent driver.
#include <algorithm>
#include <cmath>
#include <functional>

#include "audio.h"
#include "internal.h"

namespace platform::audio {
namespace {

struct SoundObject : Object {
  explicit SoundObject(PcmRef decoded) : pcm(std::move(decoded)) {}
  PcmRef pcm;  // independent of any driver
};

struct ChannelObject : Object {
  explicit ChannelObject(std::shared_ptr<Voice> driver_voice) : voice(std::move(driver_voice)) {}
  std::shared_ptr<Voice> voice;  // belongs to the driver current at allocation
};

// ---------------------------------------------------------------------------
// The silent driver: nothing sounds, but a channel reports playing for as long
// as its sound would last at the rate it was started with.
// ---------------------------------------------------------------------------

class NullVoice : public Voice {
 public:
  void Cue(const PcmRef& pcm) override {
    pcm_ = pcm;
    cued_ = true;
    length_ms_ = 0;
  }
  void SetVolume(float) override {}
  void SetPan(float) override {}
  void SetRate(float rate) override { rate_ = rate; }
  void Resume() override {
    if (!cued_) return;
    cued_ = false;
    started_at_ = uint32_t(rt_millisecs());
    length_ms_ = int64_t(double(pcm_->Millis()) / double(rate_));
  }
  void Stop() override {
    cued_ = false;
    length_ms_ = 0;
  }
  bool Playing() override { return int64_t(uint32_t(rt_millisecs()) - started_at_) < length_ms_; }

 private:
  PcmRef pcm_;
  float rate_ = 1.0f;
  bool cued_ = false;
  uint32_t started_at_ = 0;
  int64_t length_ms_ = 0;
};

class NullDriver : public Driver {
 public:
  bool Start() override { return true; }
  void Shutdown() override {}
  std::shared_ptr<Voice> NewVoice() override { return std::make_shared<NullVoice>(); }
};

// ---------------------------------------------------------------------------
// The registry
// ---------------------------------------------------------------------------

struct DriverEntry {
  Text name;
  std::function<std::unique_ptr<Driver>()> make;
};

struct Registry {
  std::vector<DriverEntry> entries;  // oldest registered first
  std::unique_ptr<Driver> current = MakeNullDriver();
  bool openal_devices_registered = false;
};

Registry MakeRegistry() {
  Registry registry;
  auto add = [&](const char16_t* name, std::function<std::unique_ptr<Driver>()> make) {
    registry.entries.push_back({name, std::move(make)});
  };
  add(u"Null", MakeNullDriver);
  add(u"FreeAudio Multimedia", [] { return MakeMixerDriver(AudioBackend::kAlsa); });
  add(u"FreeAudio", [] { return MakeMixerDriver(AudioBackend::kDefault); });
  if (OpenAlLibraryLoads()) add(u"OpenAL", [] { return MakeOpenAlDriver(""); });
  return registry;
}

// Made when first needed and never destroyed at exit: the host may already
// be gone then, and a driver must not close its device through it.
std::unique_ptr<Registry>& RegistrySlot() {
  static auto& slot = *new std::unique_ptr<Registry>();
  return slot;
}

Registry& TheRegistry() {
  std::unique_ptr<Registry>& slot = RegistrySlot();
  if (!slot) slot = std::make_unique<Registry>(MakeRegistry());
  return *slot;
}

Text FoldCase(Text text) {
  for (char16_t& c : text)
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
  return text;
}

const DriverEntry* FindDriver(const Text& name) {
  Text wanted = FoldCase(name);
  for (const DriverEntry& entry : TheRegistry().entries)
    if (FoldCase(entry.name) == wanted) return &entry;
  return nullptr;
}

void RegisterOpenAlDevices() {
  auto& entries = TheRegistry().entries;
  entries.push_back({u"OpenAL Default", [] { return MakeOpenAlDriver(""); }});
  for (const std::string& device : OpenAlDeviceNames())
    entries.push_back(
        {u"OpenAL " + FromUtf8(device), [device] { return MakeOpenAlDriver(device); }});
}

std::shared_ptr<Voice> VoiceOf(int32_t channel) {
  auto object = HandleTo<ChannelObject>(channel);
  return object ? object->voice : nullptr;
}

// Brings a setting into its range; a value that is not a number takes the
// neutral one.
float Bounded(float value, float low, float high, float neutral) {
  return std::isnan(value) ? neutral : std::clamp(value, low, high);
}

}  // namespace
}  // namespace platform::audio

using namespace platform::audio;

std::vector<Text> fw_audio_driver_names() {
  constexpr size_t kMaxNames = 100;
  const auto& entries = TheRegistry().entries;
  std::vector<Text> names;
  for (auto it = entries.rbegin(); it != entries.rend() && names.size() < kMaxNames; ++it)
    names.push_back(it->name);
  return names;
}

int32_t fw_audio_driver_exists(const Text& name) { return FindDriver(name) ? 1 : 0; }

namespace platform {
void ShutDownAudio() {
  Registry& registry = TheRegistry();
  registry.current->Shutdown();
  registry.current = MakeNullDriver();
}

// The next use makes the registry anew, as in a new process.
void ResetAudio() {
  if (!RegistrySlot()) return;
  ShutDownAudio();
  RegistrySlot().reset();
}
}  // namespace platform

int32_t fw_set_audio_driver(const Text& name) {
  platform::ShutDownAudio();
  Registry& registry = TheRegistry();
  const DriverEntry* entry = FindDriver(name);
  if (!entry) return 0;
  std::unique_ptr<Driver> driver = entry->make();
  if (!driver->Start()) return 0;
  registry.current = std::move(driver);
  return 1;
}

// The device is probed once; its drivers join the list the first time
// they are asked for.
int32_t fw_enable_openal_audio() {
  static const bool usable = OpenAlDeviceOpens();
  Registry& registry = TheRegistry();
  if (usable && !registry.openal_devices_registered) {
    RegisterOpenAlDevices();
    registry.openal_devices_registered = true;
  }
  return usable ? 1 : 0;
}

int32_t fw_load_sound(const Text& path, int32_t) {
  PcmRef pcm = LoadSoundFile(platform::ToUtf8(path));
  return pcm ? rt_handle_from_object(std::make_shared<SoundObject>(std::move(pcm))) : 0;
}

int32_t fw_alloc_channel() {
  return rt_handle_from_object(std::make_shared<ChannelObject>(TheRegistry().current->NewVoice()));
}

int32_t fw_cue_sound(int32_t sound, int32_t channel) {
  auto object = platform::HandleTo<SoundObject>(sound);
  if (!object) return 0;
  if (channel == 0) channel = fw_alloc_channel();
  auto voice = VoiceOf(channel);
  if (!voice) return 0;
  voice->Cue(object->pcm);
  return channel;
}

void fw_set_channel_volume(int32_t channel, float volume) {
  if (auto voice = VoiceOf(channel)) voice->SetVolume(Bounded(volume, 0.0f, 1.0f, 0.0f));
}

void fw_set_channel_pan(int32_t channel, float pan) {
  if (auto voice = VoiceOf(channel)) voice->SetPan(Bounded(pan, -1.0f, 1.0f, 0.0f));
}

void fw_set_channel_rate(int32_t channel, float rate) {
  if (auto voice = VoiceOf(channel)) voice->SetRate(Bounded(rate, kMinRate, kMaxRate, 1.0f));
}

void fw_resume_channel(int32_t channel) {
  if (auto voice = VoiceOf(channel)) voice->Resume();
}

// A stopped channel is never cued again, so its handle goes with it.
void fw_stop_channel(int32_t channel) {
  if (auto voice = VoiceOf(channel)) {
    voice->Stop();
    rt_release_handle(channel);
  }
}

int32_t fw_channel_playing(int32_t channel) {
  auto voice = VoiceOf(channel);
  return voice && voice->Playing() ? 1 : 0;
}

namespace platform::audio {
std::unique_ptr<Driver> MakeNullDriver() { return std::make_unique<NullDriver>(); }
}  // namespace platform::audio
