#pragma once
// Slant path through the atmosphere by ray tracing, ITU-R P.676-13 Annex 1
// section 2.2: the atmosphere in spherical layers of exponentially growing
// thickness, the ray refracted at each boundary by Snell's law, the gaseous
// attenuation summed along it; with the sky brightness temperature by
// radiative transfer along the same ray. Valid from 0 to 90 degrees of
// elevation, where the window's cosecant law (P.676-9 Annex 2) is limited by
// its Recommendation to 5 degrees and above.
//
// Layers. Layer i (i = 1 ... 922) is delta_i = 0.0001 exp((i - 1) / 100) km
// thick. The stack starts at the station, so the thinnest layers lie
// where the ray is flattest and the air densest, and it ends at 100 km, where
// the last layer is cut short. Each layer is uniform: pressure, temperature,
// vapour, refractive index (P.453) and specific attenuation are those of the
// atmosphere at its mid-height.
//
// Angles. The ray leaves the station at the apparent elevation: the angle
// at which the antenna points, which is what the beam sees. A target far
// beyond the atmosphere (the Moon) is then seen at the geometric (free-space)
// elevation = apparent elevation - total bending; the Moon's ephemeris gives
// this geometric one, and ApparentElevationFor turns it into the apparent.
//
// Cloud, rain and fog. The window computes them as path totals of its own
// (P.840, P.838); here they enter as bands of height with a specific
// attenuation, added to the gases of every layer in proportion to the part
// of the layer inside the band, so the ray's own path length through them
// replaces the window's 1/sin(elevation):
//   - cloud: L Kl dB at the zenith (L columnar content, kg/m2; Kl of the
//     window's cloud step) spread over a cloud layer of thickness H:
//     {base, base + H, L Kl / H};
//   - fog: the window's FogAttenuation (dB/km) from the ground up to the fog
//     top: {0, top, FogAttenuation};
//   - rain: the window's RainAttenuation gamma_R (dB/km, which the window
//     multiplies by its AttenuationPathLength) from the ground to the rain
//     height, e.g. P.839's: {0, rain height, gamma_R}.
// A band's emission is counted at the temperature of the layer it is in.

#include <functional>
#include <span>
#include <vector>

#include "atmosphere_profile.h"
#include "itu676_13.h"

namespace quillmere::p676_13 {

// The atmosphere at a height (km above sea level).
using AtmosphereAt = std::function<atmosphere::AtmosphereState(double h)>;

// A specific attenuation, dB/km, between two heights above sea level, km.
struct AttenuationBand {
  double bottom_km = 0;
  double top_km = 0;
  double gamma_db_km = 0;
};

inline constexpr double kEarthRadiusKm = 6371;     // r_n = 6371 + h_n
inline constexpr double kTopOfAtmosphereKm = 100;  // where the stack ends
inline constexpr int kMaxLayers = 922;             // i = 1 ... 922
inline constexpr double kCosmicBackgroundK = 2.7;  // behind the atmosphere

// The layers above a station and what each holds; built once per station
// weather, then used for any frequency and elevation.
class LayeredAtmosphere {
 public:
  // station_height_km: 0 <= h < 100; profile: the atmosphere at a height.
  LayeredAtmosphere(double station_height_km, const AtmosphereAt& profile);

  // The layers from bottom_km up to top_km (cut short there), thinnest at
  // the bottom: under a mountain station, the air between the lowest point
  // of a ray launched below the horizontal and the station. Without
  // `lines` the layers serve the ray's geometry only (no
  // SpecificAttenuation).
  LayeredAtmosphere(double bottom_km, double top_km, const AtmosphereAt& profile, bool lines);

  int size() const { return static_cast<int>(bottom_.size()); }
  double StationHeight() const { return station_height_; }
  // The profile the layers were taken from, for the air under the station.
  const AtmosphereAt& Profile() const { return profile_; }
  double Bottom(int n) const { return bottom_[n]; }              // km above sea level
  double Thickness(int n) const { return thickness_[n]; }        // km
  double Temperature(int n) const { return temperature_[n]; }    // K
  double Refractivity(int n) const { return refractivity_[n]; }  // N-units
  // The ratio q of the refractive index of layer n to that of the layer
  // above (free space above the last), and q - 1 formed from the
  // refractivities so that it keeps its digits: what Snell's law needs at
  // the layer's top, the same for every elevation.
  double IndexRatio(int n) const { return index_ratio_[n]; }
  double IndexRatioLess1(int n) const { return index_ratio_less_1_[n]; }
  const LineSpectrum& Lines(int n) const { return lines_[n]; }

