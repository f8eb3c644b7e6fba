#include "atmosphere_profile.h"

#include <algorithm>
#include <cmath>

#include "itu835.h"

namespace quillmere::atmosphere {

Reference ReferenceFor(int zone, int season) {
  const bool winter = season == static_cast<int>(kWinter);
  switch (zone) {
    case 0:
      return Reference::kLow;
    case 1:
      return winter ? Reference::kMidWinter : Reference::kMidSummer;
    case 2:
      return winter ? Reference::kHighWinter : Reference::kHighSummer;
    default:
      return Reference::kGlobal;
  }
}

AtmosphereState GlobalReferenceAtmosphere(double h) {
  AtmosphereState a;
  // The geopotential height, km', of the layers up to 86 km.
  const double hp = 6356.766 * h / (6356.766 + h);
  // 34.1632 = g0 M / R in K/km', the hydrostatic constant of the layers.
  constexpr double k = 34.1632;
  if (h < 86) {
    // A lapse rate or an isothermal layer per interval, each
    // starting from its tabulated base pressure.
    if (hp <= 11) {
      a.T = 288.15 - 6.5 * hp;
      a.P = 1013.25 * std::pow(288.15 / a.T, -k / 6.5);
    } else if (hp <= 20) {
      a.T = 216.65;
      a.P = 226.3226 * std::exp(-k * (hp - 11) / 216.65);
    } else if (hp <= 32) {
      a.T = 216.65 + (hp - 20);
      a.P = 54.74980 * std::pow(216.65 / a.T, k);
    } else if (hp <= 47) {
      a.T = 228.65 + 2.8 * (hp - 32);
      a.P = 8.680422 * std::pow(228.65 / a.T, k / 2.8);
    } else if (hp <= 51) {
      a.T = 270.65;
      a.P = 1.109106 * std::exp(-k * (hp - 47) / 270.65);
    } else if (hp <= 71) {
      a.T = 270.65 - 2.8 * (hp - 51);
      a.P = 0.6694167 * std::pow(270.65 / a.T, -k / 2.8);
    } else {
      a.T = 214.65 - 2.0 * (hp - 71);
      a.P = 0.03956649 * std::pow(214.65 / a.T, -k / 2.0);
    }
  } else {
    // Above 86 km: the geometric fits of the thermosphere's base.
    if (h <= 91) {
      a.T = 186.8673;
    } else {
      const double x = (h - 91) / 19.9429;
      a.T = 263.1905 - 76.3232 * std::sqrt(std::max(0.0, 1 - x * x));
    }
    a.P = std::exp(95.571899 +
                   h * (-4.011801 + h * (6.424731e-2 + h * (-4.789660e-4 + h * 1.340543e-6))));
  }
  // 7.5 g/m3 at the ground, 2 km scale height, down to the
  // stratosphere's mixing ratio of 2e-6, below which it is held.
  a.rho = 7.5 * std::exp(-h / 2);
  const double e = a.rho * a.T / 216.7;
  if (e < 2e-6 * a.P) a.rho = 2e-6 * a.P * 216.7 / a.T;
  return a;
}

AtmosphereState ReferenceAt(Reference ref, double h) {
  if (ref == Reference::kGlobal) return GlobalReferenceAtmosphere(h);
  const Real hl = h;
  ReferenceAtmosphere r;
  switch (ref) {
    case Reference::kLow:
      r = LowLatitudeProfile(hl);
      break;
    case Reference::kMidSummer:
      r = MidLatitudeProfile(hl, kSummer);
      break;
    case Reference::kMidWinter:
      r = MidLatitudeProfile(hl, kWinter);
      break;
    case Reference::kHighSummer:
      r = HighLatitudeProfile(hl, kSummer);
      break;
    default:
      r = HighLatitudeProfile(hl, kWinter);
      break;
  }
  return {static_cast<double>(r.P), static_cast<double>(r.T), static_cast<double>(r.rho)};
}

double TropopauseHeight(Reference ref) {
  switch (ref) {
    case Reference::kGlobal:
      return 11;
    case Reference::kLow:
      return 17;
    case Reference::kMidSummer:
      return 13;
    case Reference::kMidWinter:
    case Reference::kHighSummer:
      return 10;
    case Reference::kHighWinter:
      return 8.5;
  }
  return 11;
}

namespace {

// 34.1632 = g0 M / R in K/km', the hydrostatic constant; 6356.766 km the
// Earth radius of the geopotential height.
constexpr double kHydrostatic = 34.1632;
constexpr double kGeopotentialRadiusKm = 6356.766;
// The step of the hydrostatic correction's nodes, km: its integrand changes
// on the scale of kilometres, so linear interpolation between nodes 50 m
// apart leaves it within 1e-7 of the integral.
constexpr double kCorrectionStepKm = 0.05;

// The saturation vapour density over water at T (K), g/m3: the Magnus form
// of the window's humidity (6.1121 hPa, 17.502, 240.9 degC). Only its ratios
// enter the blend. The temperature is kept within 150-400 K, where the form
// stays finite whatever the weather.
double SaturationVapourDensity(double T) {
  const double t = std::clamp(T, 150.0, 400.0) - 273.15;
  return 216.7 * 6.1121 * std::exp(17.502 * t / (t + 240.9)) / (t + 273.15);
}

// The share of the global shape: none within 15 K of the zone's temperature,
// all beyond 25 K, a smooth step between.
double GlobalShareFor(double dT) {
  const double u = std::clamp((std::abs(dT) - 15) / 10, 0.0, 1.0);
  return u * u * (3 - 2 * u);
}

}  // namespace

AtmosphereState StationAtmosphere::Shape(double h) const {
  if (c_ == 0) return ReferenceAt(ref_, h);
  const AtmosphereState z = ReferenceAt(ref_, h), g = GlobalReferenceAtmosphere(h);
  if (c_ == 1) return g;
  // ln P mixed: each is a hydrostatic column, the mix stays one to the
  // harmonic mean of their temperatures.
  return {std::exp((1 - c_) * std::log(z.P) + c_ * std::log(g.P)), (1 - c_) * z.T + c_ * g.T,
          (1 - c_) * z.rho + c_ * g.rho};
}

StationAtmosphere::StationAtmosphere(Reference ref, const StationWeather& weather)
    : ref_(ref), h_s_(weather.height_km) {
  if (ref != Reference::kGlobal) c_ = GlobalShareFor(weather.T - ReferenceAt(ref, h_s_).T);
  h_t_ = std::max((1 - c_) * TropopauseHeight(ref) + c_ * TropopauseHeight(Reference::kGlobal),
                  h_s_ + 1);
  const AtmosphereState at = Shape(h_s_);
  dT_ = weather.T - at.T;
  kP_ = weather.P / at.P;
  u_ratio_ = at.rho > 0;
  // The relative humidity at the station over the reference's there.
  kU_ = u_ratio_ ? (weather.rho / SaturationVapourDensity(weather.T)) /
                       (at.rho / SaturationVapourDensity(at.T))
                 : 0;
  rho_s_ = weather.rho;
  if (dT_ == 0) return;
  // The integrand of I (per geopotential km, times dH/dh) at the nodes,
  // summed by the trapezoid rule from the ground up.
  const int nodes = static_cast<int>(std::ceil(h_t_ / kCorrectionStepKm)) + 1;
  correction_.resize(nodes);
  auto integrand = [&](double h) {
    const double T_ref = Shape(h).T;
    // The temperature kept above 1 K, so that no weather divides by zero.
    const double T = std::max(1.0, T_ref + dT_ * Weight(h));
    const double g = kGeopotentialRadiusKm / (kGeopotentialRadiusKm + h);
    return kHydrostatic * g * g * (1 / T - 1 / T_ref);
  };
  double previous = integrand(0);
  correction_[0] = 0;
  for (int i = 1; i < nodes; ++i) {
    const double f = integrand(i * kCorrectionStepKm);
    correction_[i] = correction_[i - 1] + (previous + f) / 2 * kCorrectionStepKm;
    previous = f;
  }
  correction_at_station_ = 0;
  correction_at_station_ = HydrostaticCorrection(h_s_);
}

double StationAtmosphere::HydrostaticCorrection(double h) const {
  if (correction_.empty()) return 0;
  const double x = std::clamp(h, 0.0, h_t_) / kCorrectionStepKm;
  const int i = std::min(static_cast<int>(x), static_cast<int>(correction_.size()) - 2);
  const double u = x - i;
  return correction_[i] + (correction_[i + 1] - correction_[i]) * u - correction_at_station_;
}

double StationAtmosphere::Weight(double h) const {
  if (h <= h_s_) return 1;
  if (h >= h_t_) return 0;
  const double u = (h - h_s_) / (h_t_ - h_s_);
  return 1 - u * u * (3 - 2 * u);
}

AtmosphereState StationAtmosphere::operator()(double h) const {
  const AtmosphereState r = Shape(h);
  const double w = Weight(h);
  AtmosphereState a;
  a.T = std::max(1.0, r.T + dT_ * w);
  a.P = r.P * kP_ * std::exp(-HydrostaticCorrection(h));
  if (!u_ratio_) {
    a.rho = rho_s_ * w;
  } else if (w == 0) {
    a.rho = r.rho;
  } else {
    // The reference's relative humidity scaled, at the blended temperature.
    a.rho =
        r.rho * (1 + (kU_ - 1) * w) * SaturationVapourDensity(a.T) / SaturationVapourDensity(r.T);
  }
  return a;
}

double ReferencePressureAt(Reference ref, double height_km) {
  return ReferenceAt(ref, std::max(0.0, height_km)).P;
}

bool PressureFarFromReference(Reference ref, double height_km, double P) {
  return std::abs(P / ReferencePressureAt(ref, height_km) - 1) > 0.1;
}

}  // namespace quillmere::atmosphere
