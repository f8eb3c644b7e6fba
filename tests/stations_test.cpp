// The two stations and their INI text.

#include "stations.h"

#include <gtest/gtest.h>

#include <string>

namespace quillmere {
namespace {

constexpr double kDegTol = 1e-9;

Station MaskedStation(std::vector<MaskPoint> mask, double min_el = 0.0) {
  Station s;
  s.min_elevation_deg = min_el;
  s.horizon_mask = std::move(mask);
  return s;
}

TEST(HorizonMask, LinearBetweenPointsAndWrappingAt360) {
  const Station s = MaskedStation({{10, 4}, {90, 12}, {350, 2}}, 1.0);
  struct Case {
    const char* what;
    double az, want;
  };
  const Case cases[] = {
      {"on a point", 90.0, 12.0},
      {"halfway between two points", 50.0, 8.0},
      {"across north, after the last point", 355.0, 2.5},
      {"across north, before the first point", 0.0, 3.0},
      {"azimuth beyond 360 wraps", 370.0, 4.0},
      {"negative azimuth wraps", -5.0, 2.5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_NEAR(MinimumElevationDeg(s, c.az), c.want, kDegTol);
  }
  // The station's minimum wins where the mask is lower.
  EXPECT_NEAR(MinimumElevationDeg(MaskedStation({{0, -1}, {180, 0}}, 5.0), 90.0), 5.0, kDegTol);
  EXPECT_NEAR(MinimumElevationDeg(MaskedStation({}, 3.0), 123.0), 3.0, kDegTol);
  EXPECT_NEAR(MinimumElevationDeg(MaskedStation({{200, 7}}), 20.0), 7.0, kDegTol);
}

const char kSample[] =
    "; Quillmere stations\n"
    "[Home]\n"
    "Name=G4ABC\n"
    "Location=IO91wm\n"
    "HeightM=85\n"
    "MinElevationDeg=2.5\n"
    "HorizonMask=0:3;180:10.5;90:6\n"
    "DishDiameterM=3.7\n"
    "DishEfficiency=0.55\n"
    "ReceiverNoiseK=45\n"
    "\r\n"
    "[Extra]\n"
    "Unknown=1\n"
    "[DX]\n"
    "Name=W1XYZ\n"
    "Location= 41.7 , -72.7 \n"
    "FutureKey=whatever\n";

TEST(StationsIni, ReadsBothStations) {
  const auto parsed = ParseStationsIni(kSample);
  ASSERT_TRUE(std::holds_alternative<Stations>(parsed))
      << std::get<StationsParseError>(parsed).message;
  const Stations& s = std::get<Stations>(parsed);
  EXPECT_EQ(s.home.name, "G4ABC");
  EXPECT_EQ(s.home.locator, "IO91wm");
  EXPECT_NEAR(s.home.latitude_deg, 51.520833333, 1e-8);
  EXPECT_NEAR(s.home.height_m, 85.0, kDegTol);
  EXPECT_NEAR(s.home.min_elevation_deg, 2.5, kDegTol);
  ASSERT_EQ(s.home.horizon_mask.size(), 3u);
  EXPECT_NEAR(s.home.horizon_mask[1].azimuth_deg, 90.0, kDegTol);  // sorted by azimuth
  EXPECT_NEAR(s.home.dish_diameter_m, 3.7, kDegTol);
  EXPECT_NEAR(s.home.dish_efficiency, 0.55, kDegTol);
  EXPECT_NEAR(s.home.receiver_noise_k, 45.0, kDegTol);
  EXPECT_EQ(s.dx.name, "W1XYZ");
  EXPECT_TRUE(s.dx.locator.empty());
  EXPECT_NEAR(s.dx.latitude_deg, 41.7, kDegTol);
  EXPECT_NEAR(s.dx.longitude_deg, -72.7, kDegTol);
  // The keys the DX section leaves out keep their defaults.
  EXPECT_EQ(s.dx.dish_diameter_m, 3.0);
  EXPECT_EQ(s.dx.dish_efficiency, 0.6);
  EXPECT_EQ(s.dx.receiver_noise_k, 50.0);
  EXPECT_EQ(s.dx.min_elevation_deg, 0.0);
}

TEST(StationsIni, FormatReadsBackToTheSameValues) {
  Stations s = std::get<Stations>(ParseStationsIni(kSample));
  s.dx.latitude_deg = 0.1 + 0.2;  // not exactly representable in few digits
  s.dx.height_m = 1234.5678;
  const auto again = ParseStationsIni(FormatStationsIni(s));
  ASSERT_TRUE(std::holds_alternative<Stations>(again));
  const Stations& t = std::get<Stations>(again);
  EXPECT_EQ(t.home.name, s.home.name);
  EXPECT_EQ(t.home.locator, s.home.locator);
  EXPECT_EQ(t.dx.latitude_deg, s.dx.latitude_deg);
  EXPECT_EQ(t.dx.longitude_deg, s.dx.longitude_deg);
  EXPECT_EQ(t.dx.height_m, s.dx.height_m);
  ASSERT_EQ(t.home.horizon_mask.size(), s.home.horizon_mask.size());
  for (std::size_t i = 0; i < t.home.horizon_mask.size(); ++i) {
    EXPECT_EQ(t.home.horizon_mask[i].azimuth_deg, s.home.horizon_mask[i].azimuth_deg);
    EXPECT_EQ(t.home.horizon_mask[i].elevation_deg, s.home.horizon_mask[i].elevation_deg);
  }
  EXPECT_EQ(t.home.receiver_noise_k, s.home.receiver_noise_k);
}

// Each number is taken at its limits and refused just beyond them.
TEST(StationsIni, NumbersUpToTheirLimits) {
  const std::string both = "[Home]\nLocation=JO22\n[DX]\nLocation=FN31\n[Home]\n";
  struct Case {
    const char* key;
    const char *lowest, *below, *highest, *above;
  } cases[] = {
      {"HeightM", "-500", "-500.01", "9000", "9000.01"},
      {"MinElevationDeg", "-5", "-5.01", "90", "90.01"},
      {"DishDiameterM", "0.1", "0.09", "100", "100.01"},
      {"DishEfficiency", "0.01", "0.009", "1", "1.001"},
      {"ReceiverNoiseK", "1", "0.99", "100000", "100000.1"},
      {"HorizonMask", "0:-90", "-0.05:0", "360:90", "360.05:0"},
  };
  // A line of 8192 characters is the longest taken.
  EXPECT_TRUE(std::holds_alternative<Stations>(
      ParseStationsIni(both + "; " + std::string(8190, 'x') + "\n")));
  for (const Case& c : cases) {
    for (const char* v : {c.lowest, c.highest}) {
      const auto parsed = ParseStationsIni(both + c.key + "=" + v + "\n");
      EXPECT_TRUE(std::holds_alternative<Stations>(parsed)) << c.key << "=" << v;
    }
    for (const char* v : {c.below, c.above}) {
      const auto parsed = ParseStationsIni(both + c.key + "=" + v + "\n");
      ASSERT_TRUE(std::holds_alternative<StationsParseError>(parsed)) << c.key << "=" << v;
      EXPECT_EQ(std::get<StationsParseError>(parsed).line, 6) << c.key << "=" << v;
    }
  }
}

TEST(StationsIni, RefusesHostileOrBrokenText) {
  const std::string both = "[Home]\nLocation=JO22\n[DX]\nLocation=FN31\n";
  struct Case {
    const char* what;
    std::string text;
    int line;
  };
  const Case cases[] = {
      {"no DX section", "[Home]\nLocation=JO22\n", 0},
      {"a station without a location", "[Home]\nLocation=JO22\n[DX]\nName=X\n", 0},
      {"bad locator", both + "[DX]\nLocation=ZZ99\n", 6},
      {"height not a number", both + "[DX]\nHeightM=high\n", 6},
      {"infinite receiver temperature", both + "[DX]\nReceiverNoiseK=inf\n", 6},
      {"mask elevation beyond the zenith", both + "[Home]\nHorizonMask=10:90.05\n", 6},
      {"mask elevation just below the nadir", both + "[Home]\nHorizonMask=10:-90.05\n", 6},
      {"mask without its colon", both + "[Home]\nHorizonMask=10;20\n", 6},
      {"control character in a name", both + "[Home]\nName=A\x1b[2J\n", 6},
      {"name too long", both + "[Home]\nName=" + std::string(65, 'A') + "\n", 6},
      {"line too long", both + "[Home]\n; " + std::string(9000, 'x') + "\n", 6},
      {"text too large", both + std::string(70000, '\n'), 0},
      {"unclosed section", "[Home\nLocation=JO22\n", 1},
      {"line without a key", "[Home]\nLocation JO22\n", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto parsed = ParseStationsIni(c.text);
    ASSERT_TRUE(std::holds_alternative<StationsParseError>(parsed));
    EXPECT_EQ(std::get<StationsParseError>(parsed).line, c.line);
  }
  std::string many_points = both + "[Home]\nHorizonMask=";
  for (int i = 0; i <= 360; ++i) many_points += std::to_string(i % 360) + ":1;";
  const auto parsed = ParseStationsIni(many_points);
  ASSERT_TRUE(std::holds_alternative<StationsParseError>(parsed));
  EXPECT_EQ(std::get<StationsParseError>(parsed).message, "bad horizon mask");
}

// A name is judged in characters, the same rule for the file and the
// editor: 64 accented letters are a name, a 65th is too many, and bytes
// that are not UTF-8 or C1 control characters are none.
TEST(StationsIni, NamesAreCountedInCharacters) {
  std::string accented;
  for (int i = 0; i < 64; ++i) accented += "\xC3\xA9";  // e acute
  const struct {
    const char* what;
    std::string name;
    bool taken;
  } cases[] = {
      {"64 accented letters", accented, true},
      {"65 accented letters", accented + "\xC3\xA9", false},
      {"a letter outside the first plane", "\xF0\x9F\x93\xA1 G4ABC", true},
      {"bytes that are not UTF-8", "\xFF\xFF", false},
      {"an overlong slash", "\xC0\xAF", false},
      {"a C1 control character",
       "G4\xC2\x9B"
       "2J",
       false},
      {"a lead byte cut short", "G4\xC3", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsStationName(c.name), c.taken) << c.what;
}

// A file as some editors save it, and one with a wrong line: the rest of the
// file is taken, the wrong line refused and named, its key at its default.
TEST(StationsIni, ABadLineIsRefusedAloneAndAByteOrderMarkSkipped) {
  Stations defaults;
  defaults.home.height_m = 12.0;
  const StationsRead read = ReadStationsIni(
      "\xEF\xBB\xBF[Home]\nName=G4ABC\nLocation=IO91wm\nHeightM=9500\nReceiverNoiseK=6000\n"
      "[DX]\nName=\xFF\nLocation=FN31\nHorizonMask=0:3\n",
      defaults);
  EXPECT_FALSE(read.whole_text_refused);
  ASSERT_EQ(read.refused.size(), 2u);
  EXPECT_EQ(read.refused[0].line, 4);
  EXPECT_EQ(read.refused[0].message, "HeightM out of range");
  EXPECT_EQ(read.refused[1].line, 7);
  EXPECT_EQ(read.stations.home.name, "G4ABC");
  EXPECT_EQ(read.stations.home.height_m, 12.0);
  EXPECT_EQ(read.stations.home.receiver_noise_k, 6000.0);
  EXPECT_EQ(read.stations.dx.name, "");
  EXPECT_EQ(read.stations.dx.locator, "FN31");
  EXPECT_EQ(read.stations.dx.horizon_mask.size(), 1u);
  EXPECT_TRUE(ReadStationsIni(std::string(70000, '\n')).whole_text_refused);
}

}  // namespace
}  // namespace quillmere
