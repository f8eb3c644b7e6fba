// The calculator's UTC clock and the reading of a moment typed by the user.

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <optional>
#include <string_view>

#include "sunmoon.h"
#include "utc_clock.h"

namespace quillmere {
namespace {

struct ValidCase {
  std::string_view text;
  UtcDateTime expected;
};

const ValidCase kValidTexts[] = {
    {"2017-08-21T18:26:40", {2017, 8, 21, 18, 26, 40, 0}},
    {"2024-02-29T23:59:59", {2024, 2, 29, 23, 59, 59, 0}},  // leap year
    {"2000-02-29T00:00:00", {2000, 2, 29, 0, 0, 0, 0}},     // leap by the 400-year rule
    {"2023-12-31T12:00:00", {2023, 12, 31, 12, 0, 0, 0}},
    {"2024-04-30T07:05:09", {2024, 4, 30, 7, 5, 9, 0}},
    {"0001-01-01T00:00:00", {1, 1, 1, 0, 0, 0, 0}},
    {"9999-12-31T23:59:59", {9999, 12, 31, 23, 59, 59, 0}},
};

TEST(ParseUtcTest, ReadsValidMoments) {
  for (const ValidCase& c : kValidTexts) {
    const std::optional<UtcDateTime> parsed = ParseUtc(c.text);
    ASSERT_TRUE(parsed.has_value()) << c.text;
    EXPECT_EQ(*parsed, c.expected) << c.text;
  }
}

struct InvalidCase {
  std::string_view text;
  const char* why;
};

const InvalidCase kInvalidTexts[] = {
    {"2023-02-29T00:00:00", "29 February of a common year"},
    {"1900-02-29T12:00:00", "29 February of a century year that is not leap"},
    {"2024-04-31T00:00:00", "31 April"},
    {"2024-06-31T00:00:00", "31 June"},
    {"2024-01-32T00:00:00", "day 32"},
    {"2024-01-00T00:00:00", "day 0"},
    {"2024-13-01T00:00:00", "month 13"},
    {"2024-00-10T00:00:00", "month 0"},
    {"0000-01-01T00:00:00", "year 0"},
    {"2024-01-01T24:00:00", "hour 24"},
    {"2024-01-01T23:60:00", "minute 60"},
    {"2016-12-31T23:59:60", "leap second"},
    {"2024-01-01 00:00:00", "space for T"},
    {"2024-01-01t00:00:00", "lower-case t"},
    {"2024-01-01T00:00:00Z", "zone suffix"},
    {"2024-01-01T00:00:00.5", "fraction"},
    {"2024-1-01T00:00:00", "one-digit month"},
    {"2024-01-01T0:00:00", "one-digit hour"},
    {"+024-01-01T00:00:00", "sign in the year"},
    {"2024-01-01T00:00:0", "short"},
    {"2024/01/01T00:00:00", "slashes"},
    {"2024-01-01T00-00-00", "dashes in the time"},
    {"2024-0a-01T00:00:00", "letter in a field"},
    {"", "empty"},
};

TEST(ParseUtcTest, RefusesMalformedOrOutOfRangeMoments) {
  for (const InvalidCase& c : kInvalidTexts) {
    EXPECT_FALSE(ParseUtc(c.text).has_value()) << c.why << ": " << c.text;
  }
}

// A parsed moment goes to the sun/moon component unchanged.
TEST(ParseUtcTest, AParsedMomentSetsTheComponent) {
  const UtcDateTime m = *ParseUtc("2024-04-08T18:21:00");
  auto library = MakeErfaSunMoon();
  library->DataToDLL(m.year, m.month, m.day, m.hour, m.minute, m.second, 0.0, 0.0, 0.0, 0, 0, 0.0);
  EXPECT_LT(library->GetMoonPhase() < 0.5 ? library->GetMoonPhase() : 1.0 - library->GetMoonPhase(),
            1e-4);  // the new moon of that day's eclipse
}

// Seconds since 1970-01-01 00:00 UTC of a moment.
std::int64_t UnixSeconds(const UtcDateTime& t) {
  using namespace std::chrono;
  const sys_days date{year{t.year} / t.month / t.day};
  return (date + hours{t.hour} + minutes{t.minute} + seconds{t.second}).time_since_epoch().count();
}

// UtcNow is the system's UTC, not the local time: it lies between two
// readings of time() taken around it.
TEST(UtcNowTest, IsTheSystemUtcClock) {
  const std::time_t before = std::time(nullptr);
  const UtcDateTime now = UtcNow();
  const std::time_t after = std::time(nullptr);
  EXPECT_GE(UnixSeconds(now), before);
  EXPECT_LE(UnixSeconds(now), after);
}

TEST(UtcNowTest, FieldsAreInRange) {
  const UtcDateTime now = UtcNow();
  EXPECT_GE(now.year, 2024);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  EXPECT_GE(now.day, 1);
  EXPECT_LE(now.day, 31);
  EXPECT_GE(now.hour, 0);
  EXPECT_LE(now.hour, 23);
  EXPECT_GE(now.minute, 0);
  EXPECT_LE(now.minute, 59);
  EXPECT_GE(now.second, 0);
  EXPECT_LE(now.second, 59);
  EXPECT_GE(now.millisecond, 0);
  EXPECT_LE(now.millisecond, 999);
}

TEST(UtcClockTest, AFixedClockAlwaysAnswersItsMoment) {
  const UtcDateTime moment{2018, 1, 31, 13, 27, 0, 0};
  const UtcClock clock = FixedUtcClock(moment);
  EXPECT_EQ(clock(), moment);
  EXPECT_EQ(clock(), moment);
}

TEST(UtcClockTest, TheSystemClockFitsTheClockType) {
  const UtcClock clock = UtcNow;
  EXPECT_GE(clock().year, 2024);
}

}  // namespace
}  // namespace quillmere
