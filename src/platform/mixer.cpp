// The system's own mixer, pulled by the host's audio device on its own
// thread. Everything the device thread reads is guarded by the host's audio
// lock, which the device holds around each callback.
//
// Pan follows a linear balance law: the far side is scaled by 1 - |pan| and
// the near side keeps full level, so a centred sound plays at its recorded
// level in both ears and pan -1 or 1 silences the other side.
#include <algorithm>
#include <cmath>

#include "audio.h"

namespace platform::audio {
namespace {

class AudioLock {
 public:
  AudioLock() { CurrentHost().LockAudio(); }
  ~AudioLock() { CurrentHost().UnlockAudio(); }
  AudioLock(const AudioLock&) = delete;
  AudioLock& operator=(const AudioLock&) = delete;
};

struct StereoFrame {
  float left, right;
};

// One channel's sound and settings.
struct VoiceState {
  enum Phase { kIdle, kCued, kSounding, kDone };
  Phase phase = kIdle;
  PcmRef pcm;
  double position = 0.0;  // in frames of the sound
  float volume = 1.0f, pan = 0.0f, rate = 1.0f;

  // The sound at a fractional frame, linearly interpolated; the last frame
  // holds at the very end.
  StereoFrame Sample(double at) const {
    const Pcm& sound = *pcm;
    int64_t last = sound.Frames() - 1;
    int64_t first = std::min(int64_t(at), last);
    int64_t next = std::min(first + 1, last);
    float t = float(at - double(first));
    auto channel = [&](int32_t c) {
      float a = sound.samples[size_t(first * sound.channels + c)];
      float b = sound.samples[size_t(next * sound.channels + c)];
      return a + (b - a) * t;
    };
    float left = channel(0);
    return {left, sound.channels == 2 ? channel(1) : left};
  }

  // Adds the voice into `out`; false once its sound has ended.
  bool MixInto(float* out, int32_t frames, int32_t device_rate) {
    double step = double(rate) * double(pcm->rate) / double(device_rate);
    double end = double(pcm->Frames());
    float left_gain = volume * std::min(1.0f, 1.0f - pan);
    float right_gain = volume * std::min(1.0f, 1.0f + pan);
    for (int32_t i = 0; i < frames && position < end; ++i, position += step) {
      StereoFrame frame = Sample(position);
      out[2 * i] += frame.left * left_gain;
      out[2 * i + 1] += frame.right * right_gain;
    }
    return position < end;
  }
};

class MixerCore {
 public:
  explicit MixerCore(AudioBackend backend) : backend_(backend) {}

  bool Open(const std::shared_ptr<MixerCore>& self) {
    open_ = CurrentHost().OpenAudio(
        backend_, kMixerRate, [self](float* out, int32_t frames) { self->Render(out, frames); });
    return open_;
  }

  void Close() {
    if (!open_) return;
    CurrentHost().CloseAudio();
    AudioLock lock;
    open_ = false;
    for (VoiceState* voice : sounding_) voice->phase = VoiceState::kDone;
    sounding_.clear();
  }

  // Called with the audio lock held.
  void Start(VoiceState& voice) {
    if (!open_) return;
    voice.phase = VoiceState::kSounding;
    if (std::find(sounding_.begin(), sounding_.end(), &voice) == sounding_.end())
      sounding_.push_back(&voice);
  }
  void Forget(VoiceState& voice) { std::erase(sounding_, &voice); }

 private:
  // Runs on the device thread with the audio lock held.
  void Render(float* out, int32_t frames) {
    std::fill(out, out + size_t(frames) * 2, 0.0f);
    std::erase_if(sounding_, [&](VoiceState* voice) {
      bool more = voice->phase == VoiceState::kSounding && voice->MixInto(out, frames, kMixerRate);
      if (!more && voice->phase == VoiceState::kSounding) voice->phase = VoiceState::kDone;
      return !more;
    });
    for (size_t i = 0; i < size_t(frames) * 2; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
  }

  AudioBackend backend_;
  bool open_ = false;
  std::vector<VoiceState*> sounding_;
};

class MixerVoice : public Voice {
 public:
  explicit MixerVoice(std::shared_ptr<MixerCore> core) : core_(std::move(core)) {}
  ~MixerVoice() override {
    AudioLock lock;
    core_->Forget(state_);
  }

  void Cue(const PcmRef& pcm) override {
    AudioLock lock;
    core_->Forget(state_);
    state_.pcm = pcm;
    state_.position = 0.0;
    state_.phase = pcm->Frames() > 0 ? VoiceState::kCued : VoiceState::kDone;
  }
  void SetVolume(float volume) override { Set(&VoiceState::volume, volume); }
  void SetPan(float pan) override { Set(&VoiceState::pan, pan); }
  void SetRate(float rate) override { Set(&VoiceState::rate, rate); }
  void Resume() override {
    AudioLock lock;
    if (state_.phase == VoiceState::kCued) core_->Start(state_);
  }
  void Stop() override {
    AudioLock lock;
    core_->Forget(state_);
    if (state_.phase != VoiceState::kIdle) state_.phase = VoiceState::kDone;
  }
  bool Playing() override {
    AudioLock lock;
    return state_.phase == VoiceState::kSounding;
  }

 private:
  void Set(float VoiceState::*setting, float value) {
    AudioLock lock;
    state_.*setting = value;
  }

  std::shared_ptr<MixerCore> core_;
  VoiceState state_;
};

class MixerDriver : public Driver {
 public:
  explicit MixerDriver(AudioBackend backend) : core_(std::make_shared<MixerCore>(backend)) {}
  ~MixerDriver() override { core_->Close(); }
  bool Start() override { return core_->Open(core_); }
  void Shutdown() override { core_->Close(); }
  std::shared_ptr<Voice> NewVoice() override { return std::make_shared<MixerVoice>(core_); }

 private:
  std::shared_ptr<MixerCore> core_;
};

}  // namespace

std::unique_ptr<Driver> MakeMixerDriver(AudioBackend backend) {
  return std::make_unique<MixerDriver>(backend);
}

}  // namespace platform::audio
