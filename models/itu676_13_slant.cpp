#include "itu676_13_slant.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <thread>

#include "itu453.h"

namespace quillmere::p676_13 {
namespace {

constexpr double kDeg = std::numbers::pi / 180;
// dB per neper: 10 log10(e).
constexpr double kDbPerNeper = 4.3429448190325182;

// asin(x) for the bending at one boundary, which is tiny in all but a
// ducting layer: below 1e-3 the series x + x^3/6 + 3 x^5/40 leaves out
// less than 5e-20 of it, far below a double's last digit, and spares the
// library call at each of the ~900 boundaries of every trace.
inline double SmallAsin(double x) {
  if (std::abs(x) >= 1e-3) return std::asin(x);
  const double x2 = x * x;
  return x * (1 + x2 * (1.0 / 6 + x2 * (3.0 / 40)));
}

}  // namespace

LayeredAtmosphere::LayeredAtmosphere(double station_height_km, const AtmosphereAt& profile)
    : LayeredAtmosphere(station_height_km, kTopOfAtmosphereKm, profile, true) {}

LayeredAtmosphere::LayeredAtmosphere(double bottom_km, double top_km, const AtmosphereAt& profile,
                                     bool lines)
    : station_height_(bottom_km), profile_(profile) {
  for (auto* v : {&bottom_, &thickness_, &temperature_, &refractivity_}) v->reserve(kMaxLayers);
  std::vector<PartialPressures> pressures;
  pressures.reserve(kMaxLayers);
  double h = bottom_km;
  for (int i = 1; i <= kMaxLayers && h < top_km; ++i) {
    // delta_i = 0.0001 exp((i - 1) / 100) km.
    const double delta = std::min(1e-4 * std::exp((i - 1) / 100.0), top_km - h);
    const atmosphere::AtmosphereState a = profile(h + delta / 2);
    const PartialPressures pp = PartialPressuresOf(a.P, a.T, a.rho);
    bottom_.push_back(h);
    thickness_.push_back(delta);
    temperature_.push_back(a.T);
    refractivity_.push_back(p453::Refractivity(pp.p, pp.e, a.T));
    water_vapour_ += a.rho * delta;
    pressures.push_back(pp);
    h += delta;
  }
  const size_t layers = bottom_.size();
  index_ratio_.resize(layers);
  index_ratio_less_1_.resize(layers);
  for (size_t n = 0; n < layers; ++n) {
    const double N_here = refractivity_[n];
    const double N_next = n + 1 < layers ? refractivity_[n + 1] : 0;
    index_ratio_[n] = (1 + N_here * 1e-6) / (1 + N_next * 1e-6);
    index_ratio_less_1_[n] = (N_here - N_next) * 1e-6 / (1 + N_next * 1e-6);
  }
  if (!lines) return;
  // The lines of each layer, the bulk of the work, on two threads where
  // there are two cores; the profile itself is asked from this thread only.
  lines_.resize(bottom_.size());
  auto build = [&](size_t from, size_t to) {
    for (size_t n = from; n < to; ++n)
      lines_[n] = LineSpectrum(pressures[n].p, pressures[n].e, temperature_[n]);
  };
  const size_t half = lines_.size() / 2;
  if (std::thread::hardware_concurrency() > 1 && half > 0) {
    std::thread upper(build, half, lines_.size());
    build(0, half);
    upper.join();
  } else {
    build(0, lines_.size());
  }
}

std::vector<double> LayeredAtmosphere::SpecificAttenuation(double f) const {
  std::vector<double> gamma(lines_.size());
  for (size_t n = 0; n < lines_.size(); ++n) gamma[n] = lines_[n].Gamma(f);
  return gamma;
}

double LayeredAtmosphere::ZenithAttenuation(double f) const {
  double sum = 0;
  for (size_t n = 0; n < lines_.size(); ++n) sum += lines_[n].Gamma(f) * thickness_[n];
  return sum;
}

std::vector<double> LayeredAtmosphere::ZenithSpectrum(std::span<const double> f,
                                                      unsigned threads) const {
  std::vector<double> out(f.size(), 0.0);
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<size_t>(threads, std::max<size_t>(1, f.size())));
  // Layer by layer over a block of frequencies: one layer's lines stay in
  // the cache while every frequency of the block uses them.
  auto work = [&](size_t from, size_t to) {
    for (size_t n = 0; n < lines_.size(); ++n) {
      const LineSpectrum& lines = lines_[n];
      const double delta = thickness_[n];
      for (size_t k = from; k < to; ++k) out[k] += lines.Gamma(f[k]) * delta;
    }
  };
  std::vector<std::thread> pool;
  const size_t chunk = (f.size() + threads - 1) / threads;
  for (unsigned t = 1; t < threads; ++t) {
    const size_t from = std::min(f.size(), t * chunk);
    const size_t to = std::min(f.size(), from + chunk);
    if (from < to) pool.emplace_back(work, from, to);
  }
  work(0, std::min(f.size(), chunk));
  for (auto& t : pool) t.join();
  return out;
}

