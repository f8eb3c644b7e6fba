#include "planner_window.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QBrush>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>
#include <cmath>
#include <future>
#include <string>

#include "background_work.h"
#include "maidenhead.h"
#include "moon_follow.h"
#include "now_feed.h"
#include "now_strip.h"
#include "planner_charts.h"
#include "program_icon.h"
#include "station_control_panel.h"
#include "stations_store.h"
#include "track_columns.h"
#include "track_environment.h"
#include "vector_state.h"
#include "weather_import_panel.h"

namespace quillmere {
namespace {

constexpr int kMinuteMs = 60 * 1000;
// The line of the present moment moves with the clock's seconds.
constexpr int kNowTickMs = 1000;
// The shading of the minutes where the Sun costs more than half a decibel.
const QString kSunLayer = QStringLiteral("Sun > 0.5 dB");
const QColor kSunShade(184, 138, 0, 60);  // the Sun noise line's gold

// The table of minutes over the computed track: 20 160 rows cost one model,
// not a widget each.
class TrackModel final : public QAbstractTableModel {
 public:
  void Reset(const PlannedTrack* planned) {
    beginResetModel();
    planned_ = planned;
    endResetModel();
  }
  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() || !planned_ ? 0 : static_cast<int>(planned_->track.rows.size());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(TableColumnCount());
  }
  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount()) {
      return QString::fromUtf8(TrackColumns()[static_cast<std::size_t>(section)].header);
    }
    return QAbstractTableModel::headerData(section, o, role);
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!planned_ || !index.isValid()) return {};
    const auto row = static_cast<std::size_t>(index.row());
    const bool best = IsBestRow(*planned_, row);
    const bool sun = SunMarked(planned_->track.rows[row]);
    if (role == Qt::BackgroundRole && best) return QBrush(QColor(255, 230, 140));
    if (role == Qt::BackgroundRole && sun) return QBrush(QColor(250, 210, 180));
    if (role == Qt::ToolTipRole && (best || sun)) {
      QStringList tips;
      if (best) tips << QStringLiteral("Best minute of its mutual window");
      if (sun) tips << QStringLiteral("The Sun costs more than 0.5 dB at this minute");
      return tips.join(u'\n');
    }
    if (role != Qt::DisplayRole) return {};
    return QString::fromStdString(CellText(TrackColumns()[static_cast<std::size_t>(index.column())],
                                           planned_->track.rows[row], planned_->frequency_hz));
  }

 private:
  const PlannedTrack* planned_ = nullptr;
};

struct StationEditor {
  QGroupBox* box = nullptr;
  QLineEdit* name = nullptr;
  QLineEdit* location = nullptr;
  QDoubleSpinBox* height = nullptr;
  QDoubleSpinBox* min_elevation = nullptr;
  QLineEdit* mask = nullptr;
  QDoubleSpinBox* dish = nullptr;
  QDoubleSpinBox* efficiency = nullptr;
  QDoubleSpinBox* noise = nullptr;
};

// A box of a station's number, within the limits the stations file takes.
QDoubleSpinBox* Spin(double Station::*member, const QString& suffix) {
  const StationLimit& limit = LimitOf(member);
  auto* s = new QDoubleSpinBox;
  s->setDecimals(limit.decimals);
  s->setRange(limit.min, limit.max);
  s->setSuffix(suffix);
  return s;
}

// Lets a name be typed only as far as the stations file takes it.
class NameValidator final : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& text, int&) const override {
    return IsStationName(text.toStdString()) ? Acceptable : Invalid;
  }
};

StationEditor MakeEditor(const QString& title) {
  StationEditor e;
  e.box = new QGroupBox(title);
  auto* form = new QFormLayout(e.box);
  e.name = new QLineEdit;
  e.name->setValidator(new NameValidator(e.name));
  e.location = new QLineEdit;
  e.location->setPlaceholderText(QStringLiteral("JO01ab or 51.5,-0.1"));
  e.height = Spin(&Station::height_m, QStringLiteral(" m"));
  e.min_elevation = Spin(&Station::min_elevation_deg, QStringLiteral(" \u00b0"));
  e.mask = new QLineEdit;
  e.mask->setPlaceholderText(QStringLiteral("az:el, az:el, ..."));
  e.dish = Spin(&Station::dish_diameter_m, QStringLiteral(" m"));
  e.efficiency = Spin(&Station::dish_efficiency, QString());
  e.noise = Spin(&Station::receiver_noise_k, QStringLiteral(" K"));
  const auto add = [&](const QString& label, QWidget* w) {
    form->addRow(label, w);
    w->setAccessibleName(title + u' ' + QString(label).remove(u'&'));
  };
  add(QStringLiteral("&Name or callsign"), e.name);
  add(QStringLiteral("&Locator or lat,lon"), e.location);
  add(QStringLiteral("Height above sea level"), e.height);
  add(QStringLiteral("Minimum elevation"), e.min_elevation);
  add(QStringLiteral("Horizon mask"), e.mask);
  add(QStringLiteral("Dish diameter"), e.dish);
  add(QStringLiteral("Dish efficiency"), e.efficiency);
  add(QStringLiteral("Receiver noise temperature"), e.noise);
  return e;
}

