#pragma once
// The ray-traced slant path of P.676-13 Annex 1 section 2.2 toward a target
// far beyond the atmosphere (the Moon), tabulated against its geometric
// elevation for one station, frequency and weather, so that a fortnight of
// minutes costs a table look-up each rather than a ray trace each.
//
// The table holds one traced ray per apparent elevation of a fixed grid,
// dense near the horizon where the figures change fastest: every 0.02
// degrees up to 2, every 0.1 up to 10, every 0.5 up to 30 and every 2 up to
// 90 degrees (251 rays). Each ray's geometric elevation (apparent - bending)
// rises with its apparent elevation, so the table is read by the geometric
// elevation and interpolated linearly between its two neighbours: no
// apparent elevation needs solving for. Rays that turn back under a duct
// reach no far target and are left out. A target below the lowest ray that
// escapes (the Moon's centre under the refracted horizon) takes that ray's
// figures, one above 90 degrees the zenith's.

#include <functional>
#include <span>
#include <vector>

#include "itu676_13_slant.h"

namespace quillmere::p676_13 {

// What the traced ray gives toward a far target.
struct SlantFigures {
  double attenuation_db = 0;          // along the ray, dB
  double sky_temperature_k = 0;       // brightness temperature, 2.7 K behind
  double apparent_elevation_deg = 0;  // where the antenna points
};

// The apparent elevations of the grid, degrees, rising from 0 to 90.
std::vector<double> SlantTableElevations();

class SlantTable {
 public:
  // gamma: the specific attenuation of every layer (dB/km), as TraceRay
  // takes it, bands of cloud, rain or fog included.
  // With the frequency f_ghz and the bands that went into gamma, a station
  // above the sea also gets the rays below the horizontal, every 0.02
  // degrees from the grazing ray up (down and up again, TraceRay).
  SlantTable(const LayeredAtmosphere& atmosphere, std::span<const double> gamma, double f_ghz = 0,
             std::span<const AttenuationBand> bands = {});

  // A band whose specific attenuation depends on the ray: band.gamma_db_km
  // times scale(apparent elevation, degrees), added to gamma and bands for
  // each ray on its own (rain, shortened by the rain cell's extent).
  struct RayBand {
    AttenuationBand band;
    std::function<double(double apparent_deg)> scale;
  };
  SlantTable(const LayeredAtmosphere& atmosphere, std::span<const double> gamma, double f_ghz,
             std::span<const AttenuationBand> bands, const RayBand& ray_band);

  // The figures toward a target at geometric elevation `geometric_deg`.
  SlantFigures At(double geometric_deg) const;

  // The geometric elevation of the lowest ray that escapes, degrees: about
  // -0.6 at sea level in the standard atmosphere.
  double LowestGeometricDeg() const { return geometric_.empty() ? 90 : geometric_.front(); }
  int size() const { return static_cast<int>(geometric_.size()); }

 private:
  void Build(const LayeredAtmosphere& atmosphere, std::span<const double> gamma, double f_ghz,
             std::span<const AttenuationBand> bands, const RayBand* ray_band);

  std::vector<double> geometric_, attenuation_, sky_, apparent_;
};

}  // namespace quillmere::p676_13
