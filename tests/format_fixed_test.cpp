// The number-to-text rule of every display.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

#include "format_fixed.h"

namespace quillmere {
namespace {

struct FormatCase {
  const char* what;
  Real value;
  int p, d;
  const char* expected;
};

TEST(FormatFixed, WritesTheFiguresTheDisplaysShow) {
  const FormatCase cases[] = {
      {"sky noise of a 10 dB slant", 252.0L, 4, 2, "252.00"},
      {"sky noise rounded to four digits first", 251.996L, 4, 2, "252.00"},
      {"four significant digits before two decimals", 1234.567L, 4, 2, "1235.00"},
      {"dry air at three decimals", 0.01234L, 8, 3, "0.012"},
      {"elevation of exactly 1 deg keeps a decimal", 1.0L, 8, 1, "1.0"},
      {"elevation of 1.5 deg without decimals", 1.5L, 8, 0, "2"},
      {"temperature without decimals", 15.0L, 4, 0, "15"},
      {"kelvin with two decimals", 288.15L, 6, 2, "288.15"},
      {"moon distance with one decimal", 356000.0L, 10, 1, "356000.0"},
      {"path loss at 15 digits", 252.0L, 15, 2, "252.00"},
      {"angular diameter, two significant digits", 0.524L, 2, 2, "0.52"},
      {"phase in degrees", 90.0L, 6, 0, "90"},
      {"EME loss at five digits padded to eight decimals", 288.123456L, 5, 8, "288.12000000"},
      {"small figure at eight decimals", 0.0080012345678L, 8, 8, "0.00800123"},
      {"zero at three decimals", 0.0L, 8, 3, "0.000"},
      {"negative figure", -1.5L, 8, 1, "-1.5"},
      {"negative rounding to zero loses its sign", -0.0004L, 8, 3, "0.000"},
      {"negative zero", -0.0L, 8, 2, "0.00"},
      {"a tie rounds away from zero", 0.125L, 8, 2, "0.13"},
      {"a negative tie rounds away from zero", -2.5L, 8, 0, "-3"},
      {"rounding carries into a new digit", 9.9996L, 4, 3, "10.000"},
      {"tiny value", 1e-300L, 8, 3, "0.000"},
      {"integer part at the precision limit", 9999.4L, 4, 0, "9999"},
      {"one significant digit, padded", 0.26L, 1, 2, "0.30"},
      {"eighteen decimals asked of 20: over 64 bits of units", 20.123456789L, 8, 18,
       "20.123457000000000000"},
      {"a precision under one is taken as one", 0.26L, 0, 2, "0.30"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatFixed(c.value, c.p, c.d), c.expected) << c.what;
  }
}

TEST(FormatFixed, RoundsOnceFromTheExtendedValue) {
  // Just below 0.015 in extended precision: rounding to three decimals
  // first and then to two would wrongly give 0.02.
  const Real below = std::nextafter(0.015L, 0.0L);
  EXPECT_EQ(FormatFixed(below, 8, 2), "0.01");
  EXPECT_EQ(FormatFixed(std::nextafter(0.015L, 1.0L), 8, 2), "0.02");
  // Away from exact ties, the digits are those of the exact binary value,
  // as the C library prints them.
  std::mt19937_64 rng(20261207);
  std::uniform_real_distribution<double> mantissa(0.0, 1.0);
  for (int i = 0; i < 20000; ++i) {
    const Real v = std::ldexp(static_cast<Real>(mantissa(rng)) + mantissa(rng) * 1e-16L,
                              static_cast<int>(rng() % 60) - 30);
    const int d = static_cast<int>(rng() % 9);
    char expected[80];
    std::snprintf(expected, sizeof expected, "%.*Lf", d, v);
    ASSERT_EQ(FormatFixed(v, 18, d), expected) << static_cast<double>(v) << " at " << d;
  }
}

TEST(FormatFixed, SwitchesToExponentWhenTheIntegerOutgrowsThePrecision) {
  EXPECT_EQ(FormatFixed(12345.0L, 4, 0), "1.235E+4");
  EXPECT_EQ(FormatFixed(9999.6L, 4, 0), "1.000E+4");
  EXPECT_EQ(FormatFixed(-123456789.0L, 8, 3), "-1.2345679E+008");
  EXPECT_EQ(FormatFixed(1e30L, 8, 8), "1.0000000E+0030");
}

TEST(FormatFixed, ShowsADashForFiguresWithoutAValue) {
  EXPECT_EQ(FormatFixed(std::numeric_limits<Real>::quiet_NaN(), 8, 3), kNoValue);
  EXPECT_EQ(FormatFixed(std::numeric_limits<Real>::infinity(), 8, 3), kNoValue);
  EXPECT_EQ(FormatFixed(-std::numeric_limits<Real>::infinity(), 16, 3), kNoValue);
  EXPECT_EQ(FormatFixedGrouped(std::numeric_limits<Real>::quiet_NaN(), 3, 1), kNoValue);
}

TEST(FormatFixed, GroupsThousandsOnlyInTheGroupingVariant) {
  EXPECT_EQ(FormatFixedGrouped(0.2L, 3, 1), "0.2");
  EXPECT_EQ(FormatFixedGrouped(4.0L, 3, 1), "4.0");
  EXPECT_EQ(FormatFixedGrouped(1234567.25L, 10, 2), "1,234,567.25");
  EXPECT_EQ(FormatFixedGrouped(-123456.0L, 10, 0), "-123,456");
  EXPECT_EQ(FormatFixed(1234567.25L, 10, 2), "1234567.25");
}

TEST(FormatFixed, UsesTheSeparatorsOfTheLocale) {
  const NumberFormat german{",", "."};
  EXPECT_EQ(FormatFixed(0.01234L, 8, 3, german), "0,012");
  EXPECT_EQ(FormatFixedGrouped(1234.5L, 10, 1, german), "1.234,5");
  EXPECT_EQ(FormatFixedGrouped(0.2L, 3, 1, german), "0,2");
  EXPECT_EQ(FormatFixed(12345.0L, 4, 0, german), "1,235E+4");
  const NumberFormat swiss{".", "\u2019"};
  EXPECT_EQ(FormatFixedGrouped(356000.0L, 10, 1, swiss), "356\u2019000.0");
}

}  // namespace
}  // namespace quillmere
