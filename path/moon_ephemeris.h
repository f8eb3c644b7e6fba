#pragma once
// The Moon's geocentric position and velocity from the sun/moon component's
// model, for callers that need the vector and not only the distance.

namespace quillmere {

// Geocentric Moon at TT (tt1 + tt2) as a two-part Julian date.
//
// Returned:
//   pv[0]  position, km, in the GCRS (the axes of eraMoon98)
//   pv[1]  velocity, km/s, same axes
//
// Notes:
//   1) The direction is eraMoon98's (Meeus's series of ELP 2000-82B); the
//      length is eraMoon98's distance plus the 24 distance terms of the full
//      series that the sun/moon component adds, so |pv[0]| is the
//      component's distance within rounding. The velocity carries the rate of
//      those terms along the line of sight.
//   2) Geometric position: no light time (1.3 s, under 1 arcsecond) and no
//      aberration.
void CorrectedGeocentricMoon(double tt1, double tt2, double pv[2][3]);

}  // namespace quillmere
