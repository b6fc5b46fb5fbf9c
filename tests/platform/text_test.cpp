#include <gtest/gtest.h>

#include <cmath>

#include "platform/platform.h"
#include "platform/platform_stage.h"

TEST(Text, MidLeftRightClampToTheText) {
  EXPECT_EQ(fw_mid(u"abc", 4, 1), u"");
  EXPECT_EQ(fw_mid(u"abc", 0, 2), u"a");
  EXPECT_EQ(fw_mid(u"abc", -5, 2), u"");
  EXPECT_EQ(fw_mid(u"abc", -5, -1), u"abc");
  EXPECT_EQ(fw_mid(u"abcdef", 2, 3), u"bcd");
  EXPECT_EQ(fw_mid(u"abcdef", 5), u"ef");
  EXPECT_EQ(fw_mid(u"abc", 2, 0x7fffffff), u"bc");
  EXPECT_EQ(fw_mid(u"abc", -0x7fffffff - 1, 0x7fffffff), u"");
  EXPECT_EQ(fw_right(u"ab", 6), u"ab");
  EXPECT_EQ(fw_right(u"abc", 2), u"bc");
  EXPECT_EQ(fw_left(u"abc", 2), u"ab");
  EXPECT_EQ(fw_left(u"abc", 0), u"");
  EXPECT_EQ(fw_right(u"abc", -1), u"");
}

TEST(Text, InstrReplaceAndTrim) {
  EXPECT_EQ(fw_instr(u"abcabc", u"bc"), 2);
  EXPECT_EQ(fw_instr(u"abcabc", u"bc", 3), 5);
  EXPECT_EQ(fw_instr(u"abcabc", u"x"), 0);
  EXPECT_EQ(fw_instr(u"abc", u"c", 9), 0);
  EXPECT_EQ(fw_instr(u"abc", u"a", -3), 1);
  EXPECT_EQ(fw_replace(u"a-b-c", u"-", u"--"), u"a--b--c");
  EXPECT_EQ(fw_replace(u"aaa", u"aa", u"b"), u"ba");
  EXPECT_EQ(fw_replace(u"abc", u"", u"x"), u"abc");
  EXPECT_EQ(fw_trim(Text(u"\t \x01 a b \r\n", 10)), u"a b");
  EXPECT_EQ(fw_trim(u"   "), u"");
}

TEST(Text, CaseMappingCoversAccentedGreekAndCyrillicLetters) {
  EXPECT_EQ(fw_upper(u"abz AZ 09 éÿ"), u"ABZ AZ 09 ÉŸ");
  EXPECT_EQ(fw_lower(u"ABZ ÀÞ Ÿ"), u"abz àþ ÿ");
  EXPECT_EQ(fw_upper(u"×÷ß"), u"×÷ß");  // no case pairs
  EXPECT_EQ(fw_upper(u"āłňŵž"), u"ĀŁŇŴŽ");
  EXPECT_EQ(fw_lower(u"ĀŁŇŴŽ"), u"āłňŵž");
  EXPECT_EQ(fw_upper(u"αβγωάώς"), u"ΑΒΓΩΆΏΣ");
  EXPECT_EQ(fw_lower(u"ΑΒΓΩΆΏ"), u"αβγωάώ");
  EXPECT_EQ(fw_upper(u"абвяёђѣӑ"), u"АБВЯЁЂѢӐ");
  EXPECT_EQ(fw_lower(u"АБВЯЁЂѢӐӀ"), u"абвяёђѣӑӏ");
  // Every mapped letter maps back, outside the one-way letters.
  for (char32_t c = 0; c < 0x530; ++c) {
    if (c == 0x130 || c == 0x131 || c == 0x17F || c == 0x3C2) continue;
    Text one(1, char16_t(c));
    Text up = fw_upper(one);
    if (up != one) {
      EXPECT_EQ(fw_lower(up), one) << int(c);
    }
  }
}

TEST(Text, HexAndDecimalTexts) {
  EXPECT_EQ(fw_hex(255), u"000000FF");
  EXPECT_EQ(fw_hex(-1), u"FFFFFFFF");
  EXPECT_EQ(fw_hex(0x1234ABCD), u"1234ABCD");
  EXPECT_EQ(rt_string_from_int(-2147483647 - 1), u"-2147483648");
  EXPECT_EQ(rt_string_from_long(9000000000LL), u"9000000000");
}

