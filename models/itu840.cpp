#include "itu840.h"

#include <cmath>

#include "constants.h"

namespace quillmere {

LiquidWater LiquidWaterCoefficient(Real f, Real T) {
  LiquidWater w;
  w.theta = 300 / T;
  const Real dt = w.theta - 1;  // negative above 300 K
  // The static permittivity constant is 77.6 here, not the 77.66 of later
  // editions.
  w.eps0 = 77.6L + 103.3L * dt;
  const Real eps1 = 5.48L;
  const Real eps2 = 3.51L;
  w.fp = 20.09L - 142 * dt + 294 * dt * dt;
  w.fs = 590 - 1500 * dt;
  const Real rp = f / w.fp;
  const Real rs = f / w.fs;
  w.eps_imag =
      f * (w.eps0 - eps1) / (w.fp * (1 + rp * rp)) + f * (eps1 - eps2) / (w.fs * (1 + rs * rs));
  w.eps_real = (w.eps0 - eps1) / (1 + rp * rp) + (eps1 - eps2) / (1 + rs * rs) + eps2;
  w.eta = (2 + w.eps_real) / w.eps_imag;
  w.Kl = 0.819L * f / (w.eps_imag * (1 + w.eta * w.eta));
  return w;
}

Real CloudSlantAttenuation(Real L, Real Kl, Real elevation_deg) {
  return L * Kl / std::sin(elevation_deg * kDegToRad);
}

Real FogSpecificAttenuation(Real Kl, Real M) {
  return Kl * M;
}

CloudAndFog CloudAndFogAttenuation(Real f, Real T, Real L, Real elevation_deg, Real M) {
  CloudAndFog r;
  r.Kl = LiquidWaterCoefficient(f, T).Kl;
  r.cloud_db = CloudSlantAttenuation(L, r.Kl, elevation_deg);
  r.fog_db_per_km = FogSpecificAttenuation(r.Kl, M);
  return r;
}

}  // namespace quillmere
