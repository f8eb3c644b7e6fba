#include "planner_model.h"

#include <algorithm>
#include <cmath>

namespace quillmere {

const char* AtmosphereName(TrackAtmosphere atmosphere) {
  return atmosphere == TrackAtmosphere::kRayTraced ? "ray-traced" : "cosecant";
}

const char* AtmosphereLabel(TrackAtmosphere atmosphere) {
  return atmosphere == TrackAtmosphere::kRayTraced ? "ray-traced (P.676-13 Annex 1)"
                                                   : "window's cosecant model";
}

AttenuationFunction AttenuationFor(const TrackRequest& request, StationAttenuation attenuation) {
  if (!attenuation) return {};
  return [&request, attenuation = std::move(attenuation)](const Station& s, double elevation_deg) {
    return attenuation(&s == &request.stations.dx, elevation_deg);
  };
}

SlantAirFunction SlantAirFor(const TrackRequest& request, StationAir air) {
  if (!air) return {};
  return [&request, air = std::move(air)](const Station& s, const MoonSighting& moon) {
    return air(&s == &request.stations.dx, moon);
  };
}

std::optional<std::string> RequestFault(const PlannerRequest& request) {
  // The Moon is checked for these years only.
  if (!WithinTrackYears(request.start_utc_s)) return std::string(kOutsideTrackYears);
  if (request.span_minutes < 1 || request.span_minutes > kMaxSpanMinutes)
    return "the span is 1 to " + std::to_string(kMaxSpanMinutes) + " minutes (14 days)";
  if (request.step_minutes < 1) return std::string("the step is at least 1 minute");
  return std::nullopt;
}

PlannedTrack PlanTrack(const PlannerRequest& request, const TrackEnvironment& environment,
                       StationAir air) {
  PlannedTrack out;
  out.request = request;
  out.frequency_hz = environment.frequency_hz;
  // The track's request lives here: the air callables find each station by
  // its address in it.
  TrackRequest track;
  track.stations = request.stations;
  // Whole seconds, as the rows are labelled.
  track.start_utc_s = std::floor(request.start_utc_s);
  track.span_minutes = request.span_minutes;
  track.step_minutes = request.step_minutes;
  track.frequency_hz = environment.frequency_hz;
  track.attenuation_db = AttenuationFor(track, environment.attenuation_db);
  if (request.atmosphere == TrackAtmosphere::kRayTraced) {
    if (!air && environment.ray_traced) air = environment.ray_traced();
    track.slant_air = SlantAirFor(track, air);
    out.air = std::move(air);
  }
  out.track = ComputeTrack(track);
  // The best minute of each window is one of the rows.
  for (const MutualWindow& w : out.track.windows) {
    const auto at = std::lower_bound(out.track.rows.begin(), out.track.rows.end(), w.best_utc_s,
                                     [](const TrackRow& r, double t) { return r.utc_s < t; });
    if (at != out.track.rows.end())
      out.best_rows.push_back(static_cast<std::size_t>(at - out.track.rows.begin()));
  }
  return out;
}

bool IsBestRow(const PlannedTrack& planned, std::size_t row) {
  return std::find(planned.best_rows.begin(), planned.best_rows.end(), row) !=
         planned.best_rows.end();
}

}  // namespace quillmere
