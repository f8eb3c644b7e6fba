#pragma once
// Follow the Moon: each minute, where both stations' dishes point at the
// Moon, and which station cannot see it yet and when it rises there.
// Times are UTC as POSIX seconds.

#include <optional>
#include <string>
#include <utility>

#include "moon_track.h"
#include "stations.h"

namespace quillmere {

// One station in one minute of following.
struct FollowedStation {
  // Where the dish points (the refracted elevation), degrees; nothing while
  // the Moon is below the station's horizon or minimum elevation, when the
  // station keeps the elevation the user set.
  std::optional<double> elevation_deg;
  // While the Moon is below: when it rises next, or nothing within
  // kRiseSearchS.
  std::optional<double> rises_utc_s;
};

struct FollowStep {
  FollowedStation home, dx;
  // "" while both stations see the Moon, else what the user is told, e.g.
  // "Moon below DX horizon, rises 18:04 UTC".
  std::string note;
};

// The note of a step, for a moment `now_utc_s`: for each station below its
// horizon, "Moon below Home horizon" or "... DX horizon", with the rise time
// as "HH:MM UTC" on the same UTC day, "YYYY-MM-DD HH:MM UTC" later, or "no
// rise in the next 14 days".
std::string BelowHorizonNote(const FollowStep& step, double now_utc_s);

// The minutes of Follow the Moon for one pair of stations. A rise time,
// once found, is kept until it passes or the stations change, so that a
// Moon that is down costs one search, not one a minute.
class MoonFollower {
 public:
  // home_refractivity, dx_refractivity: each station's surface radio
  // refractivity, N-units, as the track takes it (TrackRefractivities).
  FollowStep Step(const Stations& stations, double now_utc_s,
                  double home_refractivity = kReferenceRefractivity,
                  double dx_refractivity = kReferenceRefractivity);

 private:
  // What is known of a station whose Moon is down: below until
  // `down_until_utc_s`, where it rises when `found`; when not, no rise was
  // found up to that moment.
  struct KnownRise {
    double down_until_utc_s = 0.0;
    bool found = false;
  };
  FollowedStation Follow(const Station& station, double refractivity, double now_utc_s,
                         std::optional<KnownRise>& known);

  MoonTracker tracker_;
  std::optional<Stations> stations_;        // those the kept rises are for
  std::pair<double, double> refractivity_;  // and the air of Home and DX
  std::optional<KnownRise> home_rise_, dx_rise_;
};

}  // namespace quillmere
