#include <gtest/gtest.h>

#include "engine/engine.h"
#include "fresh_start.h"
#include "scores/scores.h"

using scores::ScrambleText;
using scores::UnscrambleText;

namespace {

const Text kAlphabet = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ";

Text RandomText(int32_t length) {
  Text text;
  for (int32_t i = 0; i < length; ++i) text += char16_t(fw_rand_int(0, 255));
  return text;
}

bool IsUpperHex(const Text& text) {
  for (char16_t c : text) {
    if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'))) return false;
  }
  return true;
}

class Scrambler : public FreshStartTest {};

}  // namespace

TEST_F(Scrambler, MatchesValuesWorkedOutByHand) {
  // Computed by a separate script following the two passes step by step.
  EXPECT_EQ(ScrambleText(u"abcd", kAlphabet), u"323E3F6461626F3F3D317C7D7E766766");
  EXPECT_EQ(ScrambleText(u"Player|1234", u"KEY"),
            u"7C60233E2C20362A2A323334506C6179657B75687F7D6E");
  EXPECT_EQ(UnscrambleText(u"323E3F6461626F3F3D317C7D7E766766", kAlphabet), u"abcd");
}

TEST_F(Scrambler, RoundTripsEveryByteWithLengthTwiceNPlusTwelve) {
  fw_seed_rnd(2026);
  for (const Text& key : {kAlphabet, Text(u"k"), Text(u"\x01\xFF key")}) {
    for (int32_t length = 1; length <= 80; ++length) {
      Text text = RandomText(length);
      Text scrambled = ScrambleText(text, key);
      ASSERT_EQ(scrambled.size(), size_t(2 * (length + 12)));
      ASSERT_TRUE(IsUpperHex(scrambled));
      ASSERT_EQ(UnscrambleText(scrambled, key), text) << length;
    }
  }
  Text every_byte;
  for (int c = 0; c < 256; ++c) every_byte += char16_t(c);
  EXPECT_EQ(UnscrambleText(ScrambleText(every_byte, kAlphabet), kAlphabet), every_byte);
}

TEST_F(Scrambler, DamagedOrForeignTextsGiveXXX) {
  fw_seed_rnd(7);
  Text text = u"name|12345|0|x";
  Text scrambled = ScrambleText(text, kAlphabet);
  EXPECT_EQ(UnscrambleText(scrambled, u"ABCDEFGHIJKLMNOPQRSTUVWXYA"), u"XXX");
  EXPECT_EQ(UnscrambleText(fw_lower(scrambled), kAlphabet), u"XXX");
  for (size_t at = 0; at < scrambled.size(); ++at) {
    Text damaged = scrambled;
    damaged[at] = damaged[at] == u'0' ? u'1' : u'0';
    EXPECT_EQ(UnscrambleText(damaged, kAlphabet), u"XXX") << at;
  }
  EXPECT_EQ(UnscrambleText(fw_left(scrambled, 30), kAlphabet), u"XXX");
}

TEST_F(Scrambler, ShortOrOddInputsFailSafely) {
  for (int32_t length = 0; length < 26; ++length)
    EXPECT_EQ(UnscrambleText(Text(size_t(length), u'7'), kAlphabet), u"XXX") << length;
  Text scrambled = ScrambleText(u"odd", kAlphabet);
  EXPECT_EQ(UnscrambleText(scrambled + u"F", kAlphabet), u"odd");  // odd digit ignored
  EXPECT_EQ(UnscrambleText(u"zz!!  --$$%%zz!!  --$$%%zz!!", kAlphabet), u"XXX");
}

TEST_F(Scrambler, DefaultKeyFromTitlesTaglineAndWeek) {
  EXPECT_EQ(scores::Tagline.size(), 33u);
  EXPECT_TRUE(scores::DefaultScrambleKey.empty());
  EXPECT_EQ(scores::BuildDefaultScrambleKey(), 0);
  const Text& key = scores::DefaultScrambleKey;
  size_t title = engine::TitleName.size() + 1 + engine::TitleSubName.size();
  ASSERT_EQ(key.size(), 2 * (title + 33));
  for (size_t i = 0; i < key.size(); i += 2) {
    EXPECT_GE(key[i], 31);
    EXPECT_LE(key[i], 105);
    EXPECT_GE(key[i + 1], 36);
    EXPECT_LE(key[i + 1], 106);
  }
  Text first_key = key;
  scores::BuildDefaultScrambleKey();
  EXPECT_EQ(key, first_key);
  Text scrambled = ScrambleText(u"record", u"");
  EXPECT_EQ(scrambled, ScrambleText(u"record", key));
  EXPECT_EQ(UnscrambleText(scrambled, u""), u"record");
  EXPECT_EQ(UnscrambleText(scrambled, kAlphabet), u"XXX");
}

TEST_F(Scrambler, AnEmptyDefaultKeyIsBuiltWhenFirstNeeded) {
  Text scrambled = ScrambleText(u"early", u"");
  EXPECT_FALSE(scores::DefaultScrambleKey.empty());
  EXPECT_EQ(UnscrambleText(scrambled, scores::DefaultScrambleKey), u"early");
}
