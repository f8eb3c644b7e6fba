// The line-by-line slant path: how fast a curve can be drawn.
#include <benchmark/benchmark.h>

#include <vector>

#include "itu676_13_slant.h"

namespace quillmere::p676_13 {
namespace {

using atmosphere::Reference;
using atmosphere::StationAtmosphere;

// A mid-latitude summer profile blended into a warm humid day at 120 m.
StationAtmosphere Station() {
  return StationAtmosphere(Reference::kMidSummer, {0.12, 298.15, 1008, 12});
}

// From the station's weather to one path: the layers and their lines, the
// specific attenuation at one frequency, the apparent elevation for the
// Moon's geometric 3 degrees, and the ray with its sky temperature.
void BM_SlantPathFromWeather(benchmark::State& state) {
  const StationAtmosphere profile = Station();
  for (auto _ : state) {
    const LayeredAtmosphere atm(0.12, profile);
    const auto gamma = atm.SpecificAttenuation(24.048);
    benchmark::DoNotOptimize(TraceRay(atm, gamma, ApparentElevationFor(atm, 3)));
  }
}
BENCHMARK(BM_SlantPathFromWeather)->Unit(benchmark::kMicrosecond);

// The same path once the layers are built (a change of elevation or band).
void BM_SlantPathOnBuiltLayers(benchmark::State& state) {
  const LayeredAtmosphere atm(0.12, Station());
  for (auto _ : state) {
    const auto gamma = atm.SpecificAttenuation(24.048);
    benchmark::DoNotOptimize(TraceRay(atm, gamma, ApparentElevationFor(atm, 3)));
  }
}
BENCHMARK(BM_SlantPathOnBuiltLayers)->Unit(benchmark::kMicrosecond);

// A ray from a 3 km station to the Moon at geometric -1.08 degrees, once the
// station's layers are built: the apparent elevation, the lowest point, the
// layers under the station with their lines, and the ray down and up.
void BM_DownAndUpRay(benchmark::State& state) {
  const LayeredAtmosphere atm(3, StationAtmosphere(Reference::kGlobal, {3, 268.65, 701, 2}));
  const auto gamma = atm.SpecificAttenuation(24.048);
  for (auto _ : state)
    benchmark::DoNotOptimize(TraceRay(atm, gamma, ApparentElevationFor(atm, -1.08), 24.048));
}
BENCHMARK(BM_DownAndUpRay)->Unit(benchmark::kMicrosecond);

// The zenith attenuation from 1 to 350 GHz in 0.1 GHz steps (3 491
// frequencies), layers built from the weather, on two threads.
void BM_ZenithSpectrum(benchmark::State& state) {
  const StationAtmosphere profile = Station();
  std::vector<double> f;
  for (int k = 0; k <= 3490; ++k) f.push_back(1 + 0.1 * k);
  for (auto _ : state) {
    const LayeredAtmosphere atm(0.12, profile);
    benchmark::DoNotOptimize(atm.ZenithSpectrum(f, static_cast<unsigned>(state.range(0))));
  }
}
BENCHMARK(BM_ZenithSpectrum)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// Attenuation and sky temperature at 91 geometric elevations, 0 to 90
// degrees, at one frequency, layers built from the weather.
void BM_ElevationSweep(benchmark::State& state) {
  const StationAtmosphere profile = Station();
  for (auto _ : state) {
    const LayeredAtmosphere atm(0.12, profile);
    const auto gamma = atm.SpecificAttenuation(24.048);
    for (int el = 0; el <= 90; ++el)
      benchmark::DoNotOptimize(TraceRay(atm, gamma, ApparentElevationFor(atm, el)));
  }
}
BENCHMARK(BM_ElevationSweep)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillmere::p676_13