void Show(StationEditor& e, const Station& s) {
  const StationFields f = FieldsOf(s);
  e.name->setText(QString::fromStdString(f.name));
  e.location->setText(QString::fromStdString(f.location));
  e.height->setValue(f.height_m);
  e.min_elevation->setValue(f.min_elevation_deg);
  e.mask->setText(QString::fromStdString(f.mask));
  e.dish->setValue(f.dish_diameter_m);
  e.efficiency->setValue(f.dish_efficiency);
  e.noise->setValue(f.receiver_noise_k);
}

StationFields Fields(const StationEditor& e) {
  StationFields f;
  f.name = e.name->text().toStdString();
  f.location = e.location->text().toStdString();
  f.mask = e.mask->text().toStdString();
  f.height_m = e.height->value();
  f.min_elevation_deg = e.min_elevation->value();
  f.dish_diameter_m = e.dish->value();
  f.dish_efficiency = e.efficiency->value();
  f.receiver_noise_k = e.noise->value();
  return f;
}

// A location field that names no place is marked in itself: a pale red
// field, and the reason as its tip and for assistive technology. A field
// that names one is shown as the others are.
void MarkLocation(QLineEdit* field) {
  const QString text = field->text().trimmed();
  const bool valid = ParseLocation(text.toStdString()).has_value();
  const QString reason = valid ? QString()
                               : QStringLiteral(
                                     "\"%1\" is neither a locator (JO01, JO01ab, JO01ab12) nor a "
                                     "latitude,longitude (51.5,-0.1)")
                                     .arg(text);
  if (field->toolTip() == reason) return;
  QPalette palette;
  if (!valid) {
    palette = field->palette();
    palette.setColor(QPalette::Base, QColor(255, 215, 215));
  }
  // A default palette hands the field back to its parent's.
  field->setPalette(palette);
  field->setToolTip(reason);
  field->setAccessibleDescription(reason);
}

// What one computation of the span needs, copied so that it can run on a
// worker thread while the window goes on.
struct TrackJob {
  PlannerRequest request;
  QuillmereState state;
  std::vector<double> air_key;  // RayTracedAirKey of the state
  StationAir air;               // the ray-traced air when already built
};

struct TrackResult {
  PlannedTrack planned;
  std::vector<double> air_key;
};

TrackResult RunTrackJob(TrackJob job) {
  ClearUpperVectorState();
  // One table per station and weather, kept across spans and stations.
  return {PlanTrack(job.request, TrackEnvironmentOf(job.state), std::move(job.air)),
          std::move(job.air_key)};
}

// After an edit, the planner waits this long for the next keystroke before
// it computes: typing a locator starts no computation per character.
constexpr int kSettleMs = 400;

}  // namespace

struct PlannerWindow::Impl {
  // The stations file as it was read when the planner opened.
  StationsFile stations_file;
  Host host;
  QLabel* stations_note = nullptr;

  StationEditor home, dx;
  QComboBox* from_choice = nullptr;
  QDateTimeEdit* from = nullptr;
  QSpinBox* span_hours = nullptr;
  QSpinBox* step = nullptr;
  QCheckBox* follow = nullptr;
  // While following: which station's Moon is down, and when it rises.
  QLabel* follow_note = nullptr;
  QAction* follow_note_action = nullptr;
  MoonFollower follower;
  QCheckBox* ray_traced = nullptr;
  QLabel* atmosphere = nullptr;
  QLabel* status = nullptr;
  QTimer* follow_timer = nullptr;
  QTimer* settle = nullptr;

  PlannerCharts* charts = nullptr;
  // The weather import of each station, placed where the span shown is.
  WeatherImportPanel* home_weather = nullptr;
  WeatherImportPanel* dx_weather = nullptr;
  // The Now strip's source, shared with its compact window.
  NowFeed* now_feed = nullptr;
  NowStrip* now_strip = nullptr;
  QPointer<NowWindow> now_window;
  QPointer<QWidget> control_window;
  QCheckBox* local_time = nullptr;
  QTimer* now_timer = nullptr;

  TrackModel model;
  QTableView* table = nullptr;

  std::optional<double> from_utc_s;  // set by SetSpan; otherwise the editor's choice
  // The span shown in the table and the charts.
  PlannedTrack shown;

  // The ray-traced air of the last weather and band, and its key.
  std::vector<double> air_key;
  StationAir air;
  // What the last computation read of the main window.
  std::vector<double> state_key;
  // The background computation: at most one runs; a change meanwhile runs
  // the next when it is done.
  std::unique_ptr<BackgroundWork> work;

  PlannerWindow* self = nullptr;

