// The Moon planner seen from the main window: opening it, Follow the Moon,
// which sets both stations' elevations and the Moon distance every minute
// while it is on, and the recalculations that the planner and the spectrum
// view follow.
#include <QCoreApplication>

#include "constants.h"
#include "default_data.h"
#include "open_meteo.h"
#include "placement_file.h"
#include "safe_write.h"
#include "tform1.h"
#include "view_loader.h"

namespace quillmere {
namespace {

constexpr const char* kStationsFileName = "QuillmereStations.ini";

}  // namespace

ViewFactory* TForm1::Views(const QString& view) {
  if (!views_) {
    const LoadedViews loaded = LoadViewFactory(QCoreApplication::applicationDirPath() + u'/' +
                                               QLatin1StringView(kViewsFolder));
    if (!loaded.factory) {
      messages_->Error(
          (view + QStringLiteral(" cannot be opened: ") + loaded.message).toStdString());
      return nullptr;
    }
    views_ = loaded.factory;
  }
  return views_;
}

void TForm1::OpenPlanner() {
  if (!planner_.window) {
    ViewFactory* views = Views(QStringLiteral("The Planner"));
    if (!views) return;
    PlannerHost host;
    host.state = [this] { return state_; };
    host.now_utc_s = [this] { return static_cast<double>(UnixSecondsOf(clock_())); };
    host.following_changed = [this](bool on) {
      if (!on) calc_->StopFollowingMoon();
      SetFollowingTheMoon(on);
    };
    host.follow = [this](std::optional<double> home_deg, std::optional<double> dx_deg,
                         const QString& note) {
      const auto real = [](std::optional<double> deg) -> std::optional<Real> {
        if (!deg) return std::nullopt;
        return static_cast<Real>(*deg);
      };
      follow_note_ = note;
      calc_->FollowMoon(real(home_deg), real(dx_deg));
      SetFollowingTheMoon(following_moon_);  // a recalculation may rewrite the title
    };
    host.apply_weather = [this](WeatherStation station, const StationWeather& weather) {
      return ApplyStationWeather(station, weather);
    };
    // Beside the data file, in the start folder.
    planner_ = views->MakePlanner(this, StartFolder() / kStationsFileName, std::move(host));
    GiveWindowKeys(planner_.window.get(), QStringLiteral("planner.html"));
  }
  FollowRecalculations();
  planner_.window->show();
  planner_.window->raise();
  planner_.window->activateWindow();
}

StationWeather TForm1::ApplyStationWeather(WeatherStation station,
                                           const StationWeather& weather) {
  StationParams& s = station == WeatherStation::kHome ? state_.Home : state_.DX;
  const StationWeather before{static_cast<double>(s.Temperature),
                              static_cast<double>(s.Humidity), static_cast<double>(s.Pressure)};
  // The same whole units and limits as the steppers' arrows: an imported
  // figure is one the user could have clicked to.
  const SteppedWeather stepped =
      SteppedWeatherOf({weather.temperature_c, weather.humidity_pct, weather.pressure_hpa, 0, {}});
  s.Temperature = stepped.temperature_c;
  s.TemperatureKelvin = s.Temperature + kZeroCelsius;
  s.Humidity = stepped.humidity_pct;
  s.Pressure = stepped.pressure_hpa;
  calc_->Recalculate();
  return before;
}

void TForm1::TidyInterruptedSaves() {
  for (const char* name : {kPlacementFileName, kStationsFileName}) {
    const std::filesystem::path kept = StartFolder() / name;
    RemoveStaleTemporaries(kept);
    FinishInterruptedTextSave(kept);
  }
}

void TForm1::FollowRecalculations() {
  calc_->on_recalculated = [this] {
    if (spectrum_.window) spectrum_.state_changed();
    if (planner_.window) planner_.state_changed();
  };
}

void TForm1::SetFollowingTheMoon(bool on) {
  following_moon_ = on;
  if (!on) follow_note_.clear();
  // The title is the start-up's, then " — following the Moon" and, while
  // the Moon is below a station's horizon, what that means.
  QString title = windowTitle();
  const int at = title.indexOf(QString::fromUtf8(kFollowingTitle));
  if (at >= 0) title.truncate(at);
  if (on) {
    title += QString::fromUtf8(kFollowingTitle);
    if (!follow_note_.isEmpty()) title += QStringLiteral(" (") + follow_note_ + u')';
  }
  if (title != windowTitle()) setWindowTitle(title);
}

}  // namespace quillmere
