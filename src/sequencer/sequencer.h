// The music sequencer: instrument stems, song files and the per-frame tick.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace sequencer {

// Stems: slot N + 10 * kit for N = 1 to 8; counts [1] bass, [2] lead,
// [3] accompaniment hold the highest stem number present.
extern int32_t MusicSamples[50];
extern int32_t MusicSampleCounts[5];
// The tick does nothing while no song plays.
extern int32_t SongPlaying;

void LoadMusicSamples();
void StartSong(const Text& name, int32_t seed, int32_t tempo);
void StopSong();
void SetMusicPanSpread(float spread);
void MusicTick();

}  // namespace sequencer
