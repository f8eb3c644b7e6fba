#pragma once
// What the Moon planner asks of the main window that opens it. The main
// window fills it in; the planner lives in the views library, loaded when it
// is first opened (view_factory.h), so this is all the two share of it.

#include <QString>
#include <functional>
#include <optional>

#include "state.h"

namespace quillmere {

struct PlannerHost {
  // The main window's state as its last recalculation left it: the band
  // and each station's weather.
  std::function<QuillmereState()> state;
  // The clock, POSIX seconds UTC.
  std::function<double()> now_utc_s;
  // Follow the Moon was switched on or off.
  std::function<void(bool on)> following_changed;
  // A minute of Follow the Moon: each station's Moon elevation now,
  // degrees (refracted: where the dish points), or nothing while the Moon
  // is below that station's horizon; and what to tell the user of that
  // ("Moon below DX horizon, rises 18:04 UTC"), or nothing.
  std::function<void(std::optional<double> home_elevation_deg,
                     std::optional<double> dx_elevation_deg, const QString& note)>
      follow;
};

}  // namespace quillmere
