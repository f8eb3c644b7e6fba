#include "weather_import_panel.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace quillmere {
namespace {

QString StationName(WeatherStation s) {
  return s == WeatherStation::kHome ? QStringLiteral("Home") : QStringLiteral("DX");
}

QString Figures(const CurrentWeather& w) {
  return QStringLiteral("%1 \u00b0C, %2 %, %3 hPa at the station (%4 hPa at sea level), %5 UTC. %6")
      .arg(w.temperature_c, 0, 'f', 1)
      .arg(w.humidity_pct, 0, 'f', 0)
      .arg(w.pressure_hpa, 0, 'f', 1)
      .arg(w.pressure_msl_hpa, 0, 'f', 1)
      .arg(QString::fromStdString(w.time).replace(u'T', u' '))
      .arg(QString::fromUtf8(kWeatherSource.data(), kWeatherSource.size()));
}

}  // namespace

WeatherImportPanel::WeatherImportPanel(WeatherStation station, const WeatherQuery& where,
                                       Apply apply, WeatherService service, QWidget* parent)
    : QWidget(parent),
      station_(station),
      where_(where),
      apply_(std::move(apply)),
      service_fault_(std::move(service.fault)),
      host_(QUrl(QString::fromStdString(service.url)).host()),
      client_(new OpenMeteoClient(QString::fromStdString(service.url), this)),
      fetch_(new QPushButton(QStringLiteral("Current weather"), this)),
      apply_button_(new QPushButton(QStringLiteral("Apply to ") + StationName(station), this)),
      undo_(new QPushButton(QStringLiteral("Undo"), this)),
      status_(new QLabel(this)) {
  setObjectName(QStringLiteral("WeatherImport") + StationName(station));
  status_->setWordWrap(true);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(fetch_, 0, 0);
  grid->addWidget(apply_button_, 0, 1);
  grid->addWidget(undo_, 0, 2);
  grid->addWidget(status_, 1, 0, 1, 3);
  fetch_->setToolTip(QStringLiteral("Asks Open-Meteo.com for the weather at the %1 station now")
                         .arg(StationName(station)));
  connect(fetch_, &QPushButton::clicked, this, &WeatherImportPanel::Fetch);
  connect(apply_button_, &QPushButton::clicked, this, &WeatherImportPanel::ApplyFetched);
  connect(undo_, &QPushButton::clicked, this, &WeatherImportPanel::UndoApplied);
  Refresh();
}

WeatherImportPanel::~WeatherImportPanel() = default;

void WeatherImportPanel::SetPlace(const WeatherQuery& where) {
  // Every recalculation gives the place again, the one an apply causes too.
  if (where.latitude_deg == where_.latitude_deg && where.longitude_deg == where_.longitude_deg &&
      where.height_m == where_.height_m)
    return;
  where_ = where;
  fetched_.reset();
  status_->clear();
  Refresh();
}

void WeatherImportPanel::SetDeadlineMs(int ms) {
  client_->SetDeadlineMs(ms);
}

void WeatherImportPanel::Fetch() {
  fetched_.reset();
  if (service_fault_) return Received(WeatherFailure{WeatherError::kBadAddress, *service_fault_});
  status_->setText(QStringLiteral("Asking %1\u2026").arg(host_));
  client_->Fetch(where_, [this](const WeatherResult& result) { Received(result); });
  Refresh();
}

void WeatherImportPanel::Received(const WeatherResult& result) {
  if (const auto* failure = std::get_if<WeatherFailure>(&result)) {
    status_->setText(QString::fromStdString(failure->message) +
                     QStringLiteral(" Nothing was changed."));
  } else {
    fetched_ = std::get<CurrentWeather>(result);
    status_->setText(Figures(*fetched_));
  }
  Refresh();
  emit Finished();
}

void WeatherImportPanel::ApplyFetched() {
  if (!fetched_ || !apply_) return;
  before_ =
      apply_(station_, {fetched_->temperature_c, fetched_->humidity_pct, fetched_->pressure_hpa});
  // The figures as the steppers now hold them first: 6.6 °C is applied as 7 °C.
  const SteppedWeather stepped = SteppedWeatherOf(*fetched_);
  const auto whole = [](Real v) { return static_cast<double>(v) + 0.0; };  // never "-0"
  status_->setText(QStringLiteral("Applied to %1: %2 \u00b0C, %3 %, %4 hPa. Open-Meteo gave ")
                       .arg(StationName(station_))
                       .arg(whole(stepped.temperature_c), 0, 'f', 0)
                       .arg(whole(stepped.humidity_pct), 0, 'f', 0)
                       .arg(whole(stepped.pressure_hpa), 0, 'f', 0) +
                   Figures(*fetched_));
  Refresh();
}

void WeatherImportPanel::UndoApplied() {
  if (!before_ || !apply_) return;
  apply_(station_, *before_);
  before_.reset();
  status_->setText(QStringLiteral("%1's weather put back as it was.").arg(StationName(station_)));
  Refresh();
}

void WeatherImportPanel::Refresh() {
  const bool fetch_on = !client_->Busy();
  const bool apply_on = fetched_.has_value() && !client_->Busy();
  const bool undo_on = before_.has_value();
  // A button greyed while it has the focus would pass it to the next field
  // of the window (the other station's name, selected), where the next key
  // typed would overwrite it: the panel holds the focus meanwhile, and gives
  // it to the button that comes next once one can be pressed.
  if ((fetch_->hasFocus() && !fetch_on) || (apply_button_->hasFocus() && !apply_on) ||
      (undo_->hasFocus() && !undo_on)) {
    setFocus(Qt::OtherFocusReason);
  }
  fetch_->setEnabled(fetch_on);
  apply_button_->setEnabled(apply_on);
  undo_->setEnabled(undo_on);
  if (hasFocus()) {
    if (apply_on) {
      apply_button_->setFocus(Qt::OtherFocusReason);
    } else if (fetch_on) {
      fetch_->setFocus(Qt::OtherFocusReason);
    }
  }
}

}  // namespace quillmere
