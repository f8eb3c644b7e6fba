// The ray-traced slant path tabulated against the geometric elevation.
#include "itu676_13_slant_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace quillmere::p676_13 {
namespace {

using atmosphere::Reference;
using atmosphere::StationAtmosphere;

// A humid mid-latitude summer day at 120 m, where 24 GHz costs the most.
LayeredAtmosphere Humid() {
  return LayeredAtmosphere(0.12,
                           StationAtmosphere(Reference::kMidSummer, {0.12, 298.15, 1008, 12}));
}

// The table agrees with a ray traced for each elevation, solved for its
// apparent elevation, where the figures change fastest and where slowly.
TEST(SlantTable, ReadsLikeATracedRayAtAnyGeometricElevation) {
  const LayeredAtmosphere atm = Humid();
  const std::vector<double> gamma = atm.SpecificAttenuation(24.048);
  const SlantTable table(atm, gamma);
  struct Case {
    const char* what;
    double geometric_deg;
  };
  const Case cases[] = {
      {"on the geometric horizon", 0.0},
      {"moonrise, below one degree", 0.37},
      {"between two fine steps", 1.234},
      {"at the end of the fine steps", 2.05},
      {"low", 6.66},
      {"middle", 27.3},
      {"high", 61.0},
      {"zenith", 90.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const double apparent = ApparentElevationFor(atm, c.geometric_deg);
    const RayPath ray = TraceRay(atm, gamma, apparent);
    const SlantFigures got = table.At(c.geometric_deg);
    // Linear between rays 0.02 degrees apart near the horizon: within 0.2 %
    // of the attenuation and 0.3 K of the sky.
    EXPECT_NEAR(got.attenuation_db, ray.attenuation_db, 2e-3 * ray.attenuation_db);
    EXPECT_NEAR(got.sky_temperature_k, ray.sky_temperature_k, 0.3);
    EXPECT_NEAR(got.apparent_elevation_deg, apparent, 2e-3);
  }
}

// Below the lowest ray that escapes (the Moon's centre under the refracted
// horizon) the table holds that ray; past the zenith, the zenith's.
TEST(SlantTable, HoldsItsEndsOutsideItsRange) {
  const LayeredAtmosphere atm = Humid();
  const std::vector<double> gamma = atm.SpecificAttenuation(10.368);
  const SlantTable table(atm, gamma);
  ASSERT_EQ(table.size(), static_cast<int>(SlantTableElevations().size()));
  // The horizontal ray bends by about half a degree to a degree.
  EXPECT_LT(table.LowestGeometricDeg(), -0.3);
  EXPECT_GT(table.LowestGeometricDeg(), -1.2);
  const RayPath horizontal = TraceRay(atm, gamma, 0);
  for (const double below : {table.LowestGeometricDeg() - 0.5, -5.0, std::nan("")}) {
    const SlantFigures f = table.At(below);
    EXPECT_DOUBLE_EQ(f.attenuation_db, horizontal.attenuation_db);
    EXPECT_DOUBLE_EQ(f.apparent_elevation_deg, 0.0);
  }
  EXPECT_DOUBLE_EQ(table.At(95).attenuation_db, TraceRay(atm, gamma, 90).attenuation_db);
}

// Rays that turn back under a duct reach no far target: the table starts at
// the first that escapes.
TEST(SlantTable, LeavesOutRaysThatADuctTurnsBack) {
  // 20 g/m3 more vapour at the ground, gone 50 m up: rays below about 0.9
  // degrees are trapped.
  const LayeredAtmosphere atm(0, [](double h) {
    atmosphere::AtmosphereState a = atmosphere::ReferenceAt(Reference::kGlobal, h);
    if (h < 0.05) a.rho += 20 * (0.05 - h) / 0.05;
    return a;
  });
  ASSERT_FALSE(TraceRay(atm, {}, 0).escaped);
  const SlantTable table(atm, atm.SpecificAttenuation(24.048));
  EXPECT_LT(table.size(), static_cast<int>(SlantTableElevations().size()));
  EXPECT_GT(table.At(-2).apparent_elevation_deg, 0.0);
  EXPECT_TRUE(TraceRay(atm, {}, table.At(-2).apparent_elevation_deg).escaped);
}

}  // namespace
}  // namespace quillmere::p676_13
