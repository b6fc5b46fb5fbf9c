// The engine's clock reading, its packed pseudo-seconds timestamps (every
// month 31 days, every year 12 months), calendar helpers and bit fields.
#include <cmath>

#include "engine.h"

namespace engine {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kSecondsPerMonth = 31 * kSecondsPerDay;
constexpr int64_t kSecondsPerYear = 12 * kSecondsPerMonth;
// Day number of 1 January of year 0: month 1 and day 1 are 31 + 1 days in.
constexpr int64_t kFirstPackedDay = 32;

const char16_t* const kShortMonths[12] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                          u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
const char16_t* const kLongMonths[12] = {u"January",   u"February", u"March",    u"April",
                                         u"May",       u"June",     u"July",     u"August",
                                         u"September", u"October",  u"November", u"December"};

// A number read from `size` characters at `pos`, made non-negative.
int64_t FieldValue(const Text& text, int32_t pos, int32_t size) {
  int64_t value = rt_string_to_int(fw_mid(text, pos, size));
  return value < 0 ? -value : value;
}

int64_t MonthOfAbbreviation(const Text& letters) {
  for (int32_t month = 1; month <= 12; ++month) {
    if (letters == fw_upper(kShortMonths[month - 1])) return month;
  }
  return 0;
}

// The last `width` characters of zeros followed by the decimal text.
Text Padded(int64_t value, int32_t width) {
  return fw_right(Text(size_t(width), u'0') + rt_string_from_long(value), width);
}

// Day, month number and year of a "dd-mm-yyyy" text (any separators).
struct DateFields {
  int32_t day, month, year;
};
DateFields ReadDate(const Text& date) {
  return {rt_string_to_int(fw_mid(date, 1, 2)), rt_string_to_int(fw_mid(date, 4, 2)),
          rt_string_to_int(fw_mid(date, 7, 4))};
}

uint32_t BitValue(int32_t n) { return n >= 1 && n <= 32 ? uint32_t(1) << (n - 1) : 0; }

}  // namespace

int32_t NowMillis() { return rt_millisecs(); }

int64_t MakeTimestamp(const Text& date) {
  Text day_text = fw_upper(date.empty() ? fw_current_date() : date);
  Text time = fw_current_time();
  int64_t year = FieldValue(day_text, 8, 4);
  int64_t day = FieldValue(day_text, 1, 2);
  int64_t month = MonthOfAbbreviation(fw_mid(day_text, 4, 3));
  int64_t hour = FieldValue(time, 1, 2);
  int64_t minute = FieldValue(time, 4, 2);
  int64_t second = FieldValue(time, 7, 2);
  return year * kSecondsPerYear + month * kSecondsPerMonth + day * kSecondsPerDay + hour * 3600 +
         minute * 60 + second;
}

Text FormatTimeOfDay(int64_t timestamp) {
  return Padded(timestamp / 3600 % 24, 2) + u":" + Padded(timestamp / 60 % 60, 2) + u":" +
         Padded(timestamp % 60, 2);
}

// The remainders start at 0 while the packing counts days and months from
// 1, so a day 31 or a December date would read as day "00" of the next month
// or month "00" of the next year. From 1 January of year 0 on, every day
// number is exactly one packed date, shown as it was made; the day numbers
// before it (timestamp 0 among them) come from no date and show the bare
// remainders.
Text FormatDate(int64_t timestamp) {
  const int64_t days = timestamp / kSecondsPerDay;
  if (days < kFirstPackedDay) {
    return Padded(days % 31, 2) + u"-" + Padded(days / 31 % 12, 2) + u"-" + Padded(days / 372, 4);
  }
  const int64_t since_first = days - kFirstPackedDay;
  const int64_t in_year = since_first % 372;
  return Padded(in_year % 31 + 1, 2) + u"-" + Padded(in_year / 31 + 1, 2) + u"-" +
         Padded(since_first / 372, 4);
}

Text FormatDuration(int32_t ms, int32_t show_seconds, int32_t show_minutes, int32_t show_hours) {
  int32_t s = ms / 1000;
  Text text;
  if (show_seconds == 1) text = Padded(s % 60, 2);
  if (show_seconds == 1 && show_minutes == 1) text = u":" + text;
  if (show_minutes == 1) text = Padded(s / 60 % 60, 2) + text;
  if (show_minutes == 1 && show_hours == 1) text = u":" + text;
  if (show_hours == 1) text = Padded(s / 3600 % 24, 2) + text;
  return text;
}

// Zeller's congruence with January and February as months 11 and 12 of the
// year before.
int32_t DayNumberOfDate(const Text& date) {
  DateFields fields = ReadDate(date);
  int64_t day = fields.day;
  int64_t month = int64_t(fields.month) - 2;
  int64_t year = fields.year;
  if (month < 1) {
    month += 12;
    --year;
  }
  int64_t year_in_century = year % 100;
  int64_t century = (year - year_in_century) / 100;
  int64_t w = day + static_cast<int64_t>(std::floor((13.0 * double(month) - 1.0) / 5.0)) +
              year_in_century + year_in_century / 4 + century / 4 - 2 * century;
  int64_t weekday = w % 7;
  return static_cast<int32_t>(weekday < 0 ? weekday + 7 : weekday);
}

int32_t DaysInMonth(const Text& date) {
  DateFields fields = ReadDate(date);
  switch (fields.month) {
    case 4:
    case 6:
    case 9:
    case 11:
      return 30;
    case 2:
      return fields.year % 4 == 0 ? 29 : 28;
    default:
      return 31;
  }
}

Text MonthName(int32_t month, int32_t long_form) {
  if (month < 1 || month > 12) return Text();
  if (long_form == 0) return kShortMonths[month - 1];
  if (long_form == 1) return kLongMonths[month - 1];
  return Text();
}

int32_t BitIsSet(int32_t value, int32_t n) {
  return (static_cast<uint32_t>(value) & BitValue(n)) != 0 ? 1 : 0;
}

// The mask keeps only bits 1 to 30 besides bit n, as stored badge masks
// expect.
int32_t SetBit(int32_t value, int32_t n, int32_t bit) {
  uint32_t mask = 0x3FFFFFFFu - BitValue(n);
  return static_cast<int32_t>((static_cast<uint32_t>(value) & mask) +
                              static_cast<uint32_t>(bit) * BitValue(n));
}

}  // namespace engine
