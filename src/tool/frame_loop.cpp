// The tool's frame loop: the program's one main loop.
#include "engine/engine.h"
#include "tool.h"

namespace tool {

int32_t RunSpriteToolLoop() {
  using namespace engine;
  while (true) {
    fw_set_cls_color(120, 120, 120);
    BeginFrame(1);
    ResetDrawState();
    FrameRateTarget = 60;
    if (EndFrame(FrameRateTarget, 0, MouseMode) == 99) return 0;
  }
}

}  // namespace tool
