// The sequencer's globals as a run starts with them: start-up begins by
// putting them there, and so does every test case, so that none sees
// another's.
#include <algorithm>

#include "sequencer.h"

namespace sequencer {
namespace {

void ResetStems() {
  std::ranges::fill(MusicSamples, 0);
  std::ranges::fill(MusicSampleCounts, 0);
}

void ResetSong() {
  SongPlaying = 0;
  std::ranges::fill(MusicPatterns, Text());
  std::ranges::fill(MusicPatternCounts, 0);
  std::ranges::fill(MusicStretchModes, 0);
  SongSeed = SongStepLength = SongNextStepTime = SongStep = SongSectionBar = SongBarCount = 0;
  SongChordLine.clear();
  SongPanSpread = 0.0f;
}

void ResetSection() {
  std::ranges::fill(MusicPartChoice, 0);
  std::ranges::fill(MusicChannelRest, 0);
  std::ranges::fill(MusicChannelNextRest, 0);
  std::ranges::fill(MusicChannelLeadIn, 0);
  std::ranges::fill(ChannelPatterns, Text());
  std::ranges::fill(MusicStepValues, 0.0f);
}

}  // namespace

void ResetSequencerState() {
  ResetStems();
  ResetSong();
  ResetSection();
}

}  // namespace sequencer
