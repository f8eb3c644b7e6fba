#pragma once
// The atmosphere above a station for the line-by-line slant path: an ITU-R
// P.835 reference profile with its surface values replaced by the station's
// own weather. In double, as the line-by-line model it feeds.
//
// How the station's weather is blended in. Let h_s be the station height,
// X_ref(h) the reference profile, and (T_s, P_s, rho_s) the weather at the
// station. With the weight
//
//   w(h) = 1                      for h <= h_s,
//   w(h) = 1 - u^2 (3 - 2u)       for u = (h - h_s) / (h_t - h_s) in 0..1,
//   w(h) = 0                      for h >= h_t,
//
// (a smooth step, level at both ends, so no kink in the refractive index
// bends the ray), the profile is
//
//   T(h)   = T_ref(h) + (T_s - T_ref(h_s)) w(h)              (an offset)
//   U(h)   = U_ref(h) (1 + (U_s / U_ref(h_s) - 1) w(h))         (a ratio)
//   rho(h) = U(h) rho_sat(T(h))
//
// with U the relative humidity rho / rho_sat(T), rho_sat the saturation
// vapour density over water (Magnus, as the window's own humidity). Keeping
// the relative humidity, not the vapour density, lets the vapour follow
// the temperature: a day 20 K warmer than the reference holds its extra
// vapour near the ground, where the warmth is, not all the way up.
//
// and the pressure follows from the station's pressure by the hydrostatic
// equation, dP / P = -(g0 M / R) dH / T with H the geopotential height,
// taken with the blended temperature:
//
//   P(h) = P_s (P_ref(h) / P_ref(h_s)) exp(-(g0 M / R) I(h)),
//   I(h) = integral from h_s to h of (1 / T(h') - 1 / T_ref(h')) dH'.
//
// The reference's own pressure shape carries the column (for the global
// reference it is the hydrostatic solution of its temperatures), and I
// corrects it for the weather's temperature offset; I is constant above the
// tropopause, where the offset has died out. So the whole column above a
// station scales with its pressure: a station pressure 10 % over the
// reference gives 10 % more air all the way up, as a barometer at the
// station says. A sea-level (QNH) pressure entered at a mountain station
// thus weighs far too much air; SeaLevelPressureHeight flags it.
//
// The reference's shape. A zone's profile describes its own climate: a
// high-latitude winter has a ground inversion and little vapour. Weather far
// from it (a 15 degC day in that zone, 31 K over its ground) would carry the
// inversion's shape into warm air and pile up a vapour column half as large
// again as the global reference's. So the reference X_ref above is
//
//   X_ref = (1 - c) X_zone + c X_global   (T, rho; ln P likewise),
//
// with c = 0 while the station's temperature lies within 15 K of the zone's
// at its height, 1 beyond 25 K, a smooth step in between (Shape). Within
// the zone's climate the zone's profile is kept as it is.
//
// h_t is the reference profile's tropopause (11 km for the global
// reference; 17, 13, 10, 10 and 8.5 km for the P.835-3 low, mid summer, mid
// winter, high summer and high winter profiles), but never less than 1 km
// above the station. So the profile equals the station's weather at h_s and
// the reference's temperature and vapour from the tropopause up: the
// weather of the day is a tropospheric affair, and the stratosphere holds
// little vapour. Where the reference has no vapour at the station height the
// vapour is rho_s w(h). Below the station the reference shape is kept,
// shifted the same way, the pressure again hydrostatic.

#include <vector>

namespace quillmere::atmosphere {

// The state of the air at one height.
struct AtmosphereState {
  double P = 0;    // total pressure, hPa
  double T = 0;    // temperature, K
  double rho = 0;  // water-vapour density, g/m3
};

enum class Reference {
  kGlobal,     // P.835-6 mean annual global reference atmosphere
  kLow,        // P.835-3 low latitude, annual
  kMidSummer,  // P.835-3 mid latitude
  kMidWinter,
  kHighSummer,  // P.835-3 high latitude
  kHighWinter,
};

// The profile of the window's latitude zone (0 low, 1 mid, 2 high) and
// season (0 summer, 1 winter); the global reference for any other zone.
Reference ReferenceFor(int zone, int season);

// The mean annual global reference atmosphere, P.835-6 section 1.1, from
// 0 to 100 km (h in km, geometric): temperature and pressure of the
// geopotential layers up to 86 km and of the geometric fits above; the
// water vapour rho = 7.5 exp(-h / 2) g/m3 (section 1.2), held at a mixing
// ratio e / P of no less than 2e-6 where it thins out.
AtmosphereState GlobalReferenceAtmosphere(double h);

// The reference profile at height h (km).
AtmosphereState ReferenceAt(Reference ref, double h);

// The tropopause of the profile, km: where the weather's offset has died out.
double TropopauseHeight(Reference ref);

// The weather at the station, as the window holds it.
struct StationWeather {
  double height_km = 0;  // station height above sea level
  double T = 288.15;     // air temperature, K
  double P = 1013.25;    // total pressure, hPa
  double rho = 7.5;      // water-vapour density, g/m3
};

// A reference profile blended into the station's weather (see above).
class StationAtmosphere {
 public:
  StationAtmosphere(Reference ref, const StationWeather& weather);
  AtmosphereState operator()(double h) const;

  // w(h) of the blend: 1 at and below the station, 0 from the top up.
  double Weight(double h) const;

  // c of the reference's shape: 0 the zone's profile, 1 the global one.
  double GlobalShare() const { return c_; }

 private:
  // The reference X_ref(h), the zone's and the global one mixed by c.
  AtmosphereState Shape(double h) const;
  // (g0 M / R) I(h) of the hydrostatic correction (see above).
  double HydrostaticCorrection(double h) const;

  Reference ref_;
  double h_s_, h_t_;
  double c_ = 0;
  double dT_, kP_, kU_;  // the offset and the two ratios at the station
  double rho_s_;         // used where the reference has no vapour
  bool u_ratio_;
  // (g0 M / R) times the integral from 0 km to the node's height, at
  // nodes every kCorrectionStepKm from 0 to h_t (empty when dT is 0), and
  // its value at the station.
  std::vector<double> correction_;
  double correction_at_station_ = 0;
};

// The pressure, hPa, that the station's reference profile gives at its
// height (km): what a barometer there reads on an average day.
double ReferencePressureAt(Reference ref, double height_km);

// True when a station pressure P (hPa) at height_km lies more than 10 %
// from the reference's pressure there: most often a sea-level (QNH)
// pressure entered for a station well above the sea.
bool PressureFarFromReference(Reference ref, double height_km, double P);

}  // namespace quillmere::atmosphere
