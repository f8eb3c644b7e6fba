// The colour scale of the cloud maps: 0..4 kg/m2 on a ramp that darkens
// steadily, one separate colour for "4 or more", and reading colours back.

#include <gtest/gtest.h>

#include <cmath>

#include "colour_scale.h"

namespace quillmere::mapgen {
namespace {

Real Distance(Rgb a, Rgb b) {
  return std::hypot(Real{0} + a.r - b.r, Real{0} + a.g - b.g, Real{0} + a.b - b.b);
}

TEST(ColourScale, LightnessFallsSteadilyFromDryToWet) {
  // Step 0.05 kg/m2: every step darker, by a visible amount; the whole ramp
  // spans a wide range of lightness, so that it reads in grey too.
  Real previous = Lightness(LiquidWaterColour(0));
  for (int i = 1; i < 80; ++i) {
    const Real v = 0.05L * i;
    const Real l = Lightness(LiquidWaterColour(v));
    EXPECT_LT(l, previous - 0.2L) << v << " kg/m2";
    previous = l;
  }
  EXPECT_GT(Lightness(LiquidWaterColour(0)) - Lightness(LiquidWaterColour(3.999L)), 45);
}

TEST(ColourScale, EndsAndTheFourOrMoreColour) {
  // Viridis' light yellow end is 0 and below; its blue at 0.3 the top.
  EXPECT_EQ(LiquidWaterColour(0), (Rgb{253, 231, 37}));
  EXPECT_EQ(LiquidWaterColour(-1), (Rgb{253, 231, 37}));
  EXPECT_LT(Distance(LiquidWaterColour(3.9999L), Rgb{53, 95, 141}), 1.5L);
  for (Real v : {4.0L, 4.0001L, 5.019L, 100.0L})
    EXPECT_EQ(LiquidWaterColour(v), kFourOrMoreColour) << v;
  // Dark coastlines (20, 20, 20) must show over every colour of the map.
  for (int i = 0; i <= 40; ++i) EXPECT_GT(Lightness(LiquidWaterColour(0.1L * i)), 38) << 0.1L * i;
  EXPECT_GT(Lightness(kFourOrMoreColour), 38);
}

TEST(ColourScale, FourOrMoreStandsApartFromEveryRampColour) {
  // Far from all ramp colours in RGB, and of a hue (red) the ramp never has.
  Real nearest = 1e9L;
  for (int i = 0; i <= 4000; ++i) {
    const Rgb c = LiquidWaterColour(0.001L * i * 0.99999L);
    nearest = std::min(nearest, Distance(c, kFourOrMoreColour));
    EXPECT_LT(c.r, c.g + 30) << "reddish ramp colour at " << 0.001L * i;
  }
  EXPECT_GT(nearest, 150);
  EXPECT_GT(kFourOrMoreColour.r, kFourOrMoreColour.g + 100);
}

TEST(ColourScale, ReadsBackTheAmountOfAColour) {
  for (int i = 0; i < 400; ++i) {
    const Real v = 0.01L * i;
    const ScaleReading reading = ReadScale(LiquidWaterColour(v));
    EXPECT_FALSE(reading.four_or_more) << v;
    // 8-bit colour resolves the ramp to about 0.02 kg/m2 where it changes
    // slowest.
    EXPECT_NEAR(reading.kg_m2, v, 0.025L) << v;
    EXPECT_LT(reading.distance, 1) << v;  // the ramp's colours are rounded to 8 bits
  }
  const ScaleReading over = ReadScale(kFourOrMoreColour);
  EXPECT_TRUE(over.four_or_more);
  EXPECT_NEAR(over.distance, 0, 1e-9L);
  // A slightly spoiled red is still "4 or more"; a grey is nothing on the
  // scale and says so by its distance.
  EXPECT_TRUE(ReadScale(Rgb{200, 60, 50}).four_or_more);
  EXPECT_GT(ReadScale(Rgb{128, 128, 128}).distance, 40);
}

}  // namespace
}  // namespace quillmere::mapgen
