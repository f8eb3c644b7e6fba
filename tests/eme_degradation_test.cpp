// The terms of an EME minute's degradation against the ideal Moon.

#include "eme_degradation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quillmere {
namespace {

constexpr double kDbTol = 5e-4;  // half a unit in the fourth decimal

TEST(DistanceTerm, FollowsTheRadarEquationForBothOneWayPaths) {
  struct Case {
    const char* what;
    double ra, rb, want_db;
  };
  const Case cases[] = {
      {"ideal Moon costs nothing", 356400.0, 356400.0, 0.0},
      {"own echoes at a far apogee: 40 log10(r / r0)", 406700.0, 406700.0, 2.2935},
      {"one station at apogee: half of that", 406700.0, 356400.0, 1.1467},
      {"closer than the ideal gains", 356000.0, 356000.0, -0.0195},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_NEAR(DistanceTermDb(c.ra, c.rb), c.want_db, kDbTol);
  }
}

TEST(SkyTemperature, RunsFromColdSkyToTheAtmosphere) {
  constexpr double kTolK = 5e-3;
  EXPECT_NEAR(SkyTemperatureK(0.0), 2.7, kTolK);
  // Half the power through (3.0103 dB): halfway between 2.7 K and 275 K.
  EXPECT_NEAR(SkyTemperatureK(10.0 * std::log10(2.0)), (2.7 + 275.0) / 2.0, kTolK);
  EXPECT_NEAR(SkyTemperatureK(60.0), 275.0, kTolK);
  EXPECT_NEAR(SkyTemperatureK(10.0 * std::log10(2.0), 290.0), (2.7 + 290.0) / 2.0, kTolK);
}

// Published behaviour of the Moon's radio brightness (Linsky's 1973
// compilation): a lunation mean of about 211 K at centimetre waves, a
// first harmonic that grows toward short waves (about 7 K at 3.2 cm, some
// 20 K at 8 mm) and lags full Moon by some 40 degrees at centimetre waves,
// less at millimetre waves. The model's own figures, worked by hand from
// its closed form (a heat wave in the regolith, Krotikov and Troitsky):
// swing 211 K x 0.45 / sqrt(1 + 2d + 2d^2), lag atan(d / (1 + d)), with
// d = 3 per cm of wavelength.
TEST(MoonBrightness, PhaseSwingGrowsAndLagShrinksTowardShortWaves) {
  constexpr double kC = 299792458.0;
  struct Case {
    const char* what;
    double lambda_cm, amplitude_k, amplitude_tol_k, lag_deg, lag_tol_deg;
    double model_amplitude_k, model_lag_deg;
  };
  const Case cases[] = {
      {"3.2 cm", 3.2, 7.0, 1.5, 42.0, 4.0, 6.639, 42.166},
      {"8 mm", 0.8, 22.0, 5.0, 35.0, 5.0, 22.815, 35.218},
      {"1.25 mm", 0.125, 66.0, 15.0, 15.0, 6.0, 66.621, 15.255},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const double f = kC / (c.lambda_cm / 100.0);
    // Scan the lunation for the mean, the swing and the phase of the peak.
    double sum = 0, hi = -1, lo = 1e9, peak_phase = 0;
    constexpr int kSteps = 3600;
    for (int i = 0; i < kSteps; ++i) {
      const double phase = (i + 0.5) / kSteps;
      const double t = MoonBrightnessK(f, phase);
      sum += t;
      if (t > hi) hi = t, peak_phase = phase;
      lo = std::min(lo, t);
    }
    EXPECT_NEAR(sum / kSteps, 211.0, 0.01);
    EXPECT_NEAR((hi - lo) / 2.0, c.amplitude_k, c.amplitude_tol_k);
    EXPECT_NEAR((peak_phase - 0.5) * 360.0, c.lag_deg, c.lag_tol_deg);
    // The scan's step is a tenth of a degree of phase.
    EXPECT_NEAR((hi - lo) / 2.0, c.model_amplitude_k, 0.005);
    EXPECT_NEAR((peak_phase - 0.5) * 360.0, c.model_lag_deg, 0.1);
  }
}

TEST(BeamFilling, GaussianBeamOverTheMoonsDisk) {
  constexpr double kTol = 5e-5;
  // 3 m at 10.368 GHz: HPBW 70 * 0.028915 / 3 = 0.6747 degrees.
  EXPECT_NEAR(BeamFillingFactor(10.368e9, 3.0, 0.5), 0.3166, kTol);
  // A disk as wide as the beam takes half its power.
  const double hpbw = 70.0 * (299792458.0 / 24.048e9) / 2.4;
  EXPECT_NEAR(BeamFillingFactor(24.048e9, 2.4, hpbw), 0.5, kTol);
  // A 3 m dish at 241 GHz sees only Moon.
  EXPECT_NEAR(BeamFillingFactor(241.0e9, 3.0, 0.5), 1.0, kTol);
}

// The dish's aperture efficiency sets how much of its pattern the main beam
// holds, and so how much of the Moon's noise it takes in.
TEST(BeamFilling, MainBeamEfficiencyFollowsTheApertureEfficiency) {
  constexpr double kTol = 5e-6;
  struct Case {
    const char* what;
    double eta_a, want;
  };
  const Case cases[] = {
      {"a typical dish", 0.6, 0.796996},
      {"a poorly fed dish", 0.3, 0.398498},
      {"past the taper's reach: the whole pattern", 0.9, 1.0},
      {"no aperture, no beam", 0.0, 0.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_NEAR(MainBeamEfficiency(c.eta_a), c.want, kTol);
  }
  // The Moon's noise in the beam: brightness, main-beam efficiency and
  // filling together (3 m at 10.368 GHz, a 0.5 degree disk: filling 0.3166).
  EXPECT_NEAR(MoonInBeamK(200.0, 10.368e9, 3.0, 0.6, 0.5), 200.0 * 0.796996 * 0.3166, 0.01);
  EXPECT_NEAR(MoonInBeamK(200.0, 10.368e9, 3.0, 0.3, 0.5), 200.0 * 0.398498 * 0.3166, 0.01);
}

// A sky temperature traced along the ray replaces the isothermal one.
TEST(PathDegradation, TakesTheSkyTemperatureGiven) {
  struct Case {
    const char* what;
    double ab, sky_k, moon_k;
    double want_sky_db, want_moon_db;
  };
  const Case cases[] = {
      {"a warm sky through clear air", 0, 100, 0, 4.5428, 0},
      {"a cooler sky than the isothermal 275 K gives for 3 dB", 10 * std::log10(2.0), 40, 100,
       2.3243, 1.9189},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Degradation d = PathDegradation(356400, 356400, 0, c.ab, c.sky_k, 50, c.moon_k);
    EXPECT_NEAR(d.sky_noise_db, c.want_sky_db, kDbTol);
    EXPECT_NEAR(d.moon_noise_db, c.want_moon_db, kDbTol);
    EXPECT_NEAR(d.total_db, c.ab + c.want_sky_db + c.want_moon_db, kDbTol);
  }
}

// The quiet Sun's brightness at the bands, and a dish's gain toward it by
// the reference pattern of ITU-R F.699 (3 m at 10.368 GHz: D / lambda
// 103.75, peak 48.04 dBi at 60 % efficiency; 1.2 m: D / lambda 41.50).
TEST(SunNoise, BrightnessAndTheDishPattern) {
  struct Brightness {
    double f_ghz, want_k;
  };
  const Brightness brightness[] = {
      {10.0, 11992.67},  // 140077 * 10^-2.1 + 10880
      {18.0, 11203.81},  // the fit's upper end
      {24.048,
       10421.68},  // log-log from 18 to 100 GHz {100.0, 7300.0}, {239.0, 5900.0}, {1000.0, 5900.0},
  };
  for (const auto& c : brightness) {
    SCOPED_TRACE(c.f_ghz);
    EXPECT_NEAR(QuietSunBrightnessK(c.f_ghz * 1e9), c.want_k, 1.0);
  }
  struct Gain {
    const char* what;
    double dish_m, efficiency, off_axis_deg, want_dbi;
  };
  const Gain gains[] = {
      {"on the axis: the dish's own peak", 3.0, 0.6, 0.0, 48.0444},
      {"in the main lobe: Gmax - 2.5e-3 (D phi / lambda)^2", 3.0, 0.6, 0.5, 41.3167},
      {"the first sidelobe: 2 + 15 log10(D / lambda)", 3.0, 0.6, 0.9, 32.2399},
      {"the sidelobes: 32 - 25 log10(phi)", 3.0, 0.6, 7.86, 9.6144},
      {"behind the dish", 3.0, 0.6, 60.0, -10.0},
      {"a small dish: 52 - 10 log10(D / lambda) - 25 log10(phi)", 1.2, 0.55, 10.0, 10.8194},
      {"a small dish, behind: 10 - 10 log10(D / lambda)", 1.2, 0.55, 90.0, -6.1806},
  };
  for (const auto& c : gains) {
    SCOPED_TRACE(c.what);
    EXPECT_NEAR(DishGainDbi(10.368e9, c.dish_m, c.efficiency, c.off_axis_deg), c.want_dbi, 1e-3);
  }
  // The Sun (12 000 K, 0.541 degrees) 7.86 degrees off a 3 m dish's axis
  // gives 0.61 K; 2 degrees off, 18.7 K; on the axis the main beam is full.
  EXPECT_NEAR(SunInBeamK(12000.0, 10.368e9, 3.0, 0.6, 7.86, 0.541), 0.6119, 1e-3);
  EXPECT_NEAR(SunInBeamK(12000.0, 10.368e9, 3.0, 0.6, 2.0, 0.541), 18.734, 1e-2);
  EXPECT_NEAR(SunInBeamK(12000.0, 10.368e9, 3.0, 0.6, 0.0, 0.541), 4262.4, 0.5);
  EXPECT_NEAR(SunInBeamK(12000.0, 10.368e9, 30.0, 0.6, 0.0, 0.541), 0.796996 * 12000.0, 1.0);
  // Its term: 18.7 K over a 50 K receiver and a 10 K sky is 1.18 dB.
  const Degradation d = PathDegradation(356400, 356400, 0, 0, 10.0, 50.0, 0.0, 18.734);
  EXPECT_NEAR(d.sun_noise_db, 10 * std::log10(78.734 / 60.0), kDbTol);
  EXPECT_NEAR(d.total_db, d.sky_noise_db + d.sun_noise_db, kDbTol);
}

TEST(PathDegradation, EveryTermSeparatelyAndTheTotal) {
  struct Case {
    const char* what;
    double ra, rb, aa, ab, trx, moon_k;
    Degradation want;
  };
  const Case cases[] = {
      {"ideal: nothing", 356400, 356400, 0, 0, 50, 0, {0, 0, 0, 0, 0, 0, 0}},
      {"the sender's air is a loss, not a noise",
       356400,
       356400,
       2,
       0,
       50,
       0,
       {0, 2, 0, 0, 0, 0, 2}},
      // Receiver under 3 dB of air: Tsky = 138.85 K.
      {"the receiver's air is a loss and a noise",
       356400,
       356400,
       0,
       10 * std::log10(2.0),
       50,
       0,
       {0, 0, 3.0103, 5.5431, 0, 0, 8.5534}},
      // 100 K of Moon dimmed to 50 K above a 138.85 K sky and 50 K receiver.
      {"the Moon's noise on top of the sky's",
       406700,
       406700,
       0,
       10 * std::log10(2.0),
       50,
       100,
       {2.2935, 0, 3.0103, 5.5431, 1.0201, 0, 11.8669}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Degradation d = PathDegradation(c.ra, c.rb, c.aa, c.ab, c.trx, c.moon_k);
    EXPECT_NEAR(d.distance_db, c.want.distance_db, kDbTol);
    EXPECT_NEAR(d.attenuation_tx_db, c.want.attenuation_tx_db, kDbTol);
    EXPECT_NEAR(d.attenuation_rx_db, c.want.attenuation_rx_db, kDbTol);
    EXPECT_NEAR(d.sky_noise_db, c.want.sky_noise_db, kDbTol);
    EXPECT_NEAR(d.moon_noise_db, c.want.moon_noise_db, kDbTol);
    EXPECT_NEAR(d.total_db, c.want.total_db, kDbTol);
  }
}

}  // namespace
}  // namespace quillmere
