#include <gtest/gtest.h>

#include "platform/platform.h"

TEST(Clock, DelayAdvancesTheScriptedClockAndNegativeDelaysDoNothing) {
  auto& host = platform::UseScriptedHost();
  host.SetClock(0xFFFFFFF0u);
  int32_t before = rt_millisecs();
  rt_delay(-5);
  EXPECT_EQ(rt_millisecs(), before);
  rt_delay(32);
  EXPECT_EQ(rt_millisecs(), 16);  // wrapped past 2^32
}

TEST(Clock, DateAndTimeHaveTheirFixedShapes) {
  Text date = fw_current_date();
  ASSERT_EQ(date.size(), 11u);
  EXPECT_EQ(date[2], u' ');
  EXPECT_EQ(date[6], u' ');
  Text time = fw_current_time();
  ASSERT_EQ(time.size(), 8u);
  EXPECT_EQ(time[2], u':');
  EXPECT_EQ(time[5], u':');
}

TEST(Clock, EndUnwindsToTheTestOnTheScriptedHost) {
  platform::UseScriptedHost();
  try {
    rt_end(3);
    FAIL();
  } catch (const platform::ProcessEnded& ended) {
    EXPECT_EQ(ended.code, 3);
  }
}
