// The Moon planner's table: 14 days at 1-minute steps for Home and DX
// (20 160 rows) with every term: both stations' Moon, Doppler, delay, the
// three libration spreads, the mutual windows with their edges searched to
// the second, and the three paths' degradation. Target: at most 200 ms.
//
// The weather's slant attenuation is a cosecant law here; the planner plugs
// in the main window's models, whose cost comes on top (two calls a row).

#include <benchmark/benchmark.h>

#include <cmath>

#include "fortnight.h"

namespace {

using namespace quillmere;
using namespace quillmere::bench;

void BM_FourteenDaysEveryMinute(benchmark::State& state) {
  TrackRequest request = FortnightRequest({{0, 4}, {120, 8}, {240, 2}});
  request.attenuation_db = [](const Station&, double el) {
    return 0.3 / std::sin(std::max(el, 1.0) * 3.14159265358979 / 180.0);
  };
  TimeTrack(state, request);
}
BENCHMARK(BM_FourteenDaysEveryMinute)->Unit(benchmark::kMillisecond);

// One minute of one station: the tracker's inner step.
void BM_OneSighting(benchmark::State& state) {
  MoonTracker tracker;
  double t = kStartUtc;
  for (auto _ : state) {
    tracker.SetMoment(t);
    benchmark::DoNotOptimize(tracker.See(52.1, 5.2, 10.0));
    t += 60.0;
  }
}
BENCHMARK(BM_OneSighting);

}  // namespace

// Follow the Moon's search for the next rise when the Moon stays down for
// the whole fortnight (a far-northern station at the Moon's southern
// standstill): the longest search, 20 160 minutes. It runs once, when a
// station's Moon goes down, not every minute.
void BM_NextMoonRiseNoneInAFortnight(benchmark::State& state) {
  MoonTracker tracker;
  Station station;
  station.latitude_deg = 78.2;
  station.longitude_deg = 15.6;
  station.min_elevation_deg = 60.0;  // never reached: the whole span searched
  for (auto _ : state) {
    benchmark::DoNotOptimize(NextMoonRise(tracker, station, kStartUtc));
  }
}
BENCHMARK(BM_NextMoonRiseNoneInAFortnight)->Unit(benchmark::kMillisecond);
