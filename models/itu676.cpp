#include "itu676.h"

#include "constants.h"
#include "power.h"

#include <cmath>

namespace quillmere {
namespace {

// The logarithms of rp and rt are shared by every phi factor of one call, so
// each factor costs one exponential: rp^a rt^b exp(..) = exp(a ln rp + ...).
struct PhiTerms {
  Real ln_rp, ln_rt, one_minus_rp, one_minus_rt;

  PhiTerms(Real rp, Real rt)
      : ln_rp(std::log(rp)), ln_rt(std::log(rt)), one_minus_rp(1 - rp), one_minus_rt(1 - rt) {}

  Real operator()(Real a, Real b, Real c, Real d) const {
    return std::exp(a * ln_rp + b * ln_rt + c * one_minus_rp + d * one_minus_rt);
  }
};

}  // namespace

Real PhiFactor(Real rp, Real rt, Real a, Real b, Real c, Real d) {
  return std::pow(rp, a) * std::pow(rt, b) * std::exp(c * (1 - rp) + d * (1 - rt));
}

std::optional<Real> DryAirAttenuation(Real f, Real rp, Real rt) {
  if (!(f <= 350)) return std::nullopt;
  const PhiTerms phi(rp, rt);
  const Real f2rp2 = f * f * rp * rp;

  if (f <= 54) {
    // Below the 60 GHz oxygen complex: eq. 22a. There is no lower bound.
    const Real xi1 = phi(0.0717L, -1.8132L, 0.0156L, -1.6515L);
    const Real xi2 = phi(0.5146L, -4.6368L, -0.1921L, -5.7416L);
    const Real xi3 = phi(0.3414L, -6.5851L, 0.2130L, -8.5854L);
    return (7.2L * Pow(rt, 2.8L) / (f * f + 0.34L * rp * rp * Pow(rt, 1.6L)) +
            0.62L * xi3 / (Pow(54 - f, 1.16L * xi1) + 0.83L * xi2)) *
           f2rp2 * 0.001L;
  }
  if (f <= 60) {
    // Across the oxygen complex the fit interpolates the logarithms of the
    // attenuation at 54, 58 and 60 GHz (eq. 22b).
    const Real g54 = 2.192L * phi(1.8286L, -1.9487L, 0.4051L, -2.8509L);
    const Real g58 = 12.59L * phi(1.0045L, 3.561L, 0.1588L, 1.2834L);
    const Real g60 = 15 * phi(0.9003L, 4.1335L, 0.0427L, 1.6088L);
    return std::exp(std::log(g54) / 24 * (f - 58) * (f - 60) -
                    std::log(g58) / 8 * (f - 54) * (f - 60) +
                    std::log(g60) / 12 * (f - 54) * (f - 58));
  }
  if (f <= 62) {
    const Real g60 = 15 * phi(0.9003L, 4.1335L, 0.0427L, 1.6088L);
    const Real g62 = 14.28L * phi(0.9886L, 3.4176L, 0.1827L, 1.3429L);
    return g60 + (g62 - g60) * (f - 60) / 2;  // eq. 22c
  }
  if (f <= 66) {
    const Real g62 = 14.28L * phi(0.9886L, 3.4176L, 0.1827L, 1.3429L);
    const Real g64 = 6.819L * phi(1.432L, 0.6258L, 0.3177L, -0.5914L);
    const Real g66 = 1.908L * phi(2.0717L, -4.1404L, 0.491L, -4.8718L);
    return std::exp(std::log(g62) / 8 * (f - 64) * (f - 66) -
                    std::log(g64) / 4 * (f - 62) * (f - 66) +
                    std::log(g66) / 8 * (f - 62) * (f - 64));  // eq. 22d
  }
  if (f <= 120) {
    // Between the complex and the 118.75 GHz line: eq. 22e.
    const Real xi4 = phi(-0.0112L, 0.0092L, -0.1033L, -0.0009L);
    const Real xi5 = phi(0.2705L, -2.7192L, -0.3016L, -4.1033L);
    const Real xi6 = phi(0.2445L, -5.9191L, 0.0422L, -8.0719L);
    const Real xi7 = phi(-0.1833L, 6.5589L, -0.2402L, 6.131L);
    return (3.02e-4L * Pow(rt, 3.5L) +
            0.283L * Pow(rt, 3.8L) /
                ((f - 118.75L) * (f - 118.75L) + 2.91L * rp * rp * Pow(rt, 1.6L)) +
            0.502L * xi6 * (1 - 0.0163L * xi7 * (f - 66)) /
                (Pow(f - 66, 1.4346L * xi4) + 1.15L * xi5)) *
           f2rp2 * 0.001L;
  }
  // Up to 350 GHz: eq. 22f, with the delta correction for the line wings.
  const Real delta = -0.00306L * phi(3.211L, -14.94L, 1.583L, -16.37L);
  return (3.02e-4L / (1 + 1.9e-5L * Pow(f, 1.5L)) +
          0.283L * Pow(rt, 0.3L) /
              ((f - 118.75L) * (f - 118.75L) + 2.91L * rp * rp * Pow(rt, 1.6L))) *
             f2rp2 * Pow(rt, 3.5L) * 0.001L +
         delta;
}

Real LineFactor(Real f, Real fi) {
  const Real r = (f - fi) / (f + fi);
  return 1 + r * r;
}

Real VapourAttenuation(Real f, Real rp, Real rt, Real rho) {
  const Real eta1 = 0.955L * rp * Pow(rt, 0.68L) + 0.006L * rho;
  const Real eta2 = 0.735L * rp * std::sqrt(rt) + 0.0353L * rt * rt * rt * rt * rho;
  const Real u = 1 - rt;
  auto sq = [](Real x) { return x * x; };

  // One term per water-vapour line: strength * width * exp(x(1 - rt)) over
  // the detuning with a pressure-broadened width, times the shape factor.
  // The 22.235 GHz line's shape factor is taken at 22 GHz, as the
  // recommendation's fit does.
  Real sum =
      3.98L * eta1 * std::exp(2.23L * u) / (sq(f - 22.235L) + 9.42L * sq(eta1)) * LineFactor(f, 22);
  sum += 11.96L * eta1 * std::exp(0.7L * u) / (sq(f - 183.31L) + 11.14L * sq(eta1));
  sum += 0.081L * eta1 * std::exp(6.44L * u) / (sq(f - 321.226L) + 6.29L * sq(eta1));
  sum += 3.66L * eta1 * std::exp(1.6L * u) / (sq(f - 325.153L) + 9.22L * sq(eta1));
  sum += 25.37L * eta1 * std::exp(1.09L * u) / sq(f - 380);
  sum += 17.4L * eta1 * std::exp(1.46L * u) / sq(f - 448);
  sum += 844.6L * eta1 * std::exp(0.17L * u) / sq(f - 557) * LineFactor(f, 557);
  sum += 290 * eta1 * std::exp(0.41L * u) / sq(f - 752) * LineFactor(f, 752);
  sum += 83328 * eta2 * std::exp(0.99L * u) / sq(f - 1780) * LineFactor(f, 1780);
  return sum * f * f * Pow(rt, 2.5L) * rho * 1e-4L;
}

Real VapourDensityAt(Real t, Real H, bool over_water) {
  // Saturation vapour pressure, hPa (Magnus form; 240.9, not 240.97).
  const Real a = over_water ? 6.1121L : 6.1115L;
  const Real b = over_water ? 17.502L : 22.452L;
  const Real c = over_water ? 240.9L : 272.55L;
  const Real es = a * std::exp(b * t / (t + c));
  const Real e = es * H / 100;
  // The density fit of the recommendation uses 273.1 here.
  return 216.7L * e / (t + 273.1L);
}

Real DryAirEquivalentHeight(Real f, Real rp) {
  const Real x = (f - 59.7L) / (2.87L + 12.4L * std::exp(-7.9L * rp));
  const Real t1 = 4.64L / (1 + 0.066L * Pow(rp, -2.3L)) * std::exp(-x * x);
  const Real t2 =
      0.14L * std::exp(2.12L * rp) / ((f - 118.75L) * (f - 118.75L) + 0.031L * std::exp(2.2L * rp));
  const Real t3 = 0.0114L / (1 + 0.14L * Pow(rp, -2.6L)) * f *
                  (-0.0247L + 0.0001L * f + 1.61e-6L * f * f) /
                  (1 - 0.0169L * f + 4.1e-5L * f * f + 3.2e-7L * f * f * f);
  return 6.1L / (1 + 0.17L * Pow(rp, -1.1L)) * (1 + t1 + t2 + t3);
}

Real VapourEquivalentHeight(Real f, Real rp) {
  const Real sw = 1.013L / (1 + std::exp(-8.6L * (rp - 0.57L)));
  auto sq = [](Real x) { return x * x; };
  return 1.66L *
         (1 + 1.39L * sw / (sq(f - 22.235L) + 2.56L * sw) +
          3.37L * sw / (sq(f - 183.31L) + 4.69L * sw) + 1.58L * sw / (sq(f - 325.1L) + 2.89L * sw));
}

Real ZenithAttenuation(Real gamma_o, Real h_o, Real gamma_w, Real h_w) {
  return gamma_o * h_o + gamma_w * h_w;
}

Real SlantAttenuation(Real zenith_db, Real elevation_deg) {
  return zenith_db / std::sin(elevation_deg * kDegToRad);
}

Real PressureRatio(Real p) {
  return p / 1013;
}

Real TemperatureRatio(Real t) {
  // The ratio uses 273, as the recommendation's approximation was fitted
  // with it.
  return 288 / (t + 273);
}

GaseousAttenuation GaseousAttenuationAt(Real f, Real rp, Real rt, Real rho) {
  GaseousAttenuation g;
  g.gamma_o = DryAirAttenuation(f, rp, rt);
  g.gamma_w = VapourAttenuation(f, rp, rt, rho);
  g.h_o = DryAirEquivalentHeight(f, rp);
  g.h_w = VapourEquivalentHeight(f, rp);
  return g;
}

}  // namespace quillmere
