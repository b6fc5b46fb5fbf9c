// The instrument stems the sequencer plays its notes with.
#include "sequencer.h"

namespace sequencer {

int32_t MusicSamples[50] = {};
int32_t MusicSampleCounts[5] = {};

namespace {

Text StemFile(const Text& stem, int32_t n) {
  return u"music/" + stem + rt_string_from_int(n) + u".wav";
}

// Pitched stems are counted up to the highest number present; a file that
// has gone since the last load leaves its slot and the count as they were.
void LoadCountedStem(const Text& stem, int32_t n, int32_t part, int32_t base) {
  Text file = StemFile(stem, n);
  if (fw_file_type(file) == 0) return;
  MusicSampleCounts[part] = n;
  rt_replace_handle(MusicSamples[base + n], fw_load_sound(file, 0));
}

}  // namespace

// Every load replaces the stems it finds, and the old sounds go with their
// handles: a note still sounding keeps its own samples.
void LoadMusicSamples() {
  for (int32_t n = 1; n <= 8; ++n) {
    rt_replace_handle(MusicSamples[n], fw_load_sound(StemFile(u"d1-", n), 0));
    rt_replace_handle(MusicSamples[n + 10], fw_load_sound(StemFile(u"d2-", n), 0));
    LoadCountedStem(u"bass", n, 1, 20);
    LoadCountedStem(u"lead", n, 2, 30);
    LoadCountedStem(u"accompany", n, 3, 40);
  }
}

}  // namespace sequencer