  // Puts a computed span in the table and the charts.
  void Show(TrackResult result);
  // Selects a row of the table and marks its minute on the charts; brings
  // it into view when `scroll`.
  void SelectRow(int row, bool scroll);
  // The moment of a row of the span shown, or nothing.
  std::optional<double> RowUtc(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= shown.track.rows.size()) return std::nullopt;
    return shown.track.rows[static_cast<std::size_t>(row)].utc_s;
  }
  // The row of exactly that moment, or -1.
  int RowOf(double utc_s) const {
    const int row = charts->RowNearest(utc_s);
    const auto at = RowUtc(row);
    return at && std::abs(*at - utc_s) < 0.5 ? row : -1;
  }
  // Whether the span starts at the present moment, and so moves with it.
  bool FromNow() const { return !from_utc_s && from_choice->currentIndex() == 0; }

  TrackAtmosphere Atmosphere() const {
    return ray_traced->isChecked() ? TrackAtmosphere::kRayTraced : TrackAtmosphere::kCosecant;
  }

  // The job of the editor's stations and span, or the message of what is
  // wrong with them.
  std::variant<TrackJob, QString> MakeJob() {
    TrackJob job;
    for (StationEditor* e : {&home, &dx}) MarkLocation(e->location);
    auto stations = ReadEditor();
    if (const QString* error = std::get_if<QString>(&stations)) return *error;
    job.request.stations = std::get<Stations>(std::move(stations));
    job.request.start_utc_s = host.now_utc_s();
    job.request.from_now = !from_utc_s && from_choice->currentIndex() != 1;
    if (from_utc_s) {
      job.request.start_utc_s = *from_utc_s;
    } else if (from_choice->currentIndex() == 1) {
      job.request.start_utc_s = static_cast<double>(from->dateTime().toSecsSinceEpoch());
    }
    job.request.span_minutes = span_hours->value() * 60;
    job.request.step_minutes = step->value();
    job.request.atmosphere = Atmosphere();
    // A clock set outside the years the Moon is checked for is refused as
    // --from is on the command line.
    if (const auto fault = RequestFault(job.request)) return QString::fromStdString(*fault);
    job.state = host.state();
    job.air_key = RayTracedAirKey(job.state);
    if (air && air_key == job.air_key) job.air = air;
    state_key = TrackAirKey(job.state, job.request.atmosphere);
    return job;
  }

  std::variant<Stations, QString> ReadEditor() const {
    auto stations = StationsFromFields(Fields(home), Fields(dx));
    if (const std::string* error = std::get_if<std::string>(&stations))
      return QString::fromStdString(*error);
    return std::get<Stations>(std::move(stations));
  }
};

