// The SDL2 host's audio device.
#include "sdl_host.h"

namespace platform {

// Completed by the audio work.
bool SdlHost::OpenAudio(AudioBackend, int32_t, AudioCallback) { return false; }
void SdlHost::CloseAudio() {}
void SdlHost::LockAudio() {}
void SdlHost::UnlockAudio() {}
void SdlHost::AudioTrampoline(void*, Uint8*, int) {}

}  // namespace platform
