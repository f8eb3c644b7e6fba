// Rain along a slant path (ITU-R P.618-13 section 2.2.1.1), against values
// worked out by hand from the recommendation's equations.
#include <gtest/gtest.h>

#include <cmath>

#include "itu618.h"

namespace quillmere {
namespace {

TEST(RainSlantPath, LengthBelowTheRainHeightAndItsHorizontalReduction) {
  // h_R - h_s = 1.61 km throughout.
  //   at 30 deg: 1.61 / 0.5 = 3.22 km;
  //   at 1 deg: sin = 0.0174524, 2 x 1.61 / 8500 = 3.78824e-4,
  //     L_S = 3.22 / (sqrt(3.04586e-4 + 3.78824e-4) + 0.0174524)
  //         = 3.22 / 0.0435921 = 73.8625 km;
  //   at 0 deg: 3.22 / sqrt(3.78824e-4) = 165.439 km.
  // r at 1 deg, L_G = 73.8625 cos 1 = 73.8512 km:
  //   10.368 GHz, 0.4 dB/km: sqrt(73.8512 x 0.4 / 10.368) = 1.68801,
  //     r = 1 / (1 + 1.31665 - 0.38) = 0.516367;
  //   24.048 GHz, 2 dB/km: sqrt(73.8512 x 2 / 24.048) = 2.47823,
  //     r = 1 / (1 + 1.93302 - 0.38) = 0.391684;
  // at 30 deg, L_G = 3.22 cos 30 = 2.78860 km, 24.048 GHz, 2 dB/km:
  //   sqrt(2.78860 x 2 / 24.048) = 0.481580, exp(-5.57720) = 0.003785,
  //   r = 1 / (1 + 0.375633 - 0.378562) = 1.002938;
  // at 0 deg, L_G = 165.439 km, 24.048 GHz, 2 dB/km: sqrt(13.7591) = 3.70933,
  //   r = 1 / (1 + 2.89328 - 0.38) = 0.284635;
  // straight up L_G = 0 and r = 1.
  const struct {
    const char* what;
    Real theta, f, gamma_R;
    Real LS, LS_tol, r, r_tol;
  } cases[] = {
      {"30 degrees", 30, 24.048L, 2, 3.22L, 5e-6L, 1.002938L, 5e-7L},
      {"1 degree, 10 GHz light rain", 1, 10.368L, 0.4L, 73.8625L, 5e-5L, 0.516367L, 5e-7L},
      {"1 degree, 24 GHz heavy rain", 1, 24.048L, 2, 73.8625L, 5e-5L, 0.391684L, 5e-7L},
      {"the horizon", 0, 24.048L, 2, 165.439L, 5e-4L, 0.284635L, 5e-6L},
      {"the zenith", 90, 24.048L, 2, 1.61L, 5e-9L, 1, 1e-12L},
  };
  for (const auto& c : cases) {
    const Real LS = RainSlantLength(1.61L, c.theta);
    EXPECT_NEAR(LS, c.LS, c.LS_tol) << c.what;
    const Real LG = LS * std::cos(c.theta * 3.14159265358979323846L / 180);
    EXPECT_NEAR(HorizontalReductionFactor(LG, c.gamma_R, c.f), c.r, c.r_tol) << c.what;
  }
}

}  // namespace
}  // namespace quillmere
