#include "utc_clock.h"

#include <algorithm>
#include <chrono>

#include "system_clock.h"

namespace quillmere {
namespace {

// Days in `month` of `year` by the Gregorian rule.
int DaysInMonth(int year, int month) {
  const std::chrono::year_month_day_last last_day{
      std::chrono::year{year},
      std::chrono::month_day_last{std::chrono::month{static_cast<unsigned>(month)}}};
  return static_cast<int>(unsigned{last_day.day()});
}

// Reads `count` decimal digits starting at `pos`; nothing if any is not a
// digit.
std::optional<int> Digits(std::string_view text, std::size_t pos, std::size_t count) {
  int value = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

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

std::optional<UtcDateTime> ParseUtc(std::string_view text) {
  // YYYY-MM-DDTHH:MM:SS
  // 0123456789012345678
  if (text.size() != 19) return std::nullopt;
  if (text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':') {
    return std::nullopt;
  }
  const auto year = Digits(text, 0, 4);
  const auto month = Digits(text, 5, 2);
  const auto day = Digits(text, 8, 2);
  const auto hour = Digits(text, 11, 2);
  const auto minute = Digits(text, 14, 2);
  const auto second = Digits(text, 17, 2);
  if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
  if (*year < 1 || *month < 1 || *month > 12) return std::nullopt;
  if (*day < 1 || *day > DaysInMonth(*year, *month)) return std::nullopt;
  if (*hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
  return UtcDateTime{*year, *month, *day, *hour, *minute, *second, 0};
}

UtcClock FixedUtcClock(UtcDateTime moment) {
  return [moment] { return moment; };
}

}  // namespace quillmere
