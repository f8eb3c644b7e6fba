#pragma once
// Numbers and UTC moments read from text the user typed or gave on the
// command line, the same way wherever they are typed: '.' as the decimal
// point whatever the locale, no blanks, no thousands separators.

#include <optional>
#include <string_view>

namespace quillmere {

// The whole text as one number: optionally '+' or '-', then decimal digits
// with at most one '.' and an exponent for a real ("52.1", "-0.25", "1e3",
// "+10"); digits alone for a whole number ("1440", "-3"). Returns nothing
// for anything else: an empty text, blanks anywhere, a second sign ("+-5"),
// a trailing character, a value out of the type's range, or a real that is
// not finite ("inf", "nan"). Callers that take typed text with blanks
// around it trim them first.
std::optional<double> ParseNumber(std::string_view text);
std::optional<int> ParseWholeNumber(std::string_view text);

// A UTC calendar date and time of day (proleptic Gregorian calendar).
struct UtcDateTime {
  int year, month, day;      // e.g. 2024, 4, 8
  int hour, minute, second;  // 0..23, 0..59, 0..59
  int millisecond;           // 0..999

  friend bool operator==(const UtcDateTime&, const UtcDateTime&) = default;
};

// Reads a moment written "YYYY-MM-DDTHH:MM:SS" (exactly that: four-digit
// year 0001..9999, two digits for every other field, an upper-case T, no
// zone suffix, no fraction). Returns nothing unless every field is in range:
// month 1..12, day 1..the days of that month (29 February only in leap
// years of the Gregorian rule), hour 0..23, minute 0..59, second 0..59.
// A leap second (:60) is refused, as the calculator cannot know whether a
// given day ended in one. The milliseconds of the result are 0.
std::optional<UtcDateTime> ParseUtc(std::string_view text);

}  // namespace quillmere
