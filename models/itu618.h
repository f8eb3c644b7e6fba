#pragma once
// Rain along a slant path after ITU-R P.618-13, section 2.2.1.1: the slant
// length below the rain height and the horizontal reduction factor, which
// shortens it where a path runs so far through rain that it leaves the rain
// cell (steps 2 and 7). The cell's extent is the reason: heavy rain falls in
// cells a few kilometres across, so a low path of 100 km does not meet
// 10 mm/h all the way.

#include "real.h"

namespace quillmere {

// L_S, km: the slant length below the rain height (step 2, eq. 2).
// rain_above_station_km: h_R - h_s (> 0); theta_deg: elevation, degrees
// (0 ... 90). At 5 degrees and above (h_R - h_s) / sin(theta); below, the
// form over an effective Earth of radius R_e = 8 500 km, finite at 0.
Real RainSlantLength(Real rain_above_station_km, Real theta_deg);

// r_0.01, the horizontal reduction factor (step 7, eq. 4):
//   r = 1 / (1 + 0.78 sqrt(L_G gamma_R / f) - 0.38 (1 - exp(-2 L_G)))
// L_G = L_S cos(theta): horizontal projection of the slant length, km;
// gamma_R: specific rain attenuation, dB/km; f: frequency, GHz. 1 for a
// vertical path (L_G = 0), below 1 as the path grows longer or the rain
// heavier.
Real HorizontalReductionFactor(Real LG_km, Real gamma_R, Real f);

}  // namespace quillmere
