#include <gtest/gtest.h>

#include "engine/engine.h"

using namespace engine;

TEST(Dates, TimestampOfADateTakesTheCurrentTime) {
  Text before, after;
  int64_t stamp;
  do {  // retry when the second changes under us
    before = fw_current_time();
    stamp = MakeTimestamp(u"01 JAN 2000");
    after = fw_current_time();
  } while (before != after);
  int64_t seconds = rt_string_to_int(fw_mid(before, 1, 2)) * 3600 +
                    rt_string_to_int(fw_mid(before, 4, 2)) * 60 +
                    rt_string_to_int(fw_mid(before, 7, 2));
  EXPECT_EQ(stamp - seconds, 64284410096LL - 45296);
  EXPECT_EQ(FormatDate(64284410096LL), u"01-01-2000");
  EXPECT_EQ(FormatTimeOfDay(64284410096LL), u"12:34:56");
  int64_t no_month = MakeTimestamp(u"15 xyz 2010") % 86400;
  EXPECT_EQ(MakeTimestamp(u"15 xyz 2010") - no_month, 2010 * 32140800LL + 15 * 86400);
  EXPECT_EQ(MakeTimestamp(u"15 dec 2010") - no_month,
            2010 * 32140800LL + 12 * 2678400 + 15 * 86400);
}

TEST(Dates, TodayRoundTripsThroughFormatDate) {
  Text today = fw_current_date();  // "dd Mon yyyy"
  Text shown = FormatDate(MakeTimestamp());
  EXPECT_EQ(fw_left(shown, 2), fw_left(today, 2));
  EXPECT_EQ(fw_right(shown, 4), fw_right(today, 4));
}

TEST(Dates, DayThirtyOneAndDecemberShowAsMade) {
  int64_t day31 = 2026 * 32140800LL + 5 * 2678400 + 31 * 86400;
  EXPECT_EQ(FormatDate(day31), u"31-05-2026");
  int64_t december = 2026 * 32140800LL + 12 * 2678400 + 24 * 86400 + 3600;
  EXPECT_EQ(FormatDate(december), u"24-12-2026");
  EXPECT_EQ(FormatDate(2026 * 32140800LL + 6 * 2678400 + 8 * 86400), u"08-06-2026");
}

// Before 1 January of year 0 no date packs to the day number, so there is
// no day 31 or December to recover and the remainders show as they are.
TEST(Dates, TimestampsBeforeTheFirstDateShowTheRemainders) {
  EXPECT_EQ(FormatDate(0), u"00-00-0000");
  EXPECT_EQ(FormatDate(MakeTimestamp(u"15 xyz 0000")), u"15-00-0000");
  EXPECT_EQ(FormatDate(31 * 86400LL), u"00-01-0000");
  EXPECT_EQ(FormatDate(32 * 86400LL), u"01-01-0000");
}

TEST(Dates, TimesOfDayAndDurations) {
  EXPECT_EQ(FormatTimeOfDay(86399), u"23:59:59");
  EXPECT_EQ(FormatTimeOfDay(86400), u"00:00:00");
  EXPECT_EQ(FormatTimeOfDay(7 * 3600 + 5 * 60 + 9), u"07:05:09");
  EXPECT_EQ(FormatDuration(3725000, 1, 1, 1), u"01:02:05");
  EXPECT_EQ(FormatDuration(3725000, 1, 1, 0), u"02:05");
  EXPECT_EQ(FormatDuration(3725000, 1, 0, 1), u"0105");
  EXPECT_EQ(FormatDuration(59999, 1, 1, 0), u"00:59");
  EXPECT_EQ(FormatDuration(61000, 1, 0, 0), u"01");
  EXPECT_EQ(FormatDuration(61000, 0, 1, 0), u"01");
  EXPECT_EQ(FormatDuration(61000, 2, 2, 2), u"");
}

TEST(Dates, Calendar) {
  EXPECT_EQ(DayNumberOfDate(u"01-01-2000"), 6);
  EXPECT_EQ(DayNumberOfDate(u"01-03-1900"), 4);
  EXPECT_EQ(DayNumberOfDate(u"08-12-2026"), 2);
  EXPECT_EQ(DayNumberOfDate(u"29-02-2024"), 4);
  EXPECT_EQ(DaysInMonth(u"01-02-2024"), 29);
  EXPECT_EQ(DaysInMonth(u"01-02-2023"), 28);
  EXPECT_EQ(DaysInMonth(u"01-02-2100"), 29);
  EXPECT_EQ(DaysInMonth(u"10-11-2023"), 30);
  EXPECT_EQ(DaysInMonth(u"10-13-2023"), 31);
  EXPECT_EQ(MonthName(5, 0), u"May");
  EXPECT_EQ(MonthName(5, 1), u"May");
  EXPECT_EQ(MonthName(9, 1), u"September");
  EXPECT_EQ(MonthName(12, 0), u"Dec");
  EXPECT_EQ(MonthName(0, 0), u"");
  EXPECT_EQ(MonthName(3, 2), u"");
  EXPECT_EQ(MonthName(13, 1), u"");
}

TEST(Bits, SetAndTest) {
  EXPECT_EQ(SetBit(0, 3, 1), 4);
  EXPECT_EQ(SetBit(7, 2, 0), 5);
  EXPECT_EQ(SetBit(0x7FFFFFFF, 1, 1), 0x3FFFFFFF);
  EXPECT_EQ(SetBit(-1, 16, 0), 0x3FFF7FFF);
  EXPECT_EQ(SetBit(0, 32, 1), -2147483647 - 1);
  EXPECT_EQ(BitIsSet(4, 3), 1);
  EXPECT_EQ(BitIsSet(4, 2), 0);
  EXPECT_EQ(BitIsSet(-2147483647 - 1, 32), 1);
  EXPECT_EQ(BitIsSet(-1, 0), 0);
  EXPECT_EQ(BitIsSet(-1, 33), 0);
}

TEST(Clock, NowMillisIsThePlatformClock) {
  auto& host = platform::UseScriptedHost();
  host.SetClock(0xFFFFFFFFu);
  EXPECT_EQ(NowMillis(), -1);
}
