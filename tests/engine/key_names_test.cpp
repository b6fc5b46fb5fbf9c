#include <gtest/gtest.h>

#include <map>

#include "engine/engine.h"

using engine::KeyCodeName;

namespace {

// The named keys, written out independently of the lookup table.
std::map<int32_t, Text> NamedKeys() {
  std::map<int32_t, Text> names = {
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
  const char16_t* digits[] = {u"0", u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9"};
  for (int i = 0; i < 10; ++i) names[48 + i] = names[96 + i] = digits[i];
  for (int i = 0; i < 26; ++i) names[65 + i] = Text(1, char16_t(u'A' + i));
  const char16_t* functions[] = {u"F1", u"F2", u"F3", u"F4",  u"F5",  u"F6",
                                 u"F7", u"F8", u"F9", u"F10", u"F11", u"F12"};
  for (int i = 0; i < 12; ++i) names[112 + i] = functions[i];
  return names;
}

Text PartName(int32_t part) {
  const char16_t* axes[] = {u"Y-", u"Y+", u"X-", u"X+", u"Z-", u"Z+",
                            u"U-", u"U+", u"V-", u"V+", u"R-", u"R+"};
  if (part >= 0 && part < 12) return axes[part];
  if (part == 20) return u"Up";
  if (part == 23) return u"Left";
  if (part == 25) return u"Right";
  if (part == 28) return u"Down";
  return rt_string_from_int(part - 30);
}

}  // namespace

TEST(KeyCodeName, EveryCodeUpToTheLastJoystick) {
  std::map<int32_t, Text> named = NamedKeys();
  EXPECT_EQ(named.size(), 115u);
  for (int32_t code = 0; code < 500; ++code) {
    auto it = named.find(code);
    EXPECT_EQ(KeyCodeName(code), it != named.end() ? it->second : PartName(code % 50)) << code;
  }
}

TEST(KeyCodeName, CodesOutsideTheTableUseTheTruncatingRemainder) {
  EXPECT_EQ(KeyCodeName(-1), u"-31");
  EXPECT_EQ(KeyCodeName(-2147483647 - 1), u"-78");
  EXPECT_EQ(KeyCodeName(2147483647), u"17");
}
