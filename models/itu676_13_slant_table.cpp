#include "itu676_13_slant_table.h"

#include <algorithm>
#include <cmath>

namespace quillmere::p676_13 {

std::vector<double> SlantTableElevations() {
  // Each elevation from its index, so no rounding piles up along the grid.
  std::vector<double> e;
  for (int k = 0; k < 100; ++k) e.push_back(0.02 * k);      // 0 ... 1.98
  for (int k = 0; k < 80; ++k) e.push_back(2 + 0.1 * k);    // 2 ... 9.9
  for (int k = 0; k < 40; ++k) e.push_back(10 + 0.5 * k);   // 10 ... 29.5
  for (int k = 0; k <= 30; ++k) e.push_back(30 + 2.0 * k);  // 30 ... 90
  return e;
}

SlantTable::SlantTable(const LayeredAtmosphere& atmosphere, std::span<const double> gamma,
                       double f_ghz, std::span<const AttenuationBand> bands) {
  Build(atmosphere, gamma, f_ghz, bands, nullptr);
}

SlantTable::SlantTable(const LayeredAtmosphere& atmosphere, std::span<const double> gamma,
                       double f_ghz, std::span<const AttenuationBand> bands,
                       const RayBand& ray_band) {
  Build(atmosphere, gamma, f_ghz, bands, &ray_band);
}

void SlantTable::Build(const LayeredAtmosphere& atmosphere, std::span<const double> gamma,
                       double f_ghz, std::span<const AttenuationBand> bands,
                       const RayBand* ray_band) {
  std::vector<double> elevations;
  if (f_ghz > 0) {
    const double grazing = GrazingApparentElevation(atmosphere);
    const int below = static_cast<int>(std::ceil(-grazing / 0.02));
    for (int k = below; k > 0; --k) elevations.push_back(std::max(grazing, -0.02 * k));
  }
  for (const double e : SlantTableElevations()) elevations.push_back(e);
  std::vector<double> ray_gamma;
  std::vector<AttenuationBand> ray_bands(bands.begin(), bands.end());
  if (ray_band) ray_bands.push_back(ray_band->band);
  for (const double apparent : elevations) {
    std::span<const double> g = gamma;
    if (ray_band) {
      AttenuationBand& own = ray_bands.back();
      own.gamma_db_km = ray_band->band.gamma_db_km * ray_band->scale(apparent);
      ray_gamma.assign(gamma.begin(), gamma.end());
      AddBands(atmosphere, std::span(&own, 1), ray_gamma);
      g = ray_gamma;
    }
    const RayPath ray = TraceRay(atmosphere, g, apparent, f_ghz,
                                 ray_band ? std::span<const AttenuationBand>(ray_bands) : bands);
    if (!ray.escaped) continue;
    // Keep the geometric elevations strictly rising, so that every
    // interval of the look-up has a length.
    if (!geometric_.empty() && ray.geometric_elevation_deg <= geometric_.back()) continue;
    geometric_.push_back(ray.geometric_elevation_deg);
    attenuation_.push_back(ray.attenuation_db);
    sky_.push_back(ray.sky_temperature_k);
    apparent_.push_back(apparent);
  }
}

SlantFigures SlantTable::At(double geometric_deg) const {
  if (geometric_.empty()) return {};
  const auto row = [&](std::size_t k) {
    return SlantFigures{attenuation_[k], sky_[k], apparent_[k]};
  };
  // Not a number falls to the lowest ray, as TraceRay takes it.
  if (!(geometric_deg > geometric_.front())) return row(0);
  if (geometric_deg >= geometric_.back()) return row(geometric_.size() - 1);
  const std::size_t hi = static_cast<std::size_t>(
      std::upper_bound(geometric_.begin(), geometric_.end(), geometric_deg) - geometric_.begin());
  const std::size_t lo = hi - 1;
  const double u = (geometric_deg - geometric_[lo]) / (geometric_[hi] - geometric_[lo]);
  const auto mix = [&](const std::vector<double>& v) { return v[lo] + u * (v[hi] - v[lo]); };
  return {mix(attenuation_), mix(sky_), mix(apparent_)};
}

}  // namespace quillmere::p676_13