PlannerWindow::PlannerWindow(QWidget* parent, std::filesystem::path stations_file, Host host)
    : QWidget(parent, Qt::Window), d_(std::make_unique<Impl>()) {
  d_->self = this;
  d_->host = std::move(host);
  d_->work = std::make_unique<BackgroundWork>(this, [this] { CalculateInBackground(); });
  setObjectName(QStringLiteral("PlannerWindow"));
  setWindowTitle(QStringLiteral("Quillmere Moon Planner"));
  setWindowIcon(ProgramIcon());
  setAccessibleName(QStringLiteral("Moon planner"));

  // Stations and span.
  d_->home = MakeEditor(QStringLiteral("Home"));
  d_->dx = MakeEditor(QStringLiteral("DX"));
  // Each station's current weather from Open-Meteo, on request, for the
  // main window's steppers.
  for (const WeatherStation which : {WeatherStation::kHome, WeatherStation::kDx}) {
    StationEditor& editor = which == WeatherStation::kHome ? d_->home : d_->dx;
    auto* weather = new WeatherImportPanel(
        which, WeatherQuery{}, [this](WeatherStation station, const StationWeather& figures) {
          return d_->host.apply_weather ? d_->host.apply_weather(station, figures)
                                        : StationWeather{};
        });
    static_cast<QFormLayout*>(editor.box->layout())->addRow(weather);
    (which == WeatherStation::kHome ? d_->home_weather : d_->dx_weather) = weather;
  }
  auto* save = new QPushButton(QStringLiteral("&Save stations"));
  save->setAccessibleName(QStringLiteral("Save stations to QuillmereStations.ini"));

  auto* span_box = new QGroupBox(QStringLiteral("Time span (UTC)"));
  auto* span_form = new QFormLayout(span_box);
  d_->from_choice = new QComboBox;
  d_->from_choice->addItems({QStringLiteral("From now"), QStringLiteral("From a chosen time")});
  d_->from_choice->setAccessibleName(QStringLiteral("Start of the span"));
  d_->from = new QDateTimeEdit;
  d_->from->setTimeSpec(Qt::UTC);
  d_->from->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
  d_->from->setDateTime(QDateTime::currentDateTimeUtc());
  d_->from->setAccessibleName(QStringLiteral("Chosen start time, UTC"));
  d_->span_hours = new QSpinBox;
  d_->span_hours->setRange(1, kMaxSpanMinutes / 60);
  d_->span_hours->setValue(24);
  d_->span_hours->setSuffix(QStringLiteral(" h"));
  d_->span_hours->setAccessibleName(QStringLiteral("Span, hours (1 hour to 14 days)"));
  d_->step = new QSpinBox;
  d_->step->setRange(1, 60);
  d_->step->setSuffix(QStringLiteral(" min"));
  d_->step->setAccessibleName(QStringLiteral("Step, minutes"));
  span_form->addRow(QStringLiteral("Start"), d_->from_choice);
  span_form->addRow(QStringLiteral("Chosen time"), d_->from);
  span_form->addRow(QStringLiteral("Span"), d_->span_hours);
  span_form->addRow(QStringLiteral("Step"), d_->step);
  auto* calculate = new QPushButton(QStringLiteral("&Calculate"));
  calculate->setAccessibleName(QStringLiteral("Calculate the span"));
  auto* export_csv = new QPushButton(QStringLiteral("&Export CSV..."));
  export_csv->setAccessibleName(QStringLiteral("Export the table of minutes as CSV"));
  d_->follow = new QCheckBox(QStringLiteral("&Follow the Moon"));
  d_->follow->setAccessibleName(QStringLiteral("Follow the Moon in the main window"));
  d_->follow->setToolTip(
      QStringLiteral("Every minute, set each station's elevation in the main window to its Moon "
                     "elevation and the Moon distance to the current one"));
  d_->follow_note = new QLabel;
  d_->follow_note->setAccessibleName(QStringLiteral("Follow the Moon"));
  d_->ray_traced = new QCheckBox(QStringLiteral("&Ray-traced atmosphere (P.676-13)"));
  d_->ray_traced->setChecked(true);
  d_->ray_traced->setAccessibleName(QStringLiteral("Ray-traced atmosphere"));
  d_->ray_traced->setToolTip(
      QStringLiteral("On: each station's attenuation and sky temperature toward the Moon by the "
                     "ray trace of P.676-13 Annex 1, true down to the horizon. Off: the main "
                     "window's cosecant model, as its own figures"));
  d_->atmosphere = new QLabel;
  d_->atmosphere->setWordWrap(true);
  d_->atmosphere->setAccessibleName(QStringLiteral("Atmosphere of the degradation"));
  d_->status = new QLabel;
  d_->status->setWordWrap(true);
  d_->status->setAccessibleName(QStringLiteral("Planner status"));
  // What the stations file held that was refused stays in view until the
  // stations are saved, whatever the status line says meanwhile.
  d_->stations_note = new QLabel;
  d_->stations_note->setWordWrap(true);
  d_->stations_note->setObjectName(QStringLiteral("StationsFileNote"));
  d_->stations_note->setAccessibleName(QStringLiteral("Stations file"));

  auto* left = new QVBoxLayout;
  left->addWidget(d_->home.box);
  left->addWidget(d_->dx.box);
  left->addWidget(save);
  left->addWidget(d_->stations_note);
  left->addWidget(span_box);
  left->addWidget(d_->ray_traced);
  left->addWidget(d_->atmosphere);
  left->addStretch(1);

  // The commands and the status in a tool bar over the whole window: in
  // sight however low the screen, where the editor column has to scroll.
  auto* commands = new QToolBar;
  commands->setAccessibleName(QStringLiteral("Planner commands"));
  commands->addWidget(calculate);
  commands->addWidget(export_csv);
  commands->addSeparator();
  commands->addWidget(d_->follow);
  auto* control = new QPushButton(QStringLiteral("Station c&ontrol..."));
  control->setAccessibleName(QStringLiteral("Station control through Hamlib"));
  control->setToolTip(QStringLiteral(
      "Point the dish at the Moon and keep the rig on frequency through rotctld and rigctld"));
  commands->addWidget(control);
  connect(control, &QPushButton::clicked, this, &PlannerWindow::OpenStationControl);
  // A tool bar shows and hides its widgets through their actions.
  d_->follow_note_action = commands->addWidget(d_->follow_note);
  d_->follow_note_action->setVisible(false);
  commands->addSeparator();
  d_->status->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  commands->addWidget(d_->status);

  // Charts, and over them what moves about in them.
  d_->charts = new PlannerCharts(this);
  // The layer of the minutes the Sun spoils, there (and in the legend) from
  // the start.
  d_->charts->ShadeRanges(kSunLayer, kSunShade, {});
  auto* go_now = new QPushButton(QStringLiteral("Go to no&w"));
  go_now->setAccessibleName(QStringLiteral("Select the present minute in the table"));
  auto* go_best = new QPushButton(QStringLiteral("Go to &best minute"));
  go_best->setAccessibleName(
      QStringLiteral("Select the best minute of the next mutual window in the table"));
  go_best->setToolTip(
      QStringLiteral("The best minute of the mutual window now open or next to "
                     "open; pressed again, of the window after it"));
  d_->local_time = new QCheckBox(QStringLiteral("Local &time"));
  d_->local_time->setAccessibleName(QStringLiteral("Charts in local time"));
  d_->local_time->setToolTip(
      QStringLiteral("Label the charts' time axes and the read-out in "
                     "this computer's local time instead of UTC"));
  auto* chart_bar = new QHBoxLayout;
  chart_bar->addWidget(go_now);
  chart_bar->addWidget(go_best);
  chart_bar->addWidget(d_->local_time);
  chart_bar->addSpacing(8);
  chart_bar->addWidget(d_->charts->ReadOut(), 1);

  d_->table = new QTableView;
  d_->table->setModel(&d_->model);
  d_->table->setAccessibleName(QStringLiteral("Table of minutes"));
  d_->table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  d_->table->verticalHeader()->setVisible(false);
  // Every row is as tall as the first: no 20 160 measurements.
  d_->table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  d_->table->setSelectionBehavior(QAbstractItemView::SelectRows);

  auto* right = new QSplitter(Qt::Vertical);
  right->addWidget(d_->charts->ElevationView());
  right->addWidget(d_->charts->DegradationView());
  right->addWidget(d_->table);
  auto* right_pane = new QWidget;
  auto* right_column = new QVBoxLayout(right_pane);
  right_column->setContentsMargins(0, 0, 0, 0);
  right_column->addLayout(chart_bar);
  right_column->addWidget(right, 1);

  // The editor column scrolls where the screen is lower than it (768 rows
  // hold the charts but not every station field and the buttons below them).
  auto* left_panel = new QWidget;
  left_panel->setLayout(left);
  auto* left_scroll = new QScrollArea;
  left_scroll->setWidget(left_panel);
  left_scroll->setWidgetResizable(true);
  left_scroll->setFrameShape(QFrame::NoFrame);
  left_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  left_scroll->setMinimumWidth(left_panel->sizeHint().width() +
                               left_scroll->verticalScrollBar()->sizeHint().width());

  auto* panes = new QHBoxLayout;
  panes->addWidget(left_scroll, 0);
  panes->addWidget(right_pane, 1);
  d_->now_feed = new NowFeed(this, d_->host.now_utc_s);
  d_->now_strip = new NowStrip(d_->now_feed, NowStrip::Kind::kInPlanner, this);
  connect(d_->now_strip, &NowStrip::compactWanted, this, &PlannerWindow::OpenNowWindow);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(commands);
  layout->addWidget(d_->now_strip);
  layout->addLayout(panes, 1);

  // Escape closes the planner wherever the focus is in it.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, &QWidget::close);

  d_->follow_timer = new QTimer(this);
  d_->follow_timer->setInterval(kMinuteMs);
  connect(d_->follow_timer, &QTimer::timeout, this, &PlannerWindow::FollowTick);
  connect(d_->follow, &QCheckBox::toggled, this, &PlannerWindow::SetFollowing);
  d_->now_timer = new QTimer(this);
  d_->now_timer->setInterval(kNowTickMs);
  connect(d_->now_timer, &QTimer::timeout, this, &PlannerWindow::NowTick);
  connect(go_now, &QPushButton::clicked, this, &PlannerWindow::GoToNow);
  connect(go_best, &QPushButton::clicked, this, &PlannerWindow::GoToBestMinute);
  connect(d_->local_time, &QCheckBox::toggled, this, &PlannerWindow::SetLocalTime);
  connect(d_->charts, &PlannerCharts::MinuteClicked, this,
          [this](double utc_s) { d_->SelectRow(d_->RowOf(utc_s), true); });
  connect(
      d_->table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
      [this](const QModelIndex& current) { d_->charts->MarkMinute(d_->RowUtc(current.row())); });
  connect(save, &QPushButton::clicked, this, [this] {
    const auto error = SaveStations();
    d_->status->setText(error ? *error : QStringLiteral("Stations saved."));
  });
  connect(calculate, &QPushButton::clicked, this, [this] {
    d_->from_utc_s.reset();
    CalculateInBackground();
  });

  // Every change of the stations, the span or the atmosphere computes the
  // span again once the typing pauses.
  d_->settle = new QTimer(this);
  d_->settle->setSingleShot(true);
  d_->settle->setInterval(kSettleMs);
  connect(d_->settle, &QTimer::timeout, this, &PlannerWindow::CalculateInBackground);
  const auto changed = [this] {
    if (isVisible()) d_->settle->start();
  };
  for (StationEditor* e : {&d_->home, &d_->dx}) {
    for (QLineEdit* line : {e->name, e->location, e->mask})
      connect(line, &QLineEdit::textChanged, this, changed);
    // A marked field follows the typing at once; a new mark waits for the
    // computation, so that a locator half typed is not marked.
    connect(e->location, &QLineEdit::textChanged, this, [field = e->location] {
      if (!field->toolTip().isEmpty()) MarkLocation(field);
    });
    for (QDoubleSpinBox* spin : {e->height, e->min_elevation, e->dish, e->efficiency, e->noise})
      connect(spin, &QDoubleSpinBox::valueChanged, this, changed);
  }
  connect(d_->from_choice, &QComboBox::currentIndexChanged, this, changed);
  connect(d_->from, &QDateTimeEdit::dateTimeChanged, this, changed);
  connect(d_->span_hours, &QSpinBox::valueChanged, this, changed);
  connect(d_->step, &QSpinBox::valueChanged, this, changed);
  connect(d_->ray_traced, &QCheckBox::toggled, this, [this, changed] {
    d_->atmosphere->setText(AtmosphereText());
    changed();
  });
  d_->atmosphere->setText(AtmosphereText());
  connect(export_csv, &QPushButton::clicked, this, [this] {
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Export the minutes"),
                                                      QStringLiteral("moon-track.csv"),
                                                      QStringLiteral("CSV files (*.csv)"));
    if (file.isEmpty()) return;
    const auto error = ExportCsv(std::filesystem::path(file.toStdString()));
    d_->status->setText(error ? *error : QStringLiteral("Exported to %1").arg(file));
  });

  // The stations kept beside the data file; defaults when there are none.
  d_->stations_file = LoadStationsFile(stations_file);
  const QString message = QString::fromStdString(d_->stations_file.message);
  d_->stations_note->setText(message);
  d_->stations_note->setVisible(!message.isEmpty());
  const Stations& stations = d_->stations_file.stations;
  Show(d_->home, stations.home);
  Show(d_->dx, stations.dx);
  // The keyboard starts at Home's name.
  d_->home.name->setFocus();
  // As large as it was designed, but never larger than the screen it opens on.
  QSize size(1280, 900);
  if (const QScreen* shown_on = screen()) {
    size = size.boundedTo(shown_on->availableGeometry().size() - QSize(16, 48));
  }
  resize(size);
}

