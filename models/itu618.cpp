#include "itu618.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillmere {

Real RainSlantLength(Real rain_above_station_km, Real theta_deg) {
  const Real s = std::sin(theta_deg * std::numbers::pi_v<Real> / 180);
  if (theta_deg >= 5) return rain_above_station_km / s;
  // The effective radius of the Earth, km, as the recommendation takes it.
  constexpr Real kRe = 8500;
  return 2 * rain_above_station_km / (std::sqrt(s * s + 2 * rain_above_station_km / kRe) + s);
}

Real HorizontalReductionFactor(Real LG_km, Real gamma_R, Real f) {
  // L_S cos(90 deg) rounds to a hair below zero: no root of a negative.
  LG_km = std::max(LG_km, Real{0});
  return 1 / (1 + 0.78L * std::sqrt(LG_km * gamma_R / f) - 0.38L * (1 - std::exp(-2 * LG_km)));
}

}  // namespace quillmere
