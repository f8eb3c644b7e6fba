// The Moon for two stations: refraction, rates, libration, windows and the
// minute's degradation.

#include "moon_track.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "maidenhead.h"

namespace quillmere {
namespace {

constexpr double kDeg = M_PI / 180.0;
constexpr double kC = 299792.458;  // km/s
constexpr double k2026Jan1 = 1767225600.0;

Station At(const char* locator, double height_m = 0.0) {
  Station s;
  const LatLon where = *LocatorToLatLon(locator);
  s.locator = locator;
  s.latitude_deg = where.latitude_deg;
  s.longitude_deg = where.longitude_deg;
  s.height_m = height_m;
  return s;
}

// Bennett's refraction (J. Navigation 35, 1982) from the apparent
// elevation, arcminutes: the formula the tracker's inverse must agree with.
double BennettArcmin(double apparent_deg) {
  return 1.0 / std::tan((apparent_deg + 7.31 / (apparent_deg + 4.4)) * kDeg);
}

TEST(Refraction, InverseOfBennettNearTheHorizonAndAbove) {
  struct Case {
    const char* what;
    double airless_deg, want_arcmin, tol_arcmin;
  };
  const Case cases[] = {
      {"on the horizon: about 29 arcminutes", 0.0, 28.98, 0.01},
      {"at 45 degrees: about one arcminute", 45.0, 1.01, 0.01},
      {"at the zenith: nothing", 90.0, 0.0, 0.01},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_NEAR((RefractedElevationDeg(c.airless_deg) - c.airless_deg) * 60.0, c.want_arcmin,
                c.tol_arcmin);
  }
  // Bennett's formula, given the refracted elevation, gives back the same
  // refraction within 0.1 arcminute from the horizon up.
  for (double h = 0.0; h <= 89.0; h += 0.5) {
    const double apparent = RefractedElevationDeg(h);
    EXPECT_NEAR((apparent - h) * 60.0, BennettArcmin(apparent), 0.1) << h;
  }
  // Under the horizon it fades out without a step, and the elevation keeps
  // rising with the airless one.
  EXPECT_NEAR(RefractedElevationDeg(-2.0 - 1e-9), RefractedElevationDeg(-2.0), 1e-8);
  EXPECT_NEAR(RefractedElevationDeg(-5.0), -5.0, 1e-12);
  EXPECT_NEAR(RefractedElevationDeg(-20.0), -20.0, 1e-12);
  for (double h = -6.0; h < 2.0; h += 0.01)
    EXPECT_LT(RefractedElevationDeg(h), RefractedElevationDeg(h + 0.01)) << h;
}

// The rates the tracker forms from the Moon's and the station's velocities
// against central differences of its own positions, over a day.
// The Sun from a station, and its separation from the Moon, against an
// independent ephemeris (Astronomy Engine 2.1, topocentric, of date, without
// aberration; the separation from its apparent places of both bodies).
TEST(Sun, PlaceAndSeparationFromTheMoonAgreeWithAnIndependentEphemeris) {
  struct Case {
    const char* what;
    double lat, lon, height_m, utc_s, az, el, separation;
  };
  const Case cases[] = {
      {"JO01, 8 December 2026 13:16", 51.5, 1, 0, 1796735760.0, 200.8082, 13.2699, 7.8562},
      {"FN31, the same minute", 41.5, -73, 0, 1796735760.0, 132.5113, 9.7378, 7.2052},
      {"Quito at 2850 m, the Sun just set", -0.2, -78.5, 2850, 10797300.0, 286.3492, -1.1030,
       6.0980},
      {"Sydney, two degrees from a new Moon", -33.87, 151.21, 50, 1743242400.0, 255.2855, -26.7027,
       2.0482},
      {"Tromso at midwinter noon", 69.65, 18.96, 100, 1894705200.0, 181.4957, -0.7248, 132.0959},
      {"Honolulu in 2099, the Sun near the zenith", 21.3, -157.85, 10, 4086887400.0, 44.1409,
       87.9504, 152.8291},
  };
  MoonTracker tracker;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tracker.SetMoment(c.utc_s);
    const MoonSighting sun = tracker.SeeSun(c.lat, c.lon, c.height_m);
    const MoonSighting moon = tracker.See(c.lat, c.lon, c.height_m);
    // Azimuth loses its meaning at the zenith: compared along the sky.
    EXPECT_NEAR(std::remainder(sun.azimuth_deg - c.az, 360.0) * std::cos(c.el * kDeg), 0.0, 0.01);
    EXPECT_NEAR(sun.elevation_deg, c.el, 0.01);
    EXPECT_NEAR(SeparationDeg(sun, moon), c.separation, 0.05);
    // The disk between aphelion (0.5242 degrees) and perihelion (0.5423).
    EXPECT_NEAR(DiskDiameterDeg(kSunRadiusKm, sun.range_km), 0.53325, 0.0092);
  }
}

// The Sun's cost through a pass: marked at the partial eclipse of 29 March
// 2025 (the Moon on the Sun for both stations), small 8 degrees away, for
// 3 m dishes at 10.368 GHz with 50 K receivers.
TEST(Sun, CostsMoreThanHalfADecibelOnlyNearTheMoon) {
  struct Case {
    const char* what;
    double utc_s;
    bool marked;
    double most_db;
  };
  const Case cases[] = {
      {"29 March 2025 11:00, the eclipse", 1743246000.0, true, 60.0},
      {"8 December 2026 13:16, the Sun 7 to 8 degrees off", 1796735760.0, false, 0.2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TrackRequest request;
    request.stations.home = At("JO01");
    request.stations.dx = At("FN31");
    for (Station* s : {&request.stations.home, &request.stations.dx}) {
      s->dish_diameter_m = 3.0;
      s->dish_efficiency = 0.6;
      s->receiver_noise_k = 50.0;
    }
    request.frequency_hz = 10.368e9;
    MoonTracker tracker;
    const TrackRow row = ComputeTrackRow(tracker, request, c.utc_s);
    ASSERT_TRUE(row.home_dx_valid);
    EXPECT_EQ(SunMarked(row), c.marked);
    EXPECT_LT(SunCostDb(row), c.most_db);
    EXPECT_GT(SunCostDb(row), 0.0);
  }
}

TEST(MoonRates, RangeRateAndDirectionRateMatchFiniteDifferences) {
  constexpr double kH = 5.0;  // s
  const Station home = At("IO91wm"), dx = At("QF56od");
  MoonTracker tracker;
  for (double t = k2026Jan1; t < k2026Jan1 + 86400.0; t += 3277.0) {
    for (const Station* s : {&home, &dx}) {
      tracker.SetMoment(t - kH);
      const MoonSighting before = tracker.See(s->latitude_deg, s->longitude_deg, s->height_m);
      tracker.SetMoment(t + kH);
      const MoonSighting after = tracker.See(s->latitude_deg, s->longitude_deg, s->height_m);
      tracker.SetMoment(t);
      const MoonSighting now = tracker.See(s->latitude_deg, s->longitude_deg, s->height_m);
      // 1 mm/s in range rate is 0.07 Hz of echo Doppler at 10 GHz.
      EXPECT_NEAR(now.range_rate_km_s, (after.range_km - before.range_km) / (2 * kH), 1e-6);
      for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(now.direction_rate[i], (after.direction[i] - before.direction[i]) / (2 * kH),
                    1e-11);
    }
  }
}

// A station at the Earth's centre (on the equator, one equatorial radius
// down) sees the Moon turn only by its optical libration: the Moon keeps
// its face toward the Earth. A spin of the wrong sense or about the wrong
// pole leaves twice the orbital rate, 5e-6 rad/s.
TEST(Libration, TheMoonKeepsItsFaceToTheEarthsCentre) {
  MoonTracker tracker;
  double worst = 0, orbital = 0;
  for (double t = k2026Jan1; t < k2026Jan1 + 40 * 86400.0; t += 7200.0) {
    tracker.SetMoment(t);
    const MoonSighting centre = tracker.See(0.0, 0.0, -6378137.0);
    double w[3];
    MoonSpinVector(t, w);
    const double* u = centre.direction;
    const double spin_cross_u[3] = {w[1] * u[2] - w[2] * u[1], w[2] * u[0] - w[0] * u[2],
                                    w[0] * u[1] - w[1] * u[0]};
    double apparent = 0, rate = 0;
    for (int i = 0; i < 3; ++i) {
      apparent += std::pow(centre.direction_rate[i] - spin_cross_u[i], 2);
      rate += std::pow(centre.direction_rate[i], 2);
    }
    worst = std::max(worst, std::sqrt(apparent));
    orbital = std::max(orbital, std::sqrt(rate));
  }
  EXPECT_GT(orbital, 2.2e-6);  // rad/s: the Moon's orbital motion
  EXPECT_LT(worst, 5e-7);      // rad/s: optical libration, 8 degrees over a month
}

// Cassini's laws: the Moon's pole stays 1.54 degrees from the ecliptic pole
// and circles it as the lunar nodes regress (18.6 years), so half a node
// period apart it stands about 3.1 degrees from where it was; it turns once
// a sidereal month, 13.176 degrees a day.
TEST(Libration, TheMoonsPoleCirclesTheEclipticPoleWithTheNodes) {
  constexpr double kDeg = 3.14159265358979323846 / 180;
  const double eps = 23.4393 * kDeg;  // the obliquity at J2000
  const double ecliptic_pole[3] = {0.0, -std::sin(eps), std::cos(eps)};
  const auto angle_deg = [](const double a[3], const double b[3]) {
    const double dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
    return std::acos(std::clamp(dot, -1.0, 1.0)) / kDeg;
  };
  double pole[2][3];
  for (int i = 0; i < 2; ++i) {
    double w[3];
    MoonSpinVector(k2026Jan1 + i * 3396.7 * 86400.0, w);
    const double rate = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
    EXPECT_NEAR(rate / kDeg * 86400.0, 13.176, 0.001);
    for (int k = 0; k < 3; ++k) pole[i][k] = w[k] / rate;
    EXPECT_NEAR(angle_deg(pole[i], ecliptic_pole), 1.54, 0.15) << i;
  }
  EXPECT_NEAR(angle_deg(pole[0], pole[1]), 3.08, 0.3);
}

// The spread from finite differences of the two stations' Moon direction
// vectors, with the Moon's spin taken off: 2 f R |w_a + w_b| / c, across
// the line of sight.
TEST(Libration, SpreadAgreesWithFiniteDifferencesOfTheDirections) {
  constexpr double kH = 5.0;  // s
  constexpr double kF = 10.368e9;
  const Station home = At("JO22oc"), dx = At("FN31pr");
  MoonTracker tracker;
  auto direction = [&](const Station& s, double t, double u[3]) {
    tracker.SetMoment(t);
    const MoonSighting m = tracker.See(s.latitude_deg, s.longitude_deg, s.height_m);
    for (int i = 0; i < 3; ++i) u[i] = m.direction[i];
  };
  for (double t = k2026Jan1; t < k2026Jan1 + 3 * 86400.0; t += 4111.0) {
    double sum[3] = {0, 0, 0}, mid[3] = {0, 0, 0};
    double w[3];
    MoonSpinVector(t, w);
    for (const Station* s : {&home, &dx}) {
      double u0[3], u1[3], u[3];
      direction(*s, t - kH, u0);
      direction(*s, t + kH, u1);
      direction(*s, t, u);
      const double spin_cross_u[3] = {w[1] * u[2] - w[2] * u[1], w[2] * u[0] - w[0] * u[2],
                                      w[0] * u[1] - w[1] * u[0]};
      for (int i = 0; i < 3; ++i) {
        sum[i] += (u1[i] - u0[i]) / (2 * kH) - spin_cross_u[i];
        mid[i] += u[i] / 2;
      }
    }
    const double mid_len = std::sqrt(mid[0] * mid[0] + mid[1] * mid[1] + mid[2] * mid[2]);
    const double along = (sum[0] * mid[0] + sum[1] * mid[1] + sum[2] * mid[2]) / mid_len;
    double across2 = 0;
    for (int i = 0; i < 3; ++i) across2 += std::pow(sum[i] - along * mid[i] / mid_len, 2);
    const double want_hz = 2.0 * kF * std::sqrt(across2) * 1737.4 / kC;

    tracker.SetMoment(t);
    const MoonSighting a = tracker.See(home.latitude_deg, home.longitude_deg, home.height_m);
    const MoonSighting b = tracker.See(dx.latitude_deg, dx.longitude_deg, dx.height_m);
    EXPECT_NEAR(LibrationSpreadHz(a, b, kF, t), want_hz, 0.01) << t;
  }
}

TEST(Libration, OwnEchoesSpreadTwiceOneWay) {
  const Station home = At("JO22oc");
  MoonTracker tracker;
  tracker.SetMoment(k2026Jan1 + 12345.0);
  const MoonSighting a = tracker.See(home.latitude_deg, home.longitude_deg, 0.0);
  const double self = LibrationSpreadHz(a, a, 10.368e9, k2026Jan1 + 12345.0);
  // Tens to a few hundred Hz at 10 GHz, in proportion to the frequency.
  EXPECT_GT(self, 5.0);
  EXPECT_LT(self, 500.0);
  EXPECT_NEAR(LibrationSpreadHz(a, a, 2 * 10.368e9, k2026Jan1 + 12345.0), 2 * self, 1e-9 * self);
}

// A brute-force scan at every second finds the same mutual windows, with
// the same edges within the minute asked (the search gives the second).
TEST(MutualWindows, EdgesAgreeWithASecondBySecondScan) {
  struct Case {
    const char* what;
    Station home, dx;
    bool start_inside_a_window = false;
  };
  Station masked = At("JO22oc");
  masked.min_elevation_deg = 3.0;
  masked.horizon_mask = {{0, 5}, {90, 15}, {180, 2}, {270, 20}};
  const Case cases[] = {
      {"Europe and North America", At("IO91wm"), At("FN31pr")},
      {"masked station and Japan", masked, At("PM95vq")},
      {"across the date line", At("RH91ka"), At("AP80xb", 1200.0)},
      {"Europe and North America from inside a window", At("IO91wm"), At("FN31pr"), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TrackRequest request;
    request.stations = {c.home, c.dx};
    request.start_utc_s = k2026Jan1 + 1234.0;
    request.span_minutes = 36 * 60;
    if (c.start_inside_a_window) {
      // Ten minutes after the first window opens.
      request.start_utc_s = ComputeTrack(request).windows.at(0).start_utc_s + 600.0;
    }
    const Track track = ComputeTrack(request);
    if (c.start_inside_a_window) {
      ASSERT_TRUE(track.rows.at(0).mutual && track.rows.at(1).mutual);
      EXPECT_TRUE(track.windows.at(0).open_at_start);
    }
    ASSERT_EQ(track.rows.size(), 36u * 60u + 1u);

    MoonTracker tracker;
    auto mutual = [&](double t) {
      tracker.SetMoment(t);
      return UsableMoon(c.home,
                        tracker.See(c.home.latitude_deg, c.home.longitude_deg, c.home.height_m)) &&
             UsableMoon(c.dx, tracker.See(c.dx.latitude_deg, c.dx.longitude_deg, c.dx.height_m));
    };
    std::vector<MutualWindow> scanned;
    const double last = track.rows.back().utc_s;
    bool previous = false;
    for (double t = request.start_utc_s; t <= last; t += 1.0) {
      const bool now = mutual(t);
      if (now && !previous) scanned.push_back({t, t, t == request.start_utc_s, false});
      if (now) scanned.back().end_utc_s = t;
      previous = now;
    }
    if (previous) scanned.back().open_at_end = true;

    ASSERT_FALSE(scanned.empty());
    ASSERT_EQ(track.windows.size(), scanned.size());
    for (std::size_t i = 0; i < scanned.size(); ++i) {
      EXPECT_NEAR(track.windows[i].start_utc_s, scanned[i].start_utc_s, 60.0);
      EXPECT_NEAR(track.windows[i].end_utc_s, scanned[i].end_utc_s, 60.0);
      // The search lands on the very second the scan finds.
      EXPECT_NEAR(track.windows[i].start_utc_s, scanned[i].start_utc_s, 0.5);
      EXPECT_NEAR(track.windows[i].end_utc_s, scanned[i].end_utc_s, 0.5);
      EXPECT_EQ(track.windows[i].open_at_start, scanned[i].open_at_start);
      EXPECT_EQ(track.windows[i].open_at_end, scanned[i].open_at_end);
    }
  }
}

// Each row's Doppler, delay and degradation come from the right station:
// the receiver's noise and air for Home->DX, the sender's air once, and the
// weather callable asked with each station's refracted Moon elevation.
TEST(TrackRows, TermsComeFromTheRightStation) {
  Station home = At("IO91wm"), dx = At("FN31pr");
  home.receiver_noise_k = 40.0;
  dx.receiver_noise_k = 150.0;
  dx.dish_diameter_m = 10.0;
  home.dish_efficiency = 0.7;
  dx.dish_efficiency = 0.45;
  TrackRequest request;
  request.stations = {home, dx};
  request.start_utc_s = k2026Jan1;
  request.span_minutes = 24 * 60;
  request.step_minutes = 7;
  request.frequency_hz = 24.048e9;
  // A cosecant law of zenith attenuation 0.2 dB at Home and 0.5 dB at DX.
  request.attenuation_db = [](const Station& s, double el) {
    return (s.receiver_noise_k == 40.0 ? 0.2 : 0.5) / std::sin(el * kDeg);
  };
  const Track track = ComputeTrack(request);
  ASSERT_EQ(track.rows.size(), 24u * 60u / 7u + 1u);
  int both_up = 0;
  for (const TrackRow& r : track.rows) {
    EXPECT_NEAR(r.doppler_home_dx_hz, (r.doppler_self_home_hz + r.doppler_self_dx_hz) / 2, 1e-6);
    EXPECT_NEAR(r.delay_self_home_s, 2 * r.home.range_km / kC, 1e-12);
    EXPECT_NEAR(r.delay_home_dx_s, (r.home.range_km + r.dx.range_km) / kC, 1e-12);
    EXPECT_EQ(r.self_home_valid, r.home.elevation_refracted_deg > 0);
    EXPECT_EQ(r.home_dx_valid,
              r.home.elevation_refracted_deg > 0 && r.dx.elevation_refracted_deg > 0);
    if (!r.home_dx_valid) continue;
    ++both_up;
    const double a_home = 0.2 / std::sin(r.home.elevation_refracted_deg * kDeg);
    const double a_dx = 0.5 / std::sin(r.dx.elevation_refracted_deg * kDeg);
    EXPECT_NEAR(r.home_dx.attenuation_tx_db, a_home, 1e-9);
    EXPECT_NEAR(r.home_dx.attenuation_rx_db, a_dx, 1e-9);
    EXPECT_NEAR(r.self_home.attenuation_tx_db + r.self_home.attenuation_rx_db, 2 * a_home, 1e-9);
    const double disk = 2 * std::asin(1737.4 / r.dx.range_km) / kDeg;
    const double moon_k = MoonBrightnessK(24.048e9, r.moon_phase) * MainBeamEfficiency(0.45) *
                          BeamFillingFactor(24.048e9, 10.0, disk);
    // The Sun in the receiver's (DX's) pattern, through DX's air toward it.
    const double sun_k =
        r.dx_sun.elevation_refracted_deg <= 0
            ? 0.0
            : SunInBeamK(QuietSunBrightnessK(24.048e9), 24.048e9, 10.0, 0.45,
                         SeparationDeg(r.dx_sun, r.dx),
                         DiskDiameterDeg(kSunRadiusKm, r.dx_sun.range_km)) *
                  std::pow(10.0, -0.05 / std::sin(r.dx_sun.elevation_refracted_deg * kDeg));
    const Degradation want = PathDegradation(r.home.range_km, r.dx.range_km, a_home, a_dx,
                                             SkyTemperatureK(a_dx), 150.0, moon_k, sun_k);
    EXPECT_NEAR(r.home_dx.sky_noise_db, want.sky_noise_db, 1e-9);
    EXPECT_NEAR(r.home_dx.moon_noise_db, want.moon_noise_db, 1e-9);
    EXPECT_NEAR(r.home_dx.sun_noise_db, want.sun_noise_db, 1e-9);
    EXPECT_NEAR(r.home_dx.total_db, want.total_db, 1e-9);
  }
  EXPECT_GT(both_up, 10);

  // Each window's best minute is its row of least Home->DX degradation.
  ASSERT_FALSE(track.windows.empty());
  for (const MutualWindow& w : track.windows) {
    int rows_in_window = 0;
    for (const TrackRow& r : track.rows) {
      if (r.utc_s < w.start_utc_s || r.utc_s > w.end_utc_s) continue;
      ++rows_in_window;
      EXPECT_LE(w.best_total_db, r.home_dx.total_db);
      if (r.utc_s == w.best_utc_s) {
        EXPECT_EQ(w.best_total_db, r.home_dx.total_db);
      }
    }
    EXPECT_GT(rows_in_window, 0);
  }
}

// A model that traces the ray reads the airless elevation and gives the
// sky's temperature itself, which then replaces the isothermal one; it
// takes precedence over the plain attenuation.
TEST(TrackRows, SlantAirGivesTheSkyAndReadsTheAirlessElevation) {
  TrackRequest request;
  request.stations = {At("IO91wm"), At("FN31pr")};
  request.start_utc_s = k2026Jan1;
  request.span_minutes = 24 * 60;
  request.step_minutes = 11;
  request.frequency_hz = 24.048e9;
  request.attenuation_db = [](const Station&, double) { return 99.0; };
  std::vector<double> asked;
  request.slant_air = [&](const Station& s, const MoonSighting& m) {
    asked.push_back(m.elevation_deg);
    const bool home = &s == &request.stations.home;
    return SlantAir{0.1 + 0.01 * m.elevation_deg, home ? 20.0 : 35.0};
  };
  const Track track = ComputeTrack(request);
  int both_up = 0;
  for (const TrackRow& r : track.rows) {
    if (!r.home_dx_valid) continue;
    ++both_up;
    EXPECT_NEAR(r.home_dx.attenuation_tx_db, 0.1 + 0.01 * r.home.elevation_deg, 1e-12);
    EXPECT_NEAR(r.home_dx.attenuation_rx_db, 0.1 + 0.01 * r.dx.elevation_deg, 1e-12);
    // DX receives under its 35 K sky, Home its own echoes under 20 K.
    EXPECT_NEAR(r.home_dx.sky_noise_db, 10 * std::log10((50.0 + 35.0) / (50.0 + 2.7)), 1e-9);
    EXPECT_NEAR(r.self_home.sky_noise_db, 10 * std::log10((50.0 + 20.0) / (50.0 + 2.7)), 1e-9);
  }
  EXPECT_GT(both_up, 10);
  EXPECT_FALSE(asked.empty());
}

// The rows run from the start to the end of the span, both included, one
// every step that fits.
TEST(TrackRows, TheSpansEndIsARow) {
  struct Case {
    const char* what;
    int span, step;
    std::size_t rows;
    double last_minute;
  };
  const Case cases[] = {
      {"an hour of minutes: 00 to 60", 60, 1, 61, 60},
      {"an hour in one step: its start and its end", 60, 60, 2, 60},
      {"a step that does not divide the span ends within it", 60, 7, 9, 56},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TrackRequest request;
    request.stations = {At("IO91wm"), At("FN31pr")};
    request.start_utc_s = k2026Jan1;
    request.span_minutes = c.span;
    request.step_minutes = c.step;
    const Track track = ComputeTrack(request);
    ASSERT_EQ(track.rows.size(), c.rows);
    EXPECT_EQ(track.rows.front().utc_s, k2026Jan1);
    EXPECT_EQ(track.rows.back().utc_s, k2026Jan1 + 60.0 * c.last_minute);
  }
}

// A station that may use the Moon below the horizontal (a negative minimum
// or mask, as on a mountain) has a degradation at every usable minute, the
// air there taken at 0 degrees; no window's best minute lacks one.
TEST(TrackRows, AMoonUsableBelowTheHorizonHasItsDegradation) {
  struct Case {
    const char* what;
    Station home, dx;
  };
  Station low_minimum = At("FI09", 2850.0);
  low_minimum.min_elevation_deg = -2.0;
  Station low_mask = At("OJ11", 15.0);
  low_mask.min_elevation_deg = -5.0;
  low_mask.horizon_mask = {{0, -1.5}, {180, -2.5}};
  const Case cases[] = {
      {"a negative minimum at Home", low_minimum, At("OJ11")},
      {"a negative mask at DX", At("FI09"), low_mask},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TrackRequest request;
    request.stations = {c.home, c.dx};
    request.start_utc_s = k2026Jan1;
    request.span_minutes = 4 * 24 * 60;
    request.frequency_hz = 24.048e9;
    // 0.2 dB at the horizontal, a little less above.
    std::vector<double> asked;
    request.attenuation_db = [&](const Station&, double el) {
      asked.push_back(el);
      return 0.2 - 0.001 * el;
    };
    const Track track = ComputeTrack(request);
    int below = 0;
    for (const TrackRow& r : track.rows) {
      if (!r.mutual) continue;
      EXPECT_TRUE(r.home_dx_valid && r.self_home_valid && r.self_dx_valid);
      for (const auto& [moon, tx] : {std::pair{&r.home, true}, std::pair{&r.dx, false}}) {
        if (moon->elevation_refracted_deg >= 0) continue;
        ++below;
        EXPECT_NEAR(tx ? r.home_dx.attenuation_tx_db : r.home_dx.attenuation_rx_db, 0.2, 1e-12);
      }
    }
    EXPECT_GT(below, 0);
    EXPECT_TRUE(std::all_of(asked.begin(), asked.end(), [](double el) { return el >= 0; }));
    ASSERT_FALSE(track.windows.empty());
    for (const MutualWindow& w : track.windows) {
      double least = 1e9;
      for (const TrackRow& r : track.rows)
        if (r.mutual && r.utc_s >= w.start_utc_s && r.utc_s <= w.end_utc_s)
          least = std::min(least, r.home_dx.total_db);
      EXPECT_EQ(w.best_total_db, least);
      EXPECT_GT(w.best_total_db, 0.4);
    }
  }
}

// The windows and their best minutes come from every minute of the span,
// whatever the step of the rows: Quito to Singapore on 1970-05-05 share the
// Moon for eight minutes, 23:12:57 to 23:20:54, between two hourly rows.
TEST(MutualWindows, DoNotDependOnTheStep) {
  Station quito, singapore;
  quito.latitude_deg = -0.2;
  quito.longitude_deg = -78.5;
  quito.height_m = 2850.0;
  singapore.latitude_deg = 1.3;
  singapore.longitude_deg = 103.8;
  singapore.height_m = 15.0;
  constexpr double k1970May5 = 10713600.0;
  TrackRequest request;
  request.stations = {quito, singapore};
  request.start_utc_s = k1970May5;
  request.span_minutes = 24 * 60;
  request.attenuation_db = [](const Station&, double el) {
    return 0.1 / std::sin((el + 1) * kDeg);
  };
  const Track every_minute = ComputeTrack(request);
  ASSERT_FALSE(every_minute.windows.empty());
  const MutualWindow& last = every_minute.windows.back();
  EXPECT_EQ(last.start_utc_s, k1970May5 + 23 * 3600 + 12 * 60 + 57);
  EXPECT_EQ(last.end_utc_s, k1970May5 + 23 * 3600 + 20 * 60 + 54);
  for (const int step : {7, 60, 1440}) {
    SCOPED_TRACE(step);
    request.step_minutes = step;
    const Track track = ComputeTrack(request);
    ASSERT_EQ(track.windows.size(), every_minute.windows.size());
    for (std::size_t i = 0; i < track.windows.size(); ++i) {
      const MutualWindow &w = track.windows[i], &want = every_minute.windows[i];
      EXPECT_EQ(w.start_utc_s, want.start_utc_s);
      EXPECT_EQ(w.end_utc_s, want.end_utc_s);
      EXPECT_EQ(w.best_utc_s, want.best_utc_s);
      EXPECT_EQ(w.best_total_db, want.best_total_db);
      EXPECT_EQ(w.open_at_start, want.open_at_start);
      EXPECT_EQ(w.open_at_end, want.open_at_end);
    }
  }
}

// A station's refractivity scales its refraction, and the track's usable
// minutes follow it.
TEST(Refraction, ScalesWithTheStationsRefractivity) {
  TrackRequest request;
  request.stations = {At("IO91wm"), At("FN31pr", 3000.0)};
  request.start_utc_s = k2026Jan1;
  request.span_minutes = 24 * 60;
  request.step_minutes = 5;
  request.home_refractivity = 330.0;
  request.dx_refractivity = 200.0;
  const Track track = ComputeTrack(request);
  for (const TrackRow& r : track.rows) {
    const double home_reference =
        RefractedElevationDeg(r.home.elevation_deg) - r.home.elevation_deg;
    const double dx_reference = RefractedElevationDeg(r.dx.elevation_deg) - r.dx.elevation_deg;
    EXPECT_NEAR(r.home.elevation_refracted_deg - r.home.elevation_deg,
                home_reference * 330.0 / kReferenceRefractivity, 1e-12);
    EXPECT_NEAR(r.dx.elevation_refracted_deg - r.dx.elevation_deg,
                dx_reference * 200.0 / kReferenceRefractivity, 1e-12);
    EXPECT_EQ(r.home_usable, r.home.elevation_refracted_deg > 0);
  }
  // The formula's own air: dry, 1010 hPa, 10 degC.
  EXPECT_NEAR(kReferenceRefractivity, 276.80, 0.005);
}

}  // namespace
}  // namespace quillmere
