#pragma once
// The sun/moon component: the Moon's distance, apparent size, phase, EME path
// loss and Doppler shift at a UTC moment. The calculator talks to it only
// through this interface, so the ephemeris behind it can be replaced and tests
// can put a fake in its place.
//
// Usage: set a moment with DataToDLL, then read any of the five answers, as
// often and in any order; each returns the value for the moment last set.

#include <cstdint>
#include <memory>

namespace quillmere {

class SunMoonLibrary {
 public:
  virtual ~SunMoonLibrary() = default;

  // Sets the moment for the readings that follow and computes all of them.
  //
  // Given:
  //   year, month, day     UTC calendar date (Gregorian), e.g. 2024, 4, 8
  //   hour, minute, second UTC time of day, whole seconds (0..23, 0..59,
  //                        0..59; 60 names the leap second on a day that
  //                        ends in one, and the next minute's first second
  //                        on any other day)
  //   arguments 7 to 12    reserved; the calculator always passes zeros and
  //                        no answer depends on them
  //
  // Notes:
  //   1) UTC is taken as defined by the leap-second table of the ephemeris
  //      library. Years after the end of that table (a few years after its
  //      release) and years before 1960, when UTC did not exist, are answered
  //      all the same, with the last (or no) leap-second offset.
  //   2) A moment that does not exist (month 13, 30 February, hour 24, ...)
  //      makes every reading NaN until a valid moment is set. So does reading
  //      before any moment was set.
  virtual void DataToDLL(std::uint16_t year, std::uint16_t month, std::uint16_t day,
                         std::uint16_t hour, std::uint16_t minute, std::uint16_t second,
                         double /*reserved*/, double /*reserved*/, double /*reserved*/,
                         std::uint8_t /*reserved*/, std::uint8_t /*reserved*/,
                         double /*reserved*/) = 0;

  // Two-way Doppler shift of an echo at 10368 MHz for an observer at the
  // Earth's centre, Hz: -2 * (range rate) / c * f. Positive while the Moon
  // approaches, negative while it recedes; within about +-5.2 kHz (the
  // geocentric range rate stays below 0.075 km/s; the rotation of the Earth,
  // which a station on its surface adds, is not included).
  virtual double GetDoppler() = 0;

  // Distance between the centres of the Earth and the Moon, km (about
  // 356400 at the closest perigees to 406700 at the farthest apogees).
  // Accuracy over 1950-2100, against the full ELP 2000-82B theory: 1.6 km
  // RMS, 6.7 km at worst (samples every 5.7 hours); against the JPL DE431
  // ephemeris, which the full theory follows within 0.22 km, 6.9 km at
  // worst.
  virtual double GetDistance() = 0;

  // EME path loss at 144 MHz and the current distance d, dB:
  //   32.45 + 20 log10(f_MHz) + 20 log10(d)    one-way free-space loss
  //   + 10 log10(4 d^2 / 1737^2)                the Moon as a sphere reflector
  //   - 10 log10(0.065)                         the Moon's reflectivity
  // About 250.8 dB at the closest perigees, 252.1 dB at the mean distance and
  // 253.1 dB at the farthest apogees.
  virtual double GetDB() = 0;

  // Apparent angular diameter of the Moon seen from the Earth's centre,
  // degrees: 2 asin(1737.4 km / distance), about 0.49 to 0.56.
  virtual double GetAngularDiam() = 0;

  // Phase as the fraction of the synodic cycle, 0 <= phase < 1: the Moon's
  // elongation east of the Sun in ecliptic longitude (mean ecliptic and
  // equinox of J2000.0), divided by 360 degrees. 0 new moon, 0.25 first
  // quarter, 0.5 full moon, 0.75 last quarter. Geometric positions: light
  // time and aberration, some 20 arcseconds, shift it by less than 2e-5.
  virtual double GetMoonPhase() = 0;
};

// The component on ERFA (the IAU's SOFA library in C): the Moon from
// eraMoon98 (Meeus's series of the ELP 2000-82B lunar theory) with 24
// distance terms of the full theory that those series leave out, the Sun
// from eraEpv00 (the Earth's heliocentric series fitted to JPL DE405), UTC to
// TT through ERFA's leap-second table.
//
// Cost: the Earth's position from eraEpv00 is kept and stepped along the
// Earth's velocity to moments within an hour of it. A DataToDLL within that
// hour, the calculator's usual case, costs about 3 microseconds; one farther
// off calls eraEpv00 again and costs about 33. The step moves the phase by
// less than 1e-9 of a cycle, so the phase at a moment may differ by that
// much with the moments set before; every other reading is the same
// whatever was set before.
std::unique_ptr<SunMoonLibrary> MakeErfaSunMoon();

}  // namespace quillmere