PlannerWindow::~PlannerWindow() = default;

QString PlannerWindow::StationsFileMessage() const {
  return QString::fromStdString(d_->stations_file.message);
}

void PlannerWindow::SetStationText(bool dx, const QString& name, const QString& location) {
  StationEditor& e = dx ? d_->dx : d_->home;
  e.name->setText(name);
  e.location->setText(location);
}

void PlannerWindow::SetSpan(std::optional<double> from_utc_s, int span_minutes, int step_minutes) {
  d_->from_utc_s = from_utc_s;
  d_->span_hours->setValue(std::max(1, span_minutes / 60));
  d_->step->setValue(step_minutes);
  d_->from_choice->setCurrentIndex(from_utc_s ? 1 : 0);
  if (from_utc_s) {
    d_->from->setDateTime(QDateTime::fromSecsSinceEpoch(static_cast<qint64>(*from_utc_s), Qt::UTC));
  }
}

std::optional<QString> PlannerWindow::SaveStations() {
  auto stations = d_->ReadEditor();
  if (const QString* error = std::get_if<QString>(&stations)) return *error;
  const SaveOutcome saved = SaveStationsFile(d_->stations_file, std::get<Stations>(stations));
  if (!saved.ok()) return QString::fromStdString(saved.message);
  // The file now holds what the editor shows: the refusals are past.
  d_->stations_note->hide();
  return std::nullopt;
}