  // The gaseous specific attenuation gamma_o + gamma_w of every layer at f
  // (GHz), dB/km.
  std::vector<double> SpecificAttenuation(double f) const;

  // The integrated water vapour above the bottom: the sum over the layers
  // of rho x thickness, kg/m2 (g/m3 x km).
  double IntegratedWaterVapour() const { return water_vapour_; }

  // Sum over the layers of gamma x thickness: the zenith attenuation, dB.
  double ZenithAttenuation(double f) const;

  // The zenith attenuation at each frequency of f, dB, with the frequencies
  // shared among `threads` threads (0: one per core).
  std::vector<double> ZenithSpectrum(std::span<const double> f, unsigned threads = 0) const;

 private:
  double station_height_;
  double water_vapour_ = 0;  // kg/m2
  AtmosphereAt profile_;
  std::vector<double> bottom_, thickness_, temperature_, refractivity_;
  std::vector<double> index_ratio_, index_ratio_less_1_;
  std::vector<LineSpectrum> lines_;
};

// Adds the bands' specific attenuation to the layers' gamma (dB/km), each
// layer in proportion to the part of its thickness inside the band.
void AddBands(const LayeredAtmosphere& atmosphere, std::span<const AttenuationBand> bands,
              std::span<double> gamma);

struct RayPath {
  double attenuation_db = 0;           // sum of a_n gamma_n along the ray
  double sky_temperature_k = 0;        // brightness temperature seen by the antenna
  double apparent_elevation_deg = 0;   // the launch angle at the station
  double geometric_elevation_deg = 0;  // apparent - bending: a far target's
  double bending_deg = 0;              // total refraction of the ray
  double path_length_km = 0;           // sum of a_n
  // False when the ray turns back (a duct: the refractive index falls with
  // height faster than the Earth curves away). The figures are then those of
  // the path up to the turning height, with the air there, not the cosmic
  // background, behind it; the geometric elevation is not defined.
  bool escaped = true;
  double turning_height_km = 0;  // where it turned back, km above sea level
  // True when a ray launched below the horizontal meets the ground (sea
  // level) before its lowest point: a far target there is not visible.
  bool hits_ground = false;
  double lowest_height_km = 0;  // the ray's lowest point, km above sea level
};

// Traces a ray leaving the station at `apparent_elevation_deg` (-90 ... 90;
// not a number is taken as 0, above 90 as 90)
// through the layers with specific attenuations gamma (dB/km, one per
// layer; empty: geometry only, no attenuation or sky temperature).
// eqs. 17-19, in the equivalent form of the ray's invariant n r sin(beta)
// (Bouguer's law), which needs no arccosine near the horizon.
//
// Below the horizontal. A ray launched downward from a station above the
// sea keeps n r cos(elevation) (Bouguer's law) and turns where n(h) (6371
// + h) falls to that invariant: its lowest point, found on the profile
// itself. The air between that point and the station is laid in thin
// layers of its own (growing from the lowest point, where the ray is
// flattest), so the bending changes smoothly with the launch angle; the
// ray crosses them down and up again, and by symmetry leaves the station's
// height at +|elevation|, where the ray at that elevation takes over. The
// layers under the station need their own specific attenuation, so this
// takes the frequency f_ghz and the bands the gamma above was made with;
// geometry-only traces (empty gamma) need neither. With gamma and without
// a frequency a ray below the horizontal is taken as the horizontal one.
RayPath TraceRay(const LayeredAtmosphere& atmosphere, std::span<const double> gamma,
                 double apparent_elevation_deg, double f_ghz = 0,
                 std::span<const AttenuationBand> bands = {});

// The apparent elevation of the lowest ray that leaves the station and
// clears the ground (grazes sea level), degrees: 0 at sea level, about -1.5
// at 3 km. Its geometric elevation (RefractedHorizonDeg) is the lowest at
// which a far target is visible.
double GrazingApparentElevation(const LayeredAtmosphere& atmosphere);
double RefractedHorizonDeg(const LayeredAtmosphere& atmosphere);

// The apparent elevation (degrees) at which the ray leaves for a target far
// beyond the atmosphere at geometric elevation `geometric_elevation_deg`
// (-90 ... 90): solves apparent - bending(apparent) = geometric. Rays that
// turn back count as aimed too low, so under a duct it returns (within
// 1e-9 degrees) the lowest apparent elevation that escapes; a target below
// the refracted horizon gets the grazing ray's (check RefractedHorizonDeg).
double ApparentElevationFor(const LayeredAtmosphere& atmosphere, double geometric_elevation_deg);

}  // namespace quillmere::p676_13
