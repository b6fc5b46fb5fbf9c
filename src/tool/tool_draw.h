// Colours and small drawing steps shared by the tool's screen, panel,
// widgets and menus.
#pragma once

#include <cstdint>

#include "engine/engine.h"
#include "tool.h"

namespace tool {

struct Colour {
  int32_t r, g, b;
};

inline constexpr Colour kBlack{0, 0, 0};
inline constexpr Colour kWhite{255, 255, 255};
inline constexpr Colour kGrey{120, 120, 120};
inline constexpr Colour kHighlightGrey{160, 160, 160};
inline constexpr Colour kRowHover{100, 100, 100};
inline constexpr Colour kGreen{0, 255, 0};
inline constexpr Colour kBarBlue{120, 120, 255};
inline constexpr Colour kBarRed{255, 120, 120};
inline constexpr Colour kHoverYellow{255, 255, 150};
inline constexpr Colour kHoverNegative{255, 255, 120};
inline constexpr Colour kCurrentSizeBlue{150, 150, 255};

inline void SetColour(Colour c) { engine::SetColourAlpha(float(c.r), float(c.g), float(c.b)); }

inline void FillRect(int32_t x, int32_t y, int32_t w, int32_t h, Colour c) {
  SetColour(c);
  fw_draw_rect(float(x), float(y), float(w), float(h));
}

// The size under the mouse in the previous pass of the size menu (menus.cpp).
extern int32_t PreviousHoverWidth, PreviousHoverHeight;

// Whether the pointer is on the tool's screen rather than on the options
// panel over it: only what the user sees under the pointer may act.
inline bool PointerOnTool() { return !engine::OptionsPanelHasPointer(); }

// MouseInRect for the tool's controls, which the options panel covers.
inline bool MouseInToolRect(int32_t x, int32_t y, int32_t w, int32_t h) {
  return PointerOnTool() && engine::MouseInRect(x, y, w, h) == 1;
}

// Whether button 1 is held in this pass, in a press of the tool's.
inline bool LeftHeld() { return PointerOnTool() && fw_mouse_down(1) == 1; }

// A press of button 1 that may still act: held and not yet used.
inline bool FreshPress() { return LeftHeld() && MouseConsumed == 0; }

}  // namespace tool
