#include <gtest/gtest.h>

#include <algorithm>

#include "engine/engine.h"

using engine::SplitField;

TEST(SplitField, PlainModeFieldRules) {
  EXPECT_EQ(SplitField(u"Width=800", u"=", 1, 0), u"Width");
  EXPECT_EQ(SplitField(u"Width=800", u"=", 2, 0), u"800");
  EXPECT_EQ(SplitField(u"Width=800", u"=", 3, 0), u"-+-");
  EXPECT_EQ(SplitField(u"  FULLSCREEN  ", u"=", 1, 0), u"FULLSCREEN");
  EXPECT_EQ(SplitField(u"  FULLSCREEN  ", u"=", 2, 0), u"FULLSCREEN");
  EXPECT_EQ(SplitField(u"  FULLSCREEN  ", u"=", 3, 0), u"-+-");
  EXPECT_EQ(SplitField(u"a=", u"=", 2, 0), u"");
  EXPECT_EQ(SplitField(u"a==b", u"=", 2, 0), u"");
  EXPECT_EQ(SplitField(u"a==b", u"=", 3, 0), u"b");
  EXPECT_EQ(SplitField(u"a==b", u"=", 4, 0), u"-+-");
  EXPECT_EQ(SplitField(u"=b", u"=", 1, 0), u"");
  EXPECT_EQ(SplitField(u"a = b", u"=", 2, 0), u" b");
  EXPECT_EQ(SplitField(u"x->y->z", u"->", 2, 0), u"y");
  EXPECT_EQ(SplitField(u"x->y->z", u"->", 3, 0), u"z");
  EXPECT_EQ(SplitField(u"a b=c", u"=", 1, 0), u"a b");
  EXPECT_EQ(SplitField(u"a|b", u"|", 0, 0), u"a");
  EXPECT_EQ(SplitField(u"a|b", u"|", -4, 0), u"a");
  EXPECT_EQ(SplitField(u"", u"|", 1, 0), u"");
  EXPECT_EQ(SplitField(u"abc", u"", 2, 0), u"abc");
}

TEST(SplitField, BlankModeEndsFieldsAtBlanksBeforeASeparator) {
  EXPECT_EQ(SplitField(u"a b=c", u"=", 1, 1), u"a");
  EXPECT_EQ(SplitField(u"a b=c", u"=", 2, 1), u"b");
  EXPECT_EQ(SplitField(u"a b=c", u"=", 3, 1), u"c");
  EXPECT_EQ(SplitField(u"a=b c", u"=", 2, 1), u"b c");
  EXPECT_EQ(SplitField(u"a=b c", u"=", 1, 1), u"a");
}

TEST(TextHelpers, PairsAndHexDigits) {
  EXPECT_EQ(engine::KeyOfPair(u"  width = 800 "), u"WIDTH");
  EXPECT_EQ(engine::ValueOfPair(u"  width = 800 "), u"800");
  EXPECT_EQ(engine::ValueOfPair(u"alone"), u"alone");
  EXPECT_EQ(engine::HexToInt(u"1F"), 31);
  EXPECT_EQ(engine::HexToInt(u"ff"), 0);
  EXPECT_EQ(engine::HexToInt(u"1f"), 16);
  EXPECT_EQ(engine::HexToInt(u""), 0);
  EXPECT_EQ(engine::HexToInt(u"FFFFFFFF"), -1);
  EXPECT_EQ(engine::HexToInt(u"123456789"), 0x23456789);  // wraps quietly
  EXPECT_EQ(engine::HexToInt(u"-$G"), 0);
}

TEST(TextHelpers, ShuffleIsARepeatablePermutationDrawingOncePerCharacter) {
  Text text = u"the quick brown fox";
  fw_seed_rnd(42);
  Text shuffled = engine::ShuffleString(text);
  int32_t after = platform::RandomState();
  fw_seed_rnd(42);
  for (size_t i = 0; i < text.size(); ++i) fw_rand_int(1, 19);
  EXPECT_EQ(platform::RandomState(), after);
  fw_seed_rnd(42);
  EXPECT_EQ(engine::ShuffleString(text), shuffled);
  EXPECT_NE(shuffled, text);
  std::sort(shuffled.begin(), shuffled.end());
  std::sort(text.begin(), text.end());
  EXPECT_EQ(shuffled, text);
  EXPECT_EQ(engine::ShuffleString(u""), u"");
}

TEST(TextHelpers, ScramblersUndoEachOther) {
  fw_seed_rnd(5);
  for (int length = 2; length < 60; ++length) {
    Text text;
    for (int i = 0; i < length; ++i) text += char16_t(fw_rand_int(0, 300));
    Text forward = engine::ScrambleForward(text);
    EXPECT_EQ(forward.size(), text.size());
    EXPECT_EQ(engine::ScrambleBackward(forward), text);
    EXPECT_EQ(engine::ScrambleForward(engine::ScrambleBackward(text)), text);
  }
  EXPECT_EQ(engine::ScrambleForward(u"q"), Text(1, u'\0'));
  EXPECT_EQ(engine::ScrambleBackward(u"q"), Text(1, u'\0'));
  EXPECT_EQ(engine::ScrambleForward(u""), u"");
  // Worked by hand: i = 1: d = 'c', 1 + 99 mod 3 + 1 = 2, so a ^ b.
  EXPECT_EQ(engine::ScrambleForward(u"abc")[0], char16_t('a' ^ 'b'));
}

TEST(TextHelpers, RunLengthCoding) {
  EXPECT_EQ(engine::RunLengthEncode(u"aaab"), u"CaAb");
  EXPECT_EQ(engine::RunLengthEncode(u"abcdefghijkl"), u"AaAbAcAdAeAfAgAhAiAj AkAl");
  EXPECT_EQ(engine::RunLengthEncode(u"abcdefghij"), u"AaAbAcAdAeAfAgAhAiAj");
  EXPECT_EQ(engine::RunLengthEncode(Text(27, u'x')), u"ax");
  EXPECT_EQ(engine::RunLengthEncode(Text(52, u'x')), u"zx");
  EXPECT_EQ(engine::RunLengthEncode(Text(53, u'a')), u"zaAa");
  for (const Text& text : {Text(u"aaab"), Text(53, u'a'), Text(u"abcdefghijkl"),
                           Text(u"  zz\x01\x01\x01 ") + Text(200, u'Q') + u"end"}) {
    EXPECT_EQ(engine::RunLengthDecode(engine::RunLengthEncode(text)), text);
  }
  EXPECT_EQ(engine::RunLengthDecode(u"C"), u"");
  EXPECT_EQ(engine::RunLengthDecode(u""), u"");
  EXPECT_EQ(engine::RunLengthDecode(u"[x"), Text(21, u'x'));
}

TEST(TextHelpers, ThousandsGroups) {
  EXPECT_EQ(engine::FormatThousands(1234567, u""), u"1,234,567");
  EXPECT_EQ(engine::FormatThousands(999, u""), u"999");
  EXPECT_EQ(engine::FormatThousands(1000, u""), u"1,000");
  EXPECT_EQ(engine::FormatThousands(100000, u"$"), u"$100,000");
  EXPECT_EQ(engine::FormatThousands(0, u""), u"0");
  EXPECT_EQ(engine::FormatThousands(-123456, u""), u"-123,456");
  EXPECT_EQ(engine::FormatThousands(-2147483647 - 1, u"#"), u"#-2,147,483,648");
}
