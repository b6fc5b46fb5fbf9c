// The tool's set-up, run by every display set-up.
#include "engine/engine.h"
#include "sequencer/sequencer.h"
#include "tool.h"

namespace tool {

int32_t SetUpSpriteTool() {
  engine::RunEngineTest(60, 2);
  sequencer::LoadMusicSamples();
  return 0;
}

}  // namespace tool
