// Feeds arbitrary bytes to the Setup.ini reader, line by line as the file
// reader splits them (at LF, CR dropped): no line may crash it or make it
// write outside its tables.
#include <cstdint>
#include <cstdlib>

#include "engine/engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace engine;
  AudioDriverNames = {u"OpenAL", u"FreeAudio", u"FreeAudio Multimedia", u"Null"};
  for (int32_t& setting : EngineSettings) setting = 0;
  for (int32_t& code : KeyMap) code = 0;
  int32_t driver_line_seen = 0;
  Text line;
  for (size_t i = 0; i <= size; ++i) {
    if (i == size || data[i] == '\n') {
      ReadSetupLine(line, driver_line_seen);
      line.clear();
    } else if (data[i] != '\r') {
      line.push_back(char16_t(data[i]));
    }
  }
  if (driver_line_seen != 0 && driver_line_seen != 1) abort();
  if (EngineSettings[kAudioDriverSetting] < 0 || EngineSettings[kAudioDriverSetting] >= 4) abort();
  if (KeyMap[100] != 0) abort();
  return 0;
}
