#include "colour_scale.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quillmere::mapgen {
namespace {

// Viridis at 1.0, 0.9, ..., 0.3 of its range (matplotlib's tabulated
// colours), spread evenly over 0..4 kg/m2.
constexpr std::array<Rgb, 8> kStops{{
    {253, 231, 37},  // 1.0
    {189, 223, 38},  // 0.9
    {122, 209, 81},  // 0.8
    {68, 191, 112},  // 0.7
    {34, 168, 132},  // 0.6
    {33, 145, 140},  // 0.5
    {42, 120, 142},  // 0.4
    {53, 95, 141},   // 0.3
}};
constexpr Real kStopStep = kScaleTop / (kStops.size() - 1);  // kg/m2 between stops

Real SquaredDistance(Rgb a, Rgb b) {
  const Real dr = static_cast<Real>(a.r) - b.r;
  const Real dg = static_cast<Real>(a.g) - b.g;
  const Real db = static_cast<Real>(a.b) - b.b;
  return dr * dr + dg * dg + db * db;
}

}  // namespace

Rgb LiquidWaterColour(Real kg_m2) {
  if (kg_m2 >= kScaleTop) return kFourOrMoreColour;
  if (!(kg_m2 > 0)) return kStops.front();
  const Real position = kg_m2 / kStopStep;
  const int i =
      std::min(static_cast<int>(std::floor(position)), static_cast<int>(kStops.size()) - 2);
  const Real f = position - i;
  const Rgb a = kStops[i];
  const Rgb b = kStops[i + 1];
  auto mix = [f](std::uint8_t u, std::uint8_t v) {
    return static_cast<std::uint8_t>(std::lround(u + f * (static_cast<Real>(v) - u)));
  };
  return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

Real Lightness(Rgb colour) {
  auto linear = [](std::uint8_t c) {
    const Real v = c / 255.0L;
    return v <= 0.04045L ? v / 12.92L : std::pow((v + 0.055L) / 1.055L, 2.4L);
  };
  // Relative luminance Y of sRGB (IEC 61966-2-1), then L* of CIE 1976.
  const Real y =
      0.2126L * linear(colour.r) + 0.7152L * linear(colour.g) + 0.0722L * linear(colour.b);
  return y > 216.0L / 24389.0L ? 116 * std::cbrt(y) - 16 : y * 24389.0L / 27.0L;
}

ScaleReading ReadScale(Rgb colour) {
  // The ramp is straight in RGB between its stops: the nearest point of
  // each piece is the colour's projection onto it, clamped to its ends.
  ScaleReading best;
  Real best_d2 = SquaredDistance(colour, kFourOrMoreColour);
  best.kg_m2 = kScaleTop;
  best.four_or_more = true;
  const Real p[3] = {static_cast<Real>(colour.r), static_cast<Real>(colour.g),
                     static_cast<Real>(colour.b)};
  for (size_t i = 0; i + 1 < kStops.size(); ++i) {
    const Real a[3] = {static_cast<Real>(kStops[i].r), static_cast<Real>(kStops[i].g),
                       static_cast<Real>(kStops[i].b)};
    const Real d[3] = {kStops[i + 1].r - a[0], kStops[i + 1].g - a[1], kStops[i + 1].b - a[2]};
    const Real dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    Real t = ((p[0] - a[0]) * d[0] + (p[1] - a[1]) * d[1] + (p[2] - a[2]) * d[2]) / dd;
    t = std::clamp(t, 0.0L, 1.0L);
    Real d2 = 0;
    for (int k = 0; k < 3; ++k) {
      const Real e = p[k] - (a[k] + t * d[k]);
      d2 += e * e;
    }
    if (d2 < best_d2) {
      best_d2 = d2;
      best.kg_m2 = (i + t) * kStopStep;
      best.four_or_more = false;
    }
  }
  best.distance = std::sqrt(best_d2);
  return best;
}

}  // namespace quillmere::mapgen
