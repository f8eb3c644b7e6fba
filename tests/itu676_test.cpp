// Gaseous attenuation (ITU-R P.676-9 Annex 2).
#include <gtest/gtest.h>

#include <cmath>

#include "itu676.h"

namespace quillmere {
namespace {

TEST(VapourDensity, FromTemperatureAndHumidity) {
  struct Case {
    const char* what;
    Real t, H;
    bool water;
    Real rho, tol;
  } cases[] = {
      {"15 degC, 50 %, water", 15, 50, true, 6.41L, 0.005L},
      {"20 degC, 50 %, water", 20, 50, true, 8.64L, 0.005L},
      {"-10 degC, 80 %, ice", -10, 80, false, 1.71L, 0.005L},
      {"-10 degC, 80 %, water", -10, 80, true, 1.89L, 0.005L},
      {"dry air", 25, 0, true, 0, 0},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(VapourDensityAt(c.t, c.H, c.water), c.rho, c.tol) << c.what;
  // The intermediate pressures: es = 17.1 hPa, e = 8.53 hPa at 15 degC, 50 %.
  EXPECT_NEAR(VapourDensityAt(15, 50, true) * (15 + 273.1L) / 216.7L, 8.53L, 0.005L);
}

TEST(PhiFactor, IsOneAtTheReferenceConditions) {
  EXPECT_NEAR(PhiFactor(1, 1, 3.211L, -14.94L, 1.583L, -16.37L), 1, 1e-18L);
  EXPECT_NEAR(PhiFactor(0.5L, 2, 1, 1, 0, 0), 1, 1e-18L);
  EXPECT_NEAR(PhiFactor(0.9L, 1.1L, 0.5L, -2, 0.1L, 0.3L),
              std::sqrt(0.9L) / 1.21L * std::exp(0.01L - 0.03L), 1e-17L);
}

struct GasCase {
  Real f;        // GHz
  Real gamma_o;  // dB/km
  Real tol_o;
  Real gamma_w;  // dB/km, at 15 degC, 50 %
  Real tol_w;
};

TEST(GaseousSpecificAttenuation, ReferenceConditions) {
  // 15 degC, 1013 hPa, 50 % over water: rp = rt = 1.
  const Real rho = VapourDensityAt(15, 50, true);
  const GasCase cases[] = {
      {10.368L, 0.00800L, 5e-6L, 0.00603L, 5e-6L},
      {24.048L, 0.0140L, 5e-5L, 0.138L, 5e-4L},
      {122, 0.314L, 5e-4L, 0.601L, 5e-4L},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(*DryAirAttenuation(c.f, 1, 1), c.gamma_o, c.tol_o) << c.f;
    EXPECT_NEAR(VapourAttenuation(c.f, 1, 1, rho), c.gamma_w, c.tol_w) << c.f;
  }
}

TEST(GaseousSpecificAttenuation, DryAirSeamsBelongToTheLowerBand) {
  // With rp = rt = 1 the coefficients equal their multipliers, so the
  // branches above each seam start from the tabulated values.
  const auto up = [](Real f) { return *DryAirAttenuation(std::nextafter(f, 400.0L), 1, 1); };
  EXPECT_NEAR(*DryAirAttenuation(54, 1, 1), 2.19L, 0.01L);  // first branch
  EXPECT_NEAR(up(54), 2.192L, 1e-6L);
  EXPECT_NEAR(*DryAirAttenuation(54, 1, 1), 2.1854L, 5e-5L);  // not 2.192
  EXPECT_NEAR(*DryAirAttenuation(60, 1, 1), 15, 1e-12L);
  EXPECT_NEAR(up(60), 15, 1e-6L);
  EXPECT_NEAR(*DryAirAttenuation(62, 1, 1), 14.28L, 1e-12L);
  EXPECT_NEAR(*DryAirAttenuation(66, 1, 1), 1.908L, 1e-12L);
  EXPECT_NEAR(up(66), 1.90L, 0.005L);
  EXPECT_NEAR(*DryAirAttenuation(120, 1, 1), 0.9183L, 5e-5L);  // 66-120 branch
  EXPECT_NEAR(up(120), 0.9124L, 5e-5L);
  EXPECT_NEAR(*DryAirAttenuation(350, 1, 1), 0.03049L, 5e-6L);
}

TEST(GaseousSpecificAttenuation, NoDryAirValueAbove350GHz) {
  EXPECT_FALSE(DryAirAttenuation(std::nextafter(350.0L, 400.0L), 1, 1).has_value());
  EXPECT_FALSE(DryAirAttenuation(std::nanl(""), 1, 1).has_value());
  EXPECT_FALSE(GaseousAttenuationAt(400, 1, 1, 7.5L).gamma_o.has_value());
}

TEST(GaseousSpecificAttenuation, NoVapourMeansNoVapourAttenuation) {
  for (Real f : {10.368L, 24.048L, 47.088L, 78.0L, 100.0L, 122.0L, 134.0L, 241.0L}) {
    EXPECT_EQ(VapourAttenuation(f, 1, 1, 0), 0) << f;
  }
}

TEST(GaseousSpecificAttenuation, The22GHzLineShapeIsTakenAt22GHz) {
  EXPECT_NEAR(LineFactor(10.368L, 22), 1 + std::pow((10.368L - 22) / 32.368L, 2), 1e-18L);
  // An independent double-precision evaluation of the fit; with the shape
  // factor taken at the 22.235 GHz resonance instead, gamma_w would be
  // 0.0060344 here and 0.1381518 at 24.048 GHz.
  const Real rho = VapourDensityAt(15, 50, true);
  EXPECT_NEAR(VapourAttenuation(10.368L, 1, 1, rho), 0.0060283855L, 1e-9L);
  EXPECT_NEAR(VapourAttenuation(24.048L, 1, 1, rho), 0.1382034728L, 1e-9L);
  EXPECT_NEAR(VapourAttenuation(22.235L, 1, 1, 7.5L), 0.1788807092L, 1e-9L);
}

struct HeightCase {
  Real f, ho, hw;  // hw < 0: not checked
};

TEST(EquivalentHeights, AtReferencePressure) {
  const HeightCase cases[] = {
      {10.368L, 5.20L, 1.68L}, {24.048L, 5.17L, 2.05L}, {47.088L, 5.09L, -1}, {78, 4.87L, -1},
      {100, 5.41L, -1},        {122, 6.34L, 1.66L},     {134, 5.75L, -1},     {241, 5.52L, -1},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(DryAirEquivalentHeight(c.f, 1), c.ho, 0.005L) << c.f;
    if (c.hw > 0) {
      EXPECT_NEAR(VapourEquivalentHeight(c.f, 1), c.hw, 0.005L) << c.f;
    }
  }
}

TEST(EquivalentHeights, ShrinkWithPressure) {
  EXPECT_NEAR(DryAirEquivalentHeight(10.368L, 0.5L), 4.46L, 0.005L);
  EXPECT_NEAR(VapourEquivalentHeight(10.368L, 0.5L), 1.67L, 0.005L);
}

Real Zenith(const GaseousAttenuation& g) {
  return ZenithAttenuation(*g.gamma_o, g.h_o, g.gamma_w, g.h_w);
}

TEST(GaseousAttenuationAt, ZenithAndSlantAtTheReferenceConditions) {
  EXPECT_EQ(PressureRatio(1013), 1);
  EXPECT_EQ(TemperatureRatio(15), 1);  // 288 / (15 + 273)
  const Real zenith = Zenith(GaseousAttenuationAt(10.368L, 1, 1, VapourDensityAt(15, 50, true)));
  EXPECT_NEAR(zenith, 0.0517L, 5e-5L);
  EXPECT_NEAR(SlantAttenuation(zenith, 30), 2 * zenith, 1e-15L);
  EXPECT_NEAR(SlantAttenuation(zenith, 90), zenith, 1e-18L);
  EXPECT_NEAR(SlantAttenuation(zenith, 0.1L) / zenith, 573, 0.5L);
}

TEST(GaseousAttenuationAt, TemperatureRatioUses273) {
  EXPECT_EQ(TemperatureRatio(27), 288 / 300.0L);
}

TEST(GaseousAttenuationAt, IceChangesVapourButNotDryAir) {
  const GaseousAttenuation water =
      GaseousAttenuationAt(10.368L, 1, 1, VapourDensityAt(15, 50, true));
  const GaseousAttenuation ice =
      GaseousAttenuationAt(10.368L, 1, 1, VapourDensityAt(15, 50, false));
  EXPECT_NE(ice.gamma_w, water.gamma_w);
  EXPECT_EQ(ice.gamma_o, water.gamma_o);
  EXPECT_EQ(ice.h_o, water.h_o);
}

TEST(GaseousAttenuationAt, OnlyFrequencyAndPressureMoveTheHeights) {
  const GaseousAttenuation before = GaseousAttenuationAt(10.368L, 1, 1, 6.41L);
  const GaseousAttenuation colder_wetter =
      GaseousAttenuationAt(10.368L, 1, TemperatureRatio(-5), VapourDensityAt(-5, 90, true));
  EXPECT_EQ(colder_wetter.h_o, before.h_o);
  EXPECT_EQ(colder_wetter.h_w, before.h_w);
  EXPECT_LT(GaseousAttenuationAt(10.368L, PressureRatio(800), 1, 6.41L).h_o, before.h_o);
}

TEST(GaseousAttenuationAt, BeforeAnyDataTheFiguresAreNotFiniteButNothingBreaks) {
  // Pressure 0 and frequency 0, as before any data file.
  EXPECT_EQ(PressureRatio(0), 0);
  const GaseousAttenuation g =
      GaseousAttenuationAt(0, PressureRatio(0), TemperatureRatio(0), VapourDensityAt(0, 0, false));
  // The dry-air fit divides f^2 + 0.34 rp^2 rt^1.6 = 0 by zero; the display
  // must cope with a figure that is not finite.
  ASSERT_TRUE(g.gamma_o.has_value());
  EXPECT_FALSE(std::isfinite(*g.gamma_o));
  EXPECT_EQ(g.h_o, 0);
}

}  // namespace
}  // namespace quillmere
