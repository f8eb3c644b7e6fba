#include "planner_model.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "atmosphere_profile.h"

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

double ReferenceRefractivity(double height_m) {
  const atmosphere::AtmosphereState air =
      atmosphere::GlobalReferenceAtmosphere(std::max(0.0, height_m) / 1000.0);
  // Vapour pressure from the density, e = rho T / 216.7 (P.453, eq. 10).
  return SurfaceRefractivity(air.P, air.T, air.rho * air.T / 216.7);
}

std::pair<double, double> TrackRefractivities(const TrackEnvironment& environment,
                                              const Stations& stations) {
  return {environment.home_refractivity.value_or(ReferenceRefractivity(stations.home.height_m)),
          environment.dx_refractivity.value_or(ReferenceRefractivity(stations.dx.height_m))};
}

std::optional<std::string> RequestFault(const PlannerRequest& request) {
  // The Moon is checked for these years only.
  if (!WithinTrackYears(request.start_utc_s)) return std::string(kOutsideTrackYears);
  if (request.span_minutes < 1 || request.span_minutes > kMaxSpanMinutes)
    return "the span is 1 to " + std::to_string(kMaxSpanMinutes) + " minutes (14 days)";
  if (request.step_minutes < 1) return std::string("the step is at least 1 minute");
  return std::nullopt;
}

void SetUpTrackRequest(TrackRequest& track, const PlannerRequest& request,
                       const TrackEnvironment& environment, const StationAir& air) {
  track.stations = request.stations;
  track.frequency_hz = environment.frequency_hz;
  track.attenuation_db = AttenuationFor(track, environment.attenuation_db);
  std::tie(track.home_refractivity, track.dx_refractivity) =
      TrackRefractivities(environment, request.stations);
  track.slant_air =
      request.atmosphere == TrackAtmosphere::kRayTraced ? SlantAirFor(track, air) : nullptr;
}

PlannedTrack PlanTrack(const PlannerRequest& request, const TrackEnvironment& environment,
                       StationAir air) {
  PlannedTrack out;
  out.request = request;
  out.frequency_hz = environment.frequency_hz;
  // The track's request lives here: the air callables find each station by
  // its address in it.
  TrackRequest track;
  if (request.atmosphere == TrackAtmosphere::kRayTraced && !air && environment.ray_traced)
    air = environment.ray_traced();
  SetUpTrackRequest(track, request, environment, air);
  if (request.atmosphere == TrackAtmosphere::kRayTraced) out.air = std::move(air);
  // Whole seconds, as the rows are labelled; from now, the minute in
  // progress.
  track.start_utc_s = request.from_now ? std::floor(request.start_utc_s / 60.0) * 60.0
                                       : std::floor(request.start_utc_s);
  track.span_minutes = request.span_minutes;
  track.step_minutes = request.step_minutes;
  out.track = ComputeTrack(track);
  // The row nearest each window's best minute (the earlier of two as near).
  const auto& rows = out.track.rows;
  for (const MutualWindow& w : out.track.windows) {
    if (rows.empty()) break;
    const auto at = std::lower_bound(rows.begin(), rows.end(), w.best_utc_s,
                                     [](const TrackRow& r, double t) { return r.utc_s < t; });
    std::size_t k = static_cast<std::size_t>(at - rows.begin());
    if (k == rows.size() ||
        (k > 0 && w.best_utc_s - rows[k - 1].utc_s <= rows[k].utc_s - w.best_utc_s))
      --k;
    out.best_rows.push_back(k);
  }
  return out;
}

bool IsBestRow(const PlannedTrack& planned, std::size_t row) {
  return std::find(planned.best_rows.begin(), planned.best_rows.end(), row) !=
         planned.best_rows.end();
}

}  // namespace quillmere
