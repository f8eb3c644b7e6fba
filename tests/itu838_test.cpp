// Rain specific attenuation (ITU-R P.838) and its tabulated coefficients.
#include <gtest/gtest.h>

#include <cmath>

#include "itu838.h"

namespace quillmere {
namespace {

enum Polarisation { kHorizontal, kVertical, kCircular };

Real Gamma(Real f, Polarisation pol, Real R) {
  const RainCoefficients c = RainCoefficientsAt(f).value();
  const Real k[] = {c.kH, c.kV, c.kC};
  const Real alpha[] = {c.alphaH, c.alphaV, c.alphaC};
  return RainSpecificAttenuation(k[pol], alpha[pol], R);
}

TEST(RainAttenuation, PowerLawOfTheTabulatedCoefficients) {
  const struct {
    const char* what;
    Real f;
    Polarisation pol;
    Real R;
    Real gamma, tol;  // dB/km
  } cases[] = {
      {"10 GHz, 10 mm/h, horizontal", 10.368L, kHorizontal, 10, 0.220L, 5e-4L},
      {"10 GHz, 10 mm/h, vertical", 10.368L, kVertical, 10, 0.185L, 5e-4L},
      {"10 GHz, 10 mm/h, circular (plain means)", 10.368L, kCircular, 10, 0.202L, 5e-4L},
      {"241 GHz, 25 mm/h, circular", 241, kCircular, 25, 12.5L, 0.05L},
      {"10 GHz, no rain", 10.368L, kHorizontal, 0, 0, 0},
      {"241 GHz, no rain, circular", 241, kCircular, 0, 0, 0},
  };
  for (const auto& c : cases) EXPECT_NEAR(Gamma(c.f, c.pol, c.R), c.gamma, c.tol) << c.what;
}

TEST(RainAttenuation, NoRainIsExactlyZeroAtEveryFrequencyAndPolarisation) {
  for (Real f : {10.368L, 24.048L, 47.088L, 78.0L, 100.0L, 122.0L, 134.0L, 241.0L}) {
    for (Polarisation pol : {kHorizontal, kVertical, kCircular}) {
      EXPECT_EQ(Gamma(f, pol, 0), 0) << f;
    }
  }
}

TEST(RainCoefficientsAt, CircularIsThePlainMeanOfHorizontalAndVertical) {
  const RainCoefficients low = RainCoefficientsAt(10.368L).value();
  EXPECT_EQ(low.kC, (0.01217L + 0.01129L) / 2);
  EXPECT_EQ(low.alphaC, (1.2571L + 1.2156L) / 2);
  const RainCoefficients high = RainCoefficientsAt(241).value();
  EXPECT_EQ(high.kC, (1.6332L + 1.6369L) / 2);
  EXPECT_EQ(high.alphaC, (0.6339L + 0.6303L) / 2);
}

TEST(RainCoefficientsAt, NoCoefficientsBetweenTheTabulatedFrequencies) {
  for (Real f : {0.0L, 10.0L, std::nextafter(10.368L, 11.0L), 240.0L, 300.0L}) {
    EXPECT_FALSE(RainCoefficientsAt(f).has_value()) << f;
  }
}

}  // namespace
}  // namespace quillmere
