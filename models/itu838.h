#pragma once
// Rain specific attenuation after ITU-R P.838: gamma_R = k R^alpha, with the
// coefficients k and alpha tabulated at the frequencies the calculator uses.

#include <optional>

#include "real.h"

namespace quillmere {

// The coefficients of one frequency: k and alpha for horizontal and vertical
// polarisation, and the circular pair as the plain means of the two (not the
// k-weighted mean P.838 gives for circular polarisation).
struct RainCoefficients {
  Real kH = 0, kV = 0, kC = 0;
  Real alphaH = 0, alphaV = 0, alphaC = 0;
};

// f: GHz. Returns the coefficients tabulated at exactly f (10.368, 24.048,
// 47.088, 78, 100, 122, 134 and 241 GHz), or nothing at any other
// frequency: no regression is evaluated.
std::optional<RainCoefficients> RainCoefficientsAt(Real f);

// k R^alpha for rain rate R (mm/h), dB/km; exactly 0 when R is 0.
Real RainSpecificAttenuation(Real k, Real alpha, Real R);

}  // namespace quillmere
