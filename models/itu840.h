#pragma once
// Attenuation by clouds and fog after ITU-R P.840: the specific attenuation
// coefficient of liquid water Kl from a double-Debye model of the
// permittivity of water, the cloud attenuation along the slant path and the
// specific attenuation of fog.

#include "real.h"

namespace quillmere {

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

// Specific attenuation of fog, dB/km: Kl M for a fog of liquid water
// density M (g/m3).
Real FogSpecificAttenuation(Real Kl, Real M);

// What clouds and fog do at one frequency and one station.
struct CloudAndFog {
  Real Kl = 0;             // (dB/km)/(g/m3)
  Real cloud_db = 0;       // along the slant path, dB
  Real fog_db_per_km = 0;  // dB/km
};

// f: GHz; T: water temperature, K; L: cloud columnar liquid water, kg/m2;
// elevation in degrees; M: fog liquid water density, g/m3.
CloudAndFog CloudAndFogAttenuation(Real f, Real T, Real L, Real elevation_deg, Real M);

}  // namespace quillmere
