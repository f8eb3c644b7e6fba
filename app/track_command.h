#pragma once
// quillmere-report --track: the Moon for two stations, minute by minute, as
// JSON or as a readable table: the options as the command line reads them,
// the track's environment and its output.
//
//   quillmere-report --track --home LOC --dx LOC [--home-height M] [--dx-height M]
//                    [--from YYYY-MM-DDTHH:MM:SS] [--span MINUTES] [--step MINUTES]
//                    [--data FILE] [--atmosphere cosecant|ray-traced] [--json]
//
// LOC is a Maidenhead locator (4, 6 or 8 characters) or "LAT,LON". --from
// is UTC and defaults to now; --span defaults to 1440 minutes (a day) and
// may not exceed 14 days; --step defaults to 1 minute. --atmosphere chooses
// the air of the degradation: the window's cosecant model (the default, so
// that a minute can be checked against the window's own figures) or the
// P.676-13 Annex 1 ray trace; the output names the one used.

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "moon_track.h"

namespace quillmere {

// The air of the track's degradation.
enum class TrackAtmosphere {
  kCosecant,   // the window's models: P.676-9 Annex 2 zenith / sin(elevation)
  kRayTraced,  // P.676-13 Annex 1 ray trace with its sky temperature
};
// Its name in the CSV, the JSON and on the command line: "cosecant" or
// "ray-traced".
const char* AtmosphereName(TrackAtmosphere atmosphere);
// And for people: "ray-traced (P.676-13 Annex 1)" or "window's cosecant
// model".
const char* AtmosphereLabel(TrackAtmosphere atmosphere);

struct TrackOptions {
  std::string home_text, dx_text;  // the LOC arguments as given
  Stations stations;
  std::optional<double> from_utc_s;  // POSIX seconds; none: now
  int span_minutes = 1440;
  int step_minutes = 1;
  std::string data_file;  // empty: the program's usual data file
  TrackAtmosphere atmosphere = TrackAtmosphere::kCosecant;
  bool json = false;
  bool help = false;  // --help: the usage, nothing computed
};

// The slant attenuation above Home (dx false) or DX (dx true) toward an
// elevation in degrees, dB.
using StationAttenuation = std::function<double(bool dx, double elevation_deg)>;

// What the data file gives the track: the band and each station's slant
// attenuation from its weather, as the main window computes them.
// The ray-traced air above Home (dx false) or DX toward the Moon.
using StationAir = std::function<SlantAir(bool dx, const MoonSighting& moon)>;

struct TrackEnvironment {
  double frequency_hz = 10368.0e6;
  StationAttenuation attenuation_db;  // the cosecant model; none: no atmosphere
  // Builds the ray-traced air of both stations (tens of milliseconds), for
  // TrackAtmosphere::kRayTraced; none: not available.
  std::function<StationAir()> ray_traced;
};

// The track's attenuation callable for `request`, which must outlive it:
// the track hands over its request's own stations, so each is told apart by
// where it lives.
AttenuationFunction AttenuationFor(const TrackRequest& request, StationAttenuation attenuation);
// The same for the ray-traced air.
SlantAirFunction SlantAirFor(const TrackRequest& request, StationAir air);

// The JSON document of a computed track: `home` and `dx` (lat, lon,
// height_m), `atmosphere` (its name), `rows` and `windows`.
std::string TrackJson(const TrackOptions& options, const TrackEnvironment& environment,
                      const Track& track);

// The same as a table for reading.
std::string TrackTable(const TrackOptions& options, const TrackEnvironment& environment,
                       const Track& track);

}  // namespace quillmere
