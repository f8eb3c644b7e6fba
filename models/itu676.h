#pragma once
// Gaseous attenuation after ITU-R P.676-9 Annex 2: the specific attenuation
// of dry air and water vapour, their equivalent heights, and the zenith and
// slant attenuation through the whole atmosphere; with the water-vapour
// density the vapour term needs, from temperature and relative humidity.

#include <optional>

#include "real.h"

namespace quillmere {

// phi(rp, rt, a, b, c, d) = rp^a * rt^b * exp(c(1 - rp) + d(1 - rt)),
// P.676-9 Annex 2, eq. 22 (the pressure and temperature factor of each
// dry-air coefficient).
Real PhiFactor(Real rp, Real rt, Real a, Real b, Real c, Real d);

// Specific attenuation of dry air, P.676-9 Annex 2 (eqs. 22a-22f).
// f: frequency, GHz (valid up to 350 GHz; each band includes its upper
// bound, so 54, 60, 62, 66, 120 and 350 GHz belong to the lower band);
// rp: p/1013; rt: 288/(t+273).
// Returns gamma_o in dB/km, or nothing above 350 GHz, where the
// approximation is undefined and the caller keeps its previous value.
std::optional<Real> DryAirAttenuation(Real f, Real rp, Real rt);

// g(f, fi) = 1 + ((f - fi)/(f + fi))^2, the line shape factor of the
// water-vapour lines (P.676-9 Annex 2, eq. 23).
Real LineFactor(Real f, Real fi);

// Specific attenuation of water vapour, P.676-9 Annex 2 (eq. 23).
// f: GHz; rp, rt as above; rho: water-vapour density, g/m3.
// Returns gamma_w in dB/km; no band selection and no frequency limit.
Real VapourAttenuation(Real f, Real rp, Real rt, Real rho);

// Water-vapour density from the saturation vapour pressure over water
// (a = 6.1121, b = 17.502, c = 240.9) or over ice (6.1115, 22.452, 272.55)
// and the relative humidity: rho = 216.7 e / (t + 273.1).
// t: degC; H: %. Returns rho in g/m3. The flag alone chooses water or ice.
Real VapourDensityAt(Real t, Real H, bool over_water);

// Equivalent height of dry air, P.676-9 Annex 2 (eqs. 25-26), km.
// f: GHz; rp: p/1013. No upper limit is applied.
Real DryAirEquivalentHeight(Real f, Real rp);

// Equivalent height of water vapour, P.676-9 Annex 2 (eq. 27), km.
// The third line of this fit sits at 325.1 GHz.
Real VapourEquivalentHeight(Real f, Real rp);

// Zenith attenuation through the whole atmosphere, P.676-9 Annex 2, eq. 28:
// gamma_o h_o + gamma_w h_w, dB. gamma_o, gamma_w: dB/km; h_o, h_w: km.
Real ZenithAttenuation(Real gamma_o, Real h_o, Real gamma_w, Real h_w);

// Zenith attenuation along a beam at `elevation_deg` degrees (0.1..90):
// zenith / sin(theta), with no curved-Earth correction (eq. 29).
Real SlantAttenuation(Real zenith_db, Real elevation_deg);

// The pressure ratio of the gaseous model, rp = p / 1013; p: hPa.
Real PressureRatio(Real p);

// The temperature ratio of the gaseous model, rt = 288 / (t + 273); t: degC.
Real TemperatureRatio(Real t);

// Everything the gaseous model gives at one frequency and one weather.
struct GaseousAttenuation {
  std::optional<Real> gamma_o;  // dB/km; nothing above 350 GHz
  Real gamma_w = 0;             // dB/km
  Real h_o = 0;                 // km
  Real h_w = 0;                 // km
};

// f: GHz; rp, rt as above; rho: water-vapour density, g/m3. The specific
// attenuations (eqs. 22-23) and the equivalent heights (eqs. 25-27).
GaseousAttenuation GaseousAttenuationAt(Real f, Real rp, Real rt, Real rho);

}  // namespace quillmere
