// Display names of input codes: keys by their virtual-key code (United
// Kingdom punctuation), joystick codes by their part.
#include "engine.h"

namespace engine {

namespace {

struct NamedCode {
  int32_t code;
  const char16_t* name;
};

constexpr NamedCode kKeyNames[] = {
    {1, u"Left Mousebutton"},
    {2, u"Right Mousebutton"},
    {3, u"Middle Mousebutton"},
    {8, u"Backspace"},
    {9, u"Tab"},
    {12, u"Clear"},
    {13, u"Return"},
    {19, u"Pause"},
    {20, u"CapsLock"},
    {27, u"Escape"},
    {32, u"Space"},
    {33, u"Page Up"},
    {34, u"Page Down"},
    {35, u"End"},
    {36, u"Home"},
    {37, u"Left"},
    {38, u"Up"},
    {39, u"Right"},
    {40, u"Down"},
    {41, u"Select"},
    {42, u"Print"},
    {43, u"Execute"},
    {44, u"Screen"},
    {45, u"Insert"},
    {46, u"Delete"},
    {47, u"Help"},
    {91, u"Sys Left"},
    {92, u"Sys Right"},
    {106, u"*"},
    {107, u"+"},
    {109, u"-"},
    {110, u"."},
    {111, u"/"},
    {144, u"NumLock"},
    {145, u"ScrollLock"},
    {160, u"LShift"},
    {161, u"RShift"},
    {162, u"LControl"},
    {163, u"RControl"},
    {164, u"LAlt"},
    {165, u"RAlt"},
    {173, u"Mute"},
    {174, u"Volume Down"},
    {175, u"Volume Up"},
    {186, u";"},
    {187, u"="},
    {188, u","},
    {189, u"-"},
    {190, u"."},
    {191, u"/"},
    {192, u"'"},
    {219, u"["},
    {220, u"\\"},
    {221, u"]"},
    {222, u"#"},
    {223, u"`"},
    {226, u"\\"},
};

const char16_t* const kAxisHalves[12] = {u"Y-", u"Y+", u"X-", u"X+", u"Z-", u"Z+",
                                         u"U-", u"U+", u"V-", u"V+", u"R-", u"R+"};

// Digits, letters and function keys come in runs of consecutive codes.
bool NameOfKeyRun(int32_t code, Text& name) {
  if (code >= 48 && code <= 57)
    name = Text(1, char16_t(code));
  else if (code >= 96 && code <= 105)
    name = Text(1, char16_t(u'0' + code - 96));
  else if (code >= 65 && code <= 90)
    name = Text(1, char16_t(code));
  else if (code >= 112 && code <= 123)
    name = u"F" + rt_string_from_int(code - 111);
  else
    return false;
  return true;
}

// Codes outside the key table are named by their joystick part alone.
Text NameOfJoystickPart(int32_t code) {
  int32_t part = code % 50;
  if (part >= 0 && part <= 11) return kAxisHalves[part];
  switch (part) {
    case 20:
      return u"Up";
    case 23:
      return u"Left";
    case 25:
      return u"Right";
    case 28:
      return u"Down";
    default:
      return rt_string_from_int(part - 30);
  }
}

}  // namespace

Text KeyCodeName(int32_t code) {
  for (const NamedCode& entry : kKeyNames) {
    if (entry.code == code) return entry.name;
  }
  Text name;
  if (NameOfKeyRun(code, name)) return name;
  return NameOfJoystickPart(code);
}

}  // namespace engine
