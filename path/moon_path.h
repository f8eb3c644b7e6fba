#pragma once
// The EME and terrestrial path figures: Moon distance from the slider, EME
// path loss, free-space path loss, the length of air the attenuation is
// summed over, and the distance steppers.

#include <optional>

#include "real.h"

namespace quillmere {

// Moon distance at a position of the Moon-distance slider, km: 356000 km at
// perigee (position 0) plus position / 0.001960784 (a little over 510 km a
// step).
Real MoonDistanceAt(int slider_position);

// Slider position nearest a Moon distance: (d - 356000) / 51000 * 100,
// rounded to the nearest integer with a half to the even neighbour, and kept
// within the slider's 0..100. Nothing for a distance that is not finite.
std::optional<int> SliderPositionFor(Real distance_km);

// EME path loss, dB, of an echo from the Moon at distance d (km) and
// frequency f (GHz): the one-way free-space loss 32.45 + 20 log10(1000 f) +
// 20 log10(d), plus 10 log10(4 d^2 / 1737^2) for the Moon as a sphere of
// radius 1737 km, minus 10 log10(0.065) for its reflectivity. The one
// formula of the program: the sun/moon component's 144 MHz figure is this
// loss at 0.144 GHz.
Real EmePathLoss(Real distance_km, Real f_GHz);

// Free-space path loss over `path_km` at f (GHz), dB: 20 log10(4 pi d / lambda)
// with lambda = 299.792458 / (1000 f) metres. Not finite for a zero path or
// frequency.
Real FreeSpacePathLoss(Real path_km, Real f_GHz);

// Length of the attenuating air on an EME path, km: a 1.61 km layer seen at
// the Home elevation, 1.61 / sin(theta).
Real EmeAttenuationPathLength(Real elevation_deg);

// The four distance spin buttons, each with an up and a down step.
struct DistanceStep {
  Real step;                  // km, signed
  std::optional<Real> floor;  // a result not greater than 0 becomes this
};
inline constexpr DistanceStep kDistanceX100Up{100, 1.0L};
inline constexpr DistanceStep kDistanceX100Down{-100, 1.0L};
inline constexpr DistanceStep kDistanceX10Up{10, std::nullopt};
inline constexpr DistanceStep kDistanceX10Down{-10, 1.0L};
inline constexpr DistanceStep kDistanceX1Up{1, std::nullopt};
inline constexpr DistanceStep kDistanceX1Down{-1, 1.0L};
inline constexpr DistanceStep kDistanceX01Up{0.1L, std::nullopt};
inline constexpr DistanceStep kDistanceX01Down{-0.1L, 0.1L};

// The path length after one step, with its floor rule.
Real ApplyDistanceStep(Real path_km, const DistanceStep& rule);

}  // namespace quillmere