void AddBands(const LayeredAtmosphere& atmosphere, std::span<const AttenuationBand> bands,
              std::span<double> gamma) {
  for (int n = 0; n < atmosphere.size() && n < static_cast<int>(gamma.size()); ++n) {
    const double lo = atmosphere.Bottom(n);
    const double hi = lo + atmosphere.Thickness(n);
    for (const AttenuationBand& b : bands) {
      const double overlap = std::min(hi, b.top_km) - std::max(lo, b.bottom_km);
      if (overlap > 0) gamma[n] += b.gamma_db_km * overlap / atmosphere.Thickness(n);
    }
  }
}

namespace {

RayPath TraceUp(const LayeredAtmosphere& atmosphere, std::span<const double> gamma,
                double apparent_elevation_deg) {
  if (!(apparent_elevation_deg >= 0)) apparent_elevation_deg = 0;
  if (apparent_elevation_deg > 90) apparent_elevation_deg = 90;
  RayPath ray;
  ray.apparent_elevation_deg = apparent_elevation_deg;
  const bool radiometry = !gamma.empty();
  const int layers = atmosphere.size();

  // beta_1 = 90 deg - elevation: the zenith angle of the ray in layer 1.
  double sin_beta = std::cos(apparent_elevation_deg * kDeg);
  double cos_beta = std::sin(apparent_elevation_deg * kDeg);
  double r = kEarthRadiusKm + atmosphere.StationHeight();
  double bending = 0, attenuation = 0, path = 0;
  double transmittance = 1, brightness = 0;

  for (int n = 0; n < layers; ++n) {
    const double delta = atmosphere.Thickness(n);
    const double r_top = r + delta;
    // The straight ray in layer n keeps r sin(z): at the top of the layer
    // sin(alpha_n) = r_n sin(beta_n) / r_(n+1) (eq. 18), and
    //   cos^2(alpha_n) r_(n+1)^2 = r_n^2 cos^2(beta_n) + 2 r_n delta + delta^2,
    // which stays exact for a horizontal ray.
    const double sin_alpha = sin_beta * r / r_top;
    const double grow = delta * (2 * r + delta);
    const double rc = r * cos_beta;
    const double cos_alpha = std::sqrt(rc * rc + grow) / r_top;
    // eq. 17: a_n = -r_n cos(beta_n) + sqrt(r_n^2 cos^2(beta_n) + 2 r_n
    // delta_n + delta_n^2), here rationalised against cancellation.
    const double a = grow / (r_top * cos_alpha + rc);
    path += a;

    if (radiometry) {
      // A gamma list shorter than the stack leaves the rest without loss.
      const double db = static_cast<size_t>(n) < gamma.size() ? a * gamma[n] : 0;
      attenuation += db;
      // The layer emits at its temperature what it absorbs (Kirchhoff),
      // dimmed by every layer between it and the antenna.
      const double t = std::exp(-db / kDbPerNeper);
      brightness += atmosphere.Temperature(n) * (1 - t) * transmittance;
      transmittance *= t;
    }

    // eq. 19: Snell's law at the boundary with the layer above (or with
    // free space above the last one): n_n sin(alpha_n) = n_(n+1) sin(beta_(n+1)).
    const double q = atmosphere.IndexRatio(n);
    const double q_minus_1 = atmosphere.IndexRatioLess1(n);
    const double sin_next = sin_alpha * q;
    // cos^2(beta_(n+1)) = cos^2(alpha_n) - sin^2(alpha_n) (q^2 - 1).
    const double cos2_next = cos_alpha * cos_alpha - sin_alpha * sin_alpha * q_minus_1 * (q + 1);
    if (cos2_next < 0) {
      // The ray cannot enter the layer above: it turns back into the duct.
      ray.escaped = false;
      ray.turning_height_km = r_top - kEarthRadiusKm;
      break;
    }
    const double cos_next = std::sqrt(cos2_next);
    // The bending at the boundary, beta_(n+1) - alpha_n, from the sine of
    // the difference, which keeps its digits when the two are close.
    bending += SmallAsin(std::clamp(sin_next * cos_alpha - cos_next * sin_alpha, -1.0, 1.0));
    sin_beta = sin_next;
    cos_beta = cos_next;
    r = r_top;
  }

  ray.attenuation_db = attenuation;
  ray.path_length_km = path;
  ray.bending_deg = bending / kDeg;
  if (ray.escaped) {
    ray.geometric_elevation_deg = apparent_elevation_deg - ray.bending_deg;
    if (radiometry) brightness += kCosmicBackgroundK * transmittance;
  } else if (radiometry && layers > 0) {
    // What lies beyond the turning point is air, not space.
    int last = 0;
    while (last + 1 < layers && atmosphere.Bottom(last + 1) < ray.turning_height_km) ++last;
    brightness += atmosphere.Temperature(last) * transmittance;
  }
  ray.sky_temperature_k = brightness;
  return ray;
}

// The refractive index of the profile at height h, km.
double IndexAt(const AtmosphereAt& profile, double h) {
  const atmosphere::AtmosphereState a = profile(h);
  const PartialPressures pp = PartialPressuresOf(a.P, a.T, a.rho);
  return 1 + p453::Refractivity(pp.p, pp.e, a.T) * 1e-6;
}

// The index in which the antenna sits: that of the first layer above it.
double LaunchIndex(const LayeredAtmosphere& atmosphere) {
  return 1 + (atmosphere.size() > 0 ? atmosphere.Refractivity(0) : 0) * 1e-6;
}

// A ray launched at apparent elevation e < 0: down to its lowest point,
// up again to the station's height, then on as the ray at -e.
RayPath TraceDownAndUp(const LayeredAtmosphere& atmosphere, std::span<const double> gamma, double e,
                       double f_ghz, std::span<const AttenuationBand> bands) {
  if (e < -90) e = -90;
  RayPath ray;
  ray.apparent_elevation_deg = e;
  ray.escaped = false;
  const bool radiometry = !gamma.empty();
  const double h_s = atmosphere.StationHeight();
  const double r_s = kEarthRadiusKm + h_s;
  // Bouguer's invariant n r cos(elevation) of the ray.
  const double c = LaunchIndex(atmosphere) * r_s * std::cos(e * kDeg);
  const AtmosphereAt& profile = atmosphere.Profile();
  auto above_lowest = [&](double h) { return IndexAt(profile, h) * (kEarthRadiusKm + h) - c; };

  // The lowest point: the highest height under the station where n r has
  // fallen to the invariant, found by stepping down 50 m at a time (the
  // first root the descending ray meets) and halving.
  double hi = h_s, lo = h_s;
  bool found = false;
  for (;;) {
    lo = std::max(0.0, hi - 0.05);
    if (above_lowest(lo) <= 0) {
      found = true;
      break;
    }
    if (lo <= 0) break;
    hi = lo;
  }
  if (!found) {
    ray.hits_ground = true;
    return ray;
  }
  for (int k = 0; k < 100 && hi - lo > 1e-12; ++k) {
    const double mid = (lo + hi) / 2;
    (above_lowest(mid) > 0 ? hi : lo) = mid;
  }
  ray.lowest_height_km = lo;

  const LayeredAtmosphere below(lo, h_s, profile, radiometry);
  std::vector<double> gamma_below;
  if (radiometry) {
    gamma_below = below.SpecificAttenuation(f_ghz);
    AddBands(below, bands, gamma_below);
  }
  const int m = below.size();
  auto index = [&](int k) { return 1 + below.Refractivity(k) * 1e-6; };
  // The layer the ray turns in: from the top down, the first whose
  // perigee c / n lies inside it (the bottom one but for rounding).
  int first = 0;
  for (int k = m - 1; k >= 0; --k) {
    if (c / index(k) >= kEarthRadiusKm + below.Bottom(k)) {
      first = k;
      break;
    }
  }
  // One way, bottom to top: the path in each layer and the bending at each
  // boundary up to the station's; the way down is the mirror image.
  std::vector<double> a(static_cast<std::size_t>(m), 0.0);
  double bending = 0;
  for (int k = first; k < m; ++k) {
    const bool last = k + 1 == m;
    const double r_b = kEarthRadiusKm + below.Bottom(k);
    // The last layer ends at the station itself, not at a rounded sum.
    const double r_t = last ? r_s : r_b + below.Thickness(k);
    const double p = c / index(k);  // the straight ray's perigee in layer k
    const double top = std::sqrt(std::max(0.0, (r_t - p) * (r_t + p)));
    if (p >= r_b) {
      a[k] = top;
    } else {
      const double bottom = std::sqrt((r_b - p) * (r_b + p));
      a[k] = (r_t - r_b) * (r_t + r_b) / (top + bottom);
    }
    const double n_next = last ? LaunchIndex(atmosphere) : index(k + 1);
    const double p_next = last ? r_s * std::cos(e * kDeg) : c / n_next;
    if (p_next >= r_t && !last) {
      // The ray cannot enter the layer above: trapped under the station.
      ray.turning_height_km = r_t - kEarthRadiusKm;
      return ray;
    }
    // Back at the station the ray leaves at -e, as it was launched.
    const double top_next =
        last ? r_s * std::sin(-e * kDeg) : std::sqrt((r_t - p_next) * (r_t + p_next));
    // sin(z_next - z_here), z the zenith angles on either side.
    bending += SmallAsin(std::clamp((p_next * top - top_next * p) / (r_t * r_t), -1.0, 1.0));
  }

  const RayPath up = TraceUp(atmosphere, gamma, -e);
  double path = 0, attenuation = 0, brightness = 0, transmittance = 1;
  auto cross = [&](int k) {
    path += a[k];
    if (!radiometry) return;
    const double db = a[k] * gamma_below[k];
    attenuation += db;
    const double t = std::exp(-db / kDbPerNeper);
    brightness += below.Temperature(k) * (1 - t) * transmittance;
    transmittance *= t;
  };
  for (int k = m - 1; k >= first; --k) cross(k);
  for (int k = first; k < m; ++k) cross(k);

  ray.attenuation_db = attenuation + up.attenuation_db;
  ray.sky_temperature_k = radiometry ? brightness + transmittance * up.sky_temperature_k : 0;
  ray.path_length_km = path + up.path_length_km;
  ray.bending_deg = 2 * bending / kDeg + up.bending_deg;
  ray.escaped = up.escaped;
  ray.turning_height_km = up.turning_height_km;
  if (ray.escaped) ray.geometric_elevation_deg = e - ray.bending_deg;
  return ray;
}

}  // namespace

