#pragma once
// The ray-traced air above each station toward the Moon, for the Moon
// track's degradation: the slant path of P.676-13 Annex 1 through the
// station's atmosphere (its zone and season's P.835 profile blended into the
// window's weather, as the "Spectrum and elevation" view and --slant take
// it), with the window's cloud, rain and fog added along the same ray as
// bands of height above the station:
//   - cloud: L Kl over a layer 1 km thick from 1 to 2 km, i.e. L Kl / 1 km
//     dB/km (L the columnar liquid water, kg/m2; Kl of P.840 at the
//     station's temperature), so the zenith figure is the window's L Kl;
//   - fog: the window's FogAttenuation (dB/km) from the ground to 100 m, the
//     depth of a radiation fog;
//   - rain: the window's gamma_R (dB/km) from the ground to 1.61 km, the
//     rain height that the window's own EME path length 1.61 / sin(elevation)
//     implies, times the horizontal reduction factor r_0.01 of ITU-R
//     P.618-13 (section 2.2.1.1, step 7) for the ray's elevation: rain
//     falls in cells, and a ray below 1.5 degrees that runs more than 100 km
//     under the rain height does not meet 10 mm/h all the way (RainReduction).
// The ray's length through each band replaces the window's 1/sin(elevation)
// (which has no figure at the horizon), and the sky's brightness comes out
// of the same ray by radiative transfer, each layer at its own temperature.
//
// Each station is traced once per weather and band (a table of 251 rays,
// itu676_13_slant_table.h); every minute of the track is then a look-up by
// the Moon's airless elevation.

#include <functional>
#include <vector>

#include "itu676_13_slant.h"
#include "moon_track.h"
#include "state.h"

namespace quillmere {

// The air above Home (dx false) or DX (dx true) toward the Moon.
using StationSlantAir = std::function<SlantAir(bool dx, const MoonSighting& moon)>;

// The window's cloud, rain and fog of a station as bands of height, km
// above sea level, at f_ghz.
std::vector<p676_13::AttenuationBand> WeatherBands(const StationParams& station, double f_ghz);

// r_0.01 of ITU-R P.618-13 (section 2.2.1.1, steps 2 and 7) for the rain
// band: L_S the slant length under the 1.61 km rain height at elevation
// theta_deg (0 ... 90), L_G = L_S cos(theta), and the rain's gamma_R (dB/km)
// at f_ghz. The ray's rain is its path through the band times gamma_R r.
double RainReduction(double theta_deg, double gamma_R, double f_ghz);

// The ray-traced air of both stations at the state's band. The state is
// copied; the two stations are traced side by side on two threads.
StationSlantAir RayTracedAirOf(const QuillmereState& state);

// What the ray-traced air depends on: the band and each station's weather,
// height, zone, season, cloud, rain and fog. Equal keys, equal air.
std::vector<double> RayTracedAirKey(const QuillmereState& state);

}  // namespace quillmere
