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

// Song tables (song.cpp): pattern n of part p at p * 1000 + n.
extern Text MusicPatterns[5000];
extern int32_t MusicPatternCounts[5];
extern int32_t MusicStretchModes[5];
extern int32_t SongSeed;
extern int32_t SongStepLength;
extern int32_t SongNextStepTime;
extern int32_t SongStep;
extern int32_t SongSectionBar;
extern int32_t SongBarCount;
extern Text SongChordLine;
extern float SongPanSpread;

// Section and bar tables (tick.cpp).
extern int32_t MusicPartChoice[5];
extern int32_t MusicChannelRest[20];
extern int32_t MusicChannelNextRest[20];
extern int32_t MusicChannelLeadIn[20];
extern Text ChannelPatterns[5];
extern float MusicStepValues[1300];

// Puts every global of the sequencer back to its value at the start of a
// run: no stems, no song, every table zero or empty.
void ResetSequencerState();
void LoadMusicSamples();
void StartSong(const Text& name, int32_t seed, int32_t tempo);
void StopSong();
void SetMusicPanSpread(float spread);
void MusicTick();
void NextBar();
Text PickChordLine(int32_t salt);
Text PickDrumPattern(int32_t salt);
Text PickBassPattern(int32_t salt);
Text PickMelodyPattern(int32_t salt);
Text PickAccompanyPattern(int32_t salt);
float NoteLetterToRate(const Text& letter);

}  // namespace sequencer
