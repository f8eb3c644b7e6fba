#pragma once
// The Moon as two EME stations see it, minute by minute: where it is, when
// both see it, and what each minute costs.
//
// Times are UTC as POSIX seconds (seconds since 1970-01-01T00:00:00 UTC,
// leap seconds not counted). Earth rotation is taken at UT1 = UTC: UT1-UTC
// stays within 0.9 s, which turns the sky by at most 0.004 degrees.

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "eme_degradation.h"
#include "stations.h"

namespace quillmere {

// The Moon from one station at one moment.
struct MoonSighting {
  double azimuth_deg = 0.0;    // 0..360, from north, clockwise
  double elevation_deg = 0.0;  // airless (geometric), topocentric
  double elevation_refracted_deg = 0.0;
  double range_km = 0.0;         // station to the Moon's centre
  double range_rate_km_s = 0.0;  // positive while the Moon recedes
  // Unit vector from the station to the Moon and its rate of change, in the
  // GCRS (an inertial frame), 1 and 1/s.
  double direction[3] = {};
  double direction_rate[3] = {};
};

// The angle between the directions of two sightings from one station,
// degrees (the Sun-Moon separation that the dish's sidelobes see).
double SeparationDeg(const MoonSighting& a, const MoonSighting& b);

// The apparent diameter of a body of radius `radius_km` at `range_km`,
// degrees.
double DiskDiameterDeg(double radius_km, double range_km);
inline constexpr double kSunRadiusKm = 695700.0;  // IAU 2015 nominal
inline constexpr double kMoonRadiusKm = 1737.4;   // mean radius, IAU

// Elevation with atmospheric refraction from the airless elevation, degrees:
// Saemundsson's formula (Sky & Telescope 72, 1986, p. 70), the inverse of
// Bennett's (J. Navigation 35, 1982), for 1010 hPa and 10 degC:
//   R = 1.02 / tan(h + 10.3 / (h + 5.11)) arcminutes, h in degrees,
// within 0.07 arcminute of Bennett's down to the horizon. It is the optical
// refraction of dry air at those reference conditions; the station-aware
// form below scales it to the station's radio refractivity.
// Below -2 degrees (the Moon well under the horizon, where the formula turns
// back) the refraction fades linearly to none at -5 degrees.
double RefractedElevationDeg(double airless_deg);

// Surface radio refractivity, N-units (ITU-R P.453):
//   N = 77.6 P / T + 3.732e5 e / T^2,
// P: total pressure, hPa; T: temperature, K; e: water-vapour pressure, hPa.
constexpr double SurfaceRefractivity(double pressure_hpa, double temperature_k, double vapour_hpa) {
  return 77.6 * pressure_hpa / temperature_k +
         3.732e5 * vapour_hpa / (temperature_k * temperature_k);
}
// The refractivity the reference formula stands for: dry air at 1010 hPa
// and 10 degC, about 277 N-units.
inline constexpr double kReferenceRefractivity = SurfaceRefractivity(1010.0, 283.15, 0.0);

// The same refraction for a station whose surface radio refractivity is
// `refractivity` N-units: the reference formula scaled by refractivity /
// kReferenceRefractivity. Near the ground the bending of a ray grows with
// the refractivity where it leaves the station, so humid air at the
// microwave bands (whose water vapour term is absent from the optical
// refraction) bends more and a mountain station's thin air less: at the
// horizon about 0.57 degrees at sea level in humid air against the
// formula's 0.48, about 0.35 degrees at 3000 m.
double RefractedElevationDeg(double airless_deg, double refractivity);

// The geocentric Moon and the Earth's orientation at one moment, and the
// Moon from any station at that moment.
class MoonTracker {
 public:
  MoonTracker();
  ~MoonTracker();
  MoonTracker(const MoonTracker&) = delete;
  MoonTracker& operator=(const MoonTracker&) = delete;

  // Sets the moment. The precession-nutation matrix is kept and reused for
  // moments within 30 minutes of the one it was made for (it turns by less
  // than 0.01 arcsecond in that time); the Moon and the Earth's rotation
  // are computed afresh for every moment.
  void SetMoment(double utc_s);

