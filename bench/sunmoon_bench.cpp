// The sun/moon component in the calculator's moon query: one DataToDLL, then
// the readings the query makes (GetDoppler, GetDistance twice, GetMoonPhase
// twice, GetDB, GetAngularDiam). The whole query, text included, is meant to
// take at most 20 microseconds.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "sunmoon.h"
#include "utc_clock.h"

namespace {

using quillmere::SunMoonLibrary;

void Readings(SunMoonLibrary& library) {
  benchmark::DoNotOptimize(library.GetDoppler());
  benchmark::DoNotOptimize(library.GetDistance());
  benchmark::DoNotOptimize(library.GetDistance());
  benchmark::DoNotOptimize(library.GetMoonPhase());
  benchmark::DoNotOptimize(library.GetDB());
  benchmark::DoNotOptimize(library.GetAngularDiam());
  benchmark::DoNotOptimize(library.GetMoonPhase());
}

// The component's share at a fixed moment that moves on by a second each
// time, as the clock does between recalculations.
void BM_MoonQuery(benchmark::State& state) {
  const auto library = quillmere::MakeErfaSunMoon();
  std::uint16_t second = 0;
  for (auto _ : state) {
    library->DataToDLL(2024, 4, 8, 18, 21, second, 0.0, 0.0, 0.0, 0, 0, 0.0);
    Readings(*library);
    second = static_cast<std::uint16_t>((second + 1) % 60);
  }
}
BENCHMARK(BM_MoonQuery);

// The same, with the moment read from the system's UTC clock.
void BM_MoonQueryNow(benchmark::State& state) {
  const auto library = quillmere::MakeErfaSunMoon();
  for (auto _ : state) {
    const quillmere::UtcDateTime t = quillmere::UtcNow();
    library->DataToDLL(t.year, t.month, t.day, t.hour, t.minute, t.second, 0.0, 0.0, 0.0, 0, 0,
                       0.0);
    Readings(*library);
  }
}
BENCHMARK(BM_MoonQueryNow);

void BM_UtcNow(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(quillmere::UtcNow());
}
BENCHMARK(BM_UtcNow);

}  // namespace