void PlannerWindow::Impl::Show(TrackResult result) {
  // The table keeps the minute it had selected and the minute at its top,
  // where the new span has them: a span that rolls forward with the clock,
  // or one computed again for new weather, stays where the operator left it.
  const QModelIndex current = table->selectionModel()->currentIndex();
  const std::optional<double> selected = table->selectionModel()->isRowSelected(current.row(), {})
                                             ? RowUtc(current.row())
                                             : std::nullopt;
  const std::optional<double> top = RowUtc(table->rowAt(0));
  shown = std::move(result.planned);
  if (shown.air) {
    air = shown.air;
    air_key = std::move(result.air_key);
  }
  model.Reset(&shown);
  charts->Show(&shown, QStringLiteral("Home\u2192DX degradation, dB \u2014 %1")
                           .arg(QString::fromUtf8(AtmosphereLabel(shown.request.atmosphere))));
  // The minutes where the Sun costs more than half a decibel, shaded.
  std::vector<TimeRange> sun;
  const double step_s = 60.0 * std::max(1, shown.request.step_minutes);
  for (const TrackRow& r : shown.track.rows) {
    if (!SunMarked(r)) continue;
    if (!sun.empty() && r.utc_s <= sun.back().to_utc_s + 0.5)
      sun.back().to_utc_s = r.utc_s + step_s;
    else
      sun.push_back({r.utc_s, r.utc_s + step_s});
  }
  charts->ShadeRanges(kSunLayer, kSunShade, sun);
  for (const auto& [panel, station] : {std::pair{home_weather, &shown.request.stations.home},
                                       std::pair{dx_weather, &shown.request.stations.dx}}) {
    panel->SetPlace({station->latitude_deg, station->longitude_deg, station->height_m});
  }
  // The strip follows the stations and the air of the span shown.
  now_feed->SetInputs(shown.request.stations, shown.request.atmosphere, host.state());
  charts->SetNow(host.now_utc_s());
  self->RedrawCharts(std::max(200, charts->ElevationView()->width()));
  if (top) {
    if (const int row = RowOf(*top); row >= 0)
      table->scrollTo(model.index(row, 0), QAbstractItemView::PositionAtTop);
  }
  SelectRow(selected ? RowOf(*selected) : -1, false);
  const auto count = [](std::size_t n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
  };
  status->setText(QStringLiteral("%1, %2 at %3 GHz")
                      .arg(count(shown.track.rows.size(), "row", "rows"),
                           count(shown.track.windows.size(), "mutual window", "mutual windows"))
                      .arg(shown.frequency_hz / 1e9, 0, 'f', 3));
}

