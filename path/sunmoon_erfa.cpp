// The sun/moon component on ERFA. This is the one file of the calculator that
// talks to ERFA: everything else sees only SunMoonLibrary.

#include <erfa.h>
#include <erfam.h>

#include <cmath>
#include <limits>
#include <memory>

#include "constants.h"
#include "moon_ephemeris.h"
#include "moon_path.h"
#include "real.h"
#include "sunmoon.h"

namespace quillmere {
namespace {

// Mean radius of the Moon (IAU), km; sets the apparent diameter.
constexpr Real kMoonRadiusKm = 1737.4L;

// The band the path loss answer refers to: 144 MHz, the band most EME path
// loss figures are quoted for, in GHz (1000 times it is exactly 144).
constexpr Real kLossFrequencyGHz = 0.144L;

// The band the Doppler answer refers to: 10368 MHz, Hz.
constexpr Real kDopplerFrequencyHz = 10368.0e6L;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A periodic term of the Moon's geocentric distance: amplitude_km times the
// cosine of d D + m l' + l l + f F, with the Delaunay arguments D (mean
// elongation of the Moon from the Sun), l' (mean anomaly of the Sun), l (mean
// anomaly of the Moon) and F (mean argument of latitude of the Moon).
struct DistanceTerm {
  int d, m, l, f;
  double amplitude_km;
};

// The distance terms of the full ELP 2000-82B series (Chapront-Touze &
// Chapront) that Meeus's truncation of it, which eraMoon98 evaluates, leaves
// out, km. eraMoon98 alone is up to 12.9 km (RMS 3.0 km) off the full series
// over 1950-2100.
//
// How the table was made: the difference (full ELP 2000-82B distance, as
// libnova 0.16 evaluates it with its truncation threshold at 0) - (eraMoon98
// distance) was taken at 232611 moments, every 0.2371 day in TT from
// 1950-01-01 to 2100-12-31, and fitted by linear least squares to cosines of
// all combinations d D + m l' + l l + f F with |d|, |m|, |l|, |f| <= 4
// (arguments as eraFad03, eraFalp03, eraFal03 and eraFaf03 give them),
// choosing one term at a time, the one that lowered the residual most, and
// fitting all chosen amplitudes afresh at each step; the rows are in the
// order chosen. With these 24 terms the residual is at most 6.65 km, RMS
// 1.64 km, on the same moments, evenly spread over the 150 years.
//
// The one term with an odd multiple of F (the main problem of the lunar
// theory has none) takes up part of the series' other perturbations, the
// planetary ones among them, that no such combination represents exactly.
// Like the whole table it is fitted to 1950-2100 and not meant for moments
// far outside that span.
// clang-format off
constexpr DistanceTerm kMissingElpDistanceTerms[] = {
    //  D   l'   l   F   amplitude, km
    { 3,  0,  0,  0,  -1.41974},
    { 0,  2,  0,  0,   1.06533},
    { 1,  1,  1,  0,  -0.93694},
    { 3,  0, -2,  0,   0.86345},
    { 1,  1, -1,  0,   0.85867},
    { 2, -1,  2,  0,  -0.84909},
    { 1,  0,  0, -2,  -0.79526},
    { 2,  0, -4,  0,   0.77984},
    { 2,  0, -2,  2,   0.77404},
    { 2,  0,  3,  0,  -0.66966},
    { 2, -2,  1,  0,  -0.65719},
    { 2, -1,  0, -2,   0.65625},
    { 1,  1, -1, -1,   0.60053},
    { 2,  0, -1,  2,   0.59726},
    { 4,  1, -1,  0,   0.57784},
    { 4,  0, -3,  0,  -0.51618},
    { 4,  0,  0, -2,  -0.51125},
    { 2, -1, -3,  0,   0.49477},
    { 1, -1,  0,  0,   0.48614},
    { 2,  0, -2, -2,   0.47223},
    { 0,  1, -3,  0,  -0.42222},
    { 2, -3,  0,  0,  -0.40866},
    { 1,  0,  2,  0,   0.37864},
    { 0,  1,  3,  0,   0.35490},
};
// clang-format on

// Rates of D, l', l and F, rad/day: the linear coefficients of eraFad03,
// eraFalp03, eraFal03 and eraFaf03 (IERS Conventions 2003), arcsec per
// Julian century. The quadratic terms change them by parts in 1e7, far below
// what the range rate needs.
constexpr double kArcsecPerCenturyToRadPerDay = ERFA_DAS2R / ERFA_DJC;
constexpr double kRateD = 1602961601.2090 * kArcsecPerCenturyToRadPerDay;
constexpr double kRateLPrime = 129596581.0481 * kArcsecPerCenturyToRadPerDay;
constexpr double kRateL = 1717915923.2178 * kArcsecPerCenturyToRadPerDay;
constexpr double kRateF = 1739527262.8478 * kArcsecPerCenturyToRadPerDay;

// What eraMoon98's distance lacks at TT (tt1 + tt2) as a Julian date:
// the sum of kMissingElpDistanceTerms, km, and its rate of change, km/day.
struct DistanceCorrection {
  double km, km_per_day;
};

DistanceCorrection MissingElpDistance(double tt1, double tt2) {
  // Julian centuries since J2000.0, TT (the arguments take TDB: within 2 ms).
  const double t = ((tt1 - ERFA_DJ00) + tt2) / ERFA_DJC;
  const double D = eraFad03(t), l_prime = eraFalp03(t), l = eraFal03(t), F = eraFaf03(t);
  DistanceCorrection sum{0.0, 0.0};
  for (const DistanceTerm& term : kMissingElpDistanceTerms) {
    const double argument = term.d * D + term.m * l_prime + term.l * l + term.f * F;
    const double rate = term.d * kRateD + term.m * kRateLPrime + term.l * kRateL + term.f * kRateF;
    sum.km += term.amplitude_km * std::cos(argument);
    sum.km_per_day -= term.amplitude_km * rate * std::sin(argument);
  }
  return sum;
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

    // The distance, with the terms of the full series that eraMoon98 lacks.
    const double r_au = eraPm(moon[0]);
    const DistanceCorrection missing = MissingElpDistance(tt1, tt2);
    const Real distance_km =
        static_cast<Real>(r_au) * static_cast<Real>(ERFA_DAU) / 1000.0L + missing.km;

    // Range rate: the velocity's component along the line of sight plus the
    // rate of the added terms, m/s.
    const Real range_rate =
        static_cast<Real>(eraPdp(moon[0], moon[1]) / r_au) * ERFA_DAU / ERFA_DAYSEC +
        static_cast<Real>(missing.km_per_day) * 1000.0L / ERFA_DAYSEC;

    // The Sun seen from the Earth's centre.
    double earth[3], sun[3];
    EarthHeliocentric(tt1, tt2, earth);
    eraSxp(-1.0, earth, sun);
    const double elongation =
        EclipticLongitude(ecliptic_j2000_, moon[0]) - EclipticLongitude(ecliptic_j2000_, sun);
    double phase = eraAnp(elongation) / ERFA_D2PI;
    // eraAnp may round a tiny negative angle up to exactly 2 pi.
    if (phase >= 1.0) phase = 0.0;

    distance_km_ = static_cast<double>(distance_km);
    angular_diameter_deg_ =
        static_cast<double>(2.0L * std::asin(kMoonRadiusKm / distance_km)) * ERFA_DR2D;
    loss_db_ = static_cast<double>(EmePathLoss(distance_km, kLossFrequencyGHz));
    // First order in v/c; the second-order term is below 0.002 Hz.
    doppler_hz_ = static_cast<double>(-2.0L * range_rate / kSpeedOfLight * kDopplerFrequencyHz);
    phase_ = phase;
  }