RayPath TraceRay(const LayeredAtmosphere& atmosphere, std::span<const double> gamma,
                 double apparent_elevation_deg, double f_ghz,
                 std::span<const AttenuationBand> bands) {
  if (apparent_elevation_deg < 0 && (gamma.empty() || f_ghz > 0))
    return TraceDownAndUp(atmosphere, gamma, apparent_elevation_deg, f_ghz, bands);
  return TraceUp(atmosphere, gamma, apparent_elevation_deg);
}

double GrazingApparentElevation(const LayeredAtmosphere& atmosphere) {
  const double h_s = atmosphere.StationHeight();
  if (!(h_s > 0)) return 0;
  // The ray whose lowest point is at sea level: n(0) 6371 = n r_s cos(e).
  const double ratio = IndexAt(atmosphere.Profile(), 0) * kEarthRadiusKm /
                       (LaunchIndex(atmosphere) * (kEarthRadiusKm + h_s));
  if (ratio >= 1) return 0;
  // A hair above, so that the ray clears the ground whatever the rounding.
  return -std::acos(ratio) / kDeg + 1e-9;
}

double RefractedHorizonDeg(const LayeredAtmosphere& atmosphere) {
  return TraceRay(atmosphere, {}, GrazingApparentElevation(atmosphere)).geometric_elevation_deg;
}

