#include "pointing.h"

#include <algorithm>
#include <cmath>

#include "constants.h"

namespace quillmere {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;

// The difference a - b brought into -180..180 degrees.
double Wrap180(double d) {
  d = std::fmod(d, 360.0);
  if (d > 180.0) d -= 360.0;
  if (d <= -180.0) d += 360.0;
  return d;
}

// The pass is sampled every two minutes: the Moon's azimuth turns at most
// about a degree a minute away from the zenith.
constexpr double kPassStepS = 120.0;
// The longest pass planned at once (the Moon stays up longest near the
// poles; a day covers any window the planner shows).
constexpr double kLongestPassS = 86400.0;
// How far ahead a rise is looked for.
constexpr double kRiseWithinS = 86400.0;

}  // namespace

double BeamwidthDeg(double f_hz, double dish_m) {
  const double lambda_m = static_cast<double>(kSpeedOfLight) / f_hz;
  return 70.0 * lambda_m / dish_m;
}

double ToleranceDeg(double f_hz, double dish_m) {
  return BeamwidthDeg(f_hz, dish_m) / 10.0;
}

double PointingErrorDeg(double az1, double el1, double az2, double el2) {
  const double daz = Wrap180(az1 - az2) * std::cos((el1 + el2) / 2.0 * kDeg);
  return std::hypot(daz, el1 - el2);
}

double AzimuthPlan::Map(double t, double az) const {
  if (utc_s.empty()) return az;
  const auto at = std::lower_bound(utc_s.begin(), utc_s.end(), t);
  const std::size_t i = std::min<std::size_t>(at - utc_s.begin(), az_deg.size() - 1);
  const double near = az_deg[i];
  return near + Wrap180(az - near);
}

AzimuthPlan PlanAzimuth(const std::vector<double>& utc_s, const std::vector<double>& az,
                        const RotatorLimits& limits, double current_az) {
  AzimuthPlan plan;
  plan.utc_s = utc_s;
  plan.az_deg.resize(az.size());
  if (az.empty()) return plan;
  // Continuous through north, starting in 0..360.
  plan.az_deg[0] = az[0];
  for (std::size_t i = 1; i < az.size(); ++i)
    plan.az_deg[i] = plan.az_deg[i - 1] + Wrap180(az[i] - az[i - 1]);
  const auto [lo, hi] = std::minmax_element(plan.az_deg.begin(), plan.az_deg.end());
  std::optional<double> best;
  for (int turn = -3; turn <= 3; ++turn) {
    const double shift = 360.0 * turn;
    if (*lo + shift < limits.min_az_deg || *hi + shift > limits.max_az_deg) continue;
    if (!best || std::abs(plan.az_deg[0] + shift - current_az) <
                     std::abs(plan.az_deg[0] + *best - current_az))
      best = shift;
  }
  if (!best) {
    // No turn holds the whole pass: start within the limits; the rotator
    // unwinds where the pass leaves them.
    plan.fits = false;
    best = 0.0;
    while (plan.az_deg[0] + *best < limits.min_az_deg) *best += 360.0;
    while (plan.az_deg[0] + *best > limits.max_az_deg) *best -= 360.0;
  }
  for (double& a : plan.az_deg) a += *best;
  return plan;
}

void Pointer::PlanPass(MoonTracker& tracker, double from, const RotatorLimits& limits,
                       double current_az) {
  std::vector<double> times, azimuths;
  double t = from;
  for (; t <= from + kLongestPassS; t += kPassStepS) {
    tracker.SetMoment(t);
    const MoonSighting m =
        tracker.See(station_.latitude_deg, station_.longitude_deg, station_.height_m);
    if (!times.empty() && !UsableMoon(station_, m)) break;
    times.push_back(t);
    azimuths.push_back(m.azimuth_deg);
  }
  plan_ = PlanAzimuth(times, azimuths, limits, current_az);
  plan_until_utc_s_ = t;
}

