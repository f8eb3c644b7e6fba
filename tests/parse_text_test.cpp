// The one reading of typed numbers and UTC moments, for the window and the
// command line alike.

#include "parse_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace quillmere {
namespace {

// Reals and whole numbers follow the same rules; a whole number takes
// digits alone.
TEST(ParseNumberTest, ReadsTheWholeTextOrNothing) {
  constexpr std::nullopt_t no = std::nullopt;
  struct Case {
    std::string_view text;
    std::optional<double> real;
    std::optional<int> whole;
    const char* why;
  };
  const Case cases[] = {
      {"52.1", 52.1, no, "plain decimal"},
      {"1440", 1440.0, 1440, "plain"},
      {"-0.25", -0.25, no, "negative"},
      {"-3", -3.0, -3, "negative, left to the caller's range"},
      {"+10", 10.0, 10, "plus sign, as typed locations take it"},
      {"+7", 7.0, 7, "plus sign"},
      {"1e3", 1000.0, no, "exponent"},
      {".5", 0.5, no, "no digit before the point"},
      {"1.5", 1.5, no, "a fraction"},
      {"", no, no, "empty"},
      {" 1", no, no, "blank before: the caller trims typed text"},
      {"1 ", no, no, "blank after"},
      {"+-5", no, no, "two signs"},
      {"+-1", no, no, "two signs"},
      {"+", no, no, "a sign alone"},
      {"1,5", no, no, "decimal comma"},
      {"12x", no, no, "trailing text"},
      {"inf", no, no, "infinity"},
      {"nan", no, no, "not a number"},
      {"1e999", no, no, "beyond a double"},
      {"99999999999", 99999999999.0, no, "beyond an int"},
      {"0x10", no, no, "hexadecimal"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseNumber(c.text), c.real) << c.why << ": \"" << c.text << '"';
    EXPECT_EQ(ParseWholeNumber(c.text), c.whole) << c.why << ": \"" << c.text << '"';
  }
}

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

}  // namespace
}  // namespace quillmere