std::optional<QString> PlannerWindow::Calculate() {
  auto job = d_->MakeJob();
  if (const QString* error = std::get_if<QString>(&job)) return *error;
  // Whatever runs in the background is older than this.
  d_->work->Overtake();
  d_->settle->stop();
  d_->Show(RunTrackJob(std::move(std::get<TrackJob>(job))));
  return std::nullopt;
}

void PlannerWindow::CalculateInBackground() {
  d_->settle->stop();
  if (d_->work->AgainOnceDone()) return;
  auto job = d_->MakeJob();
  if (const QString* error = std::get_if<QString>(&job)) {
    d_->status->setText(*error);
    return;
  }
  d_->status->setText(QStringLiteral("Computing\u2026"));
  d_->work->Start(
      [this, job = std::move(std::get<TrackJob>(job))](const BackgroundWork::Post& post) mutable {
        auto result = std::make_shared<TrackResult>(RunTrackJob(std::move(job)));
        post([this, result] { d_->Show(std::move(*result)); }, true);
      });
}

bool PlannerWindow::Computing() const {
  return d_->work->Running();
}

void PlannerWindow::StateChanged() {
  if (!isVisible() || !d_->host.state) return;
  if (TrackAirKey(d_->host.state(), d_->Atmosphere()) != d_->state_key) CalculateInBackground();
}

void PlannerWindow::SetRayTraced(bool on) {
  d_->ray_traced->setChecked(on);
}

bool PlannerWindow::RayTraced() const {
  return d_->ray_traced->isChecked();
}

QString PlannerWindow::AtmosphereText() const {
  return QStringLiteral("Atmosphere: ") + QString::fromUtf8(AtmosphereLabel(d_->Atmosphere()));
}

void PlannerWindow::RedrawCharts(int columns) {
  d_->charts->Redraw(columns);
}

