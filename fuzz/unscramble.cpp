// Feeds arbitrary texts to the scrambler's reader and the hexadecimal
// reader, and checks that whatever scrambles also comes back.
#include <cstddef>
#include <cstdint>

#include "engine/engine.h"
#include "scores/scores.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte chooses how much of the rest is the key (0: default key).
  size_t key_size = size > 0 ? data[0] % 32 : 0;
  size_t skip = size > 0 ? 1 : 0;
  if (key_size > size - skip) key_size = size - skip;
  Text key(data + skip, data + skip + key_size);
  Text text(data + skip + key_size, data + size);

  engine::HexToInt(text);
  scores::UnscrambleText(text, key);
  if (!text.empty()) {
    Text back = scores::UnscrambleText(scores::ScrambleText(text, key), key);
    if (back != text) __builtin_trap();
  }
  return 0;
}
