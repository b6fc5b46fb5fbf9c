// Reads arbitrary bytes line by line through the stream line reader.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto stream = platform::MakeMemoryStream(std::string(reinterpret_cast<const char*>(data), size));
  size_t characters = 0;
  size_t lines = 0;
  while (!stream->AtEnd()) {
    Text line = stream->ReadLine();
    for (char16_t c : line) {
      if (c == 0 || c == 10 || c == 13 || c > 255) __builtin_trap();
    }
    characters += line.size();
    // Every line consumes at least one byte, so the walk always ends.
    if (++lines > size || characters > size) __builtin_trap();
  }
  if (!stream->ReadLine().empty()) __builtin_trap();
  return 0;
}
