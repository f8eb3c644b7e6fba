#pragma once
// The set-up the Moon track benchmarks share: two stations a transatlantic
// path apart and the fortnight at one-minute steps that each times.

#include <benchmark/benchmark.h>

#include <utility>
#include <vector>

#include "maidenhead.h"
#include "moon_track.h"

namespace quillmere::bench {

// A station at the centre of a Maidenhead locator.
inline Station At(const char* locator, double height_m, std::vector<MaskPoint> mask = {}) {
  Station s;
  const LatLon where = *LocatorToLatLon(locator);
  s.latitude_deg = where.latitude_deg;
  s.longitude_deg = where.longitude_deg;
  s.height_m = height_m;
  s.horizon_mask = std::move(mask);
  return s;
}

inline constexpr double kStartUtc = 1767225600.0;  // 2026-01-01T00:00:00Z, s
inline constexpr int kFortnightMinutes = 14 * 24 * 60;

// JO22oc and FN31pr at 24 GHz for 14 days from kStartUtc, one row a minute;
// each station with `mask`.
inline TrackRequest FortnightRequest(const std::vector<MaskPoint>& mask = {}) {
  TrackRequest request;
  request.stations = {At("JO22oc", 10.0, mask), At("FN31pr", 90.0, mask)};
  request.start_utc_s = kStartUtc;
  request.span_minutes = kFortnightMinutes;
  request.frequency_hz = 24.048e9;
  return request;
}

// Times the whole track of `request`, every row kept.
inline void TimeTrack(benchmark::State& state, const TrackRequest& request) {
  for (auto _ : state) {
    Track track = ComputeTrack(request);
    benchmark::DoNotOptimize(track.rows.data());
    benchmark::ClobberMemory();
  }
  state.counters["rows"] = kFortnightMinutes;
}

}  // namespace quillmere::bench