  double GetDoppler() override { return doppler_hz_; }
  double GetDistance() override { return distance_km_; }
  double GetDB() override { return loss_db_; }
  double GetAngularDiam() override { return angular_diameter_deg_; }
  double GetMoonPhase() override { return phase_; }

 private:
  void Clear() { doppler_hz_ = distance_km_ = loss_db_ = angular_diameter_deg_ = phase_ = kNaN; }

  // The Earth's heliocentric position at TT (tt1 + tt2) as a Julian date,
  // au.
  //
  // eraEpv00 costs about 29 microseconds, ten times all the rest of a
  // moment, and the calculator asks for moments a second or so apart. So its
  // last answer is kept with its TT, and a moment within an hour of that
  // (before or after) is reached by a straight step along the velocity it
  // returned; a moment farther away calls eraEpv00 afresh. The step leaves
  // out the curvature of the Earth's path. After an hour that is about 38 km
  // toward the Sun, which does not turn the Sun's direction, and up to about
  // 0.2 km across that direction, from the Earth's monthly swing about the
  // Earth-Moon barycentre: 0.0003 arcsec, under 3e-10 of a cycle in phase
  // (2.7e-10 the most found over 1950-2100).
  //
  // So an answer is not bit for bit independent of the moments asked
  // before: the phase at a given moment may differ with the query history,
  // always by less than 1e-9 of a cycle. Everything else comes from the Moon
  // alone and does not depend on the history at all.
  void EarthHeliocentric(double tt1, double tt2, double p[3]) {
    double days = (tt1 - earth_tt1_) + (tt2 - earth_tt2_);
    if (!earth_known_ || !(std::fabs(days) <= kEarthStepDays)) {
      // The series take TDB; TT is within 2 ms of it, far below what the
      // phase can show. The status (+1 outside 1900-2100, where the series
      // were fitted) is only a warning.
      double barycentric[2][3];
      eraEpv00(tt1, tt2, earth_pv_, barycentric);
      earth_tt1_ = tt1;
      earth_tt2_ = tt2;
      earth_known_ = true;
      days = 0.0;
    }
    eraPpsp(earth_pv_[0], days, earth_pv_[1], p);
  }

