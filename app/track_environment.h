#pragma once
// The Moon track's view of the main window's state: the band and each
// station's one-way loss toward an elevation, from the figures of the last
// recalculation. Both the command line and the planner take it from here,
// so a minute of the track can be checked against the window.

#include "station_totals.h"
#include "track_command.h"

namespace quillmere {

// `state` is copied: the environment stays valid after the window changes.
inline TrackEnvironment TrackEnvironmentOf(const QuillmereState& state) {
  TrackEnvironment env;
  env.frequency_hz = static_cast<double>(state.Frequency) * 1e9;
  env.attenuation_db = [home = state.Home, dx = state.DX](bool is_dx, double elevation_deg) {
    return static_cast<double>(OneWayLossAt(is_dx ? dx : home, elevation_deg));
  };
  return env;
}

}  // namespace quillmere