double ApparentElevationFor(const LayeredAtmosphere& atmosphere, double geometric_elevation_deg) {
  const double target =
      std::isnan(geometric_elevation_deg) ? 0.0 : std::clamp(geometric_elevation_deg, -90.0, 90.0);
  if (target >= 90) return 90;
  // g(apparent) = apparent - bending - geometric rises with the apparent
  // elevation; a ray that turns back counts as aimed too low. The bending
  // stays well under 3 degrees, so [geometric, geometric + 3] brackets the
  // root; Illinois' regula falsi closes in on it in a few traces.
  constexpr double kTurnedBack = -1e9;
  auto g = [&](double apparent) {
    const RayPath ray = TraceRay(atmosphere, {}, apparent);
    return ray.escaped ? ray.geometric_elevation_deg - target : kTurnedBack;
  };
  // Below the grazing ray every ray meets the ground.
  double lo = std::max(target, GrazingApparentElevation(atmosphere));
  double hi = std::min(90.0, lo + 3);
  double g_lo = g(lo), g_hi = g(hi);
  if (g_lo >= 0) return lo;
  // Under a strong duct the rays 3 degrees up may still be trapped: the
  // zenith ray always escapes, so 90 degrees closes the bracket.
  if (g_hi <= 0 && hi < 90) {
    lo = hi;
    g_lo = g_hi;
    hi = 90;
    g_hi = g(hi);
  }
  if (g_hi <= 0) return hi;
  bool lo_escaped = g_lo > kTurnedBack;  // else g_lo is a stand-in: bisect
  int side = 0;
  for (int k = 0; k < 100 && hi - lo > 1e-10; ++k) {
    const double mid = lo_escaped ? (lo * g_hi - hi * g_lo) / (g_hi - g_lo) : (lo + hi) / 2;
    const double g_mid = g(mid);
    if (std::abs(g_mid) < 1e-10) return mid;
    if (g_mid < 0) {
      lo = mid;
      g_lo = g_mid;
      lo_escaped = g_mid > kTurnedBack;
      if (side == -1) g_hi /= 2;
      side = -1;
    } else {
      hi = mid;
      g_hi = g_mid;
      if (side == 1 && lo_escaped) g_lo /= 2;
      side = 1;
    }
  }
  return hi;
}

}  // namespace quillmere::p676_13
