// Clock, local date and time, process end and the memory figures.
#include <malloc.h>

#include <cstdlib>
#include <ctime>

#include "internal.h"

int32_t rt_millisecs() { return static_cast<int32_t>(platform::CurrentHost().Millisecs()); }

void rt_delay(int32_t ms) {
  if (ms < 0) return;
  platform::CurrentHost().Delay(ms);
}

namespace {
std::tm LocalNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

Text TwoDigits(int value) {
  return Text{char16_t(u'0' + value / 10 % 10), char16_t(u'0' + value % 10)};
}
}  // namespace

// Built by hand rather than with strftime so that the month stays English
// whatever the locale says.
Text fw_current_date() {
  static const char16_t* const kMonths[12] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                              u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
  std::tm now = LocalNow();
  return TwoDigits(now.tm_mday) + u" " + kMonths[now.tm_mon] + u" " +
         rt_string_from_int(now.tm_year + 1900);
}

Text fw_current_time() {
  std::tm now = LocalNow();
  return TwoDigits(now.tm_hour) + u":" + TwoDigits(now.tm_min) + u":" + TwoDigits(now.tm_sec);
}

void rt_end(int32_t exit_code) {
  platform::ShutDownAudio();
  platform::CurrentHost().EndProcess(exit_code);
  std::abort();  // hosts never return from EndProcess
}

void fw_debug_log(const Text&) {}

// Memory is reclaimed by reference counting as soon as the last reference
// goes, so there is never anything left for a collection to free.
void rt_gc_set_mode(int32_t) {}

int32_t rt_gc_collect() { return 0; }

int32_t rt_gc_memory_in_use() {
  size_t in_use = mallinfo2().uordblks;
  return in_use > 0x7fffffff ? 0x7fffffff : static_cast<int32_t>(in_use);
}
