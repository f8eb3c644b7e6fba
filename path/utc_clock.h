#pragma once
// The calculator's clock: the UTC moment the moon data is computed for.

#include <functional>
#include <optional>
#include <string_view>

namespace quillmere {

// A UTC calendar date and time of day (proleptic Gregorian calendar).
struct UtcDateTime {
  int year, month, day;      // e.g. 2024, 4, 8
  int hour, minute, second;  // 0..23, 0..59, 0..59
  int millisecond;           // 0..999

  friend bool operator==(const UtcDateTime&, const UtcDateTime&) = default;
};

// The current moment from the system's UTC clock, to the millisecond. The
// system clock counts no leap seconds: during one it repeats a second, which
// the calculator, working to whole seconds, cannot tell apart.
UtcDateTime UtcNow();

// Reads a moment written "YYYY-MM-DDTHH:MM:SS" (exactly that: four-digit
// year 0001..9999, two digits for every other field, an upper-case T, no
// zone suffix, no fraction). Returns nothing unless every field is in range:
// month 1..12, day 1..the days of that month (29 February only in leap
// years of the Gregorian rule), hour 0..23, minute 0..59, second 0..59.
// A leap second (:60) is refused, as the calculator cannot know whether a
// given day ended in one. The milliseconds of the result are 0.
std::optional<UtcDateTime> ParseUtc(std::string_view text);

// Where the calculator takes "now" from: UtcNow in the program, a fixed
// moment for a command-line --utc option or a test.
using UtcClock = std::function<UtcDateTime()>;

// A clock that always answers `moment`.
UtcClock FixedUtcClock(UtcDateTime moment);

}  // namespace quillmere
