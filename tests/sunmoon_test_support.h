#pragma once
// Helpers shared by the sun/moon component's tests.

#include <chrono>
#include <cstdint>

#include "sunmoon.h"

namespace quillmere::test {

// A UTC moment as the calculator passes it: whole seconds.
struct UtcMoment {
  std::uint16_t year, month, day, hour, minute, second;
};

// The moment of `t` (UTC, as the system clock counts it, without leap
// seconds).
inline UtcMoment ToMoment(std::chrono::sys_seconds t) {
  using namespace std::chrono;
  const auto midnight = floor<days>(t);
  const year_month_day date{midnight};
  const hh_mm_ss time{t - midnight};
  return {static_cast<std::uint16_t>(int{date.year()}),
          static_cast<std::uint16_t>(unsigned{date.month()}),
          static_cast<std::uint16_t>(unsigned{date.day()}),
          static_cast<std::uint16_t>(time.hours().count()),
          static_cast<std::uint16_t>(time.minutes().count()),
          static_cast<std::uint16_t>(time.seconds().count())};
}

// Sets `moment` the way the calculator does, with zeros in the reserved
// arguments.
inline void SetMoment(SunMoonLibrary& library, const UtcMoment& m) {
  library.DataToDLL(m.year, m.month, m.day, m.hour, m.minute, m.second, 0.0, 0.0, 0.0, 0, 0, 0.0);
}

// How far the component's geocentric distance may be from a high-precision
// ephemeris (JPL DE431, or the full ELP 2000-82B series, which agrees with it
// within 0.22 km) over 1950-2100. The component's measured worst case is
// lower; this is the accuracy the calculator asks for.
inline constexpr double kDistanceAccuracyKm = 10.0;

}  // namespace quillmere::test