TEST(Text, NumbersReadWithBlanksSignsAndPrefixes) {
  EXPECT_EQ(rt_string_to_int(u"  42abc"), 42);
  EXPECT_EQ(rt_string_to_int(u"\t-17"), -17);
  EXPECT_EQ(rt_string_to_int(u"+8"), 8);
  EXPECT_EQ(rt_string_to_int(u"%1011"), 11);
  EXPECT_EQ(rt_string_to_int(u"%1021"), 2);
  EXPECT_EQ(rt_string_to_int(u"$fF"), 255);
  EXPECT_EQ(rt_string_to_int(u"-$10"), -16);
  EXPECT_EQ(rt_string_to_int(u"$"), 0);
  EXPECT_EQ(rt_string_to_int(u"x1"), 0);
  EXPECT_EQ(rt_string_to_int(u"- 1"), 0);
  EXPECT_EQ(rt_string_to_int(u""), 0);
  // No overflow check: the value wraps.
  EXPECT_EQ(rt_string_to_int(u"2147483648"), -2147483647 - 1);
  EXPECT_EQ(rt_string_to_int(u"4294967297"), 1);
  EXPECT_EQ(rt_string_to_int(u"$FFFFFFFF"), -1);
  EXPECT_EQ(rt_string_to_long(u"9223372036854775808"), INT64_MIN);
  EXPECT_EQ(rt_string_to_long(u"-12345678901"), -12345678901LL);
}

TEST(Text, CharactersAndComparison) {
  EXPECT_EQ(rt_string_from_char(0x416), Text(u"Ж"));
  EXPECT_EQ(rt_string_first_char(u"Жx"), 0x416);
  EXPECT_EQ(rt_string_first_char(u""), -1);
  EXPECT_EQ(rt_string_compare(u"abc", u"abc"), 0);
  EXPECT_LT(rt_string_compare(u"ab", u"abc"), 0);
  EXPECT_GT(rt_string_compare(u"b", u"abc"), 0);
  EXPECT_GT(rt_string_compare(u"\xFFFF", u"a"), 0);  // code units, not signed chars
}

TEST(Numbers, TruncationDivisionAndDegrees) {
  EXPECT_EQ(rt_float_to_int(2.9), 2);
  EXPECT_EQ(rt_float_to_int(-2.9), -2);
  EXPECT_EQ(rt_float_to_int(1e300), 2147483647);
  EXPECT_EQ(rt_float_to_int(-1e300), -2147483647 - 1);
  EXPECT_EQ(rt_float_to_int(std::nan("")), 0);
  EXPECT_EQ(wrap_div(-7, 2), -3);
  EXPECT_EQ(wrap_mod(-7, 2), -1);
  EXPECT_EQ(wrap_mod(7, -2), 1);
  EXPECT_EQ(wrap_div(5, 0), 0);
  EXPECT_EQ(wrap_mod(5, 0), 0);
  EXPECT_EQ(wrap_div(-2147483647 - 1, -1), -2147483647 - 1);
  EXPECT_EQ(wrap_mod(-2147483647 - 1, -1), 0);
  EXPECT_EQ(wrap_add(2147483647, 1), -2147483647 - 1);
  EXPECT_DOUBLE_EQ(fw_sin_deg(90), 1.0);
  EXPECT_NEAR(fw_cos_deg(60), 0.5, 1e-15);
}

class Handles : public platform_stage::PlatformCase {};

TEST_F(Handles, NumberedInOrderOfFirstRequestAndKeptAlive) {
  auto first = std::make_shared<platform::Object>();
  std::weak_ptr<platform::Object> watch;
  EXPECT_EQ(rt_handle_from_object(nullptr), 0);
  EXPECT_EQ(rt_handle_from_object(first), 1);
  {
    auto second = std::make_shared<platform::Object>();
    watch = second;
    EXPECT_EQ(rt_handle_from_object(second), 2);
  }
  EXPECT_FALSE(watch.expired());
  EXPECT_EQ(rt_handle_from_object(first), 1);
  EXPECT_EQ(rt_handle_to_object(1), first);
  EXPECT_EQ(rt_handle_to_object(2), watch.lock());
  EXPECT_EQ(rt_handle_to_object(0), nullptr);
  EXPECT_EQ(rt_handle_to_object(3), nullptr);
  EXPECT_EQ(rt_handle_to_object(-1), nullptr);
}

TEST_F(Handles, AReleasedHandleFreesItsObjectAndIsNeverGivenOutAgain) {
  std::weak_ptr<platform::Object> watch;
  int32_t slot = 0;
  {
    auto old_object = std::make_shared<platform::Object>();
    watch = old_object;
    rt_replace_handle(slot, rt_handle_from_object(old_object));
  }
  ASSERT_EQ(slot, 1);
  rt_replace_handle(slot, rt_handle_from_object(std::make_shared<platform::Object>()));
  EXPECT_EQ(slot, 2);
  EXPECT_TRUE(watch.expired());
  EXPECT_EQ(rt_handle_to_object(1), nullptr);
  rt_release_handle(1);  // twice is harmless
  rt_release_handle(99);
  EXPECT_EQ(rt_handle_from_object(std::make_shared<platform::Object>()), 3);
}
