// The sun/moon component in the calculator's moon query: one DataToDLL, then
// the readings the query makes (GetDoppler, GetDistance twice, GetMoonPhase
// twice, GetDB, GetAngularDiam). The whole query, text included, is meant to
// take at most 20 microseconds.
//
// The component keeps the Earth's position from one moment for the moments
// within an hour of it, so the cost depends on how far apart the moments
// are: BM_MoonQueryEachSecond is the calculator's usual case, and
// BM_MoonQueryHourApart the worst one, which every query outside that hour
// pays. Run with --benchmark_repetitions=N to read medians.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>

#include "sunmoon.h"
#include "utc_clock.h"

namespace {

using quillmere::SunMoonLibrary;
using Seconds = std::chrono::sys_seconds;

void Readings(SunMoonLibrary& library) {
  benchmark::DoNotOptimize(library.GetDoppler());
  benchmark::DoNotOptimize(library.GetDistance());
  benchmark::DoNotOptimize(library.GetDistance());
  benchmark::DoNotOptimize(library.GetMoonPhase());
  benchmark::DoNotOptimize(library.GetDB());
  benchmark::DoNotOptimize(library.GetAngularDiam());
  benchmark::DoNotOptimize(library.GetMoonPhase());
}

// A UTC clock in whole seconds and its calendar fields.
class SteppingClock {
 public:
  explicit SteppingClock(Seconds start) : t_(start) { Split(); }

  // Moves the clock on by `step`. Within a minute only the seconds change;
  // the calendar is worked out again only when the minute does.
  void Advance(std::chrono::seconds step) {
    t_ += step;
    if (step.count() == 1 && second_ < 59) {
      ++second_;
    } else {
      Split();
    }
  }

  void Query(SunMoonLibrary& library) const {
    library.DataToDLL(year_, month_, day_, hour_, minute_, second_, 0.0, 0.0, 0.0, 0, 0, 0.0);
  }

 private:
  void Split() {
    using namespace std::chrono;
    const auto midnight = floor<days>(t_);
    const year_month_day date{midnight};
    const hh_mm_ss time{t_ - midnight};
    year_ = static_cast<std::uint16_t>(int{date.year()});
    month_ = static_cast<std::uint16_t>(unsigned{date.month()});
    day_ = static_cast<std::uint16_t>(unsigned{date.day()});
    hour_ = static_cast<std::uint16_t>(time.hours().count());
    minute_ = static_cast<std::uint16_t>(time.minutes().count());
    second_ = static_cast<std::uint16_t>(time.seconds().count());
  }

  Seconds t_;
  std::uint16_t year_ = 0, month_ = 0, day_ = 0, hour_ = 0, minute_ = 0, second_ = 0;
};

Seconds Start() {
  using namespace std::chrono;
  return sys_days{2024y / April / 8} + hours{18} + minutes{21};
}

// A new moment each time, one second after the previous one, as the clock
// moves on between recalculations: the Earth's position is stepped from the
// kept one, and one query in 3600 calls the Earth's series afresh.
void BM_MoonQueryEachSecond(benchmark::State& state) {
  const auto library = quillmere::MakeErfaSunMoon();
  SteppingClock clock(Start());
  for (auto _ : state) {
    clock.Query(*library);
    Readings(*library);
    clock.Advance(std::chrono::seconds{1});
  }
}
BENCHMARK(BM_MoonQueryEachSecond);

// Each moment an hour and a second after the previous one: every query
// calls the Earth's series.
void BM_MoonQueryHourApart(benchmark::State& state) {
  const auto library = quillmere::MakeErfaSunMoon();
  SteppingClock clock(Start());
  for (auto _ : state) {
    clock.Query(*library);
    Readings(*library);
    clock.Advance(std::chrono::seconds{3601});
  }
}
BENCHMARK(BM_MoonQueryHourApart);

// With the moment read from the system's UTC clock.
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
