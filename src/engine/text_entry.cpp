// Text entry: the per-frame editor of a text field and the modal name-entry
// screen.
#include "engine.h"

namespace engine {

int32_t BackspaceRepeat = 0;
Text PlayerName = u"Player";

namespace {

constexpr int32_t kLeftButton = 1;
constexpr int32_t kCallsBetweenRepeats = 8;
constexpr int32_t kCursorBlinkMs = 600;

// Takes at most one typed character per call, so fast typing is taken up
// over several frames; one beyond the first plane comes whole.
void AppendTypedCharacter(Text& text) {
  const Text typed = platform::TakeTypedCharacter();
  if (!typed.empty() && typed[0] >= 32) text += typed;
}

// A character beyond the first plane goes whole: half of one would make a
// name that is no UTF-8 on disk.
void DropLastCharacter(Text& text) {
  if (!text.empty()) text.resize(text.size() - platform::CharacterUnitsBefore(text, text.size()));
}

// A held Backspace deletes at once and then at every eighth call.
bool BackspaceDeletesNow() {
  bool deletes = false;
  if (!fw_key_down(vk::kBackspace)) {
    BackspaceRepeat = 0;
  } else if (BackspaceRepeat == 0) {
    BackspaceRepeat = kCallsBetweenRepeats;
    deletes = true;
  }
  if (BackspaceRepeat > 0) --BackspaceRepeat;
  return deletes;
}

bool DialogKeysHeld() {
  return fw_key_down(vk::kEscape) || fw_mouse_down(kLeftButton) || fw_key_down(vk::kEnter);
}

void WaitForDialogKeysReleased() {
  while (DialogKeysHeld()) rt_delay(1);
}

void EditPlayerName() {
  AppendTypedCharacter(PlayerName);
  // One deletion per press; no repeat here.
  for (int32_t presses = fw_key_hit(vk::kBackspace); presses > 0; --presses)
    DropLastCharacter(PlayerName);
}

void DrawNameEntryTexts() {
  SetColourAlpha(0.0f, 255.0f, 0.0f);
  fw_set_image_font(FontTable[6]);
  DrawTextAligned(VirtualWidth / 2, VirtualHeight / 2 - 100, u"Enter Your Name", 1, 1);
  fw_set_image_font(FontTable[5]);
  const bool cursor_on = wrap_mod(NowMillis(), kCursorBlinkMs) < kCursorBlinkMs / 2;
  const int32_t x = VirtualWidth / 2 - fw_text_width(PlayerName) / 2;
  DrawTextAligned(x, VirtualHeight / 2, PlayerName + (cursor_on ? u"_" : u" "), 0, 1);
}

}  // namespace

Text EditTextField(const Text& text) {
  Text edited = text;
  AppendTypedCharacter(edited);
  if (BackspaceDeletesNow()) DropLastCharacter(edited);
  return edited;
}

int32_t RunNameEntryDialog() {
  fw_flush_keys();
  WaitForDialogKeysReleased();
  bool done = false;
  while (!done) {
    fw_cls();
    DrawStripedBackdrop();
    EditPlayerName();
    DrawNameEntryTexts();
    done = fw_key_hit(vk::kEnter) > 0 || fw_mouse_down(kLeftButton) || fw_key_down(vk::kEscape);
    EndFrame(FrameRateTarget, 0, 1);
  }
  fw_seed_rnd(rt_millisecs());
  WaitForDialogKeysReleased();
  return 0;
}

}  // namespace engine
