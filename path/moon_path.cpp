#include "moon_path.h"

#include <cmath>

#include "constants.h"

namespace quillmere {
namespace {

constexpr Real kPerigeeKm = 356000;
constexpr Real kSliderDivisor = 0.001960784L;  // one step: 1/0.001960784 km
constexpr Real kSliderSpanKm = 51000;          // km per 100 steps, back to a position
constexpr Real kMoonRadiusKm = 3474.0L / 2;    // half the Moon's 3474 km diameter
constexpr Real kMoonReflectivity = 0.065L;
constexpr Real kFourPi = 12.566370614359172L;
constexpr Real kEmeAirLayerKm = 1.61L;

}  // namespace

Real MoonDistanceAt(int slider_position) {
  return kPerigeeKm + static_cast<Real>(slider_position) / kSliderDivisor;
}

std::optional<int> SliderPositionFor(Real distance_km) {
  const Real p = (distance_km - kPerigeeKm) / kSliderSpanKm * 100;
  if (!std::isfinite(p)) return std::nullopt;
  // nearbyint rounds a half to the even neighbour in the default mode.
  const Real rounded = std::nearbyint(p);
  if (rounded <= 0) return 0;
  if (rounded >= 100) return 100;
  return static_cast<int>(rounded);
}

Real EmePathLoss(Real distance_km, Real f_GHz) {
  const Real d = distance_km;
  const Real one_way = 32.45L + 20 * std::log10(1000 * f_GHz) + 20 * std::log10(d);
  const Real reflector = 10 * std::log10(4 * d * d / (kMoonRadiusKm * kMoonRadiusKm));
  return one_way + reflector - 10 * std::log10(kMoonReflectivity);
}

Real FreeSpacePathLoss(Real path_km, Real f_GHz) {
  const Real lambda_m = 299.792458L / (f_GHz * 1000);
  return 20 * std::log10(kFourPi * path_km * 1000 / lambda_m);
}

Real EmeAttenuationPathLength(Real elevation_deg) {
  return kEmeAirLayerKm / std::sin(elevation_deg * kDegToRad);
}

Real ApplyDistanceStep(Real path_km, const DistanceStep& rule) {
  Real next = path_km + rule.step;
  // Steps of 0.1 km accumulate in binary floating point: a path that should
  // come back to 0 can stay a few units in the 17th decimal above it, which
  // no floor rule would catch. Below half the smallest step it is zero.
  if (rule.floor && !(next >= 0.05L)) next = *rule.floor;
  return next;
}

}  // namespace quillmere
