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

TEST(CloudAndFogAttenuation, CloudAlongTheSlantAndFogPerKilometre) {
  // 15 degC, 0.2 kg/m2 of cloud seen at 30 deg, a fog of 50 m visibility.
  const CloudAndFog c = CloudAndFogAttenuation(10.368L, 15 + 273.15L, 0.2L, 30, 0.5L);
  EXPECT_NEAR(c.Kl, 0.0646L, 5e-5L);
  EXPECT_NEAR(c.cloud_db, 0.0258L, 5e-5L);
  EXPECT_NEAR(c.fog_db_per_km, 0.0323L, 5e-5L);
}

TEST(CloudAndFogAttenuation, NoFogAndNoCloudGiveZero) {
  const CloudAndFog c = CloudAndFogAttenuation(241, 15 + 273.15L, 0, 30, 0);
  EXPECT_EQ(c.fog_db_per_km, 0);
  EXPECT_EQ(c.cloud_db, 0);
}

}  // namespace
}  // namespace quillmere
