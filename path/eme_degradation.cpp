// Degradation of an EME path against the ideal Moon.

#include "eme_degradation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>

#include "constants.h"

namespace quillmere {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Krotikov & Troitsky's disk mean at centimetre waves, K.
constexpr double kMoonMeanK = 211.0;
// Relative first harmonic of the disk-mean surface temperature.
constexpr double kMoonHarmonic = 0.45;
// Electrical over thermal skin depth per centimetre of wavelength.
constexpr double kDeltaPerCm = 3.0;

}  // namespace

double DistanceTermDb(double range_a_km, double range_b_km) {
  return 20.0 * std::log10(range_a_km * range_b_km / (kIdealMoonDistanceKm * kIdealMoonDistanceKm));
}

double SkyTemperatureK(double attenuation_db, double t_atm_k) {
  const double transmission = std::pow(10.0, -attenuation_db / 10.0);
  return kColdSkyK * transmission + t_atm_k * (1.0 - transmission);
}

double MoonBrightnessK(double f_hz, double phase) {
  const double lambda_cm = static_cast<double>(kSpeedOfLight) / f_hz * 100.0;
  const double delta = kDeltaPerCm * lambda_cm;
  const double amplitude = kMoonHarmonic / std::sqrt(1.0 + 2.0 * delta + 2.0 * delta * delta);
  const double lag = std::atan(delta / (1.0 + delta));
  // Phase angle from full Moon: 0 at full, -pi / +pi at new Moon.
  const double phi = 2.0 * kPi * (phase - 0.5);
  return kMoonMeanK * (1.0 + amplitude * std::cos(phi - lag));
}

double BeamFillingFactor(double f_hz, double dish_diameter_m, double disk_diameter_deg) {
  const double hpbw_deg = 70.0 * (static_cast<double>(kSpeedOfLight) / f_hz) / dish_diameter_m;
  const double ratio = disk_diameter_deg / hpbw_deg;
  return 1.0 - std::exp(-std::log(2.0) * ratio * ratio);
}

double MainBeamEfficiency(double aperture_efficiency) {
  const double theta_rad = 70.0 * kPi / 180.0;  // the beamwidth's 70 degrees per lambda / D
  const double ratio = (kPi / 4.0) * (kPi / (4.0 * std::log(2.0))) * theta_rad * theta_rad;
  return std::clamp(aperture_efficiency * ratio, 0.0, 1.0);
}

double MoonInBeamK(double moon_brightness_k, double f_hz, double dish_diameter_m,
                   double aperture_efficiency, double disk_diameter_deg) {
  return moon_brightness_k * MainBeamEfficiency(aperture_efficiency) *
         BeamFillingFactor(f_hz, dish_diameter_m, disk_diameter_deg);
}

double QuietSunBrightnessK(double f_hz) {
  const double f_ghz = f_hz / 1e9;
  auto zirin = [](double f) { return 140077.0 * std::pow(f, -2.1) + 10880.0; };
  if (f_ghz <= 18.0) return zirin(f_ghz);
  // Log-log between the measured points.
  struct Point {
    double f_ghz, t_k;
  };
  const Point points[] = {{18.0, zirin(18.0)}, {100.0, 7300.0}, {239.0, 5900.0}};
  for (std::size_t i = 1; i < std::size(points); ++i) {
    if (f_ghz <= points[i].f_ghz) {
      const Point& a = points[i - 1];
      const Point& b = points[i];
      const double u = std::log(f_ghz / a.f_ghz) / std::log(b.f_ghz / a.f_ghz);
      return a.t_k * std::pow(b.t_k / a.t_k, u);
    }
  }
  return points[std::size(points) - 1].t_k;
}

double DishGainDbi(double f_hz, double dish_diameter_m, double aperture_efficiency,
                   double off_axis_deg) {
  const double d_lambda = dish_diameter_m * f_hz / static_cast<double>(kSpeedOfLight);
  const double phi = std::fabs(off_axis_deg);
  const double g_max =
      10.0 * std::log10(std::max(1e-9, aperture_efficiency) * std::pow(kPi * d_lambda, 2.0));
  const double g_first = 2.0 + 15.0 * std::log10(d_lambda);  // the first sidelobe
  // The main lobe's parabola meets the first sidelobe's level at phi_m.
  const double phi_m = 20.0 / d_lambda * std::sqrt(std::max(0.0, g_max - g_first));
  const double main = g_max - 2.5e-3 * std::pow(d_lambda * phi, 2.0);
  if (phi < phi_m) return main;
  if (d_lambda > 100.0) {
    const double phi_r = 15.85 * std::pow(d_lambda, -0.6);
    if (phi < phi_r) return g_first;
    if (phi < 48.0) return 32.0 - 25.0 * std::log10(phi);
    return -10.0;
  }
  if (phi < 100.0 / d_lambda) return g_first;
  if (phi < 48.0) return 52.0 - 10.0 * std::log10(d_lambda) - 25.0 * std::log10(phi);
  return 10.0 - 10.0 * std::log10(d_lambda);
}

double SunInBeamK(double sun_brightness_k, double f_hz, double dish_diameter_m,
                  double aperture_efficiency, double separation_deg, double sun_diameter_deg) {
  const double radius_rad = sun_diameter_deg / 2.0 * kPi / 180.0;
  const double solid_angle = kPi * radius_rad * radius_rad;
  const double gain = std::pow(
      10.0, DishGainDbi(f_hz, dish_diameter_m, aperture_efficiency, separation_deg) / 10.0);
  return std::min(sun_brightness_k * solid_angle * gain / (4.0 * kPi),
                  MainBeamEfficiency(aperture_efficiency) * sun_brightness_k);
}

Degradation PathDegradation(double range_a_km, double range_b_km, double attenuation_a_db,
                            double attenuation_b_db, double receiver_noise_k,
                            double moon_in_beam_k) {
  return PathDegradation(range_a_km, range_b_km, attenuation_a_db, attenuation_b_db,
                         SkyTemperatureK(attenuation_b_db), receiver_noise_k, moon_in_beam_k);
}

Degradation PathDegradation(double range_a_km, double range_b_km, double attenuation_a_db,
                            double attenuation_b_db, double sky_b_k, double receiver_noise_k,
                            double moon_in_beam_k, double sun_at_receiver_k) {
  Degradation d;
  d.distance_db = DistanceTermDb(range_a_km, range_b_km);
  d.attenuation_tx_db = attenuation_a_db;
  d.attenuation_rx_db = attenuation_b_db;
  const double t_sky = sky_b_k;
  const double t_moon = moon_in_beam_k * std::pow(10.0, -attenuation_b_db / 10.0);
  d.sky_noise_db = 10.0 * std::log10((receiver_noise_k + t_sky) / (receiver_noise_k + kColdSkyK));
  d.moon_noise_db =
      10.0 * std::log10((receiver_noise_k + t_sky + t_moon) / (receiver_noise_k + t_sky));
  const double noise = receiver_noise_k + t_sky + t_moon;
  d.sun_noise_db = 10.0 * std::log10((noise + std::max(0.0, sun_at_receiver_k)) / noise);
  d.total_db = d.distance_db + d.attenuation_tx_db + d.attenuation_rx_db + d.sky_noise_db +
               d.moon_noise_db + d.sun_noise_db;
  return d;
}

}  // namespace quillmere