PointingDecision Pointer::Decide(MoonTracker& tracker, double utc_s,
                                 const std::optional<AzEl>& dish, const RotatorLimits& limits) {
  PointingDecision d;
  const MoonSighting now =
      tracker.See(station_.latitude_deg, station_.longitude_deg, station_.height_m);
  // The Moon's motion across the sky, for the lead: since the last cycle,
  // or over the next minute on the first.
  MoonSighting before = previous_;
  double span_s = utc_s - previous_utc_s_;
  if (!(span_s > 0.0 && span_s <= 10.0)) {
    tracker.SetMoment(utc_s - 60.0);
    before = tracker.See(station_.latitude_deg, station_.longitude_deg, station_.height_m);
    tracker.SetMoment(utc_s);
    span_s = 60.0;
  }
  previous_ = now;
  previous_utc_s_ = utc_s;
  d.moon = {now.azimuth_deg, now.elevation_refracted_deg};
  const double current_az = dish ? dish->az_deg : now.azimuth_deg;

  AzEl sky;  // 0..360
  if (UsableMoon(station_, now)) {
    rise_utc_s_.reset();
    rise_checked_until_s_ = -1e300;
    // Half the tolerance ahead along the Moon's path.
    const double daz = Wrap180(now.azimuth_deg - before.azimuth_deg);
    const double del = now.elevation_refracted_deg - before.elevation_refracted_deg;
    const double per_span = std::hypot(daz * std::cos(d.moon.el_deg * kDeg), del);
    const double ahead = per_span > 0.0 ? (tol_ / 2.0) / per_span : 0.0;
    sky = {std::fmod(now.azimuth_deg + daz * ahead + 360.0, 360.0),
           now.elevation_refracted_deg + del * ahead};
    if (utc_s >= plan_until_utc_s_ || plan_.utc_s.empty() || utc_s < plan_.utc_s.front()) {
      PlanPass(tracker, utc_s, limits, current_az);
      tracker.SetMoment(utc_s);
    }
  } else {
    d.waiting_for_rise = true;
    // The rise is found once, in minute steps, and again only when it has
    // passed without the Moon coming up (a mask can hide it again).
    if (!rise_utc_s_ || *rise_utc_s_ + 60.0 < utc_s) {
      if (utc_s >= rise_checked_until_s_) {
        rise_utc_s_ = NextMoonRise(tracker, station_, utc_s, kRiseWithinS);
        rise_checked_until_s_ = rise_utc_s_ ? *rise_utc_s_ + 60.0 : utc_s + 600.0;
        if (rise_utc_s_) {
          tracker.SetMoment(*rise_utc_s_);
          rise_ = tracker.See(station_.latitude_deg, station_.longitude_deg, station_.height_m);
          PlanPass(tracker, *rise_utc_s_, limits, current_az);
        }
        tracker.SetMoment(utc_s);
      }
    }
    if (!rise_utc_s_) {
      d.moon_known = false;
      return d;
    }
    sky = {rise_.azimuth_deg, rise_.elevation_refracted_deg};
  }
  // Never below the station's minimum or its mask there, nor outside what
  // the rotator takes.
  sky.el_deg = std::max(sky.el_deg, MinimumElevationDeg(station_, sky.az_deg));
  d.target = {plan_.Map(utc_s, sky.az_deg),
              std::clamp(sky.el_deg, limits.min_el_deg, limits.max_el_deg)};
  d.target.az_deg = std::clamp(d.target.az_deg, limits.min_az_deg, limits.max_az_deg);
  if (d.waiting_for_rise) {
    d.error_deg =
        dish ? PointingErrorDeg(dish->az_deg, dish->el_deg, d.target.az_deg, d.target.el_deg)
             : 180.0;
  } else {
    d.error_deg =
        dish ? PointingErrorDeg(dish->az_deg, dish->el_deg, d.moon.az_deg, d.moon.el_deg) : 180.0;
  }
  d.move = d.error_deg > tol_;
  return d;
}

}  // namespace quillmere
