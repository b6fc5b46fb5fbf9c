// Arbitrary bytes through the WAV reader.
#include <cstddef>
#include <cstdint>

#include "platform/audio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::audio::PcmRef pcm = platform::audio::DecodeWav(data, size);
  if (pcm && pcm->channels != 1 && pcm->channels != 2) __builtin_trap();
  return 0;
}
