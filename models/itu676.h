#pragma once
// Gaseous attenuation after ITU-R P.676-9 Annex 2: the specific attenuation
// of dry air and water vapour, their equivalent heights, and the zenith and
// slant attenuation through the whole atmosphere; with the water-vapour
// density the vapour term needs, from temperature and relative humidity.

#include <optional>

#include "state.h"

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

// Stores the station's VapourDensity from its Temperature, Humidity and
// VapourOverWater.
void UpdateVapourDensity(StationParams& station);

// Equivalent height of dry air, P.676-9 Annex 2 (eqs. 25-26), km.
// f: GHz; rp: p/1013. No upper limit is applied.
Real DryAirEquivalentHeight(Real f, Real rp);

// Equivalent height of water vapour, P.676-9 Annex 2 (eq. 27), km.
// The third line of this fit sits at 325.1 GHz.
Real VapourEquivalentHeight(Real f, Real rp);

// gamma_o h_o + gamma_w h_w of the station, dB (P.676-9 Annex 2, eq. 28).
Real ZenithAttenuation(const StationParams& station);

// Zenith attenuation along a beam at `elevation_deg` degrees (0.1..90):
// zenith / sin(theta), with no curved-Earth correction (eq. 29).
Real SlantAttenuation(Real zenith_db, Real elevation_deg);

// The gaseous step of one station: sets the shared ratios from the station's
// pressure and temperature, then DryAirSpecific, VapourSpecific (from the
// station's VapourDensity, computed before), DryAirHeight and VapourHeight
// at frequency f (GHz). Above 350 GHz DryAirSpecific keeps its value.
void ComputeGas(StationParams& station, Real f, GasRatios& ratios);

// The ratios of the gaseous model: rp = p/1013 and rt = 288/(t + 273).
GasRatios GasRatiosOf(const StationParams& station);

}  // namespace quillmere
