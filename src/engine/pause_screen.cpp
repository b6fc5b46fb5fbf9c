// The pause screen: a modal Continue / Quit menu over a frozen, wobbling copy
// of the screen, run frame by frame through the hub.
#include "engine.h"

namespace engine {

namespace {

constexpr int32_t kTitleSeed = 37171650;
constexpr int32_t kChoiceContinue = 1;
constexpr int32_t kChoiceQuit = 99;

struct PauseMenu {
  float angle = 0.0f;
  float phase = 0.0f;
  int32_t highlighted = 0;  // 0 "Continue", 1 "Quit"
  int32_t result = 0;       // 0 while undecided
  // Starts set so that keys still held on opening do nothing until every one
  // of them has been released.
  int32_t latch = 1;
};

// Sleeps between polls so that waiting for a release does not spin.
void WaitWhileEscapeHeld() {
  while (fw_key_down(vk::kEscape) != 0) rt_delay(1);
}

bool AnyPlayerControlDown(int32_t control) {
  for (int32_t player = 1; player <= 4; ++player) {
    if (ControlDown(control, player) != 0) return true;
  }
  return false;
}

bool UpHeld() { return AnyPlayerControlDown(0) || fw_key_down(vk::kUp) != 0; }
bool DownHeld() { return AnyPlayerControlDown(8) || fw_key_down(vk::kDown) != 0; }
bool SelectHeld() {
  return AnyPlayerControlDown(10) || AnyPlayerControlDown(11) || fw_key_down(vk::kSpace) != 0;
}

void SetWobbleScale(const PauseMenu& menu) {
  SetScaleXY(static_cast<float>(1.5 + 0.5 * fw_sin_deg(menu.phase)),
             static_cast<float>(1.5 + 0.5 * fw_sin_deg(1.3f * menu.phase)));
}

// Copies first to last of the title, in colours and places that repeat from
// pass to pass because the caller seeds the generator before the first.
void DrawTitleCopies(const PauseMenu& menu, int32_t first, int32_t last) {
  for (int32_t i = first; i <= last; ++i) {
    SetAngle(menu.angle + 2.0f * static_cast<float>(i));
    int32_t blue = fw_rand_int(1, 5) * 50;
    int32_t green = fw_rand_int(1, 5) * 50;
    int32_t red = fw_rand_int(1, 5) * 50;
    SetColourAlpha(static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue),
                   0.4f);
    int32_t y = fw_rand_int(0, VirtualHeight);
    int32_t x = fw_rand_int(0, VirtualWidth);
    DrawTextAligned(x, y, WindowTitle, 1, 1);
  }
}

void DrawFrozenScreen(PauseMenu& menu, int32_t screen_copy) {
  BeginFrame(1);
  ResetDrawState();
  SetBlendKind(1);
  menu.phase += 0.4f;
  SetWobbleScale(menu);
  menu.angle += 0.1f;
  SetAngle(menu.angle);
  fw_set_image_font(FontTable[7]);
  fw_draw_image(screen_copy, static_cast<float>(VirtualWidth / 2),
                static_cast<float>(VirtualHeight / 2), 0);
}

void DrawMenuPanel() {
  SetAngle(0.0f);
  SetScaleXY(1.0f, 1.0f);
  SetColourAlpha(0, 0, 0, 0.5f);
  fw_draw_rect(0.1f * static_cast<float>(VirtualWidth), 0.375f * static_cast<float>(VirtualHeight),
               static_cast<float>(VirtualWidth / 6), static_cast<float>(VirtualHeight / 4));
}

void TakeMenuInput(PauseMenu& menu) {
  bool up = UpHeld();
  bool down = DownHeld();
  if (up && menu.latch == 0) {
    menu.highlighted -= 1;
    menu.latch = 1;
  }
  if (down && menu.latch == 0) {
    menu.highlighted += 1;
    menu.latch = 1;
  }
  if (!SelectHeld() && !down && !up) menu.latch = 0;
}

// One menu row; a fresh select press on the highlighted row decides.
void DrawMenuRow(PauseMenu& menu, int32_t row, int32_t row_y, const Text& label, int32_t choice) {
  int32_t indent = 0;
  SetColourAlpha(255, 255, 255, 1.0f);
  if (menu.highlighted == row) {
    SetColourAlpha(255, 255, 0, 1.0f);
    indent = 20;
    if (SelectHeld() && menu.latch == 0) {
      menu.latch = 1;
      menu.result = choice;
    }
  }
  int32_t x =
      rt_float_to_int(0.1f * static_cast<float>(VirtualWidth) + static_cast<float>(indent) + 10.0f);
  DrawTextAligned(x, row_y, label, 0, 0);
}

void DrawMenu(PauseMenu& menu) {
  int32_t row_y = rt_float_to_int(0.375f * static_cast<float>(VirtualHeight));
  // Up on "Continue" wraps to "Quit" at once; Down on "Quit" goes through a
  // pass with no row lit before "Continue" lights up.
  if (menu.highlighted < 0) menu.highlighted = 1;
  row_y += 60;
  DrawMenuRow(menu, 0, row_y, u"Continue", kChoiceContinue);
  row_y += 60;
  DrawMenuRow(menu, 1, row_y, u"Quit", kChoiceQuit);
  if (menu.highlighted > 1) menu.highlighted = 0;
}

void RunPausePass(PauseMenu& menu, int32_t screen_copy) {
  DrawFrozenScreen(menu, screen_copy);
  fw_seed_rnd(kTitleSeed);
  DrawTitleCopies(menu, 1, 140);
  DrawMenuPanel();
  TakeMenuInput(menu);
  DrawMenu(menu);
  SetWobbleScale(menu);
  DrawTitleCopies(menu, 141, 180);
  EndFrame(FrameRateTarget, 1, 1);
  if (fw_key_down(vk::kEscape) != 0) {
    menu.result = menu.highlighted == 1 ? kChoiceQuit : kChoiceContinue;
  }
}

}  // namespace

int32_t PauseScreen() {
  WaitWhileEscapeHeld();
  int32_t screen_copy = fw_create_image(ChosenModeWidth, ChosenModeHeight, 1, 8);
  fw_grab_image(screen_copy, 0, 0, 0);
  PauseMenu menu;
  while (menu.result == 0) RunPausePass(menu, screen_copy);
  rt_release_handle(screen_copy);
  fw_seed_rnd(rt_millisecs());
  WaitWhileEscapeHeld();
  return menu.result;
}

}  // namespace engine
