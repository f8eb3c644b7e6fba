#pragma once
// The calculator's clock: the UTC moment the moon data is computed for.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

// UtcDateTime and ParseUtc, the one reading of a typed UTC moment.
#include "parse_text.h"

namespace quillmere {

// A reading of the system's clock: whole seconds since 1970-01-01 00:00:00
// UTC (Unix time, which counts no leap seconds) and the nanoseconds into the
// second (0..999 999 999). Whole seconds keep every year of the calendar in
// range; a single count of nanoseconds would end in April 2262.
struct UnixTime {
  std::int64_t seconds;
  std::int32_t nanoseconds;
};

// First and last moment the calculator works with: 0001-01-01T00:00:00 and
// 9999-12-31T23:59:59, in Unix seconds.
inline constexpr std::int64_t kFirstUnixSecond = -62135596800;
inline constexpr std::int64_t kLastUnixSecond = 253402300799;

// The calendar moment of a reading, to the millisecond, exact over
// 0001-01-01 .. 9999-12-31 (proleptic Gregorian calendar). A reading before
// the first moment gives the first moment, one after the last gives
// 9999-12-31T23:59:59.999: a clock set absurdly far still gives a date the
// sun/moon component can take.
UtcDateTime UtcFromUnixTime(UnixTime t);

// Unix seconds of a moment (its milliseconds dropped); the inverse of
// UtcFromUnixTime over the same years.
std::int64_t UnixSecondsOf(const UtcDateTime& t);

// The current moment from the system's UTC clock, to the millisecond:
// UtcFromUnixTime of the system's reading. The system clock counts no leap
// seconds: during one it repeats a second, which the calculator, working to
// whole seconds, cannot tell apart.
UtcDateTime UtcNow();

// Where the calculator takes "now" from: UtcNow in the program, a fixed
// moment for a command-line --utc option or a test.
using UtcClock = std::function<UtcDateTime()>;

// The offset of the local time from UTC at `unix_seconds`, seconds east
// (summer time included).
int LocalOffsetAt(std::int64_t unix_seconds);

// A clock that always answers `moment`.
UtcClock FixedUtcClock(UtcDateTime moment);

}  // namespace quillmere
