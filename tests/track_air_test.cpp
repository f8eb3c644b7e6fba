// The ray-traced air of the Moon track: the window's cloud, rain and fog as
// bands of height, and each station's table against a ray traced on its own.
#include "track_air.h"

#include <gtest/gtest.h>

#include <cmath>

#include "itu676_13_slant.h"
#include "itu840.h"
#include "spectrum_command.h"
#include "track_environment.h"

namespace quillmere {
namespace {

constexpr double kDeg = M_PI / 180.0;

StationParams Weather(Real t_c, Real humidity, Real pressure, Real height_m) {
  StationParams s;
  s.Temperature = t_c;
  s.Humidity = humidity;
  s.Pressure = pressure;
  s.HeightAsl = height_m;
  s.VapourOverWater = 1;
  s.LatitudeZone = 1;
  s.Season = 0;
  return s;
}

QuillmereState TwoStations() {
  QuillmereState state;
  state.Frequency = 24.048L;
  state.Home = Weather(25, 70, 1008, 120);
  state.DX = Weather(-5, 40, 950, 600);
  return state;
}

MoonSighting Airless(double elevation_deg) {
  MoonSighting m;
  m.elevation_deg = elevation_deg;
  return m;
}

// The figure --slant gives for a station at a geometric elevation.
p676_13::RayPath Traced(const StationParams& station, double f, double geometric_deg) {
  const ExactStationAir air = StationAirOf(station);
  const p676_13::LayeredAtmosphere layers(air.height_km, air.profile);
  const std::vector<double> gamma = layers.SpecificAttenuation(f);
  return p676_13::TraceRay(layers, gamma, p676_13::ApparentElevationFor(layers, geometric_deg), f);
}

TEST(WeatherBands, HoldTheWindowsZenithFiguresAboveTheStation) {
  StationParams s = Weather(10, 80, 1000, 300);
  s.CloudContent = 0.5L;
  s.FogAttenuation = 0.2L;
  s.RainAttenuation = 1.5L;
  const double kl = static_cast<double>(LiquidWaterCoefficient(24.048L, 283.15L).Kl);
  const auto bands = WeatherBands(s, 24.048);
  ASSERT_EQ(bands.size(), 3u);
  struct Case {
    const char* what;
    double bottom_km, top_km, zenith_db;
  };
  const Case want[] = {
      {"cloud: L Kl from 1 to 2 km above the station", 1.3, 2.3, 0.5 * kl},
      {"fog: its dB/km over the lowest 100 m", 0.3, 0.4, 0.02},
      {"rain: its dB/km up to the window's 1.61 km", 0.3, 1.91, 1.5 * 1.61},
  };
  for (std::size_t k = 0; k < 3; ++k) {
    SCOPED_TRACE(want[k].what);
    EXPECT_NEAR(bands[k].bottom_km, want[k].bottom_km, 1e-12);
    EXPECT_NEAR(bands[k].top_km, want[k].top_km, 1e-12);
    EXPECT_NEAR(bands[k].gamma_db_km * (bands[k].top_km - bands[k].bottom_km), want[k].zenith_db,
                1e-9);
  }
  // Clear air has no bands.
  EXPECT_TRUE(WeatherBands(Weather(10, 80, 1000, 300), 24.048).empty());
}

// Each station's air is its own, and reads like a ray traced for it alone.
TEST(RayTracedAir, EachStationAsItsOwnRayTrace) {
  const QuillmereState state = TwoStations();
  const StationSlantAir air = RayTracedAirOf(state);
  struct Case {
    const char* what;
    bool dx;
    double elevation_deg;
  };
  const Case cases[] = {
      {"Home at moonrise", false, 0.5}, {"Home low", false, 5}, {"Home high", false, 30},
      {"DX at moonrise", true, 0.5},    {"DX high", true, 30},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const p676_13::RayPath ray = Traced(c.dx ? state.DX : state.Home, 24.048, c.elevation_deg);
    const SlantAir got = air(c.dx, Airless(c.elevation_deg));
    EXPECT_NEAR(got.attenuation_db, ray.attenuation_db, 2e-3 * ray.attenuation_db);
    EXPECT_NEAR(got.sky_temperature_k, ray.sky_temperature_k, 0.3);
  }
}

TEST(RayTracedAir, BelowTheHorizontalFromAMountainTakesTheDippingRay) {
  QuillmereState state = TwoStations();
  state.Home = Weather(0, 50, 701, 3000);
  const StationSlantAir air = RayTracedAirOf(state);
  const p676_13::RayPath horizontal = Traced(state.Home, 24.048, 0);
  for (double geometric : {-0.5, -1.08, -1.78}) {
    SCOPED_TRACE(geometric);
    const p676_13::RayPath ray = Traced(state.Home, 24.048, geometric);
    ASSERT_TRUE(ray.escaped);
    const SlantAir got = air(false, Airless(geometric));
    EXPECT_GT(ray.attenuation_db, horizontal.attenuation_db);
    EXPECT_NEAR(got.attenuation_db, ray.attenuation_db, 2e-3 * ray.attenuation_db);
    EXPECT_NEAR(got.sky_temperature_k, ray.sky_temperature_k, 0.3);
  }
}

// Rain is added along the ray, over its path under the 1.61 km rain height
// L_S, shortened by P.618-13's horizontal reduction r_0.01 (gamma_R = 1.5
// dB/km at 24.048 GHz): gamma_R L_S r at the ray's apparent elevation,
// worked out by hand as in itu618_test.cpp (L_S = 1.61 / sin above 5
// degrees, the 8 500 km Earth's form below). The ray's own path through the
// band, bent by the air, stays within 3 % of P.618's L_S.
TEST(RayTracedAir, RainAddsItsColumnAlongTheRayReducedByTheCellsExtent) {
  QuillmereState clear = TwoStations();
  QuillmereState rain = clear;
  rain.Home.RainAttenuation = 1.5L;
  const StationSlantAir dry = RayTracedAirOf(clear), wet = RayTracedAirOf(rain);
  const struct {
    double geometric, apparent;  // degrees
    double rain_db;              // gamma_R L_S r
  } cases[] = {
      // L_S, L_G (km) and r at the apparent elevation:
      {30, 30.035, 1.5 * 3.2166 * 1.056494},   // 3.2166, 2.7847, 1.056494
      {5, 5.204, 1.5 * 17.7504 * 0.694905},    // 17.7504, 17.6772, 0.694905
      {1, 1.491, 1.5 * 55.0296 * 0.484294},    // 55.0296, 55.0110, 0.484294
      {0.5, 1.075, 1.5 * 70.3140 * 0.443781},  // 70.3140, 70.3016, 0.443781
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.geometric);
    const p676_13::RayPath ray = Traced(clear.Home, 24.048, c.geometric);
    EXPECT_NEAR(ray.apparent_elevation_deg, c.apparent, 0.005);
    const double got = wet(false, Airless(c.geometric)).attenuation_db -
                       dry(false, Airless(c.geometric)).attenuation_db;
    EXPECT_NEAR(got, c.rain_db, 0.03 * c.rain_db);
  }
  // DX keeps its own dry air.
  EXPECT_DOUBLE_EQ(wet(true, Airless(30)).attenuation_db, dry(true, Airless(30)).attenuation_db);
  EXPECT_NE(RayTracedAirKey(rain), RayTracedAirKey(clear));
}

// The planner computes afresh when the key of its air changes: each model's
// key follows what that model reads and nothing else, so a change the track
// would show is never missed and one it would not show costs no new track.
TEST(TrackAirKey, FollowsWhatEachModelReads) {
  QuillmereState base;
  base.Frequency = 10.368L;
  const auto cosecant = TrackAirKey(base, TrackAtmosphere::kCosecant);
  const auto traced = TrackAirKey(base, TrackAtmosphere::kRayTraced);
  QuillmereState cloudier = base;  // the window's cloud figure alone
  cloudier.Home.CloudAttenuation += 0.1L;
  EXPECT_NE(TrackAirKey(cloudier, TrackAtmosphere::kCosecant), cosecant);
  EXPECT_EQ(TrackAirKey(cloudier, TrackAtmosphere::kRayTraced), traced);
  QuillmereState warmer = base;  // the weather alone, not yet recalculated
  warmer.DX.Temperature += 1;
  EXPECT_EQ(TrackAirKey(warmer, TrackAtmosphere::kCosecant), cosecant);
  EXPECT_NE(TrackAirKey(warmer, TrackAtmosphere::kRayTraced), traced);
  QuillmereState other_band = base;
  other_band.Frequency = 24.048L;
  EXPECT_NE(TrackAirKey(other_band, TrackAtmosphere::kCosecant), cosecant);
  EXPECT_NE(TrackAirKey(other_band, TrackAtmosphere::kRayTraced), traced);
}

// The refraction of each station's Moon, scaled by the radio refractivity of
// its weather, against the ray trace through the same air: the apparent
// elevation of a target on the geometric horizon.
TEST(StationRefraction, FollowsTheRayTraceAtTheHorizon) {
  struct Case {
    const char* what;
    StationParams weather;
    double about_deg;  // the refraction there, roughly
    double tolerance_deg;
  };
  // In warm humid air the vapour thins out with height faster than the
  // surface refractivity tells, and the trace bends further.
  const Case cases[] = {
      {"sea level, temperate and humid", Weather(15, 70, 1013, 0), 0.57, 0.05},
      {"sea level, cool and dry", Weather(5, 30, 1020, 0), 0.50, 0.05},
      {"sea level, warm and humid", Weather(28, 80, 1008, 10), 0.75, 0.1},
      {"3000 m, cold and dry", Weather(-5, 40, 700, 3000), 0.35, 0.05},
      {"3000 m, mild", Weather(5, 60, 705, 3000), 0.43, 0.05},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QuillmereState state = TwoStations();
    state.Home = c.weather;
    const TrackEnvironment env = TrackEnvironmentOf(state);
    ASSERT_TRUE(env.home_refractivity);
    const ExactStationAir air = StationAirOf(c.weather);
    const p676_13::LayeredAtmosphere layers(air.height_km, air.profile);
    const double traced = p676_13::ApparentElevationFor(layers, 0.0);
    EXPECT_NEAR(RefractedElevationDeg(0.0, *env.home_refractivity), traced, c.tolerance_deg);
    EXPECT_NEAR(traced, c.about_deg, 0.05);
  }
  // A state with no weather (no data file read) leaves the reference air.
  const TrackEnvironment without = TrackEnvironmentOf(QuillmereState{});
  EXPECT_FALSE(without.home_refractivity);
  EXPECT_FALSE(without.dx_refractivity);
}

// The planned stations' heights reach the air: the ray trace starts at each
// station's own height, whatever height the window holds.
TEST(RayTracedAir, StartsAtThePlannedStationsHeight) {
  const QuillmereState state = TwoStations();
  Stations stations;
  stations.home.height_m = 3000.0;
  stations.dx.height_m = 0.0;
  const SlantAir home = TrackEnvironmentOf(state, stations).ray_traced()(false, Airless(2.0));
  const SlantAir dx = TrackEnvironmentOf(state, stations).ray_traced()(true, Airless(2.0));
  StationParams home_there = state.Home, dx_there = state.DX;
  home_there.HeightAsl = 3000;
  dx_there.HeightAsl = 0;
  EXPECT_NEAR(home.attenuation_db, Traced(home_there, 24.048, 2.0).attenuation_db,
              2e-3 * home.attenuation_db);
  EXPECT_NEAR(dx.attenuation_db, Traced(dx_there, 24.048, 2.0).attenuation_db,
              2e-3 * dx.attenuation_db);
  // The window's own heights (120 m, 600 m) give other figures: with the
  // station's pressure the same, a column that starts lower (the pressure
  // falls hydrostatically from the station's own).
  const double window = RayTracedAirOf(state)(false, Airless(2.0)).attenuation_db;
  EXPECT_GT(std::fabs(window - home.attenuation_db), 2e-3 * home.attenuation_db);
}

}  // namespace
}  // namespace quillmere
