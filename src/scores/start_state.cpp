// The scores' globals as a run starts with them: start-up begins by putting
// them there, and so does every test case, so that none sees another's.
#include <algorithm>

#include "scores.h"

namespace scores {

void ResetScoresState() {
  ScoreList.Clear();
  SecondScoreList.Clear();
  std::ranges::fill(ScoreSlots, nullptr);
  OnlineName.clear();
  OnlinePassword.clear();
  ScoreFileUnread = false;
  DefaultScrambleKey.clear();
  ScoreGraphScroll = ScorePanelSelection = 0;
  ScorePanelHighlight = nullptr;
  ScoreServerHost = DefaultScoreServerHost;
}

}  // namespace scores
