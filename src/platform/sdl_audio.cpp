// The SDL2 host's audio device: a float32 stereo stream pulled by SDL's
// audio thread.
#include <algorithm>
#include <cstring>

#include "sdl_host.h"

namespace platform {
namespace {

// The back end last asked for by name; null while SDL's own choice runs.
// SDL's audio subsystem is one per process, and so is this.
const char* g_named_backend = nullptr;

bool SameBackend(const char* a, const char* b) {
  return a == b || (a && b && std::strcmp(a, b) == 0);
}

// Brings SDL's audio subsystem up on the wanted back end (null: SDL's own
// choice). SDL runs one back end at a time, so a change restarts it.
bool UseSdlAudioBackend(const char* wanted) {
  if (!SDL_WasInit(SDL_INIT_AUDIO)) SDL_InitSubSystem(SDL_INIT_AUDIO);
  if (SDL_GetCurrentAudioDriver() && SameBackend(wanted, g_named_backend)) return true;
  SDL_AudioQuit();
  g_named_backend = wanted;
  return SDL_AudioInit(wanted) == 0;
}

}  // namespace

bool SdlHost::OpenAudio(AudioBackend backend, int32_t rate, AudioCallback callback) {
  CloseAudio();
  if (!UseSdlAudioBackend(backend == AudioBackend::kAlsa ? "alsa" : nullptr)) return false;
  SDL_AudioSpec wanted{};
  wanted.freq = rate;
  wanted.format = AUDIO_F32SYS;
  wanted.channels = 2;
  wanted.samples = 1024;
  wanted.callback = &SdlHost::AudioTrampoline;
  wanted.userdata = this;
  audio_callback_ = std::move(callback);
  // No changes allowed: SDL converts to whatever the hardware takes, so the
  // callback always sees exactly the rate and layout asked for.
  audio_device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
  if (audio_device_ == 0) {
    audio_callback_ = nullptr;
    return false;
  }
  SDL_PauseAudioDevice(audio_device_, 0);
  return true;
}

void SdlHost::CloseAudio() {
  if (audio_device_ != 0) SDL_CloseAudioDevice(audio_device_);  // waits for the callback
  audio_device_ = 0;
  audio_callback_ = nullptr;
}

void SdlHost::LockAudio() {
  if (audio_device_ != 0) SDL_LockAudioDevice(audio_device_);
}

void SdlHost::UnlockAudio() {
  if (audio_device_ != 0) SDL_UnlockAudioDevice(audio_device_);
}

void SdlHost::AudioTrampoline(void* self, Uint8* stream, int len) {
  auto* host = static_cast<SdlHost*>(self);
  auto* out = reinterpret_cast<float*>(stream);
  int32_t frames = len / int32_t(2 * sizeof(float));
  std::fill(out, out + size_t(frames) * 2, 0.0f);
  if (host->audio_callback_) host->audio_callback_(out, frames);
}

}  // namespace platform
