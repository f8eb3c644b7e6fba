// The calculator's UTC clock, and a typed moment handed to the sun/moon component.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string_view>

#include "sunmoon.h"
#include "utc_clock.h"

namespace quillmere {
namespace {

// A parsed moment goes to the sun/moon component unchanged.
TEST(ParseUtcTest, AParsedMomentSetsTheComponent) {
  const UtcDateTime m = *ParseUtc("2024-04-08T18:21:00");
  auto library = MakeErfaSunMoon();
  library->DataToDLL(m.year, m.month, m.day, m.hour, m.minute, m.second, 0.0, 0.0, 0.0, 0, 0, 0.0);
  EXPECT_LT(library->GetMoonPhase() < 0.5 ? library->GetMoonPhase() : 1.0 - library->GetMoonPhase(),
            1e-4);  // the new moon of that day's eclipse
}

// UtcNow, as the calculator's clock, is the system's UTC, not the local
// time: it lies between two readings of time() taken around it, and its
// fields are a moment of the calendar (the seconds they count give them back).
TEST(UtcNowTest, IsTheSystemUtcClockInCalendarFields) {
  const UtcClock clock = UtcNow;
  // The same clock as the program's, not time(), which reads the kernel's
  // coarse clock and may still show the second before.
  const auto seconds = [] {
    return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now())
        .time_since_epoch()
        .count();
  };
  const std::int64_t before = seconds();
  const UtcDateTime now = clock();
  const std::int64_t after = seconds();
  EXPECT_GE(UnixSecondsOf(now), before);
  EXPECT_LE(UnixSecondsOf(now), after);
  ASSERT_GE(now.millisecond, 0);
  ASSERT_LE(now.millisecond, 999);
  EXPECT_EQ(UtcFromUnixTime({UnixSecondsOf(now), now.millisecond * 1000000}), now);
}

// The system clock's reading turned into the calendar, as UtcNow does with
// the seconds the system gives. Expected values: the proleptic Gregorian
// calendar counted from 1970-01-01 (e.g. the `date -u -d @S` of GNU coreutils).
struct UnixCase {
  const char* what;
  UnixTime reading;
  UtcDateTime expected;
};

const UnixCase kUnixReadings[] = {
    {"the epoch", {0, 0}, {1970, 1, 1, 0, 0, 0, 0}},
    {"one millisecond before the epoch", {-1, 999000000}, {1969, 12, 31, 23, 59, 59, 999}},
    {"the first moment of year 1", {-62135596800, 0}, {1, 1, 1, 0, 0, 0, 0}},
    {"the last moment of year 9999", {253402300799, 999999999}, {9999, 12, 31, 23, 59, 59, 999}},
    // A count of nanoseconds in 64 bits ends at 2262-04-11T23:47:16.
    {"the last second a nanosecond count holds",
     {9223372036, 854775807},
     {2262, 4, 11, 23, 47, 16, 854}},
    {"the next day", {9223372800, 0}, {2262, 4, 12, 0, 0, 0, 0}},
    {"29 February 2400, a leap day by the 400-year rule",
     {13574563200, 0},
     {2400, 2, 29, 0, 0, 0, 0}},
    {"1 March 2100, no leap day before it", {4107542400, 500000000}, {2100, 3, 1, 0, 0, 0, 500}},
    {"before year 1: the first moment", {-62135596801, 0}, {1, 1, 1, 0, 0, 0, 0}},
    {"the most negative reading: the first moment", {INT64_MIN, 0}, {1, 1, 1, 0, 0, 0, 0}},
    {"after year 9999: the last moment", {253402300800, 0}, {9999, 12, 31, 23, 59, 59, 999}},
    {"the largest reading: the last moment",
     {INT64_MAX, 999999999},
     {9999, 12, 31, 23, 59, 59, 999}},
};

TEST(UtcFromUnixTimeTest, IsExactForEveryYearOfTheCalendar) {
  for (const UnixCase& c : kUnixReadings) {
    EXPECT_EQ(UtcFromUnixTime(c.reading), c.expected) << c.what;
  }
}

TEST(UtcFromUnixTimeTest, RoundTripsThroughUnixSeconds) {
  for (const UnixCase& c : kUnixReadings) {
    const UtcDateTime m = UtcFromUnixTime(c.reading);
    EXPECT_EQ(UnixSecondsOf(m), std::clamp(c.reading.seconds, kFirstUnixSecond, kLastUnixSecond))
        << c.what;
  }
}

TEST(UtcClockTest, AFixedClockAlwaysAnswersItsMoment) {
  const UtcDateTime moment{2018, 1, 31, 13, 27, 0, 0};
  const UtcClock clock = FixedUtcClock(moment);
  EXPECT_EQ(clock(), moment);
  EXPECT_EQ(clock(), moment);
}

}  // namespace
}  // namespace quillmere
