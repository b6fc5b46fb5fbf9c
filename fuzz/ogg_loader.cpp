// Arbitrary bytes through the Ogg Vorbis loader.
#include <cstddef>
#include <cstdint>

#include "platform/audio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::audio::PcmRef pcm = platform::audio::DecodeOgg(data, size);
  if (pcm && pcm->samples.size() > platform::audio::kMaxSamples) __builtin_trap();
  return 0;
}
