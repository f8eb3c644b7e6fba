// Cloud and fog attenuation (ITU-R P.840).
#include <gtest/gtest.h>

#include <cmath>

#include "itu840.h"

namespace quillmere {
namespace {

TEST(LiquidWater, DoubleDebyeModelAt10GHzAnd15C) {
  const LiquidWater w = LiquidWaterCoefficient(10.368L, 15 + 273.15L);
  EXPECT_NEAR(w.theta, 1.04L, 0.005L);
  EXPECT_NEAR(w.eps0, 81.8L, 0.05L);
  EXPECT_NEAR(w.fp, 14.7L, 0.05L);
  EXPECT_NEAR(w.fs, 528, 0.5L);
  EXPECT_NEAR(w.eps_imag, 36.0L, 0.05L);
  EXPECT_NEAR(w.eps_real, 56.6L, 0.05L);
  EXPECT_NEAR(w.eta, 1.63L, 0.005L);
  EXPECT_NEAR(w.Kl, 0.0646L, 5e-5L);
  // The edition's constants: 77.6 and fs linear in theta.
  EXPECT_NEAR(w.eps0, 77.6L + 103.3L * (w.theta - 1), 1e-15L);
  EXPECT_NEAR(w.fs, 590 - 1500 * (w.theta - 1), 1e-12L);
}

TEST(LiquidWater, TemperatureDependenceChangesSignBetweenTheBands) {
  EXPECT_NEAR(LiquidWaterCoefficient(241, 288.15L).Kl, 12.6L, 0.05L);
  EXPECT_NEAR(LiquidWaterCoefficient(241, 273.15L).Kl, 11.6L, 0.05L);
  EXPECT_NEAR(LiquidWaterCoefficient(10.368L, 288.15L).Kl, 0.0646L, 5e-5L);
  EXPECT_NEAR(LiquidWaterCoefficient(10.368L, 273.15L).Kl, 0.0993L, 5e-5L);
}

class CloudAndFogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s.Temperature = 15;
    s.Elevation = 30;
    s.CloudContent = 0.2L;
  }
  StationParams s;
};

TEST_F(CloudAndFogTest, CloudAlongTheSlantAndFogPerKilometre) {
  SelectFog(s, 2);  // 50 m visibility
  const Real Kl = UpdateCloudAndFog(s, 10.368L);
  EXPECT_EQ(s.TemperatureKelvin, 15 + 273.15L);
  EXPECT_NEAR(Kl, 0.0646L, 5e-5L);
  EXPECT_NEAR(s.CloudAttenuation, 0.0258L, 5e-5L);
  EXPECT_NEAR(s.FogAttenuation, 0.0323L, 5e-5L);
  EXPECT_EQ(s.FogDensity, 0.5L);
  EXPECT_EQ(s.FogIndex, 2);
}

TEST_F(CloudAndFogTest, NoFogAndNoCloudGiveZero) {
  SelectFog(s, 0);
  s.CloudContent = 0;
  UpdateCloudAndFog(s, 241);
  EXPECT_EQ(s.FogDensity, 0);
  EXPECT_EQ(s.FogAttenuation, 0);
  EXPECT_EQ(s.CloudAttenuation, 0);
}

TEST_F(CloudAndFogTest, AFogItemOutsideTheTableKeepsTheDensity) {
  SelectFog(s, 7);
  EXPECT_EQ(s.FogDensity, 0.05L);
  SelectFog(s, -1);
  EXPECT_EQ(s.FogDensity, 0.05L);
  EXPECT_EQ(s.FogIndex, -1);
}

TEST_F(CloudAndFogTest, FogDensityFollowsTheVisibilityLine) {
  // M = 0.59 - 0.0018 V, meeting 0.5 g/m3 at 50 m and 0.05 at 300 m.
  const Real visibility[] = {10, 50, 100, 150, 200, 250, 300};
  for (int i = 0; i < 7; ++i) {
    SelectFog(s, i + 1);
    EXPECT_NEAR(s.FogDensity, 0.59L - 0.0018L * visibility[i], 1e-15L) << visibility[i];
  }
}

}  // namespace
}  // namespace quillmere
