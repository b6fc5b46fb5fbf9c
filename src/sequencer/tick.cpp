// The sequencer's per-frame tick.
#include "sequencer.h"

namespace sequencer {

int32_t SongPlaying = 0;

void MusicTick() {
  if (SongPlaying == 0) return;
}

}  // namespace sequencer
