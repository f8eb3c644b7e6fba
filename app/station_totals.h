#pragma once
// The totals of one station that the result blocks show: sky noise, the
// one-way additional loss and the EME total.

#include <cmath>

#include "itu676.h"
#include "state.h"
#include "station_steps.h"

namespace quillmere {

// 10^x for the sky-noise terms; the C library's extended pow is needlessly
// slow here.
inline Real Pow10(Real x) {
  return std::exp(x * 2.302585092994045684L);
}

// Noise temperature of an absorbing layer at physical temperature t_phys
// (K) with attenuation a (dB): t_phys (1 - 10^(-a/10)).
inline Real AbsorptionNoise(Real t_phys, Real a_db) {
  return t_phys * (1 - Pow10(-a_db / 10));
}

inline Real SkyNoise(const StationParams& s) {
  // Each attenuation is taken as a dB value as it stands; the rain and fog
  // figures are the specific values per kilometre.
  return AbsorptionNoise(280, s.SlantTotal) + AbsorptionNoise(260, s.RainAttenuation) +
         AbsorptionNoise(280, s.CloudAttenuation) + AbsorptionNoise(280, s.FogAttenuation);
}

// One-way additional loss through the atmosphere at one station, dB.
inline Real OneWayLoss(const StationParams& s) {
  return s.SlantTotal + s.FogAttenuation + s.RainAttenuation + s.CloudAttenuation;
}

// The same loss with the beam at another elevation (degrees, clamped to the
// 0.1..90 of the slant model): the station's weather as the last
// recalculation left it, the gases along the new slant. What the window
// would show as the station's total with its elevation set there.
inline Real OneWayLossAt(StationParams s, Real elevation_deg) {
  if (!(elevation_deg >= 0.1L)) elevation_deg = 0.1L;
  if (elevation_deg > 90) elevation_deg = 90;
  s.SlantTotal = SlantAttenuation(ZenithAttenuation(s), elevation_deg);
  return OneWayLoss(s);
}

// The station's atmosphere counted on the way up and down; the cloud term
// counted once.
inline Real EmeTotal(const StationParams& s, Real eme_path_loss) {
  return 2 * s.SlantTotal + eme_path_loss + 2 * s.RainAttenuation + 2 * s.FogAttenuation +
         s.CloudAttenuation;
}

}  // namespace quillmere
