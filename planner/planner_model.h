#pragma once
// The Moon planner's model: what the planner window, the command line
// (quillmere-report --track) and anything else that plans a Moon span share.
// A request (the two stations, the span and its step, the air of the
// degradation) and the main window's state go in; the track, its mutual
// windows and the best minute of each come out. No Qt: every figure the
// planner shows can be computed and checked without a window.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "moon_track.h"
#include "stations.h"
#include "track_air.h"

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

// The longest span the planner computes: two weeks of minutes.
inline constexpr int kMaxSpanMinutes = 14 * 24 * 60;

// The slant attenuation above Home (dx false) or DX (dx true) toward an
// elevation in degrees, dB.
using StationAttenuation = std::function<double(bool dx, double elevation_deg)>;
// The ray-traced air above Home (dx false) or DX toward the Moon.
using StationAir = StationSlantAir;

// What the main window gives the track: the band and each station's slant
// attenuation from its weather, as the main window computes them.
struct TrackEnvironment {
  double frequency_hz = 10368.0e6;
  StationAttenuation attenuation_db;  // the cosecant model; none: no atmosphere
  // Builds the ray-traced air of both stations (tens of milliseconds), for
  // TrackAtmosphere::kRayTraced; none: not available.
  std::function<StationAir()> ray_traced;
  // Each station's surface radio refractivity from its weather, N-units,
  // which scales the refraction of its Moon; none (a station without
  // weather): that of the P.835 reference atmosphere at its height.
  std::optional<double> home_refractivity, dx_refractivity;
};

// The surface radio refractivity of the mean annual global reference
// atmosphere (ITU-R P.835) at a height above sea level (m; below sea level
// taken at 0), N-units: about 317 at sea level, 210 at 3000 m.
double ReferenceRefractivity(double height_m);

// The track's attenuation callable for `request`, which must outlive it:
// the track hands over its request's own stations, so each is told apart by
// where it lives.
AttenuationFunction AttenuationFor(const TrackRequest& request, StationAttenuation attenuation);
// The same for the ray-traced air.
SlantAirFunction SlantAirFor(const TrackRequest& request, StationAir air);

// One span to plan.
struct PlannerRequest {
  Stations stations;
  double start_utc_s = 0.0;  // POSIX seconds; taken to the whole second below
  // The span starts at the clock's "now" (no chosen time): its rows are
  // then taken from the whole minute below start_utc_s, the minute in
  // progress, so that the present is always in the span and a window open
  // now shows as open at its start.
  bool from_now = false;
  int span_minutes = 1440;  // 1 .. kMaxSpanMinutes
  int step_minutes = 1;
  TrackAtmosphere atmosphere = TrackAtmosphere::kCosecant;
};

// A computed span.
struct PlannedTrack {
  PlannerRequest request;
  double frequency_hz = 0.0;
  Track track;
  // The row nearest each mutual window's best minute (which may fall
  // between rows at a step over a minute), in the order of the windows.
  std::vector<std::size_t> best_rows;
  // The ray-traced air it was computed with (none for the cosecant model),
  // to be handed to the next span of the same weather and band.
  StationAir air;
};

// Each station's refractivity for the track, N-units: the environment's,
// or the P.835 reference's at the station's height; Home first.
std::pair<double, double> TrackRefractivities(const TrackEnvironment& environment,
                                              const Stations& stations);

// Why a request cannot be planned ("the start is outside 1950-2100", ...),
// or nothing.
std::optional<std::string> RequestFault(const PlannerRequest& request);

// Sets `track` up for the request's stations with the environment's band,
// refraction and air (the ray-traced `air` when the request asks for it and
// it is given, else the cosecant model), for rows computed one at a time
// (ComputeTrackRow: the Now strip's second). The air callables find each
// station by its address in `track`, which must stay where it is.
void SetUpTrackRequest(TrackRequest& track, const PlannerRequest& request,
                       const TrackEnvironment& environment, const StationAir& air);

// Computes the span of a request that RequestFault passes. For the
// ray-traced air, `air` is used when given (one table per station and
// weather, kept across spans), else built from the environment; an
// environment without ray-traced air gives the cosecant figures.
PlannedTrack PlanTrack(const PlannerRequest& request, const TrackEnvironment& environment,
                       StationAir air = {});

// Whether a row is the best minute of its window.
bool IsBestRow(const PlannedTrack& planned, std::size_t row);

}  // namespace quillmere
