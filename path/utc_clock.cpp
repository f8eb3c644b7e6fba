#include "utc_clock.h"

#include <chrono>

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

UtcDateTime UtcNow() {
  using namespace std::chrono;
  // system_clock is UTC without leap seconds (Unix time) on every platform
  // the calculator builds for, and so needs no time-zone arithmetic.
  const auto now = time_point_cast<milliseconds>(system_clock::now());
  const auto midnight = floor<days>(now);
  const year_month_day date{midnight};
  const hh_mm_ss time{now - midnight};
  return UtcDateTime{static_cast<int>(date.year()),
                     static_cast<int>(unsigned{date.month()}),
                     static_cast<int>(unsigned{date.day()}),
                     static_cast<int>(time.hours().count()),
                     static_cast<int>(time.minutes().count()),
                     static_cast<int>(time.seconds().count()),
                     static_cast<int>(time.subseconds().count())};
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
