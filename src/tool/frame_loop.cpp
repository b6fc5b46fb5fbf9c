// The tool's frame loop: the program's one main loop.
#include "engine/engine.h"
#include "tool.h"

namespace tool {

int32_t UiState = 0;
int32_t MouseConsumed = 0;
int32_t NameBoxActive = 0;
Text SpriteName;
int32_t SpriteSeed = 0;
int32_t SpriteWidth = 0, SpriteHeight = 0;
int32_t SpriteImage = 0;
int32_t AnimFrames = 0;
int32_t TicksPerFrame = 8;
int32_t PreviewScale = 0;

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
