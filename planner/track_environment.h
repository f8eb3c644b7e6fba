#pragma once
// The Moon track's view of the main window's state: the band and each
// station's one-way loss toward an elevation, from the figures of the last
// recalculation, and the ray-traced air of its weather (track_air.h). Both
// the command line and the planner take it from here, so a minute of the
// track can be checked against the window.

#include <vector>

#include "planner_model.h"
#include "spectrum_command.h"
#include "station_totals.h"
#include "track_air.h"

namespace quillmere {

// `state` is copied: the environment stays valid after the window changes.
inline TrackEnvironment TrackEnvironmentOf(const QuillmereState& state) {
  TrackEnvironment env;
  env.frequency_hz = static_cast<double>(state.Frequency) * 1e9;
  env.attenuation_db = [home = state.Home, dx = state.DX](bool is_dx, double elevation_deg) {
    return static_cast<double>(OneWayLossAt(is_dx ? dx : home, elevation_deg));
  };
  env.ray_traced = [state] { return StationAir(RayTracedAirOf(state)); };
  // The refraction from each station's weather, as the ray trace takes it;
  // a state without weather (no data file read: no pressure) leaves the
  // reference atmosphere's.
  const auto refractivity = [](const StationParams& s) -> std::optional<double> {
    if (!(s.Pressure >= 1 && s.Pressure <= 1100)) return std::nullopt;
    const atmosphere::AtmosphereState air = StationAirOf(s).surface;
    return SurfaceRefractivity(air.P, air.T, air.rho * air.T / 216.7);
  };
  env.home_refractivity = refractivity(state.Home);
  env.dx_refractivity = refractivity(state.DX);
  return env;
}

// The same for the planned stations: each station's air starts at its own
// height (the ray trace's ground and the window's station height), the
// weather of the state otherwise.
inline TrackEnvironment TrackEnvironmentOf(QuillmereState state, const Stations& stations) {
  state.Home.HeightAsl = static_cast<Real>(stations.home.height_m);
  state.DX.HeightAsl = static_cast<Real>(stations.dx.height_m);
  return TrackEnvironmentOf(state);
}

// What the track's air depends on in the state, for the model chosen: equal
// keys, equal degradation. The cosecant model reads the window's gases,
// cloud (which the window takes along its own elevation), rain and fog as
// the last recalculation left them; the ray trace the weather itself.
inline std::vector<double> TrackAirKey(const QuillmereState& state, TrackAtmosphere atmosphere) {
  if (atmosphere == TrackAtmosphere::kRayTraced) return RayTracedAirKey(state);
  std::vector<double> key{static_cast<double>(state.Frequency)};
  for (const StationParams* s : {&state.Home, &state.DX})
    for (const Real v : {s->DryAirSpecific, s->VapourSpecific, s->DryAirHeight, s->VapourHeight,
                         s->CloudAttenuation, s->FogAttenuation, s->RainAttenuation})
      key.push_back(static_cast<double>(v));
  return key;
}

}  // namespace quillmere
