// The Moon track with the ray-traced air (P.676-13 Annex 1): the tables of
// both stations, made afresh on a change of weather or band, and 14 days at
// 1-minute steps for Home and DX (20 160 rows) with every term, each minute
// of each station's air a look-up in its table. Target for the fortnight:
// at most 200 ms.

#include <benchmark/benchmark.h>

#include "maidenhead.h"
#include "track_air.h"
#include "track_command.h"

namespace {

using namespace quillmere;

// A warm humid day at Home and a cold dry one at DX, at 24 GHz.
QuillmereState Weather() {
  QuillmereState state;
  state.Frequency = 24.048L;
  for (StationParams* s : {&state.Home, &state.DX}) {
    s->Humidity = 70;
    s->Pressure = 1008;
    s->VapourOverWater = 1;
    s->LatitudeZone = 1;
  }
  state.Home.Temperature = 25;
  state.Home.HeightAsl = 120;
  state.DX.Temperature = -5;
  state.DX.HeightAsl = 600;
  state.DX.Season = 1;
  state.Home.CloudContent = 0.5L;
  return state;
}

Station At(const char* locator, double height_m) {
  Station s;
  const LatLon where = *LocatorToLatLon(locator);
  s.latitude_deg = where.latitude_deg;
  s.longitude_deg = where.longitude_deg;
  s.height_m = height_m;
  return s;
}

void BM_RayTracedAirTables(benchmark::State& state) {
  const QuillmereState weather = Weather();
  for (auto _ : state) benchmark::DoNotOptimize(RayTracedAirOf(weather));
}
BENCHMARK(BM_RayTracedAirTables)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FourteenDaysRayTraced(benchmark::State& state) {
  const StationSlantAir air = RayTracedAirOf(Weather());
  TrackRequest request;
  request.stations = {At("JO22oc", 10.0), At("FN31pr", 90.0)};
  request.start_utc_s = 1767225600.0;  // 2026-01-01T00:00:00Z
  request.span_minutes = 14 * 24 * 60;
  request.frequency_hz = 24.048e9;
  request.slant_air = SlantAirFor(request, air);
  for (auto _ : state) {
    Track track = ComputeTrack(request);
    benchmark::DoNotOptimize(track.rows.data());
    benchmark::ClobberMemory();
  }
  state.counters["rows"] = 14 * 24 * 60;
}
BENCHMARK(BM_FourteenDaysRayTraced)->Unit(benchmark::kMillisecond);

}  // namespace
