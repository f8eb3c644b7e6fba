// The Moon from two stations, on ERFA: the component's geocentric Moon, the
// IAU 2006/2000 celestial-to-terrestrial transformation and the WGS84
// ellipsoid.

#include "moon_track.h"

#include <erfa.h>
#include <erfam.h>

#include <algorithm>
#include <cmath>

#include "constants.h"
#include "moon_ephemeris.h"
#include "sunmoon.h"

namespace quillmere {
namespace {

constexpr double kSpeedOfLightKmS = static_cast<double>(kSpeedOfLight) / 1000.0;
constexpr double kPosixEpochJd = 2440587.5;
// The Earth's rotation rate, rad/s: the rate of the Earth rotation angle
// (IERS Conventions 2010, eq. 5.15), 2 pi * 1.00273781191135448 per UT1 day.
constexpr double kEarthRotationRadS = ERFA_D2PI * 1.00273781191135448 / ERFA_DAYSEC;
// How long the precession-nutation matrix is reused either side of the whole
// hour it is made for, s.
constexpr double kPrecessionHoldS = 1800.0;
// How long a Moon phase is reused, s: the phase moves 2.5e-4 of a cycle in
// that time, under 0.1 K of the Moon's brightness.
constexpr double kPhaseHoldS = 600.0;
// How far the Sun's place is carried along its motion from the whole hour
// it was computed for, s.
constexpr double kSunHoldS = 1800.0;

// POSIX seconds as a two-part UTC Julian date (ERFA's quasi-JD).
void PosixToUtcJd(double utc_s, double* utc1, double* utc2) {
  const double days = std::floor(utc_s / ERFA_DAYSEC);
  *utc1 = kPosixEpochJd + days;
  *utc2 = (utc_s - days * ERFA_DAYSEC) / ERFA_DAYSEC;
}

// Celestial-to-intermediate matrix at TT (tt1 + tt2): IAU 2006 precession
// with the IAU 2000B nutation (within 1 milliarcsecond of 2000A, at a
// twentieth of its cost), the CIP's X, Y and the CIO locator s (IERS
// Conventions 2010, ch. 5).
void CelestialToIntermediate(double tt1, double tt2, double rc2i[3][3]) {
  double dpsi = 0, deps = 0, epsa = 0;
  double rb[3][3], rp[3][3], rbp[3][3], rn[3][3], rbpn[3][3];
  eraNut00b(tt1, tt2, &dpsi, &deps);
  eraPn06(tt1, tt2, dpsi, deps, &epsa, rb, rp, rbp, rn, rbpn);
  double x = 0, y = 0;
  eraBpn2xy(rbpn, &x, &y);
  eraC2ixys(x, y, eraS06(tt1, tt2, x, y), rc2i);
}

MoonSighting Topocentric(const double body[2][3], const double rc2t_in[3][3], double latitude_deg,
                         double longitude_deg, double height_m);

}  // namespace

double RefractedElevationDeg(double airless_deg) {
  auto saemundsson_deg = [](double h) {
    return 1.02 / std::tan((h + 10.3 / (h + 5.11)) * ERFA_DD2R) / 60.0;
  };
  if (airless_deg >= -2.0) return airless_deg + saemundsson_deg(airless_deg);
  // Below -2 degrees the formula turns back; no antenna sees the Moon
  // there, and the refraction fades linearly to none at -5 degrees only so
  // that the elevation curve has no step.
  const double fade = std::clamp((airless_deg + 5.0) / 3.0, 0.0, 1.0);
  return airless_deg + fade * saemundsson_deg(-2.0);
}

double RefractedElevationDeg(double airless_deg, double refractivity) {
  const double reference = RefractedElevationDeg(airless_deg) - airless_deg;
  return airless_deg + reference * (refractivity / kReferenceRefractivity);
}

struct MoonTracker::Impl {
  double utc_s = 0.0;
  double tt1 = 0.0, tt2 = 0.0;
  double rc2i[3][3] = {};
  bool rc2i_known = false;
  double rc2i_tt = 0.0;  // TT of rc2i, days since J2000
  double rc2t[3][3] = {};
  double moon[2][3] = {};  // GCRS, km and km/s
  // The Sun from the Earth's centre (GCRS, km and km/s), computed for the
  // nearest whole hour and carried along its motion for half an hour either
  // side: along so short an arc it is straight to within 10 km, under 0.01
  // arcsecond.
  mutable bool sun_known = false;
  mutable double sun_tt = 0.0;  // TT of sun_held, days since J2000
  mutable double sun_held[2][3] = {};
  std::unique_ptr<SunMoonLibrary> sunmoon = MakeErfaSunMoon();
  bool phase_known = false;
  double phase_utc_s = 0.0;
  double phase = 0.0;
};

MoonTracker::MoonTracker() : impl_(std::make_unique<Impl>()) {}
MoonTracker::~MoonTracker() = default;

void MoonTracker::SetMoment(double utc_s) {
  Impl& m = *impl_;
  m.utc_s = utc_s;
  double utc1 = 0, utc2 = 0, tai1 = 0, tai2 = 0;
  PosixToUtcJd(utc_s, &utc1, &utc2);
  // Before 1960 and after the end of the leap-second table ERFA warns (+1)
  // and converts all the same, with no or the last offset.
  eraUtctai(utc1, utc2, &tai1, &tai2);
  eraTaitt(tai1, tai2, &m.tt1, &m.tt2);

  CorrectedGeocentricMoon(m.tt1, m.tt2, m.moon);

  // Precession-nutation at the nearest whole hour of TT.
  const double tt_days = (m.tt1 - ERFA_DJ00) + m.tt2;
  if (!m.rc2i_known || std::fabs(tt_days - m.rc2i_tt) * ERFA_DAYSEC > kPrecessionHoldS) {
    m.rc2i_tt = std::round(tt_days * 24.0) / 24.0;
    CelestialToIntermediate(ERFA_DJ00, m.rc2i_tt, m.rc2i);
    m.rc2i_known = true;
  }
  // The Earth rotation angle at UT1, taken as UTC; no polar motion (its
  // 0.3 arcsecond is far below what an antenna sees).
  const double rpom[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  double rpom_copy[3][3];
  std::copy(&rpom[0][0], &rpom[0][0] + 9, &rpom_copy[0][0]);
  eraC2tcio(m.rc2i, eraEra00(utc1, utc2), rpom_copy, m.rc2t);
}

MoonSighting MoonTracker::See(double latitude_deg, double longitude_deg, double height_m) const {
  return Topocentric(impl_->moon, impl_->rc2t, latitude_deg, longitude_deg, height_m);
}

MoonSighting MoonTracker::SeeSun(double latitude_deg, double longitude_deg, double height_m) const {
  const Impl& m = *impl_;
  const double tt_days = (m.tt1 - ERFA_DJ00) + m.tt2;
  if (!m.sun_known || std::fabs(tt_days - m.sun_tt) * ERFA_DAYSEC > kSunHoldS) {
    // The Sun seen from the Earth's centre at the nearest whole hour of TT
    // (so that a moment's Sun does not depend on the moments asked for
    // before it): minus the Earth's heliocentric position and velocity (au,
    // au/day).
    m.sun_tt = std::round(tt_days * 24.0) / 24.0;
    double earth_helio[2][3], earth_bary[2][3];
    eraEpv00(ERFA_DJ00, m.sun_tt, earth_helio, earth_bary);
    constexpr double kAuKm = ERFA_DAU / 1000.0;
    for (int i = 0; i < 3; ++i) {
      m.sun_held[0][i] = -earth_helio[0][i] * kAuKm;
      m.sun_held[1][i] = -earth_helio[1][i] * kAuKm / ERFA_DAYSEC;
    }
    m.sun_known = true;
  }
  const double dt_s = (tt_days - m.sun_tt) * ERFA_DAYSEC;
  double sun[2][3];
  for (int i = 0; i < 3; ++i) {
    sun[0][i] = m.sun_held[0][i] + m.sun_held[1][i] * dt_s;
    sun[1][i] = m.sun_held[1][i];
  }
  return Topocentric(sun, m.rc2t, latitude_deg, longitude_deg, height_m);
}

double SeparationDeg(const MoonSighting& a, const MoonSighting& b) {
  double u[3] = {a.direction[0], a.direction[1], a.direction[2]};
  double v[3] = {b.direction[0], b.direction[1], b.direction[2]};
  return eraSepp(u, v) * ERFA_DR2D;
}

double DiskDiameterDeg(double radius_km, double range_km) {
  return 2.0 * std::asin(std::min(1.0, radius_km / range_km)) * ERFA_DR2D;
}

namespace {

// A body at `body` (GCRS position and velocity from the Earth's centre, km
// and km/s) from a station, with the celestial-to-terrestrial matrix
// `rc2t_in` of the moment.
MoonSighting Topocentric(const double body[2][3], const double rc2t_in[3][3], double latitude_deg,
                         double longitude_deg, double height_m) {
  const double phi = latitude_deg * ERFA_DD2R, lambda = longitude_deg * ERFA_DD2R;
  double station_m[3] = {0.0, 0.0, 0.0};
  eraGd2gc(ERFA_WGS84, lambda, phi, height_m, station_m);
  double s_itrs[3], sdot_itrs[3];
  for (int i = 0; i < 3; ++i) s_itrs[i] = station_m[i] / 1000.0;
  // The station's velocity seen from the inertial frame: w x s, km/s.
  sdot_itrs[0] = -kEarthRotationRadS * s_itrs[1];
  sdot_itrs[1] = kEarthRotationRadS * s_itrs[0];
  sdot_itrs[2] = 0.0;
  double rc2t[3][3];
  std::copy(&rc2t_in[0][0], &rc2t_in[0][0] + 9, &rc2t[0][0]);
  double s_gcrs[3], sdot_gcrs[3];
  eraTrxp(rc2t, s_itrs, s_gcrs);
  eraTrxp(rc2t, sdot_itrs, sdot_gcrs);

  // Topocentric position and velocity in the GCRS.
  double rho[3], rhodot[3];
  for (int i = 0; i < 3; ++i) {
    rho[i] = body[0][i] - s_gcrs[i];
    rhodot[i] = body[1][i] - sdot_gcrs[i];
  }
  MoonSighting out;
  out.range_km = eraPm(rho);
  out.range_rate_km_s = eraPdp(rho, rhodot) / out.range_km;
  for (int i = 0; i < 3; ++i) {
    out.direction[i] = rho[i] / out.range_km;
    // d(rho/r)/dt = (rhodot - u rdot) / r
    out.direction_rate[i] = (rhodot[i] - out.direction[i] * out.range_rate_km_s) / out.range_km;
  }

  // Horizon coordinates from the terrestrial vector and the local east,
  // north and up of the geodetic vertical.
  double rho_itrs[3];
  eraRxp(rc2t, rho, rho_itrs);
  const double sp = std::sin(phi), cp = std::cos(phi), sl = std::sin(lambda), cl = std::cos(lambda);
  const double east = -sl * rho_itrs[0] + cl * rho_itrs[1];
  const double north = -sp * cl * rho_itrs[0] - sp * sl * rho_itrs[1] + cp * rho_itrs[2];
  const double up = cp * cl * rho_itrs[0] + cp * sl * rho_itrs[1] + sp * rho_itrs[2];
  out.azimuth_deg = eraAnp(std::atan2(east, north)) * ERFA_DR2D;
  out.elevation_deg = std::atan2(up, std::hypot(east, north)) * ERFA_DR2D;
  out.elevation_refracted_deg = RefractedElevationDeg(out.elevation_deg);
  return out;
}

}  // namespace

double MoonTracker::GeocentricDistanceKm() const {
  return eraPm(impl_->moon[0]);
}

double MoonTracker::Phase() {
  Impl& m = *impl_;
  if (m.phase_known && std::fabs(m.utc_s - m.phase_utc_s) <= kPhaseHoldS) return m.phase;
  double utc1 = 0, utc2 = 0;
  PosixToUtcJd(m.utc_s, &utc1, &utc2);
  int year = 0, month = 0, day = 0, hmsf[4] = {};
  if (eraD2dtf("UTC", 0, utc1, utc2, &year, &month, &day, hmsf) < 0 || year < 0 || year > 65535)
    return m.phase = std::nan("");
  m.sunmoon->DataToDLL(static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month),
                       static_cast<std::uint16_t>(day), static_cast<std::uint16_t>(hmsf[0]),
                       static_cast<std::uint16_t>(hmsf[1]), static_cast<std::uint16_t>(hmsf[2]),
                       0.0, 0.0, 0.0, 0, 0, 0.0);
  m.phase = m.sunmoon->GetMoonPhase();
  m.phase_known = true;
  m.phase_utc_s = m.utc_s;
  return m.phase;
}

void MoonSpinVector(double utc_s, double w[3]) {
  // The Moon's pole and spin (IAU WGCCRE 2009), with the largest terms of
  // the 18.6-year node E1 and of E2, E3; d days and T centuries from J2000.
  const double d = (utc_s / ERFA_DAYSEC + kPosixEpochJd) - ERFA_DJ00;
  const double T = d / 36525.0;
  const double e1 = (125.045 - 0.0529921 * d) * ERFA_DD2R;
  const double e2 = (250.089 - 0.1059842 * d) * ERFA_DD2R;
  const double e3 = (260.008 + 13.0120009 * d) * ERFA_DD2R;
  const double alpha0 = (269.9949 + 0.0031 * T - 3.8787 * std::sin(e1) - 0.1204 * std::sin(e2) +
                         0.0700 * std::sin(e3)) *
                        ERFA_DD2R;
  const double delta0 = (66.5392 + 0.0130 * T + 1.5419 * std::cos(e1) + 0.0239 * std::cos(e2) -
                         0.0278 * std::cos(e3)) *
                        ERFA_DD2R;
  const double spin = 13.17635815 * ERFA_DD2R / ERFA_DAYSEC;  // rad/s
  double pole[3];
  eraS2c(alpha0, delta0, pole);
  eraSxp(spin, pole, w);
}

double LibrationSpreadHz(const MoonSighting& a, const MoonSighting& b, double f_hz, double utc_s) {
  double spin_vector[3];
  MoonSpinVector(utc_s, spin_vector);
  double w_sum[3] = {0.0, 0.0, 0.0};
  for (const MoonSighting* s : {&a, &b}) {
    double u[3] = {s->direction[0], s->direction[1], s->direction[2]};
    double w[3] = {s->direction_rate[0], s->direction_rate[1], s->direction_rate[2]};
    double spin_cross_u[3];
    eraPxp(spin_vector, u, spin_cross_u);
    eraPmp(w, spin_cross_u, w);
    eraPpp(w_sum, w, w_sum);
  }
  // Only the part across the line of sight moves the disk's points toward
  // or away from the stations.
  double u_mid[3] = {a.direction[0] + b.direction[0], a.direction[1] + b.direction[1],
                     a.direction[2] + b.direction[2]};
  double u_unit[3];
  double u_mid_length = 0.0;
  eraPn(u_mid, &u_mid_length, u_unit);
  const double along = eraPdp(w_sum, u_unit);
  eraPpsp(w_sum, -along, u_unit, w_sum);
  return 2.0 * f_hz * eraPm(w_sum) * kMoonRadiusKm / kSpeedOfLightKmS;
}

double SunCostDb(const TrackRow& row) {
  double cost = 0.0;
  if (row.home_dx_valid) cost = std::max(cost, row.home_dx.sun_noise_db);
  if (row.self_home_valid) cost = std::max(cost, row.self_home.sun_noise_db);
  if (row.self_dx_valid) cost = std::max(cost, row.self_dx.sun_noise_db);
  return cost;
}

bool UsableMoon(const Station& station, const MoonSighting& moon) {
  return moon.elevation_refracted_deg > MinimumElevationDeg(station, moon.azimuth_deg);
}

std::optional<double> NextMoonRise(MoonTracker& tracker, const Station& station, double from_utc_s,
                                   double within_s, double refractivity) {
  // Whole minutes, as the planner's table and the rise the user reads.
  constexpr double kMinuteS = 60.0;
  const double first = std::ceil(from_utc_s / kMinuteS) * kMinuteS;
  for (double t = first; t <= from_utc_s + within_s; t += kMinuteS) {
    tracker.SetMoment(t);
    MoonSighting moon = tracker.See(station.latitude_deg, station.longitude_deg, station.height_m);
    moon.elevation_refracted_deg = RefractedElevationDeg(moon.elevation_deg, refractivity);
    if (UsableMoon(station, moon)) return t;
  }
  return std::nullopt;
}

namespace {

// A station of the track with the refractivity of its air.
struct TrackSite {
  const Station& station;
  double refractivity;
};

// The Moon from a site at the tracker's moment, refracted by the site's air.
MoonSighting SightFrom(const MoonTracker& tracker, const TrackSite& site) {
  const Station& s = site.station;
  MoonSighting moon = tracker.See(s.latitude_deg, s.longitude_deg, s.height_m);
  moon.elevation_refracted_deg = RefractedElevationDeg(moon.elevation_deg, site.refractivity);
  return moon;
}

// The Sun from a site at the tracker's moment, refracted by the site's air.
MoonSighting SunFrom(const MoonTracker& tracker, const TrackSite& site) {
  const Station& s = site.station;
  MoonSighting sun = tracker.SeeSun(s.latitude_deg, s.longitude_deg, s.height_m);
  sun.elevation_refracted_deg = RefractedElevationDeg(sun.elevation_deg, site.refractivity);
  return sun;
}

bool MutualAt(MoonTracker& tracker, const TrackSite& home, const TrackSite& dx, double utc_s) {
  tracker.SetMoment(utc_s);
  return UsableMoon(home.station, SightFrom(tracker, home)) &&
         UsableMoon(dx.station, SightFrom(tracker, dx));
}

// The first second in (lo, hi] whose state is `to`, given the state at lo is
// not `to` and at hi is: bisection over whole seconds.
double FindChange(MoonTracker& tracker, const TrackSite& home, const TrackSite& dx, double lo,
                  double hi, bool to) {
  while (hi - lo > 1.0) {
    const double mid = std::floor((lo + hi) / 2.0);
    if (MutualAt(tracker, home, dx, mid) == to)
      hi = mid;
    else
      lo = mid;
  }
  return hi;
}

// Fills a row at the tracker's moment: the sightings and, for a row that is
// shown (`whole`), every figure; for a minute scanned only for the windows,
// just what they need (whether it is mutual and its Home->DX degradation).
void FillMinute(MoonTracker& tracker, const TrackRequest& request, const TrackSite& home_site,
                const TrackSite& dx_site, bool whole, TrackRow& row) {
  const double f = request.frequency_hz;
  const Station& home = home_site.station;
  const Station& dx = dx_site.station;
  row.home = SightFrom(tracker, home_site);
  row.dx = SightFrom(tracker, dx_site);
  row.home_usable = UsableMoon(home, row.home);
  row.dx_usable = UsableMoon(dx, row.dx);
  row.mutual = row.home_usable && row.dx_usable;
  // Every minute, so that the phase the tracker holds for some minutes is
  // taken at the same moments whatever the step.
  row.moon_phase = tracker.Phase();
  if (!whole && !row.mutual) return;
  // The Sun, which the best minute counts too.
  row.home_sun = SunFrom(tracker, home_site);
  row.dx_sun = SunFrom(tracker, dx_site);
  row.home_sun_separation_deg = SeparationDeg(row.home_sun, row.home);
  row.dx_sun_separation_deg = SeparationDeg(row.dx_sun, row.dx);

  if (whole) {
    // Doppler shift of a bistatic echo, first order in v/c: -(rdot_tx +
    // rdot_rx) f / c, the rate at which the whole path shortens (Willis,
    // Bistatic Radar, 1991); the second-order term is below 0.01 Hz at
    // 241 GHz. Echo delay: the path over c.
    row.doppler_self_home_hz = -2.0 * row.home.range_rate_km_s * f / kSpeedOfLightKmS;
    row.doppler_self_dx_hz = -2.0 * row.dx.range_rate_km_s * f / kSpeedOfLightKmS;
    row.doppler_home_dx_hz =
        -(row.home.range_rate_km_s + row.dx.range_rate_km_s) * f / kSpeedOfLightKmS;
    row.delay_self_home_s = 2.0 * row.home.range_km / kSpeedOfLightKmS;
    row.delay_self_dx_s = 2.0 * row.dx.range_km / kSpeedOfLightKmS;
    row.delay_home_dx_s = (row.home.range_km + row.dx.range_km) / kSpeedOfLightKmS;
    row.libration_home_dx_hz = LibrationSpreadHz(row.home, row.dx, f, row.utc_s);
    row.libration_self_home_hz = LibrationSpreadHz(row.home, row.home, f, row.utc_s);
    row.libration_self_dx_hz = LibrationSpreadHz(row.dx, row.dx, f, row.utc_s);
  }

  // The degradation wherever a station sees the Moon above its horizon or
  // can use it below (a mountain station's negative minimum or mask).
  const bool home_up = row.home.elevation_refracted_deg > 0.0 || row.home_usable;
  const bool dx_up = row.dx.elevation_refracted_deg > 0.0 || row.dx_usable;
  const double brightness = MoonBrightnessK(f, row.moon_phase);
  const double sun_brightness = QuietSunBrightnessK(f);
  auto air = [&](const Station& s, const MoonSighting& m) {
    SlantAir a;
    if (request.slant_air) {
      // A traced ray below its horizon is the horizontal one already.
      a = request.slant_air(s, m);
    } else if (request.attenuation_db) {
      // Below the horizontal the air of the horizontal ray: what lies
      // under it is not traced here.
      a.attenuation_db = request.attenuation_db(s, std::max(0.0, m.elevation_refracted_deg));
    }
    if (std::isnan(a.sky_temperature_k)) a.sky_temperature_k = SkyTemperatureK(a.attenuation_db);
    return a;
  };
  auto moon_in_beam = [&](const Station& s, const MoonSighting& m) {
    const double disk_deg = DiskDiameterDeg(kMoonRadiusKm, m.range_km);
    return MoonInBeamK(brightness, f, s.dish_diameter_m, s.dish_efficiency, disk_deg);
  };
  // The Sun in the pattern of a receiver pointed at the Moon, through the
  // air toward the Sun; nothing while it is below the horizon.
  auto sun_at = [&](const Station& s, const MoonSighting& sun, double separation_deg) {
    if (sun.elevation_refracted_deg <= 0.0) return 0.0;
    const double in_beam = SunInBeamK(sun_brightness, f, s.dish_diameter_m, s.dish_efficiency,
                                      separation_deg, DiskDiameterDeg(kSunRadiusKm, sun.range_km));
    return in_beam * std::pow(10.0, -air(s, sun).attenuation_db / 10.0);
  };
  const SlantAir air_home = home_up ? air(home, row.home) : SlantAir{};
  const SlantAir air_dx = dx_up ? air(dx, row.dx) : SlantAir{};
  const double a_home = air_home.attenuation_db, a_dx = air_dx.attenuation_db;
  const double sun_home =
      home_up && whole ? sun_at(home, row.home_sun, row.home_sun_separation_deg) : 0.0;
  const double sun_dx = dx_up ? sun_at(dx, row.dx_sun, row.dx_sun_separation_deg) : 0.0;
  if (home_up && whole) {
    row.self_home_valid = true;
    row.self_home = PathDegradation(row.home.range_km, row.home.range_km, a_home, a_home,
                                    air_home.sky_temperature_k, home.receiver_noise_k,
                                    moon_in_beam(home, row.home), sun_home);
  }
  if (dx_up && whole) {
    row.self_dx_valid = true;
    row.self_dx =
        PathDegradation(row.dx.range_km, row.dx.range_km, a_dx, a_dx, air_dx.sky_temperature_k,
                        dx.receiver_noise_k, moon_in_beam(dx, row.dx), sun_dx);
  }
  if (home_up && dx_up) {
    row.home_dx_valid = true;
    row.home_dx =
        PathDegradation(row.home.range_km, row.dx.range_km, a_home, a_dx, air_dx.sky_temperature_k,
                        dx.receiver_noise_k, moon_in_beam(dx, row.dx), sun_dx);
  }
}

}  // namespace

TrackRow ComputeTrackRow(MoonTracker& tracker, const TrackRequest& request, double utc_s) {
  const TrackSite home{request.stations.home, request.home_refractivity};
  const TrackSite dx{request.stations.dx, request.dx_refractivity};
  TrackRow row;
  row.utc_s = utc_s;
  tracker.SetMoment(utc_s);
  FillMinute(tracker, request, home, dx, true, row);
  return row;
}

Track ComputeTrack(const TrackRequest& request) {
  Track track;
  constexpr double kMinuteS = 60.0;
  const int step = std::max(1, request.step_minutes);
  const int span = std::max(0, request.span_minutes);
  const TrackSite home{request.stations.home, request.home_refractivity};
  const TrackSite dx{request.stations.dx, request.dx_refractivity};
  MoonTracker tracker;
  track.rows.reserve(static_cast<std::size_t>(span / step + 1));

  // Every minute of the span, the end included: the rows are the minutes on
  // the step, the windows are read from all of them, so that neither a
  // window nor its best minute depends on the step.
  MutualWindow window;
  bool previous_mutual = false;
  for (int m = 0; m <= span; ++m) {
    const bool shown = m % step == 0;
    TrackRow row;
    row.utc_s = request.start_utc_s + kMinuteS * m;
    tracker.SetMoment(row.utc_s);
    FillMinute(tracker, request, home, dx, shown, row);

    if (row.mutual && !previous_mutual) {
      window = MutualWindow{};
      window.open_at_start = m == 0;
      window.start_utc_s =
          m == 0 ? row.utc_s : FindChange(tracker, home, dx, row.utc_s - kMinuteS, row.utc_s, true);
      window.best_utc_s = row.utc_s;
      window.best_total_db = row.home_dx.total_db;
    } else if (row.mutual && row.home_dx.total_db < window.best_total_db) {
      window.best_utc_s = row.utc_s;
      window.best_total_db = row.home_dx.total_db;
    }
    if (!row.mutual && previous_mutual) {
      // The last mutual second: one before the first that is not.
      window.end_utc_s =
          FindChange(tracker, home, dx, row.utc_s - kMinuteS, row.utc_s, false) - 1.0;
      track.windows.push_back(window);
    }
    if (row.mutual && m == span) {
      window.end_utc_s = row.utc_s;
      window.open_at_end = true;
      track.windows.push_back(window);
    }
    previous_mutual = row.mutual;
    if (shown) track.rows.push_back(row);
  }
  return track;
}

}  // namespace quillmere