  // The Moon from a station at (geodetic WGS84) latitude, longitude and
  // height above the ellipsoid, for the moment last set.
  MoonSighting See(double latitude_deg, double longitude_deg, double height_m) const;
  // The Sun from that station at that moment, in the same terms (range and
  // rate from the station to the Sun's centre). The Sun's geometric
  // geocentric place from the Earth's heliocentric position (ERFA's epv00,
  // a few arcseconds over 1900-2100); its light time and aberration (some
  // 20 arcseconds) are left out.
  MoonSighting SeeSun(double latitude_deg, double longitude_deg, double height_m) const;

  double GeocentricDistanceKm() const;
  // Fraction of the synodic cycle (0 new Moon, 0.5 full Moon), from the
  // sun/moon component, at the moment last set to the whole second.
  double Phase();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The slant attenuation through the atmosphere above a station toward a
// given elevation, dB, from that station's weather: the caller plugs in the
// same models as the main window.
using AttenuationFunction = std::function<double(const Station& station, double elevation_deg)>;

// What the air above a station does to the path toward the Moon: the
// attenuation and, from a model that traces the ray, the sky's brightness
// temperature along it.
struct SlantAir {
  double attenuation_db = 0.0;
  // K; not a number: from the attenuation by SkyTemperatureK.
  double sky_temperature_k = std::numeric_limits<double>::quiet_NaN();
};
// The air toward the Moon where `moon` places it. A model that refracts the
// ray itself reads the airless elevation, one that does not the refracted.
using SlantAirFunction = std::function<SlantAir(const Station& station, const MoonSighting& moon)>;

// The moments the Moon's track is checked for, as POSIX seconds UTC:
// 1950-01-01T00:00:00 to 2100-12-31T23:59:59, where the ephemeris was
// compared with the full lunar theory. A start outside them, given or read
// from the clock, is refused with kOutsideTrackYears.
inline constexpr double kFirstTrackUtcS = -631152000.0;
inline constexpr double kLastTrackUtcS = 4133980799.0;
inline constexpr const char* kOutsideTrackYears =
    "the start is outside 1950-2100, the years the Moon's track is checked for";
inline bool WithinTrackYears(double utc_s) {
  return utc_s >= kFirstTrackUtcS && utc_s <= kLastTrackUtcS;
}

struct TrackRequest {
  Stations stations;
  double start_utc_s = 0.0;
  int span_minutes = 60;  // 1 .. 14 days
  int step_minutes = 1;
  double frequency_hz = 10368.0e6;
  AttenuationFunction attenuation_db;  // none: no atmosphere
  SlantAirFunction slant_air;          // when set, used instead of attenuation_db
  // Each station's surface radio refractivity, N-units, which scales the
  // refraction of its Moon (RefractedElevationDeg).
  double home_refractivity = kReferenceRefractivity;
  double dx_refractivity = kReferenceRefractivity;
};

struct TrackRow {
  double utc_s = 0.0;
  MoonSighting home, dx;
  bool home_usable = false;  // above the station's minimum and its mask
  bool dx_usable = false;
  bool mutual = false;
  double moon_phase = 0.0;
  // Doppler of the echo at the band, Hz, positive while the path shortens.
  double doppler_self_home_hz = 0.0;  // -2 rdot f / c
  double doppler_self_dx_hz = 0.0;
  double doppler_home_dx_hz = 0.0;  // -(rdot_home + rdot_dx) f / c
  double delay_self_home_s = 0.0;   // 2 r / c
  double delay_self_dx_s = 0.0;
  double delay_home_dx_s = 0.0;       // (r_home + r_dx) / c
  double libration_home_dx_hz = 0.0;  // LibrationSpreadHz
  double libration_self_home_hz = 0.0;
  double libration_self_dx_hz = 0.0;
  // Filled while each station concerned sees the Moon above its horizon
  // (refracted) or where it can use it (below the horizon with a negative
  // minimum or mask: the air there taken at 0 degrees); otherwise valid is
  // false. A mutual row always has its Home->DX degradation.
  bool home_dx_valid = false, self_home_valid = false, self_dx_valid = false;
  Degradation home_dx, self_home, self_dx;
  // The Sun from each station and its separation from the Moon, degrees.
  MoonSighting home_sun, dx_sun;
  double home_sun_separation_deg = 0.0, dx_sun_separation_deg = 0.0;
};

// The most the Sun costs on any of the row's paths, dB (0 with no path).
double SunCostDb(const TrackRow& row);
// Whether the Sun costs more than kSunMarkDb on one of them.
inline bool SunMarked(const TrackRow& row) {
  return SunCostDb(row) > kSunMarkDb;
}

struct MutualWindow {
  double start_utc_s = 0.0;    // first mutual moment, to the second
  double end_utc_s = 0.0;      // last mutual moment, to the second
  bool open_at_start = false;  // already mutual at the start of the span
  bool open_at_end = false;    // still mutual at its end
  // The whole minute of the window (on the span's one-minute grid, whatever
  // the step of the rows) with the least Home->DX degradation: the best
  // minute to work, and that degradation, dB.
  double best_utc_s = 0.0;
  double best_total_db = 0.0;
};

struct Track {
  std::vector<TrackRow> rows;
  std::vector<MutualWindow> windows;
};

// Libration spread of the path from station a to station b by the Moon, Hz
// at f_hz: the echo of a sphere of radius R turning at an apparent angular
// rate w spreads over 2 f w R / c (the rotating-target spread of radar
// astronomy, Evans & Hagfors, Radar Astronomy, 1968: B = 4 w R /
// lambda for one station). For two stations each sees its own apparent
// rotation, w_i = du_i/dt - W x u_i (u_i the unit vector to the Moon, W the
// Moon's spin), and a point x of the disk shifts the path length at the rate
// x . (w_a + w_b); so w = |w_a + w_b| (twice a station's rate for its own
// echoes). W: the IAU rotation model of the Moon (Archinal et al., Celest.
// Mech. Dyn. Astr. 109, 2011): pole at alpha0, delta0 with the main terms of
// the node, and 13.17635815 degrees/day.
double LibrationSpreadHz(const MoonSighting& a, const MoonSighting& b, double f_hz, double utc_s);

// The Moon's spin vector W of that model in the GCRS, rad/s.
void MoonSpinVector(double utc_s, double w[3]);

// Whether a station sees the Moon above its minimum elevation and its mask
// (the refracted elevation: where the dish points).
bool UsableMoon(const Station& station, const MoonSighting& moon);

// How far ahead a rise is looked for: the planner's longest span.
inline constexpr double kRiseSearchS = 14 * 86400.0;

// The first whole minute at or after `from_utc_s`, and within `within_s`
// of it, at which `station` sees the Moon above its minimum elevation and
// its horizon mask (UsableMoon); nothing when the Moon stays below for all
// that time. Minute steps: a gap in a mask narrower than a minute's motion
// of the Moon (about a quarter of a degree) can be missed.
// `refractivity`: the station's surface radio refractivity, N-units.
std::optional<double> NextMoonRise(MoonTracker& tracker, const Station& station, double from_utc_s,
                                   double within_s = kRiseSearchS,
                                   double refractivity = kReferenceRefractivity);

// One moment of the track: the Moon and the Sun for both stations, the
// Doppler, delays and spreads, and the degradation of each path, as a row
// of ComputeTrack gives them (the moment need not be a whole minute).
TrackRow ComputeTrackRow(MoonTracker& tracker, const TrackRequest& request, double utc_s);

// The rows of the span for both stations, one every step from the start up
// to and including its end (span / step + 1 rows; a step that does not
// divide the span ends on its last step within it), and the mutual windows.
// The windows come from a scan of every minute of the span whatever the
// step, with their edges found to the second, so that a window shorter
// than the step is never lost and the best minute may fall between rows.
// The attenuation callable is handed the request's own Station objects,
// request.stations.home and .dx.
Track ComputeTrack(const TrackRequest& request);

}  // namespace quillmere
