#include "parse_text.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <system_error>

namespace quillmere {
namespace {

// from_chars takes a '-' but no '+'; a '+' is taken here, and only before
// a digit or a point, so that "+-5" stays refused.
template <typename T>
std::optional<T> ParseWhole(std::string_view text) {
  if (text.starts_with('+')) {
    text.remove_prefix(1);
    if (text.empty() || text.front() == '-') return std::nullopt;
  }
  T value{};
  const char* const end = text.data() + text.size();
  const auto [stop, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || stop != end) return std::nullopt;
  return value;
}

// Days in `month` of `year` by the Gregorian rule.
int DaysInMonth(int year, int month) {
  const std::chrono::year_month_day_last last_day{
      std::chrono::year{year},
      std::chrono::month_day_last{std::chrono::month{static_cast<unsigned>(month)}}};
  return static_cast<int>(unsigned{last_day.day()});
}

// Reads `count` decimal digits starting at `pos`; nothing if any is not a
// digit (a sign or a blank included).
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

std::optional<double> ParseNumber(std::string_view text) {
  const auto value = ParseWhole<double>(text);
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return value;
}

std::optional<int> ParseWholeNumber(std::string_view text) {
  return ParseWhole<int>(text);
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

}  // namespace quillmere
