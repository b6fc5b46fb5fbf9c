// The music sequencer: instrument stems, song files and the per-frame tick.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace sequencer {

void LoadMusicSamples();
void StartSong(const Text& name, int32_t seed, int32_t tempo);
void StopSong();
void SetMusicPanSpread(float spread);
void MusicTick();

}  // namespace sequencer
