// The sprite generator tool: settings, presets, generator, palettes, the
// frame loop with its panels and menus, and the spritesheet builders.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace tool {

int32_t SetUpSpriteTool();
int32_t RunSpriteToolLoop();

}  // namespace tool
