#pragma once
// What the Moon planner asks of the main window that opens it. The main
// window fills it in; the planner lives in the views library, loaded when it
// is first opened (view_factory.h), so this is all the two share of it.

#include <QString>
#include <functional>
#include <optional>

#include "state.h"

namespace quillmere {

// One station's weather as the main window's steppers hold it.
struct StationWeather {
  double temperature_c = 0;
  double humidity_pct = 0;
  double pressure_hpa = 0;
  friend bool operator==(const StationWeather&, const StationWeather&) = default;
};
enum class WeatherStation { kHome, kDx };

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
  // Imported weather for one station: its temperature, humidity and
  // pressure steppers set (rounded and clamped as their own arrows do), one
  // recalculation; returns what the steppers held before, for Undo.
  std::function<StationWeather(WeatherStation station, const StationWeather& weather)>
      apply_weather;
};

}  // namespace quillmere
