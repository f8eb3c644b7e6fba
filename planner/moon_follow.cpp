#include "moon_follow.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "utc_clock.h"

namespace quillmere {
namespace {

std::string RiseText(const std::optional<double>& rise_utc_s, double now_utc_s) {
  if (!rise_utc_s) return "no rise in the next 14 days";
  const UtcDateTime rise = UtcFromUnixTime({static_cast<std::int64_t>(std::floor(*rise_utc_s)), 0});
  const UtcDateTime now = UtcFromUnixTime({static_cast<std::int64_t>(std::floor(now_utc_s)), 0});
  char text[48];
  if (rise.year == now.year && rise.month == now.month && rise.day == now.day) {
    std::snprintf(text, sizeof text, "rises %02d:%02d UTC", rise.hour, rise.minute);
  } else {
    std::snprintf(text, sizeof text, "rises %04d-%02d-%02d %02d:%02d UTC", rise.year, rise.month,
                  rise.day, rise.hour, rise.minute);
  }
  return text;
}

}  // namespace

std::string BelowHorizonNote(const FollowStep& step, double now_utc_s) {
  std::string note;
  const auto add = [&](const FollowedStation& s, const char* label) {
    if (s.elevation_deg) return;
    note += note.empty() ? "Moon below " : "; below ";
    note += label;
    note += " horizon, ";
    note += RiseText(s.rises_utc_s, now_utc_s);
  };
  add(step.home, "Home");
  add(step.dx, "DX");
  return note;
}

FollowedStation MoonFollower::Follow(const Station& station, double refractivity, double now_utc_s,
                                     std::optional<KnownRise>& known) {
  tracker_.SetMoment(now_utc_s);
  MoonSighting moon = tracker_.See(station.latitude_deg, station.longitude_deg, station.height_m);
  moon.elevation_refracted_deg = RefractedElevationDeg(moon.elevation_deg, refractivity);
  FollowedStation out;
  if (UsableMoon(station, moon)) {
    known.reset();
    out.elevation_deg = moon.elevation_refracted_deg;
    return out;
  }
  const double horizon = now_utc_s + kRiseSearchS;
  if (!known || now_utc_s >= known->down_until_utc_s) {
    // Not known yet, or the rise it expected has come and the Moon is still
    // down (a mask's notch passed, or the clock jumped): look afresh.
    const std::optional<double> rise =
        NextMoonRise(tracker_, station, now_utc_s, kRiseSearchS, refractivity);
    known = KnownRise{rise.value_or(horizon), rise.has_value()};
  } else if (!known->found && known->down_until_utc_s < horizon) {
    // Down until the end of the last search: only the minutes since then.
    const double from = known->down_until_utc_s;
    const std::optional<double> rise =
        NextMoonRise(tracker_, station, from, horizon - from, refractivity);
    known = KnownRise{rise.value_or(horizon), rise.has_value()};
  }
  if (known->found) out.rises_utc_s = known->down_until_utc_s;
  return out;
}

FollowStep MoonFollower::Step(const Stations& stations, double now_utc_s, double home_refractivity,
                              double dx_refractivity) {
  // A rise found for other stations or another air is not theirs.
  if (!stations_ || !(*stations_ == stations) ||
      refractivity_ != std::pair{home_refractivity, dx_refractivity}) {
    stations_ = stations;
    refractivity_ = {home_refractivity, dx_refractivity};
    home_rise_.reset();
    dx_rise_.reset();
  }
  FollowStep step;
  step.home = Follow(stations.home, home_refractivity, now_utc_s, home_rise_);
  step.dx = Follow(stations.dx, dx_refractivity, now_utc_s, dx_rise_);
  step.note = BelowHorizonNote(step, now_utc_s);
  return step;
}

}  // namespace quillmere
