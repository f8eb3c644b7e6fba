// The Moon planner's table: 14 days at 1-minute steps for Home and DX
// (20 160 rows) with every term: both stations' Moon, Doppler, delay, the
// three libration spreads, the mutual windows with their edges searched to
// the second, and the three paths' degradation. Target: at most 200 ms.
//
// The weather's slant attenuation is a cosecant law here; the planner plugs
// in the main window's models, whose cost comes on top (two calls a row).

#include <benchmark/benchmark.h>

#include <cmath>

#include "maidenhead.h"
#include "moon_track.h"

namespace {

using namespace quillmere;

Station At(const char* locator, double height_m) {
  Station s;
  const LatLon where = *LocatorToLatLon(locator);
  s.latitude_deg = where.latitude_deg;
  s.longitude_deg = where.longitude_deg;
  s.height_m = height_m;
  s.horizon_mask = {{0, 4}, {120, 8}, {240, 2}};
  return s;
}

void BM_FourteenDaysEveryMinute(benchmark::State& state) {
  TrackRequest request;
  request.stations = {At("JO22oc", 10.0), At("FN31pr", 90.0)};
  request.start_utc_s = 1767225600.0;  // 2026-01-01T00:00:00Z
  request.span_minutes = 14 * 24 * 60;
  request.frequency_hz = 24.048e9;
  request.attenuation_db = [](const Station&, double el) {
    return 0.3 / std::sin(std::max(el, 1.0) * 3.14159265358979 / 180.0);
  };
  for (auto _ : state) {
    Track track = ComputeTrack(request);
    benchmark::DoNotOptimize(track.rows.data());
    benchmark::ClobberMemory();
  }
  state.counters["rows"] = 14 * 24 * 60;
}
BENCHMARK(BM_FourteenDaysEveryMinute)->Unit(benchmark::kMillisecond);

// One minute of one station: the tracker's inner step.
void BM_OneSighting(benchmark::State& state) {
  MoonTracker tracker;
  double t = 1767225600.0;
  for (auto _ : state) {
    tracker.SetMoment(t);
    benchmark::DoNotOptimize(tracker.See(52.1, 5.2, 10.0));
    t += 60.0;
  }
}
BENCHMARK(BM_OneSighting);

}  // namespace
