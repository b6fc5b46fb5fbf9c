// Keys as Windows virtual-key codes, by their place on a UK PC keyboard, and
// joystick hats as fractions of a turn.
#include <array>
#include <utility>

#include "sdl_host.h"

namespace platform {
namespace {

struct KeyPair {
  SDL_Scancode scancode;
  uint8_t code;
};

// clang-format off
constexpr KeyPair kKeys[] = {
  {SDL_SCANCODE_BACKSPACE, 8}, {SDL_SCANCODE_TAB, 9}, {SDL_SCANCODE_RETURN, 13},
  {SDL_SCANCODE_KP_ENTER, 13}, {SDL_SCANCODE_PAUSE, 19}, {SDL_SCANCODE_CAPSLOCK, 20},
  {SDL_SCANCODE_ESCAPE, 27}, {SDL_SCANCODE_SPACE, 32},
  {SDL_SCANCODE_PAGEUP, 33}, {SDL_SCANCODE_PAGEDOWN, 34}, {SDL_SCANCODE_END, 35},
  {SDL_SCANCODE_HOME, 36}, {SDL_SCANCODE_LEFT, 37}, {SDL_SCANCODE_UP, 38},
  {SDL_SCANCODE_RIGHT, 39}, {SDL_SCANCODE_DOWN, 40}, {SDL_SCANCODE_PRINTSCREEN, 44},
  {SDL_SCANCODE_INSERT, 45}, {SDL_SCANCODE_DELETE, 46},
  {SDL_SCANCODE_0, 48}, {SDL_SCANCODE_1, 49}, {SDL_SCANCODE_2, 50}, {SDL_SCANCODE_3, 51},
  {SDL_SCANCODE_4, 52}, {SDL_SCANCODE_5, 53}, {SDL_SCANCODE_6, 54}, {SDL_SCANCODE_7, 55},
  {SDL_SCANCODE_8, 56}, {SDL_SCANCODE_9, 57},
  {SDL_SCANCODE_LGUI, 91}, {SDL_SCANCODE_RGUI, 92}, {SDL_SCANCODE_APPLICATION, 93},
  {SDL_SCANCODE_KP_0, 96}, {SDL_SCANCODE_KP_1, 97}, {SDL_SCANCODE_KP_2, 98},
  {SDL_SCANCODE_KP_3, 99}, {SDL_SCANCODE_KP_4, 100}, {SDL_SCANCODE_KP_5, 101},
  {SDL_SCANCODE_KP_6, 102}, {SDL_SCANCODE_KP_7, 103}, {SDL_SCANCODE_KP_8, 104},
  {SDL_SCANCODE_KP_9, 105}, {SDL_SCANCODE_KP_MULTIPLY, 106}, {SDL_SCANCODE_KP_PLUS, 107},
  {SDL_SCANCODE_KP_MINUS, 109}, {SDL_SCANCODE_KP_PERIOD, 110}, {SDL_SCANCODE_KP_DIVIDE, 111},
  {SDL_SCANCODE_F1, 112}, {SDL_SCANCODE_F2, 113}, {SDL_SCANCODE_F3, 114},
  {SDL_SCANCODE_F4, 115}, {SDL_SCANCODE_F5, 116}, {SDL_SCANCODE_F6, 117},
  {SDL_SCANCODE_F7, 118}, {SDL_SCANCODE_F8, 119}, {SDL_SCANCODE_F9, 120},
  {SDL_SCANCODE_F10, 121}, {SDL_SCANCODE_F11, 122}, {SDL_SCANCODE_F12, 123},
  {SDL_SCANCODE_NUMLOCKCLEAR, 144}, {SDL_SCANCODE_SCROLLLOCK, 145},
  {SDL_SCANCODE_LSHIFT, 160}, {SDL_SCANCODE_RSHIFT, 161}, {SDL_SCANCODE_LCTRL, 162},
  {SDL_SCANCODE_RCTRL, 163}, {SDL_SCANCODE_LALT, 164}, {SDL_SCANCODE_RALT, 165},
  // Volume keys arrive from either the keyboard or the consumer usage page.
  {SDL_SCANCODE_MUTE, 173}, {SDL_SCANCODE_AUDIOMUTE, 173},
  {SDL_SCANCODE_VOLUMEDOWN, 174}, {SDL_SCANCODE_VOLUMEUP, 175},
  {SDL_SCANCODE_SEMICOLON, 186}, {SDL_SCANCODE_EQUALS, 187}, {SDL_SCANCODE_COMMA, 188},
  {SDL_SCANCODE_MINUS, 189}, {SDL_SCANCODE_PERIOD, 190}, {SDL_SCANCODE_SLASH, 191},
  {SDL_SCANCODE_APOSTROPHE, 192}, {SDL_SCANCODE_LEFTBRACKET, 219},
  {SDL_SCANCODE_BACKSLASH, 220}, {SDL_SCANCODE_RIGHTBRACKET, 221},
  {SDL_SCANCODE_NONUSHASH, 222}, {SDL_SCANCODE_GRAVE, 223},
  {SDL_SCANCODE_NONUSBACKSLASH, 226},
};
// clang-format on

using KeyTable = std::array<uint8_t, SDL_NUM_SCANCODES>;

KeyTable BuildKeyTable() {
  KeyTable table{};
  for (int32_t i = 0; i < 26; ++i)
    table[size_t(SDL_SCANCODE_A + i)] = static_cast<uint8_t>('A' + i);
  for (const KeyPair& pair : kKeys) table[size_t(pair.scancode)] = pair.code;
  return table;
}

// With NumLock off the keypad is a second set of cursor keys.
int32_t KeypadWithoutNumLock(SDL_Scancode scancode) {
  static constexpr std::pair<SDL_Scancode, int32_t> kCursorPad[] = {
      {SDL_SCANCODE_KP_0, 45}, {SDL_SCANCODE_KP_1, 35},     {SDL_SCANCODE_KP_2, 40},
      {SDL_SCANCODE_KP_3, 34}, {SDL_SCANCODE_KP_4, 37},     {SDL_SCANCODE_KP_5, 12},
      {SDL_SCANCODE_KP_6, 39}, {SDL_SCANCODE_KP_7, 36},     {SDL_SCANCODE_KP_8, 38},
      {SDL_SCANCODE_KP_9, 33}, {SDL_SCANCODE_KP_PERIOD, 46}};
  for (const auto& [key, code] : kCursorPad)
    if (key == scancode) return code;
  return 0;
}

}  // namespace

int32_t VirtualKeyFromScancode(SDL_Scancode scancode) {
  static const KeyTable table = BuildKeyTable();
  if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
  return table[size_t(scancode)];
}

int32_t VirtualKeyFromKeysym(const SDL_Keysym& keysym) {
  // Most systems report the ISO key left of Return as the backslash
  // position; a layout that types '#' there makes it the '#' key.
  if (keysym.scancode == SDL_SCANCODE_BACKSLASH && keysym.sym == SDLK_HASH) return 222;
  if (!(keysym.mod & KMOD_NUM)) {
    int32_t cursor = KeypadWithoutNumLock(keysym.scancode);
    if (cursor != 0) return cursor;
  }
  return VirtualKeyFromScancode(keysym.scancode);
}

float HatFraction(Uint8 hat) {
  switch (hat) {
    case SDL_HAT_UP:
      return 0.0f;
    case SDL_HAT_RIGHTUP:
      return 0.125f;
    case SDL_HAT_RIGHT:
      return 0.25f;
    case SDL_HAT_RIGHTDOWN:
      return 0.375f;
    case SDL_HAT_DOWN:
      return 0.5f;
    case SDL_HAT_LEFTDOWN:
      return 0.625f;
    case SDL_HAT_LEFT:
      return 0.75f;
    case SDL_HAT_LEFTUP:
      return 0.875f;
    default:
      return -1.0f;
  }
}

}  // namespace platform
