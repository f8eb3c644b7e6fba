#include "utc_clock.h"

#include <algorithm>
#include <chrono>

#include "system_clock.h"

namespace quillmere {

UtcDateTime UtcFromUnixTime(UnixTime t) {
  using namespace std::chrono;
  if (t.seconds < kFirstUnixSecond) return {1, 1, 1, 0, 0, 0, 0};
  if (t.seconds > kLastUnixSecond) return {9999, 12, 31, 23, 59, 59, 999};
  // Days and the second of the day, rounded towards the past for moments
  // before 1970 as well.
  std::int64_t day_count = t.seconds / 86400;
  std::int64_t second_of_day = t.seconds % 86400;
  if (second_of_day < 0) {
    second_of_day += 86400;
    --day_count;
  }
  const year_month_day date{sys_days{days{day_count}}};
  const int s = static_cast<int>(second_of_day);
  const int ms = std::clamp(t.nanoseconds, std::int32_t{0}, std::int32_t{999999999}) / 1000000;
  return UtcDateTime{static_cast<int>(date.year()),
                     static_cast<int>(unsigned{date.month()}),
                     static_cast<int>(unsigned{date.day()}),
                     s / 3600,
                     s / 60 % 60,
                     s % 60,
                     ms};
}

std::int64_t UnixSecondsOf(const UtcDateTime& t) {
  using namespace std::chrono;
  const sys_days date{year{t.year} / month{static_cast<unsigned>(t.month)} /
                      day{static_cast<unsigned>(t.day)}};
  return std::int64_t{date.time_since_epoch().count()} * 86400 + t.hour * 3600 + t.minute * 60 +
         t.second;
}

UtcDateTime UtcNow() {
  return UtcFromUnixTime(ReadSystemClock());
}

int LocalOffsetAt(std::int64_t unix_seconds) {
  return LocalOffsetSeconds(unix_seconds);
}

UtcClock FixedUtcClock(UtcDateTime moment) {
  return [moment] { return moment; };
}

}  // namespace quillmere
