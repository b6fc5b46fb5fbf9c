// The OpenAL driver over OpenAL Soft, loaded at run time so that the program
// starts and plays through its other drivers where the library is missing.
// Each channel plays through one source placed on a unit half-circle in
// front of the listener: x = pan, so -1 is hard left and 1 hard right.
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "audio.h"

namespace platform::audio {
namespace {

// The few OpenAL types and constants used here.
using ALuint = unsigned int;
using ALint = int;
using ALenum = int;
using ALsizei = int;
using ALfloat = float;
using ALboolean = char;
struct ALCdevice;
struct ALCcontext;

constexpr ALenum kAlcDeviceSpecifier = 0x1005;
constexpr ALenum kAlcAllDevicesSpecifier = 0x1013;
constexpr ALenum kAlSourceRelative = 0x202;
constexpr ALenum kAlPitch = 0x1003;
constexpr ALenum kAlPosition = 0x1004;
constexpr ALenum kAlBuffer = 0x1009;
constexpr ALenum kAlGain = 0x100A;
constexpr ALenum kAlSourceState = 0x1010;
constexpr ALenum kAlInitial = 0x1011;
constexpr ALenum kAlPlaying = 0x1012;
constexpr ALenum kAlRolloffFactor = 0x1021;
constexpr ALenum kAlFormatMono16 = 0x1101;
constexpr ALenum kAlFormatStereo16 = 0x1103;
constexpr ALenum kAlSourceSpatializeSoft = 0x1214;
constexpr ALenum kAlNoError = 0;

struct AlApi {
  void* library = nullptr;
  ALCdevice* (*alcOpenDevice)(const char*);
  ALboolean (*alcCloseDevice)(ALCdevice*);
  ALCcontext* (*alcCreateContext)(ALCdevice*, const ALint*);
  ALboolean (*alcMakeContextCurrent)(ALCcontext*);
  void (*alcDestroyContext)(ALCcontext*);
  const char* (*alcGetString)(ALCdevice*, ALenum);
  ALboolean (*alcIsExtensionPresent)(ALCdevice*, const char*);
  ALboolean (*alIsExtensionPresent)(const char*);
  ALenum (*alGetError)();
  void (*alGenSources)(ALsizei, ALuint*);
  void (*alDeleteSources)(ALsizei, const ALuint*);
  void (*alGenBuffers)(ALsizei, ALuint*);
  void (*alDeleteBuffers)(ALsizei, const ALuint*);
  void (*alBufferData)(ALuint, ALenum, const void*, ALsizei, ALsizei);
  void (*alSourcei)(ALuint, ALenum, ALint);
  void (*alSourcef)(ALuint, ALenum, ALfloat);
  void (*alSource3f)(ALuint, ALenum, ALfloat, ALfloat, ALfloat);
  void (*alGetSourcei)(ALuint, ALenum, ALint*);
  void (*alSourcePlay)(ALuint);
  void (*alSourceStop)(ALuint);
  void (*alSourceRewind)(ALuint);
};

template <class Function>
bool Resolve(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

bool ResolveAll(AlApi& al) {
  void* l = al.library;
  return Resolve(l, "alcOpenDevice", al.alcOpenDevice) &&
         Resolve(l, "alcCloseDevice", al.alcCloseDevice) &&
         Resolve(l, "alcCreateContext", al.alcCreateContext) &&
         Resolve(l, "alcMakeContextCurrent", al.alcMakeContextCurrent) &&
         Resolve(l, "alcDestroyContext", al.alcDestroyContext) &&
         Resolve(l, "alcGetString", al.alcGetString) &&
         Resolve(l, "alcIsExtensionPresent", al.alcIsExtensionPresent) &&
         Resolve(l, "alIsExtensionPresent", al.alIsExtensionPresent) &&
         Resolve(l, "alGetError", al.alGetError) && Resolve(l, "alGenSources", al.alGenSources) &&
         Resolve(l, "alDeleteSources", al.alDeleteSources) &&
         Resolve(l, "alGenBuffers", al.alGenBuffers) &&
         Resolve(l, "alDeleteBuffers", al.alDeleteBuffers) &&
         Resolve(l, "alBufferData", al.alBufferData) && Resolve(l, "alSourcei", al.alSourcei) &&
         Resolve(l, "alSourcef", al.alSourcef) && Resolve(l, "alSource3f", al.alSource3f) &&
         Resolve(l, "alGetSourcei", al.alGetSourcei) &&
         Resolve(l, "alSourcePlay", al.alSourcePlay) &&
         Resolve(l, "alSourceStop", al.alSourceStop) &&
         Resolve(l, "alSourceRewind", al.alSourceRewind);
}

// Null when the library or one of its functions is missing.
const AlApi* Api() {
  static const AlApi* api = []() -> const AlApi* {
    static AlApi al;
    al.library = dlopen("libopenal.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!al.library) return nullptr;
    if (ResolveAll(al)) return &al;
    dlclose(al.library);
    return nullptr;
  }();
  return api;
}

// A list of names, each ended by a zero byte, the list by an empty name.
std::vector<std::string> SplitNameList(const char* list) {
  std::vector<std::string> names;
  for (const char* at = list; at && *at; at += names.back().size() + 1) names.emplace_back(at);
  return names;
}

class AlVoice;

// One open device and its context. Voices keep it alive and check `open`
// before touching OpenAL, so a channel outliving its driver stays silent.
struct AlSession {
  const AlApi& al;
  ALCdevice* device = nullptr;
  ALCcontext* context = nullptr;
  bool open = false;
  bool spatialize_stereo = false;
  std::map<const Pcm*, std::pair<PcmRef, ALuint>> buffers;
  std::vector<std::weak_ptr<AlVoice>> source_holders;

  explicit AlSession(const AlApi& api) : al(api) {}
  bool Open(const std::string& device_name);
  void Close();
  ALuint BufferFor(const PcmRef& pcm);
  ALuint NewSource();
  ALuint ReclaimFinishedSource();
};

class AlVoice : public Voice, public std::enable_shared_from_this<AlVoice> {
 public:
  explicit AlVoice(std::shared_ptr<AlSession> session) : session_(std::move(session)) {}
  ~AlVoice() override {
    if (Live()) session_->al.alDeleteSources(1, &source_);
  }

  void Cue(const PcmRef& pcm) override;
  void SetVolume(float volume) override {
    volume_ = volume;
    Apply();
  }
  void SetPan(float pan) override {
    pan_ = pan;
    Apply();
  }
  void SetRate(float rate) override {
    rate_ = rate;
    Apply();
  }
  void Resume() override {
    if (Live() && State() == kAlInitial) session_->al.alSourcePlay(source_);
  }
  void Stop() override {
    if (Live()) session_->al.alSourceStop(source_);
  }
  bool Playing() override { return Live() && State() == kAlPlaying; }

  // Gives the source up when its sound is over; 0 otherwise.
  ALuint ReleaseIfFinished() {
    if (!Live() || State() == kAlPlaying || State() == kAlInitial) return 0;
    session_->al.alSourcei(source_, kAlBuffer, 0);
    return std::exchange(source_, 0);
  }

 private:
  bool Live() const { return session_->open && source_ != 0; }
  ALint State() const {
    ALint state = 0;
    session_->al.alGetSourcei(source_, kAlSourceState, &state);
    return state;
  }
  void Apply() {
    if (!Live()) return;
    const AlApi& al = session_->al;
    al.alSourcef(source_, kAlGain, volume_);
    al.alSourcef(source_, kAlPitch, rate_);
    al.alSource3f(source_, kAlPosition, pan_, 0.0f, -std::sqrt(1.0f - pan_ * pan_));
  }

  std::shared_ptr<AlSession> session_;
  ALuint source_ = 0;
  float volume_ = 1.0f, pan_ = 0.0f, rate_ = 1.0f;
};

void AlVoice::Cue(const PcmRef& pcm) {
  if (!session_->open) return;
  const AlApi& al = session_->al;
  if (source_ == 0) {
    source_ = session_->NewSource();
    if (source_ == 0) return;
    session_->source_holders.push_back(weak_from_this());
  }
  al.alSourceStop(source_);
  al.alSourcei(source_, kAlBuffer, ALint(session_->BufferFor(pcm)));
  al.alSourceRewind(source_);
  Apply();
}

bool AlSession::Open(const std::string& device_name) {
  device = al.alcOpenDevice(device_name.empty() ? nullptr : device_name.c_str());
  if (!device) return false;
  context = al.alcCreateContext(device, nullptr);
  if (!context || !al.alcMakeContextCurrent(context)) {
    Close();
    return false;
  }
  spatialize_stereo = al.alIsExtensionPresent("AL_SOFT_source_spatialize");
  open = true;
  return true;
}

void AlSession::Close() {
  if (open) {
    for (auto& holder : source_holders)
      if (auto voice = holder.lock()) voice->Stop();
    for (auto& [pcm, buffer] : buffers) al.alDeleteBuffers(1, &buffer.second);
  }
  buffers.clear();
  source_holders.clear();
  open = false;
  // Sources go with the context.
  if (context) {
    al.alcMakeContextCurrent(nullptr);
    al.alcDestroyContext(context);
  }
  if (device) al.alcCloseDevice(device);
  context = nullptr;
  device = nullptr;
}

ALuint AlSession::BufferFor(const PcmRef& pcm) {
  auto found = buffers.find(pcm.get());
  if (found != buffers.end()) return found->second.second;
  std::vector<int16_t> samples(pcm->samples.size());
  std::transform(pcm->samples.begin(), pcm->samples.end(), samples.begin(), [](float s) {
    return int16_t(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f));
  });
  ALuint buffer = 0;
  al.alGetError();
  al.alGenBuffers(1, &buffer);
  if (al.alGetError() != kAlNoError) return 0;
  ALenum format = pcm->channels == 2 ? kAlFormatStereo16 : kAlFormatMono16;
  al.alBufferData(buffer, format, samples.data(), ALsizei(samples.size() * sizeof(int16_t)),
                  pcm->rate);
  buffers[pcm.get()] = {pcm, buffer};
  return buffer;
}

ALuint AlSession::NewSource() {
  ALuint source = 0;
  al.alGetError();
  al.alGenSources(1, &source);
  if (al.alGetError() != kAlNoError) source = ReclaimFinishedSource();
  if (source == 0) return 0;
  al.alSourcei(source, kAlSourceRelative, 1);
  al.alSourcef(source, kAlRolloffFactor, 0.0f);
  if (spatialize_stereo) al.alSourcei(source, kAlSourceSpatializeSoft, 1);
  return source;
}

// Every channel keeps its own source while it may still sound; when the
// device runs out, a source whose sound is over moves to the new channel.
ALuint AlSession::ReclaimFinishedSource() {
  std::erase_if(source_holders, [](const std::weak_ptr<AlVoice>& v) { return v.expired(); });
  for (auto it = source_holders.begin(); it != source_holders.end(); ++it) {
    if (ALuint source = it->lock()->ReleaseIfFinished()) {
      source_holders.erase(it);
      return source;
    }
  }
  return 0;
}

class OpenAlDriver : public Driver {
 public:
  OpenAlDriver(const AlApi& api, std::string device)
      : session_(std::make_shared<AlSession>(api)), device_(std::move(device)) {}
  ~OpenAlDriver() override { session_->Close(); }
  bool Start() override { return session_->Open(device_); }
  void Shutdown() override { session_->Close(); }
  std::shared_ptr<Voice> NewVoice() override { return std::make_shared<AlVoice>(session_); }

 private:
  std::shared_ptr<AlSession> session_;
  std::string device_;
};

// Stands in when the library is missing: it never starts.
class MissingDriver : public Driver {
 public:
  bool Start() override { return false; }
  void Shutdown() override {}
  std::shared_ptr<Voice> NewVoice() override { return nullptr; }
};

}  // namespace

bool OpenAlLibraryLoads() { return Api() != nullptr; }

bool OpenAlDeviceOpens() {
  const AlApi* al = Api();
  if (!al) return false;
  ALCdevice* device = al->alcOpenDevice(nullptr);
  if (!device) return false;
  al->alcCloseDevice(device);
  return true;
}

std::vector<std::string> OpenAlDeviceNames() {
  const AlApi* al = Api();
  if (!al) return {};
  bool all = al->alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT");
  return SplitNameList(
      al->alcGetString(nullptr, all ? kAlcAllDevicesSpecifier : kAlcDeviceSpecifier));
}

std::unique_ptr<Driver> MakeOpenAlDriver(const std::string& device_utf8) {
  const AlApi* al = Api();
  if (!al) return std::make_unique<MissingDriver>();
  return std::make_unique<OpenAlDriver>(*al, device_utf8);
}

}  // namespace platform::audio
