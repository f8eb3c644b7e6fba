#pragma once
// Attenuation by clouds and fog after ITU-R P.840: the specific attenuation
// coefficient of liquid water Kl from a double-Debye model of the
// permittivity of water, the cloud attenuation along the slant path and the
// specific attenuation of fog.

#include <array>

#include "state.h"

namespace quillmere {

// Fog liquid-water density of each item of the fog group, g/m3. It follows
// M = 0.59 - 0.0018 V for a visibility V in metres (10 m is the densest).
inline constexpr std::array<Real, 8> FogTable{0, 0.572L, 0.5L, 0.41L, 0.32L, 0.23L, 0.14L, 0.05L};

// The double-Debye permittivity of liquid water and the coefficient it gives.
struct LiquidWater {
  Real theta = 0;     // 300 / T
  Real eps0 = 0;      // static permittivity
  Real fp = 0;        // principal relaxation frequency, GHz
  Real fs = 0;        // secondary relaxation frequency, GHz
  Real eps_imag = 0;  // eps''
  Real eps_real = 0;  // eps'
  Real eta = 0;       // (2 + eps') / eps''
  Real Kl = 0;        // specific attenuation coefficient, (dB/km)/(g/m3)
};

// f: frequency, GHz; T: water temperature, K (the station's surface
// temperature). eps0 = 77.6 + 103.3 (theta - 1) with fixed eps1 = 5.48 and
// eps2 = 3.51 and fs linear in theta, as in the P.840 edition the cloud maps
// come from.
LiquidWater LiquidWaterCoefficient(Real f, Real T);

// Cloud attenuation along the slant path, dB: L Kl / sin(theta).
// L: columnar liquid water, kg/m2; Kl as above; elevation in degrees.
Real CloudSlantAttenuation(Real L, Real Kl, Real elevation_deg);

// The cloud-and-fog step of one station at frequency f (GHz): refreshes
// TemperatureKelvin, then CloudAttenuation from CloudContent and Elevation,
// and FogAttenuation (dB/km) from FogDensity. Returns Kl for display.
Real UpdateCloudAndFog(StationParams& station, Real f);

// Sets the station's FogDensity from the fog item (an index outside the
// table leaves it unchanged) and stores the item in FogIndex.
void SelectFog(StationParams& station, ItemIndex item);

}  // namespace quillmere
