// The reference atmospheres and their blend into the station's weather.
#include <gtest/gtest.h>

#include <cmath>

#include "atmosphere_profile.h"
#include "itu676_13_slant.h"

namespace quillmere::atmosphere {
namespace {

TEST(GlobalReferenceAtmosphere, StandardValues) {
  // The US standard atmosphere 1976, which the global reference follows, at
  // geometric heights where it is tabulated (to the digits printed there).
  struct Case {
    const char* what;
    double h, T, T_tol, P, P_tol;
  } cases[] = {
      {"sea level", 0, 288.15, 1e-9, 1013.25, 1e-9},
      {"10 km", 10, 223.252, 0.0005, 264.999, 0.0005},
      {"20 km", 20, 216.65, 0.005, 55.29, 0.005},
      {"40 km", 40, 250.350, 0.0005, 2.8714, 0.0005},
      {"50 km", 50, 270.65, 0.005, 0.7978, 0.00005},
      {"60 km", 60, 247.021, 0.005, 0.21958, 0.00005},
      {"72 km, just into the last layer", 72, 214.263, 0.0005, 0.038365, 0.00001},
      {"80 km", 80, 198.639, 0.0005, 0.010524, 0.000005},
      {"90 km", 90, 186.87, 0.005, 0.0018359, 0.0000005},
  };
  for (const auto& c : cases) {
    const AtmosphereState a = GlobalReferenceAtmosphere(c.h);
    EXPECT_NEAR(a.T, c.T, c.T_tol) << c.what;
    EXPECT_NEAR(a.P, c.P, c.P_tol) << c.what;
  }
  // The geopotential layers hand over to the geometric fits at 86 km: the
  // molecular-scale 186.946 K below meets the kinetic 186.867 K above.
  const AtmosphereState below = GlobalReferenceAtmosphere(86 - 1e-9);
  const AtmosphereState above = GlobalReferenceAtmosphere(86);
  EXPECT_NEAR(below.T, above.T, 0.1);
  EXPECT_NEAR(below.P / above.P, 1, 0.002);
  // The stratopause: 270.65 K from 47 to 51 km'.
  EXPECT_NEAR(GlobalReferenceAtmosphere(48).T, 270.65, 0.0005);
  // ...and from 86 to 91 km the kinetic temperature stays at 186.867 K.
  EXPECT_NEAR(GlobalReferenceAtmosphere(86.5).T, 186.867, 0.0005);
  // Above 91 km the temperature climbs on an ellipse: 195.08 K at 100 km.
  EXPECT_NEAR(GlobalReferenceAtmosphere(100).T, 195.08, 0.005);
}

TEST(GlobalReferenceAtmosphere, WaterVapourAndItsFloor) {
  EXPECT_NEAR(GlobalReferenceAtmosphere(0).rho, 7.5, 1e-12);
  EXPECT_NEAR(GlobalReferenceAtmosphere(4).rho, 7.5 * std::exp(-2.0), 1e-12);
  // High up the mixing ratio e/P holds at 2e-6 instead of vanishing.
  for (double h : {30.0, 60.0}) {
    const AtmosphereState a = GlobalReferenceAtmosphere(h);
    EXPECT_NEAR(a.rho * a.T / 216.7 / a.P, 2e-6, 1e-15) << h;
  }
}

TEST(StationAtmosphere, EqualsTheWeatherAtTheStationAndTheReferenceShapeAbove) {
  struct Case {
    const char* what;
    Reference ref;
    StationWeather w;
  } cases[] = {
      {"global, a warm humid day at sea level", Reference::kGlobal, {0, 303.15, 1003, 20}},
      {"mid winter, cold and dry at 1.2 km", Reference::kMidWinter, {1.2, 258, 870, 1.1}},
      {"high winter, 9.2 km above its tropopause", Reference::kHighWinter, {9.2, 215, 300, 0.01}},
  };
  for (const auto& c : cases) {
    const StationAtmosphere atm(c.ref, c.w);
    const AtmosphereState at = atm(c.w.height_km);
    EXPECT_NEAR(at.T, c.w.T, 1e-9) << c.what;
    EXPECT_NEAR(at.P, c.w.P, 1e-9) << c.what;
    EXPECT_NEAR(at.rho, c.w.rho, 1e-12) << c.what;
    // From the tropopause (at least 1 km above the station) up: the
    // reference's temperature and vapour, and its pressure scaled by one
    // factor, the column the station's weather holds up.
    const double top = std::max(TropopauseHeight(c.ref), c.w.height_km + 1);
    const double scale = atm(top).P / ReferenceAt(c.ref, top).P;
    for (double h : {top, top + 5, 60.0}) {
      const AtmosphereState a = atm(h), r = ReferenceAt(c.ref, h);
      EXPECT_DOUBLE_EQ(a.T, r.T) << c.what << " at " << h;
      EXPECT_NEAR(a.P / r.P, scale, 1e-12) << c.what << " at " << h;
      EXPECT_DOUBLE_EQ(a.rho, r.rho) << c.what << " at " << h;
    }
  }
}

TEST(StationAtmosphere, BlendsSmoothlyInBetween) {
  // Global, 10 K warmer and 10 hPa higher at sea level: halfway to the
  // tropopause (5.5 km) the smooth step is 1/2.
  const StationAtmosphere atm(Reference::kGlobal, {0, 298.15, 1023.25, 7.5});
  EXPECT_DOUBLE_EQ(atm.Weight(0), 1);
  EXPECT_DOUBLE_EQ(atm.Weight(5.5), 0.5);
  EXPECT_DOUBLE_EQ(atm.Weight(11), 0);
  const AtmosphereState mid = atm(5.5), ref = GlobalReferenceAtmosphere(5.5);
  EXPECT_NEAR(mid.T - ref.T, 5, 1e-9);
  // The relative humidity goes halfway from the station's to the
  // reference's: 7.5 g/m3 at 25 degC is 0.5568 of the reference's 7.5 at
  // 15 degC (Magnus over water: 12.822 against 23.028 g/m3 saturated).
  const auto saturated = [](double T) {
    const double t = T - 273.15;
    return 216.7 * 6.1121 * std::exp(17.502 * t / (t + 240.9)) / T;
  };
  EXPECT_NEAR(saturated(288.15) / saturated(298.15), 0.5568, 0.00005);
  const double u_ratio = (mid.rho / saturated(mid.T)) / (ref.rho / saturated(ref.T));
  EXPECT_NEAR(u_ratio, (1 + 0.5568) / 2, 0.00005);
  // Level at both ends: no kink for the ray to bend on.
  for (double h : {0.0, 11.0}) {
    EXPECT_NEAR((atm.Weight(h + 1e-4) - atm.Weight(h - 1e-4)) / 2e-4, 0, 1e-3) << h;
  }
}

TEST(StationAtmosphere, VapourColumnFollowsTheWeatherNotTheZonesInversion) {
  // The vapour column above the station, kg/m2. The global reference's
  // 7.5 exp(-h / 2) g/m3 holds 7.5 x 2 = 15.0; the high-latitude winter
  // profile's own 1.2319 g/m3 at 257.43 K holds 4.314 (its formula summed
  // over 0-10 km by the midpoint rule, 1 m steps).
  struct Case {
    const char* what;
    Reference ref;
    StationWeather w;
    double iwv, tol;
  } cases[] = {
      {"the global reference as it is", Reference::kGlobal, {0, 288.15, 1013.25, 7.5}, 15.0, 0.01},
      {"high winter at its own climate",
       Reference::kHighWinter,
       {0, 257.4345, 1010.88, 1.2319},
       4.314,
       0.005},
      // 31 K over the zone's ground: the global shape, not a 22 kg/m2
      // column under the zone's inversion.
      {"a 15 degC day in the high winter zone",
       Reference::kHighWinter,
       {0, 288.15, 1013.25, 7.5},
       15.0,
       0.05},
  };
  for (const auto& c : cases) {
    const p676_13::LayeredAtmosphere layers(c.w.height_km, StationAtmosphere(c.ref, c.w));
    EXPECT_NEAR(layers.IntegratedWaterVapour(), c.iwv, c.tol) << c.what;
  }
}

// ln P(h) from the hydrostatic equation itself, dlnP = -(g0 M / R) dH / T,
// by Simpson's rule over the profile's own temperatures (geopotential
// height H = r0 h / (r0 + h)).
double HydrostaticPressure(const StationAtmosphere& atm, double P_s, double h_s, double h) {
  constexpr double k = 34.1632, r0 = 6356.766;
  const int n = 4000;
  const double step = (h - h_s) / n;
  double sum = 0;
  for (int i = 0; i <= n; ++i) {
    const double x = h_s + i * step;
    const double g = r0 / (r0 + x);
    const double f = g * g / atm(x).T;
    sum += f * (i == 0 || i == n ? 1 : (i % 2 ? 4 : 2));
  }
  return P_s * std::exp(-k * sum * step / 3);
}

TEST(StationAtmosphere, PressureIsHydrostaticFromTheStationsPressure) {
  // The global reference is the hydrostatic solution of its temperatures
  // (to the 2e-5 of its tabulated base pressures), so the blend over it
  // must be one too, whatever the station's weather.
  struct Case {
    const char* what;
    StationWeather w;
  } cases[] = {
      {"the reference at 3 km", {3, 268.66, 701.2, 1.7}},
      {"a sea-level pressure at 3 km", {3, 268.66, 1013.25, 1.7}},
      {"a warm day at sea level", {0, 303.15, 1003, 20}},
      {"a cold high pressure at 1 km", {1, 258.15, 920, 1}},
  };
  for (const auto& c : cases) {
    const StationAtmosphere atm(Reference::kGlobal, c.w);
    for (double h : {0.0, 5.0, 10.0, 12.0, 20.0, 30.0}) {
      const double expected = HydrostaticPressure(atm, c.w.P, c.w.height_km, h);
      EXPECT_NEAR(atm(h).P / expected, 1, 3e-5) << c.what << " at " << h << " km";
    }
  }
}

TEST(StationAtmosphere, FlagsAPressureFarFromTheReferenceAtItsHeight) {
  struct Case {
    const char* what;
    Reference ref;
    double height_km, P;
    bool far;
  } cases[] = {
      {"station pressure at 3 km", Reference::kGlobal, 3, 701, false},
      {"sea-level pressure at 3 km", Reference::kGlobal, 3, 1013, true},
      {"9 % over at 1 km", Reference::kMidSummer, 1, 1.09 * 905.13, false},
      {"11 % under at sea level", Reference::kLow, 0, 0.89 * 1012.03, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PressureFarFromReference(c.ref, c.height_km, c.P), c.far) << c.what;
  EXPECT_NEAR(ReferencePressureAt(Reference::kGlobal, 3), 701.2, 0.05);
}

TEST(StationAtmosphere, ZoneAndSeasonChooseTheProfile) {
  struct Case {
    int zone, season;
    Reference ref;
  } cases[] = {
      {0, 1, Reference::kLow},        {1, 0, Reference::kMidSummer},  {1, 1, Reference::kMidWinter},
      {2, 0, Reference::kHighSummer}, {2, 1, Reference::kHighWinter}, {-1, 0, Reference::kGlobal},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReferenceFor(c.zone, c.season), c.ref) << c.zone << "/" << c.season;
}

}  // namespace
}  // namespace quillmere::atmosphere
