#pragma once
// One station's weather import in the planner's station panel: "Current
// weather" asks Open-Meteo for the weather at the station now, the figures
// show with their source and time, "Apply to Home" (or DX) sets the main
// window's temperature, humidity and pressure, and "Undo" puts back what
// they were. The network is used only on the click; the window never waits.

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "open_meteo.h"
#include "open_meteo_client.h"
#include "planner_host.h"

class QLabel;
class QPushButton;

namespace quillmere {

class WeatherImportPanel : public QWidget {
  Q_OBJECT
 public:
  using Apply = std::function<StationWeather(WeatherStation, const StationWeather&)>;

  // `where`: the station's latitude, longitude and height; `apply`: the main
  // window's PlannerHost::apply_weather. `service`: the server asked, by
  // default the one the environment sets (open_meteo_client.h); one that
  // cannot be asked is reported at the click, as any other failure.
  WeatherImportPanel(WeatherStation station, const WeatherQuery& where, Apply apply,
                     WeatherService service = ConfiguredWeatherService(),
                     QWidget* parent = nullptr);
  ~WeatherImportPanel() override;

  // The station's place, given again at every recalculation: when it was
  // moved or raised, figures fetched for the old place are dropped.
  void SetPlace(const WeatherQuery& where);
  // The whole exchange's deadline (kWeatherDeadlineMs by default).
  void SetDeadlineMs(int ms);

  // "Current weather", "Apply to Home"/"Apply to DX", "Undo" and the line
  // saying what was fetched or what went wrong.
  QPushButton* FetchButton() const { return fetch_; }
  QPushButton* ApplyButton() const { return apply_button_; }
  QPushButton* UndoButton() const { return undo_; }
  QLabel* StatusLabel() const { return status_; }

  // The reply's arrived, applied or failed (for the tests and the planner).
 signals:
  void Finished();

 private:
  void Fetch();
  void Received(const WeatherResult& result);
  void ApplyFetched();
  void UndoApplied();
  void Refresh();

  WeatherStation station_;
  WeatherQuery where_;
  Apply apply_;
  std::optional<std::string> service_fault_;
  QString host_;  // the service's, for "Asking api.open-meteo.com…"
  OpenMeteoClient* client_;
  std::optional<CurrentWeather> fetched_;
  std::optional<StationWeather> before_;
  QPushButton* fetch_;
  QPushButton* apply_button_;
  QPushButton* undo_;
  QLabel* status_;
};

}  // namespace quillmere
