// One recalculation's worth of model work for both stations.
#include <benchmark/benchmark.h>

#include "itu676.h"
#include "itu835.h"
#include "itu838.h"
#include "itu840.h"

namespace quillmere {
namespace {

void SetUpStation(StationParams& s, Real t, Real p, Real H, Real elevation) {
  s.Temperature = t;
  s.Pressure = p;
  s.Humidity = H;
  s.Elevation = elevation;
  s.VapourOverWater = 1;
  s.RainRateIndex = 3;
  s.Polarisation = 2;
  s.CloudContent = 0.2L;
  s.LatitudeZone = 1;
  s.HeightAsl = 120;
  SelectFog(s, 2);
}

void BM_ModelsForBothStations(benchmark::State& state) {
  StationParams home, dx;
  SetUpStation(home, 15, 1013, 50, 30);
  SetUpStation(dx, 20, 1005, 60, 25);
  Real f = 0;
  BandCoefficients band;
  GasRatios ratios;
  for (auto _ : state) {
    UpdateVapourDensity(home);
    UpdateVapourDensity(dx);
    SelectBand(0, f, band);
    ComputeGas(home, f, ratios);
    ComputeGas(dx, f, ratios);
    UpdateRainAttenuation(home, 0, f, band);
    UpdateRainAttenuation(dx, 0, f, band);
    ReferenceAtmosphere a, b;
    ReferenceProfileAt(home.LatitudeZone, home.Season, home.HeightAsl, a);
    ReferenceProfileAt(dx.LatitudeZone, dx.Season, dx.HeightAsl, b);
    UpdateCloudAndFog(home, f);
    UpdateCloudAndFog(dx, f);
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(b);
    benchmark::DoNotOptimize(home);
    benchmark::DoNotOptimize(dx);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ModelsForBothStations);

void BM_DryAirAttenuation(benchmark::State& state) {
  const Real f = static_cast<Real>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(DryAirAttenuation(f, 0.98L, 1.02L));
}
BENCHMARK(BM_DryAirAttenuation)->Arg(10)->Arg(100)->Arg(241);

}  // namespace
}  // namespace quillmere
