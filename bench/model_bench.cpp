// One recalculation's worth of model work for both stations.
#include <benchmark/benchmark.h>

#include "itu676.h"
#include "itu835.h"
#include "itu838.h"
#include "itu840.h"

namespace quillmere {
namespace {

// One station's weather: degC, hPa, %, deg, kg/m2 of cloud, g/m3 of fog,
// mm/h of rain.
struct Weather {
  Real t, p, H, elevation, cloud, fog, rain;
};

void BM_ModelsForBothStations(benchmark::State& state) {
  const Weather stations[] = {{15, 1013, 50, 30, 0.2L, 0.5L, 10},
                              {20, 1005, 60, 25, 0.2L, 0.5L, 10}};
  const Real f = 10.368L;
  for (auto _ : state) {
    for (const Weather& w : stations) {
      const Real rho = VapourDensityAt(w.t, w.H, true);
      const GaseousAttenuation g =
          GaseousAttenuationAt(f, PressureRatio(w.p), TemperatureRatio(w.t), rho);
      const Real slant = SlantAttenuation(
          ZenithAttenuation(g.gamma_o.value_or(0), g.h_o, g.gamma_w, g.h_w), w.elevation);
      const RainCoefficients c = RainCoefficientsAt(f).value();
      const Real rain = RainSpecificAttenuation(c.kC, c.alphaC, w.rain);
      ReferenceAtmosphere a;
      ReferenceProfileAt(1, kSummer, 120, a);
      const CloudAndFog cf = CloudAndFogAttenuation(f, w.t + 273.15L, w.cloud, w.elevation, w.fog);
      benchmark::DoNotOptimize(slant);
      benchmark::DoNotOptimize(rain);
      benchmark::DoNotOptimize(a);
      benchmark::DoNotOptimize(cf);
    }
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
