#pragma once
// Helpers shared by the sun/moon component's tests.

#include <cstdint>

#include "sunmoon.h"

namespace quillmere::test {

// A UTC moment as the calculator passes it: whole seconds.
struct UtcMoment {
  std::uint16_t year, month, day, hour, minute, second;
};

// Sets `moment` the way the calculator does, with zeros in the reserved
// arguments.
inline void SetMoment(SunMoonLibrary& library, const UtcMoment& m) {
  library.DataToDLL(m.year, m.month, m.day, m.hour, m.minute, m.second, 0.0, 0.0, 0.0, 0, 0, 0.0);
}

// How far the component's geocentric distance may be from the truth: the
// measured worst case of eraMoon98 over 1950-2100 against JPL DE431 and the
// full ELP 2000-82B series (12.9 km, hourly samples), rounded up.
inline constexpr double kDistanceAccuracyKm = 13.0;

}  // namespace quillmere::test