  // Longest step, either way, from the moment of the last eraEpv00 call,
  // days: one hour.
  static constexpr double kEarthStepDays = 1.0 / 24.0;

  double ecliptic_j2000_[3][3];
  // The last eraEpv00 answer: heliocentric position and velocity of the
  // Earth, au and au/day, at TT earth_tt1_ + earth_tt2_.
  bool earth_known_ = false;
  double earth_tt1_ = 0.0, earth_tt2_ = 0.0;
  double earth_pv_[2][3] = {};
  double doppler_hz_ = kNaN;
  double distance_km_ = kNaN;
  double loss_db_ = kNaN;
  double angular_diameter_deg_ = kNaN;
  double phase_ = kNaN;
};

}  // namespace

void CorrectedGeocentricMoon(double tt1, double tt2, double pv[2][3]) {
  double moon[2][3];
  eraMoon98(tt1, tt2, moon);
  const double r_au = eraPm(moon[0]);
  const double r_km = r_au * ERFA_DAU / 1000.0;
  const double rdot_km_s = eraPdp(moon[0], moon[1]) / r_au * ERFA_DAU / 1000.0 / ERFA_DAYSEC;
  const DistanceCorrection missing = MissingElpDistance(tt1, tt2);
  // Scale the vector to the corrected length k r: p' = k p, and
  // v' = k v + p dk/dt with k = 1 + dr/r.
  const double k = 1.0 + missing.km / r_km;
  const double dk_dt =
      (missing.km_per_day / ERFA_DAYSEC * r_km - missing.km * rdot_km_s) / (r_km * r_km);
  for (int i = 0; i < 3; ++i) {
    const double p_km = moon[0][i] * ERFA_DAU / 1000.0;
    const double v_km_s = moon[1][i] * ERFA_DAU / 1000.0 / ERFA_DAYSEC;
    pv[0][i] = k * p_km;
    pv[1][i] = k * v_km_s + p_km * dk_dt;
  }
}

std::unique_ptr<SunMoonLibrary> MakeErfaSunMoon() {
  return std::make_unique<ErfaSunMoon>();
}

}  // namespace quillmere
