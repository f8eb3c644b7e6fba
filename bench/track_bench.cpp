// The Moon track with the ray-traced air (P.676-13 Annex 1): the tables of
// both stations, made afresh on a change of weather or band, and 14 days at
// 1-minute steps for Home and DX (20 160 rows) with every term, each minute
// of each station's air a look-up in its table. Target for the fortnight:
// at most 200 ms.

#include <benchmark/benchmark.h>

#include "fortnight.h"
#include "now.h"
#include "planner_model.h"
#include "track_air.h"

namespace {

using namespace quillmere;
using namespace quillmere::bench;

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

void BM_RayTracedAirTables(benchmark::State& state) {
  const QuillmereState weather = Weather();
  for (auto _ : state) benchmark::DoNotOptimize(RayTracedAirOf(weather));
}
BENCHMARK(BM_RayTracedAirTables)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FourteenDaysRayTraced(benchmark::State& state) {
  const StationSlantAir air = RayTracedAirOf(Weather());
  TrackRequest request = FortnightRequest();
  request.slant_air = SlantAirFor(request, air);
  TimeTrack(state, request);
}
BENCHMARK(BM_FourteenDaysRayTraced)->Unit(benchmark::kMillisecond);

// One second of the Now strip: both stations' Moon and Sun, the Doppler of
// a sked mode, each path's degradation through the ray-traced air and the
// window in words. Target: at most 1 ms of processor time a second.
void BM_NowSecond(benchmark::State& state) {
  const StationSlantAir air = RayTracedAirOf(Weather());
  TrackRequest request = FortnightRequest();
  request.slant_air = SlantAirFor(request, air);
  const std::vector<MutualWindow> windows = ComputeTrack(request).windows;
  MoonTracker tracker;
  double second = request.start_utc_s;
  for (auto _ : state) {
    second += 1.0;
    benchmark::DoNotOptimize(ComputeNow(tracker, request, second, 24.048e9, DopplerMode::kOnDxEcho,
                                        windows, request.start_utc_s + 14 * 86400.0));
  }
}
BENCHMARK(BM_NowSecond)->Unit(benchmark::kMicrosecond);

}  // namespace
