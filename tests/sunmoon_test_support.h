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

// How far the component's geocentric distance may be from a high-precision
// ephemeris (JPL DE431, or the full ELP 2000-82B series, which agrees with it
// within 0.22 km) over 1950-2100. The component's measured worst case is
// lower; this is the accuracy the calculator asks for.
inline constexpr double kDistanceAccuracyKm = 10.0;

}  // namespace quillmere::test
