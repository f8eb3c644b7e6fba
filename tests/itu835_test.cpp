// Reference standard atmospheres (ITU-R P.835-3).
#include <gtest/gtest.h>

#include <cmath>

#include "itu835.h"

namespace quillmere {
namespace {

enum Profile { kLow, kMidSummer, kMidWinter, kHighSummer, kHighWinter };

ReferenceAtmosphere At(Profile p, Real h) {
  switch (p) {
    case kLow:
      return LowLatitudeProfile(h);
    case kMidSummer:
      return MidLatitudeProfile(h, kSummer);
    case kMidWinter:
      return MidLatitudeProfile(h, kWinter);
    case kHighSummer:
      return HighLatitudeProfile(h, kSummer);
    case kHighWinter:
      return HighLatitudeProfile(h, kWinter);
  }
  return {};
}

struct ProfileCase {
  const char* what;
  Profile profile;
  Real h;                              // km
  Real T, tolT, P, tolP, rho, tolRho;  // a negative tolerance skips the check
};

TEST(ReferenceAtmospheres, GiveThePublishedValues) {
  const ProfileCase cases[] = {
      {"low, sea level", kLow, 0, 300.4222L, 5e-5L, 1012.0306L, 5e-5L, 19.6542L, 5e-5L},
      {"mid summer, sea level", kMidSummer, 0, 294.9838L, 5e-5L, 1012.8186L, 5e-5L, 14.3542L,
       5e-5L},
      {"mid winter, sea level", kMidWinter, 0, 272.7241L, 5e-5L, 1018.8627L, 5e-5L, 3.4742L, 5e-5L},
      {"high summer, sea level", kHighSummer, 0, 286.8374L, 5e-5L, 1008.0278L, 5e-5L, 8.988L,
       5e-4L},
      {"high winter, sea level", kHighWinter, 0, 257.4345L, 5e-5L, 1010.8828L, 5e-5L, 1.2319L,
       5e-5L},
      {"low, 1 km", kLow, 1, 294, 0.5L, 907, 0.5L, 14.1L, 0.05L},
      {"mid summer, 1 km", kMidSummer, 1, 290, 0.5L, 905, 0.5L, 9.25L, 0.005L},
      {"mid winter, 1 km", kMidWinter, 1, 269, 0.5L, 899, 0.5L, 2.56L, 0.005L},
      {"high summer, 1 km", kHighSummer, 1, 282, 0.5L, 899, 0.5L, 0, -1},
      {"high winter, 1 km", kHighWinter, 1, 258, 0.5L, 893, 0.5L, 1.21L, 0.005L},
      {"mid summer, 5 km", kMidSummer, 5, 267, 0.5L, 552, 0.5L, 1.14L, 0.005L},
      {"high summer, 5 km", kHighSummer, 5, 259, 0.5L, 540, 0.5L, 0, -1},
      // The water vapour of high summer after P.835-3 (quadratic and cubic
      // terms -0.005402 and -0.001955).
      {"high summer vapour, 5 km", kHighSummer, 5, 0, -1, 0, -1,
       8.988L * std::exp(-0.3614L * 5 - 0.005402L * 25 - 0.001955L * 125), 1e-12L},
  };
  for (const auto& c : cases) {
    const ReferenceAtmosphere a = At(c.profile, c.h);
    if (c.tolT >= 0) {
      EXPECT_NEAR(a.T, c.T, c.tolT) << c.what;
    }
    if (c.tolP >= 0) {
      EXPECT_NEAR(a.P, c.P, c.tolP) << c.what;
    }
    if (c.tolRho >= 0) {
      EXPECT_NEAR(a.rho, c.rho, c.tolRho) << c.what;
    }
  }
}

TEST(ReferenceAtmospheres, IntervalsIncludeTheirUpperBound) {
  // At 10 km the low-latitude quadratic gives 0.001 hPa less than the
  // constant the exponential branch starts from; mid summer joins exactly.
  EXPECT_NEAR(LowLatitudeProfile(10).P, 284.8536L - 0.001L, 1e-9L);
  EXPECT_NEAR(LowLatitudeProfile(std::nextafter(10.0L, 11.0L)).P, 284.8536L, 1e-9L);
  EXPECT_NEAR(MidLatitudeProfile(10, kSummer).P, 283.7096L, 1e-9L);
  // Exactly 17 km is still the low-latitude quadratic, not the 194 K line.
  EXPECT_NEAR(LowLatitudeProfile(17).T, 300.4222L - 6.3533L * 17 + 0.005886L * 289, 1e-12L);
  EXPECT_NEAR(MidLatitudeProfile(13, kSummer).T, 294.9838L - 5.2159L * 13 - 0.07109L * 169, 1e-12L);
  EXPECT_NEAR(HighLatitudeProfile(8.5L, kWinter).T,
              257.4345L + 2.3474L * 8.5L - 1.5479L * 72.25L + 0.08473L * 614.125L, 1e-12L);
  // Exactly 72 km takes the second pressure branch.
  EXPECT_NEAR(LowLatitudeProfile(72).P, 284.8536L * std::exp(-0.147L * 62), 1e-15L);
  EXPECT_NEAR(LowLatitudeProfile(std::nextafter(72.0L, 73.0L)).P, 0.0313662L, 1e-12L);
  // Exactly 15 km keeps low-latitude vapour; above, it ends.
  EXPECT_GT(LowLatitudeProfile(15).rho, 0);
  EXPECT_EQ(LowLatitudeProfile(std::nextafter(15.0L, 16.0L)).rho, 0);
}

TEST(ReferenceAtmospheres, VapourEndsAbove15kmInSummerAnd10kmInWinter) {
  struct Case {
    Profile profile;
    Real top;  // km: the last height with vapour
  } cases[] = {
      {kLow, 15}, {kMidSummer, 15}, {kHighSummer, 15}, {kMidWinter, 10}, {kHighWinter, 10},
  };
  for (const auto& c : cases) {
    EXPECT_GT(At(c.profile, c.top).rho, 0) << c.profile;
    EXPECT_EQ(At(c.profile, std::nextafter(c.top, 20.0L)).rho, 0) << c.profile;
  }
}

TEST(ReferenceAtmospheres, SummerLayersAsPublished) {
  // Mid summer: 215.15 K from 13 to 17 km, the base of the 17-47 km rise.
  EXPECT_NEAR(MidLatitudeProfile(15, kSummer).T, 215.15L, 1e-12L);
  EXPECT_NEAR(MidLatitudeProfile(27, kSummer).T, 215.15L * std::exp(0.08128L), 1e-12L);
  // High summer: 0.165 per km above 72 km.
  EXPECT_NEAR(HighLatitudeProfile(80, kSummer).P, 0.045821L * std::exp(-0.165L * 8), 1e-15L);
}

TEST(ReferenceAtmospheres, UpperLayers) {
  EXPECT_EQ(LowLatitudeProfile(90).T, 184);
  EXPECT_EQ(MidLatitudeProfile(90, kSummer).T, 175);
  EXPECT_EQ(MidLatitudeProfile(90, kWinter).T, 210);
  EXPECT_EQ(HighLatitudeProfile(90, kSummer).T, 171);
  // High winter has no layer above 54 km: the lapse goes on.
  EXPECT_NEAR(HighLatitudeProfile(90, kWinter).T, 260 - 1.667L * 36, 1e-12L);
}

TEST(ReferenceAtmospheres, LowLatitudeIgnoresTheSeason) {
  ReferenceAtmosphere summer, winter;
  ASSERT_TRUE(ReferenceProfileAt(0, kSummer, 1500, summer));
  ASSERT_TRUE(ReferenceProfileAt(0, kWinter, 1500, winter));
  EXPECT_EQ(summer.T, winter.T);
  EXPECT_EQ(summer.P, winter.P);
  EXPECT_EQ(summer.rho, winter.rho);
  ASSERT_TRUE(ReferenceProfileAt(1, kWinter, 1000, winter));
  EXPECT_NEAR(winter.T, 269, 0.5L);  // metres in, kilometres inside
}

TEST(ReferenceAtmospheres, NoZoneSelectedComputesNothing) {
  ReferenceAtmosphere a{1, 2, 3};
  EXPECT_FALSE(ReferenceProfileAt(-1, kSummer, 0, a));
  EXPECT_FALSE(ReferenceProfileAt(3, kSummer, 0, a));
  EXPECT_EQ(a.T, 1);
}

}  // namespace
}  // namespace quillmere