void PlannerWindow::Impl::SelectRow(int row, bool scroll) {
  if (row < 0) {
    table->clearSelection();
    charts->MarkMinute(std::nullopt);
    return;
  }
  const QModelIndex index = model.index(row, 0);
  table->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  charts->MarkMinute(RowUtc(row));
  if (scroll) table->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

int PlannerWindow::SelectedRow() const {
  const QModelIndex current = d_->table->selectionModel()->currentIndex();
  return d_->table->selectionModel()->isRowSelected(current.row(), {}) ? current.row() : -1;
}

void PlannerWindow::SelectMinute(double utc_s) {
  d_->SelectRow(d_->RowOf(utc_s), true);
}

void PlannerWindow::GoToNow() {
  const double now = d_->host.now_utc_s();
  const std::vector<TrackRow>& rows = d_->shown.track.rows;
  // Half a step either side of the span still reads as its nearest minute.
  const double half_step = d_->shown.request.step_minutes * 30.0;
  if (rows.empty() || now < rows.front().utc_s - half_step || now > rows.back().utc_s + half_step) {
    d_->status->setText(QStringLiteral("Now is outside the span shown."));
    return;
  }
  d_->SelectRow(d_->charts->RowNearest(now), true);
}

void PlannerWindow::GoToBestMinute() {
  const std::vector<std::size_t>& best = d_->shown.best_rows;
  const std::vector<MutualWindow>& windows = d_->shown.track.windows;
  if (best.empty() || best.size() != windows.size()) {
    d_->status->setText(QStringLiteral("No mutual window in the span shown."));
    return;
  }
  // The window open now or the next to open (the first when all are past);
  // from a best minute already selected, the window after it.
  std::size_t next = 0;
  const auto selected = std::find(best.begin(), best.end(), SelectedRow());
  if (SelectedRow() >= 0 && selected != best.end()) {
    next = (static_cast<std::size_t>(selected - best.begin()) + 1) % best.size();
  } else {
    const double now = d_->host.now_utc_s();
    while (next < windows.size() && windows[next].end_utc_s < now) ++next;
    if (next == windows.size()) next = 0;
  }
  d_->SelectRow(static_cast<int>(best[next]), true);
}

void PlannerWindow::SetLocalTime(bool on) {
  if (d_->local_time->isChecked() != on) {
    d_->local_time->setChecked(on);  // comes back here through toggled
    return;
  }
  d_->charts->SetLocalTime(on);
}

PlannerCharts& PlannerWindow::Charts() const {
  return *d_->charts;
}

void PlannerWindow::NowTick() {
  const double now = d_->host.now_utc_s();
  d_->charts->SetNow(now);
  // A span from now rolls forward with the clock, a minute at a time.
  if (isVisible() && d_->FromNow() && !d_->shown.track.rows.empty() && !Computing() &&
      now - d_->shown.request.start_utc_s >= 60)
    CalculateInBackground();
}

QString PlannerWindow::Csv() const {
  return QString::fromStdString(TrackCsv(d_->shown));
}

std::optional<QString> PlannerWindow::ExportCsv(const std::filesystem::path& file) const {
  const SaveOutcome saved = ExportTrackCsv(file, d_->shown);
  if (!saved.ok()) return QString::fromStdString(saved.message);
  return std::nullopt;
}

void PlannerWindow::SetFollowing(bool on) {
  if (d_->follow->isChecked() != on) {
    d_->follow->setChecked(on);  // comes back here through toggled
    return;
  }
  if (on == d_->follow_timer->isActive()) return;
  if (on) {
    d_->follow_timer->start();
  } else {
    d_->follow_timer->stop();
    d_->follow_note->clear();
    d_->follow_note_action->setVisible(false);
  }
  if (d_->host.following_changed) d_->host.following_changed(on);
  if (on) FollowTick();
}

bool PlannerWindow::Following() const {
  return d_->follow_timer->isActive();
}

QString PlannerWindow::FollowNote() const {
  return d_->follow_note->text();
}

void PlannerWindow::FollowTick() {
  auto stations = d_->ReadEditor();
  if (const QString* error = std::get_if<QString>(&stations)) {
    d_->status->setText(QStringLiteral("Follow the Moon: ") + *error);
    return;
  }
  // The dishes point where the table's refraction puts the Moon.
  const Stations& followed = std::get<Stations>(stations);
  const auto [home_n, dx_n] = TrackRefractivities(
      d_->host.state ? TrackEnvironmentOf(d_->host.state()) : TrackEnvironment{}, followed);
  const FollowStep step = d_->follower.Step(followed, d_->host.now_utc_s(), home_n, dx_n);
  const QString note = QString::fromStdString(step.note);
  d_->follow_note->setText(note);
  d_->follow_note_action->setVisible(!note.isEmpty());
  if (d_->host.follow) d_->host.follow(step.home.elevation_deg, step.dx.elevation_deg, note);
}

QAbstractItemModel* PlannerWindow::Table() const {
  return &d_->model;
}

int PlannerWindow::RowCount() const {
  return static_cast<int>(d_->shown.track.rows.size());
}

QList<int> PlannerWindow::BestRows() const {
  QList<int> rows;
  for (const std::size_t row : d_->shown.best_rows) rows << static_cast<int>(row);
  return rows;
}

void PlannerWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void PlannerWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  d_->now_timer->start();
  // The charts are filled as the window opens, and again when it comes back
  // after the stations or the weather changed while it was hidden.
  if (d_->shown.track.rows.empty() ||
      TrackAirKey(d_->host.state(), d_->Atmosphere()) != d_->state_key)
    CalculateInBackground();
}

void PlannerWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  d_->now_timer->stop();
}

void PlannerWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!d_->shown.track.rows.empty())
    RedrawCharts(std::max(200, d_->charts->ElevationView()->width()));
}

NowWindow* PlannerWindow::OpenNowWindow() {
  if (!d_->now_window) {
    // Its own window, not the planner's child: it stays beside the main
    // window when the planner is behind it, and goes with the planner.
    d_->now_window = new NowWindow(d_->now_feed);
    d_->now_window->setAttribute(Qt::WA_DeleteOnClose);
    connect(this, &QObject::destroyed, d_->now_window.data(), &QWidget::close);
  }
  d_->now_window->show();
  d_->now_window->raise();
  d_->now_window->activateWindow();
  return d_->now_window;
}

QWidget* PlannerWindow::OpenStationControl() {
  if (!d_->control_window) {
    // A window of its own: closing it ends the control (the panel stops the
    // rotator as it goes), so that nothing drives the dish unseen.
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setObjectName(QStringLiteral("StationControlWindow"));
    window->setWindowTitle(QStringLiteral("Quillmere \u2014 Station control"));
    window->setWindowIcon(ProgramIcon());
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(window);
    // The stations as the editor holds them when the operator connects.
    layout->addWidget(new StationControlPanel(
        d_->host.now_utc_s,
        [this]() -> Stations {
          auto stations = d_->ReadEditor();
          if (const auto* read = std::get_if<Stations>(&stations)) return *read;
          return d_->shown.request.stations;
        },
        window));
    connect(this, &QObject::destroyed, window, &QWidget::close);
    d_->control_window = window;
  }
  d_->control_window->show();
  d_->control_window->raise();
  d_->control_window->activateWindow();
  return d_->control_window;
}

NowFeed* PlannerWindow::Now() const {
  return d_->now_feed;
}

}  // namespace quillmere
