#pragma once
// Radio refractivity of the atmosphere after ITU-R P.453.

namespace quillmere::p453 {

// N = 77.6 p_d / T + 72 e / T + 3.75e5 e / T^2 (P.453, eq. 6): the dry term
// and the two terms of water vapour (its induced and its permanent dipole).
// p_d: dry-air pressure, hPa; e: water-vapour partial pressure, hPa;
// T: temperature, K. Returns N in N-units.
double Refractivity(double p_d, double e, double T);

// n = 1 + N 1e-6 (P.453, eq. 1).
double RefractiveIndex(double p_d, double e, double T);

}  // namespace quillmere::p453
