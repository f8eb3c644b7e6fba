// Locators and "LAT,LON" text.

#include "maidenhead.h"

#include <gtest/gtest.h>

namespace quillmere {
namespace {

// Half a unit of the finest square is 1/240 degree of longitude; centres
// are exact to rounding.
constexpr double kCentreTolDeg = 1e-9;

struct KnownCentre {
  const char* what;
  const char* locator;
  double lat_deg, lon_deg;
};

TEST(Locator, CentresOfKnownSquares) {
  const KnownCentre cases[] = {
      {"four characters, south-west corner of the grid", "AA00", -89.5, -179.0},
      {"four characters, north-east corner of the grid", "RR99", 89.5, 179.0},
      {"six characters in England", "IO91wm", 51.52083333333333, -0.125},
      {"eight characters in North America", "FN31pr21", 41.71458333333334, -72.72916666666667},
      {"lower-case field is accepted", "jo22", 52.5, 5.0},
      {"upper-case subsquare is accepted", "JO22OC", 52.10416666666667, 5.208333333333333},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto centre = LocatorToLatLon(c.locator);
    ASSERT_TRUE(centre.has_value());
    EXPECT_NEAR(centre->latitude_deg, c.lat_deg, kCentreTolDeg);
    EXPECT_NEAR(centre->longitude_deg, c.lon_deg, kCentreTolDeg);
  }
}

TEST(Locator, RefusesBadText) {
  const char* bad[] = {
      "",           // empty
      "JO2",        // odd length
      "JO22a",      // odd length
      "JO22ab1",    // odd length
      "JO22ab12x",  // too long
      "SA00",       // field letter beyond R
      "JOA2",       // letter where a digit belongs
      "JO22ay",     // subsquare letter beyond X
      "JO2 ",       // space inside
      "JO22ab1x",   // letter in the extended square
  };
  for (const char* text : bad)
    EXPECT_FALSE(LocatorToLatLon(text).has_value()) << '"' << text << '"';
}

// Every square's centre gives its own locator back, at every precision,
// along a walk over all fields and squares, and the extremes of the grid.
TEST(Locator, CentreOfEverySquareRoundTrips) {
  for (int characters : {4, 6, 8}) {
    SCOPED_TRACE(characters);
    // All 32400 four-character squares; for 6 and 8 characters a subsquare
    // and extended square that move with the square, so every symbol of
    // every position appears.
    for (int lon_field = 0; lon_field < 18; ++lon_field)
      for (int lat_field = 0; lat_field < 18; ++lat_field)
        for (int sq = 0; sq < 100; ++sq) {
          std::string locator{static_cast<char>('A' + lon_field),
                              static_cast<char>('A' + lat_field), static_cast<char>('0' + sq / 10),
                              static_cast<char>('0' + sq % 10)};
          if (characters >= 6) {
            locator += static_cast<char>('a' + (sq + lon_field) % 24);
            locator += static_cast<char>('a' + (sq * 7 + lat_field) % 24);
          }
          if (characters == 8) {
            locator += static_cast<char>('0' + (sq + lat_field) % 10);
            locator += static_cast<char>('0' + (sq * 3 + lon_field) % 10);
          }
          const auto centre = LocatorToLatLon(locator);
          ASSERT_TRUE(centre.has_value()) << locator;
          const auto back = LatLonToLocator(*centre, characters);
          ASSERT_TRUE(back.has_value()) << locator;
          ASSERT_EQ(*back, locator);
        }
  }
}

TEST(Locator, EdgesOfTheGrid) {
  struct Edge {
    const char* what;
    double lat, lon;
    const char* locator;
  };
  const Edge cases[] = {
      {"longitude 180 is the meridian of -180", 0.0, 180.0, "AJ00aa00"},
      {"longitude -180 starts field A", 0.0, -180.0, "AJ00aa00"},
      {"just west of the date line is field R", 0.0, 179.9999, "RJ90xa90"},
      {"north pole falls in the last row", 90.0, 0.0, "JR09ax09"},
      {"south pole is the first row", -90.0, 0.0, "JA00aa00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto locator = LatLonToLocator({c.lat, c.lon}, 8);
    ASSERT_TRUE(locator.has_value());
    EXPECT_EQ(*locator, c.locator);
  }
  EXPECT_FALSE(LatLonToLocator({90.001, 0.0}, 4).has_value());
  EXPECT_FALSE(LatLonToLocator({-90.001, 0.0}, 4).has_value());
  EXPECT_FALSE(LatLonToLocator({0.0, -180.001}, 4).has_value());
  EXPECT_FALSE(LatLonToLocator({0.0, 180.001}, 4).has_value());
  EXPECT_FALSE(LatLonToLocator({0.0, 0.0}, 5).has_value());
}

TEST(Location, LatLonText) {
  struct Case {
    const char* what;
    const char* text;
    bool ok;
    double lat, lon;
  };
  const Case cases[] = {
      {"plain pair", "52.1,-0.25", true, 52.1, -0.25},
      {"spaces around the numbers", "  -33.9 , 151.2 ", true, -33.9, 151.2},
      {"plus sign", "+10,+20", true, 10.0, 20.0},
      {"two signs", "+-10,20", false, 0, 0},
      {"pole and date line", "-90,180", true, -90.0, 180.0},
      {"latitude just beyond the north pole", "90.05,0", false, 0, 0},
      {"latitude just beyond the south pole", "-90.05,0", false, 0, 0},
      {"longitude just beyond the date line westward", "0,-180.05", false, 0, 0},
      {"longitude just beyond the date line eastward", "0,180.05", false, 0, 0},
      {"decimal comma is not a decimal point", "52,1,0", false, 0, 0},
      {"missing longitude", "52.1,", false, 0, 0},
      {"not a number", "nan,0", false, 0, 0},
      {"infinity", "inf,0", false, 0, 0},
      {"trailing text", "52.1x,0", false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto where = ParseLocation(c.text);
    ASSERT_EQ(where.has_value(), c.ok);
    if (!c.ok) continue;
    EXPECT_DOUBLE_EQ(where->latitude_deg, c.lat);
    EXPECT_DOUBLE_EQ(where->longitude_deg, c.lon);
  }
  ASSERT_TRUE(ParseLocation(" io91wm ").has_value());
}

}  // namespace
}  // namespace quillmere
