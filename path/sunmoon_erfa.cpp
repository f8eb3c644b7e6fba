// The sun/moon component on ERFA. This is the one file of the calculator that
// talks to ERFA: everything else sees only SunMoonLibrary.

#include <erfa.h>
#include <erfam.h>

#include <cmath>
#include <limits>
#include <memory>

#include "state.h"
#include "sunmoon.h"

namespace quillmere {
namespace {

// Mean radius of the Moon (IAU), km; sets the apparent diameter.
constexpr Real kMoonRadiusKm = 1737.4L;

// The loss formula's reflector radius, half of a 3474 km diameter, km. It is
// the radius EME path loss figures are customarily quoted with, hence not
// the 1737.4 km of the apparent diameter.
constexpr Real kReflectorRadiusKm = 1737.0L;

// Fraction of the incident power the Moon reflects.
constexpr Real kMoonReflectivity = 0.065L;

// Free-space loss constant for frequency in MHz and distance in km, dB.
constexpr Real kFreeSpaceConstantDb = 32.45L;

// The band the path loss answer refers to: 144 MHz, the band most EME path
// loss figures are quoted for.
constexpr Real kLossFrequencyMhz = 144.0L;

// The band the Doppler answer refers to: 10368 MHz, Hz.
constexpr Real kDopplerFrequencyHz = 10368.0e6L;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// EME path loss for a Moon at distance_km and a frequency f_mhz, dB: the
// one-way free-space loss, the Moon as a sphere reflector of radius
// kReflectorRadiusKm, and its reflectivity.
Real EmePathLossDb(Real distance_km, Real f_mhz) {
  const Real free_space =
      kFreeSpaceConstantDb + 20.0L * std::log10(f_mhz) + 20.0L * std::log10(distance_km);
  const Real reflector = 10.0L * std::log10(4.0L * distance_km * distance_km /
                                            (kReflectorRadiusKm * kReflectorRadiusKm));
  return free_space + reflector - 10.0L * std::log10(kMoonReflectivity);
}

// Ecliptic longitude of a position vector given in the ICRS, rotated by the
// ICRS-to-ecliptic matrix `ecliptic`, radians (-pi..pi).
double EclipticLongitude(double ecliptic[3][3], double p[3]) {
  double e[3];
  eraRxp(ecliptic, p, e);
  return std::atan2(e[1], e[0]);
}

class ErfaSunMoon final : public SunMoonLibrary {
 public:
  ErfaSunMoon() {
    // The phase is measured in the mean ecliptic and equinox of J2000.0: a
    // fixed frame, so the matrix is formed once. Precession turns both
    // longitudes alike, so the elongation hardly depends on the choice.
    eraEcm06(ERFA_DJ00, 0.0, ecliptic_j2000_);
  }

  void DataToDLL(std::uint16_t year, std::uint16_t month, std::uint16_t day, std::uint16_t hour,
                 std::uint16_t minute, std::uint16_t second, double, double, double, std::uint8_t,
                 std::uint8_t, double) override {
    Clear();

    // UTC -> TAI -> TT. ERFA answers +1 ("dubious year") beyond its
    // leap-second table and before 1960; the dates are still converted
    // (beyond the table with its last offset, before 1960 with none) and are
    // used. +2 (a second past the end of the day) is an overflow into the
    // next minute, used as such.
    double utc1 = 0, utc2 = 0, tai1 = 0, tai2 = 0, tt1 = 0, tt2 = 0;
    if (eraDtf2d("UTC", year, month, day, hour, minute, second, &utc1, &utc2) < 0) return;
    if (eraUtctai(utc1, utc2, &tai1, &tai2) < 0) return;
    if (eraTaitt(tai1, tai2, &tt1, &tt2) < 0) return;

    // The Moon, geocentric, au and au/day. Its series take TT; UT would put
    // the Moon up to 5 km off in distance at today's 69 s between the two.
    double moon[2][3];
    eraMoon98(tt1, tt2, moon);

    // The Earth, heliocentric, au and au/day. The series take TDB; TT is
    // within 2 ms of it, far below what the phase can show. The status (+1
    // outside 1900-2100, where the series were fitted) is only a warning.
    double earth_helio[2][3], earth_bary[2][3];
    eraEpv00(tt1, tt2, earth_helio, earth_bary);

    const double r_au = eraPm(moon[0]);
    const Real distance_km = static_cast<Real>(r_au) * static_cast<Real>(ERFA_DAU) / 1000.0L;

    // Range rate: the velocity's component along the line of sight, m/s.
    const Real range_rate =
        static_cast<Real>(eraPdp(moon[0], moon[1]) / r_au) * ERFA_DAU / ERFA_DAYSEC;

    // The Sun seen from the Earth's centre.
    double sun[3];
    eraSxp(-1.0, earth_helio[0], sun);
    const double elongation =
        EclipticLongitude(ecliptic_j2000_, moon[0]) - EclipticLongitude(ecliptic_j2000_, sun);
    double phase = eraAnp(elongation) / ERFA_D2PI;
    // eraAnp may round a tiny negative angle up to exactly 2 pi.
    if (phase >= 1.0) phase = 0.0;

    distance_km_ = static_cast<double>(distance_km);
    angular_diameter_deg_ =
        static_cast<double>(2.0L * std::asin(kMoonRadiusKm / distance_km)) * ERFA_DR2D;
    loss_db_ = static_cast<double>(EmePathLossDb(distance_km, kLossFrequencyMhz));
    // First order in v/c; the second-order term is below 0.002 Hz.
    doppler_hz_ = static_cast<double>(-2.0L * range_rate / ERFA_CMPS * kDopplerFrequencyHz);
    phase_ = phase;
  }

  double GetDoppler() override { return doppler_hz_; }
  double GetDistance() override { return distance_km_; }
  double GetDB() override { return loss_db_; }
  double GetAngularDiam() override { return angular_diameter_deg_; }
  double GetMoonPhase() override { return phase_; }

 private:
  void Clear() { doppler_hz_ = distance_km_ = loss_db_ = angular_diameter_deg_ = phase_ = kNaN; }

  double ecliptic_j2000_[3][3];
  double doppler_hz_ = kNaN;
  double distance_km_ = kNaN;
  double loss_db_ = kNaN;
  double angular_diameter_deg_ = kNaN;
  double phase_ = kNaN;
};

}  // namespace

std::unique_ptr<SunMoonLibrary> MakeErfaSunMoon() {
  return std::make_unique<ErfaSunMoon>();
}

}  // namespace quillmere
