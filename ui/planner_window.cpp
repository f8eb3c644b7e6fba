#include "planner_window.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QAreaSeries>
#include <QBrush>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
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
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
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
#include <QValueAxis>
#include <array>
#include <cmath>
#include <future>
#include <string>

#include "chart_decimation.h"
#include "maidenhead.h"
#include "moon_follow.h"
#include "program_icon.h"
#include "regular_file.h"
#include "safe_write.h"
#include "text_file.h"
#include "track_command.h"
#include "track_environment.h"
#include "vector_state.h"

namespace quillmere {
namespace {

constexpr int kMinuteMs = 60 * 1000;
constexpr int kMaxSpanMinutes = 14 * 24 * 60;
// QuillmereStations.ini is small; anything larger is not ours.
constexpr std::uint64_t kMaxStationsFileBytes = 64 * 1024;
// The lowest elevation the elevation chart shows, degrees.
constexpr double kChartFloorDeg = -10.0;

// The columns of the table and of the CSV file.
enum Column {
  kUtc,
  kHomeAz,
  kHomeEl,
  kDxAz,
  kDxEl,
  kMutual,
  kDopplerSelf,
  kDopplerHomeDx,
  kDelay,
  kLibration,
  kDistanceDb,
  kAttTxDb,
  kAttRxDb,
  kSkyDb,
  kMoonDb,
  kTotalDb,
  kColumns
};
constexpr std::array<const char*, kColumns> kHeaders = {
    "UTC",          "Home az \u00b0", "Home el \u00b0",  "DX az \u00b0",
    "DX el \u00b0", "Mutual",         "Self Doppler Hz", "Home\u2192DX Doppler Hz",
    "Delay s",      "Libration Hz",   "Distance dB",     "Atten Home dB",
    "Atten DX dB",  "Sky noise dB",   "Moon noise dB",   "Total dB"};
constexpr std::array<const char*, kColumns> kCsvHeaders = {"utc",
                                                           "home_az",
                                                           "home_el",
                                                           "dx_az",
                                                           "dx_el",
                                                           "mutual",
                                                           "doppler_self_hz",
                                                           "doppler_home_dx_hz",
                                                           "delay_s",
                                                           "libration_hz",
                                                           "distance_db",
                                                           "attenuation_home_db",
                                                           "attenuation_dx_db",
                                                           "sky_noise_db",
                                                           "moon_noise_db",
                                                           "total_db"};

QString Utc(double utc_s) {
  return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::floor(utc_s)), Qt::UTC)
      .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
}

// A figure of a row; nothing where the Moon is below a station's horizon.
std::optional<double> Figure(const TrackRow& r, int column) {
  const Degradation& d = r.home_dx;
  const bool valid = r.home_dx_valid;
  switch (column) {
    case kHomeAz:
      return r.home.azimuth_deg;
    case kHomeEl:
      return r.home.elevation_refracted_deg;
    case kDxAz:
      return r.dx.azimuth_deg;
    case kDxEl:
      return r.dx.elevation_refracted_deg;
    case kDopplerSelf:
      return r.doppler_self_home_hz;
    case kDopplerHomeDx:
      return r.doppler_home_dx_hz;
    case kDelay:
      return r.delay_home_dx_s;
    case kLibration:
      return r.libration_home_dx_hz;
    case kDistanceDb:
      return valid ? std::optional(d.distance_db) : std::nullopt;
    case kAttTxDb:
      return valid ? std::optional(d.attenuation_tx_db) : std::nullopt;
    case kAttRxDb:
      return valid ? std::optional(d.attenuation_rx_db) : std::nullopt;
    case kSkyDb:
      return valid ? std::optional(d.sky_noise_db) : std::nullopt;
    case kMoonDb:
      return valid ? std::optional(d.moon_noise_db) : std::nullopt;
    case kTotalDb:
      return valid ? std::optional(d.total_db) : std::nullopt;
    default:
      return std::nullopt;
  }
}

int Decimals(int column) {
  switch (column) {
    case kDopplerSelf:
    case kDopplerHomeDx:
    case kLibration:
      return 1;
    case kDelay:
      return 4;
    default:
      return 2;
  }
}

// The table of minutes over the computed track: 20 160 rows cost one model,
// not a widget each.
class TrackModel final : public QAbstractTableModel {
 public:
  void Reset(const Track* track, QList<int> best) {
    beginResetModel();
    track_ = track;
    best_ = std::move(best);
    endResetModel();
  }
  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() || !track_ ? 0 : static_cast<int>(track_->rows.size());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : kColumns;
  }
  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kColumns) {
      return QString::fromUtf8(kHeaders[section]);
    }
    return QAbstractTableModel::headerData(section, o, role);
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!track_ || !index.isValid()) return {};
    const TrackRow& r = track_->rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::BackgroundRole && best_.contains(index.row())) {
      return QBrush(QColor(255, 230, 140));
    }
    if (role == Qt::ToolTipRole && best_.contains(index.row())) {
      return QStringLiteral("Best minute of its mutual window");
    }
    if (role != Qt::DisplayRole) return {};
    return Text(r, index.column());
  }
  static QString Text(const TrackRow& r, int column) {
    if (column == kUtc) return Utc(r.utc_s);
    if (column == kMutual) return r.mutual ? QStringLiteral("yes") : QStringLiteral("no");
    const std::optional<double> v = Figure(r, column);
    return v ? QString::number(*v, 'f', Decimals(column)) : QString();
  }

 private:
  const Track* track_ = nullptr;
  QList<int> best_;
};

// "az:el, az:el" for the editor, from the mask and back to the file's form.
QString MaskText(const std::vector<MaskPoint>& mask) {
  QStringList parts;
  for (const MaskPoint& p : mask) {
    parts << QString::number(p.azimuth_deg) + u':' + QString::number(p.elevation_deg);
  }
  return parts.join(QStringLiteral(", "));
}

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
  e.name->setText(QString::fromStdString(s.name));
  e.location->setText(s.locator.empty() ? QString::number(s.latitude_deg, 'g', 10) + u',' +
                                              QString::number(s.longitude_deg, 'g', 10)
                                        : QString::fromStdString(s.locator));
  e.height->setValue(s.height_m);
  e.min_elevation->setValue(s.min_elevation_deg);
  e.mask->setText(MaskText(s.horizon_mask));
  e.dish->setValue(s.dish_diameter_m);
  e.efficiency->setValue(s.dish_efficiency);
  e.noise->setValue(s.receiver_noise_k);
}

// One station's section of QuillmereStations.ini from the editor, so that
// the file's own parser judges the fields as it judges the file.
std::string Section(const char* section, const StationEditor& e) {
  const auto number = [](double v) { return QString::number(v, 'g', 17).toStdString(); };
  QString mask = e.mask->text().trimmed();
  mask.replace(u',', u';');
  mask.remove(u' ');
  std::string out = std::string("[") + section + "]\n";
  out += "Name=" + e.name->text().trimmed().toStdString() + "\n";
  out += "Location=" + e.location->text().trimmed().toStdString() + "\n";
  out += "HeightM=" + number(e.height->value()) + "\n";
  out += "MinElevationDeg=" + number(e.min_elevation->value()) + "\n";
  out += "HorizonMask=" + mask.toStdString() + "\n";
  out += "DishDiameterM=" + number(e.dish->value()) + "\n";
  out += "DishEfficiency=" + number(e.efficiency->value()) + "\n";
  out += "ReceiverNoiseK=" + number(e.noise->value()) + "\n\n";
  return out;
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

QChart* NewChart(const QString& title) {
  auto* chart = new QChart;
  chart->setTitle(title);
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->setMargins(QMargins(4, 4, 4, 4));
  // The series are replaced whole on every redraw; animating them would
  // cost more than drawing them.
  chart->setAnimationOptions(QChart::NoAnimation);
  return chart;
}

// What one computation of the span needs, copied so that it can run on a
// worker thread while the window goes on.
struct TrackJob {
  Stations stations;
  double start_utc_s = 0.0;
  int span_minutes = 60;
  int step_minutes = 1;
  QuillmereState state;
  TrackAtmosphere atmosphere = TrackAtmosphere::kRayTraced;
  std::vector<double> air_key;  // TrackAirKey of the state for that air
  StationAir air;               // the ray-traced air when already built
};

struct TrackResult {
  Stations stations;
  Track track;
  QList<int> best_rows;
  double frequency_hz = 0.0;
  TrackAtmosphere atmosphere = TrackAtmosphere::kRayTraced;
  std::vector<double> air_key;
  StationAir air;
};

TrackResult RunTrackJob(TrackJob job) {
  ClearUpperVectorState();
  TrackResult out;
  // The request lives here: the air callables find each station by its
  // address in it.
  TrackRequest request;
  request.stations = job.stations;
  request.start_utc_s = std::floor(job.start_utc_s);
  request.span_minutes = job.span_minutes;
  request.step_minutes = job.step_minutes;
  const TrackEnvironment env = TrackEnvironmentOf(job.state);
  request.frequency_hz = env.frequency_hz;
  if (job.atmosphere == TrackAtmosphere::kRayTraced) {
    // One table per station and weather, kept across spans and stations.
    if (!job.air) job.air = env.ray_traced();
    request.slant_air = SlantAirFor(request, job.air);
  } else {
    request.attenuation_db = AttenuationFor(request, env.attenuation_db);
  }
  out.track = ComputeTrack(request);
  // The best minute of each window is one of the rows.
  for (const MutualWindow& w : out.track.windows) {
    const auto at = std::lower_bound(out.track.rows.begin(), out.track.rows.end(), w.best_utc_s,
                                     [](const TrackRow& r, double t) { return r.utc_s < t; });
    if (at != out.track.rows.end()) {
      out.best_rows << static_cast<int>(at - out.track.rows.begin());
    }
  }
  out.stations = std::move(job.stations);
  out.frequency_hz = env.frequency_hz;
  out.atmosphere = job.atmosphere;
  out.air_key = std::move(job.air_key);
  out.air = std::move(job.air);
  return out;
}

// The lines of the stations file that were refused, for the user:
// "QuillmereStations.ini, line 4: HeightM out of range; line 9: ...".
QString StationsFileRefusals(const StationsRead& read) {
  QStringList parts;
  for (const StationsParseError& e : read.refused) {
    const QString what = QString::fromStdString(e.message);
    parts << (e.line > 0 ? QStringLiteral("line %1: %2").arg(e.line).arg(what) : what);
  }
  if (parts.isEmpty()) return {};
  const QString list = parts.join(QStringLiteral("; "));
  const QString file = read.refused.front().line > 0 ? QStringLiteral("QuillmereStations.ini, ")
                                                     : QStringLiteral("QuillmereStations.ini: ");
  if (read.whole_text_refused) return file + list;
  return file + list +
         QStringLiteral(". Those lines were not taken: what they set shows its default.");
}

// After an edit, the planner waits this long for the next keystroke before
// it computes: typing a locator starts no computation per character.
constexpr int kSettleMs = 400;

}  // namespace

struct PlannerWindow::Impl {
  std::filesystem::path stations_file;
  Host host;
  QString stations_message;
  QLabel* stations_note = nullptr;
  // Why the stations file that exists was not read, when it was not.
  std::optional<std::string> stations_unread;

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

  QChartView* elevation_view = nullptr;
  QChartView* degradation_view = nullptr;
  QLineSeries* home_el = nullptr;
  QLineSeries* dx_el = nullptr;
  QLineSeries* window_upper = nullptr;
  QLineSeries* window_lower = nullptr;
  QLineSeries* now_line = nullptr;
  QScatterSeries* best_el = nullptr;
  QDateTimeAxis* el_time = nullptr;
  QValueAxis* el_axis = nullptr;
  // Dots, not lines: a term has no value while the Moon is down for
  // either station, and a line would join the ends of the gap.
  std::array<QScatterSeries*, 6> terms{};
  QScatterSeries* best_total = nullptr;
  QDateTimeAxis* dg_time = nullptr;
  QValueAxis* dg_axis = nullptr;
  QChart* dg_chart = nullptr;

  TrackModel model;
  QTableView* table = nullptr;

  std::optional<double> from_utc_s;  // set by SetSpan; otherwise the editor's choice
  Stations stations;
  Track track;
  QList<int> best_rows;
  TrackAtmosphere shown_atmosphere = TrackAtmosphere::kRayTraced;
  double shown_frequency_hz = 0.0;
  std::unique_ptr<MoonTracker> tracker = std::make_unique<MoonTracker>();

  // The background computation: at most one runs; a change meanwhile runs
  // the next when it is done. Results of an older generation are dropped.
  bool computing = false;
  bool rerun = false;
  unsigned generation = 0;
  std::future<void> worker;
  // The ray-traced air of the last weather and band, and its key.
  std::vector<double> air_key;
  StationAir air;
  // What the last computation read of the main window.
  std::vector<double> state_key;

  PlannerWindow* self = nullptr;

  // Puts a computed span in the table and the charts.
  void Show(TrackResult result);

  TrackAtmosphere Atmosphere() const {
    return ray_traced->isChecked() ? TrackAtmosphere::kRayTraced : TrackAtmosphere::kCosecant;
  }

  // The job of the editor's stations and span, or the message of what is
  // wrong with them.
  std::variant<TrackJob, QString> MakeJob() {
    TrackJob job;
    for (StationEditor* e : {&home, &dx}) MarkLocation(e->location);
    if (auto error = ReadEditor(job.stations)) return *error;
    double start = host.now_utc_s();
    if (from_utc_s) {
      start = *from_utc_s;
    } else if (from_choice->currentIndex() == 1) {
      start = static_cast<double>(from->dateTime().toSecsSinceEpoch());
    }
    // The Moon is checked for these years only; a clock set outside them
    // is refused as --from is on the command line.
    if (!WithinTrackYears(start)) return QString::fromUtf8(kOutsideTrackYears);
    job.start_utc_s = start;
    job.span_minutes = span_hours->value() * 60;
    job.step_minutes = step->value();
    job.state = host.state();
    job.atmosphere = Atmosphere();
    job.air_key = RayTracedAirKey(job.state);
    if (air && air_key == job.air_key) job.air = air;
    state_key = TrackAirKey(job.state, job.atmosphere);
    return job;
  }

  std::optional<QString> ReadEditor(Stations& out) const {
    const std::string text = Section("Home", home) + Section("DX", dx);
    const auto parsed = ParseStationsIni(text);
    if (const auto* error = std::get_if<StationsParseError>(&parsed)) {
      const bool in_dx = error->line > 9;  // a section is nine lines and a blank
      return QStringLiteral("%1: %2").arg(in_dx ? QStringLiteral("DX") : QStringLiteral("Home"),
                                          QString::fromStdString(error->message));
    }
    out = std::get<Stations>(parsed);
    return std::nullopt;
  }
};

PlannerWindow::PlannerWindow(QWidget* parent, std::filesystem::path stations_file, Host host)
    : QWidget(parent, Qt::Window), d_(std::make_unique<Impl>()) {
  d_->self = this;
  d_->stations_file = std::move(stations_file);
  d_->host = std::move(host);
  setObjectName(QStringLiteral("PlannerWindow"));
  setWindowTitle(QStringLiteral("Quillmere Moon Planner"));
  setWindowIcon(ProgramIcon());
  setAccessibleName(QStringLiteral("Moon planner"));

  // Stations and span.
  d_->home = MakeEditor(QStringLiteral("Home"));
  d_->dx = MakeEditor(QStringLiteral("DX"));
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
  // A tool bar shows and hides its widgets through their actions.
  d_->follow_note_action = commands->addWidget(d_->follow_note);
  d_->follow_note_action->setVisible(false);
  commands->addSeparator();
  d_->status->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  commands->addWidget(d_->status);

  // Charts.
  auto* el_chart = NewChart(QStringLiteral("Moon elevation"));
  // An area series does not own its edges: they are its children here.
  auto* windows = new QAreaSeries;
  d_->window_upper = new QLineSeries(windows);
  d_->window_lower = new QLineSeries(windows);
  windows->setUpperSeries(d_->window_upper);
  windows->setLowerSeries(d_->window_lower);
  windows->setName(QStringLiteral("Mutual windows"));
  windows->setColor(QColor(120, 200, 120, 90));
  windows->setBorderColor(Qt::transparent);
  d_->home_el = new QLineSeries;
  d_->home_el->setName(QStringLiteral("Home"));
  d_->dx_el = new QLineSeries;
  d_->dx_el->setName(QStringLiteral("DX"));
  d_->now_line = new QLineSeries;
  d_->now_line->setName(QStringLiteral("Now"));
  d_->now_line->setColor(Qt::red);
  d_->best_el = new QScatterSeries;
  d_->best_el->setName(QStringLiteral("Best minute"));
  d_->best_el->setMarkerSize(9);
  d_->best_el->setColor(QColor(230, 140, 0));
  for (QAbstractSeries* s : std::initializer_list<QAbstractSeries*>{windows, d_->home_el, d_->dx_el,
                                                                    d_->now_line, d_->best_el}) {
    el_chart->addSeries(s);
  }
  d_->el_time = new QDateTimeAxis;
  d_->el_time->setFormat(QStringLiteral("dd HH:mm"));
  d_->el_time->setTitleText(QStringLiteral("UTC"));
  d_->el_axis = new QValueAxis;
  d_->el_axis->setRange(kChartFloorDeg, 90);
  d_->el_axis->setTickCount(6);  // every 20 degrees
  d_->el_axis->setLabelFormat(QStringLiteral("%d"));
  d_->el_axis->setTitleText(QStringLiteral("elevation \u00b0"));
  el_chart->addAxis(d_->el_time, Qt::AlignBottom);
  el_chart->addAxis(d_->el_axis, Qt::AlignLeft);
  for (QAbstractSeries* s : el_chart->series()) {
    s->attachAxis(d_->el_time);
    s->attachAxis(d_->el_axis);
  }
  d_->elevation_view = new QChartView(el_chart);
  d_->elevation_view->setAccessibleName(QStringLiteral("Chart of the Moon's elevation"));
  d_->elevation_view->setMinimumHeight(220);

  auto* dg_chart = NewChart(QStringLiteral("Home\u2192DX degradation, dB"));
  d_->dg_chart = dg_chart;
  const char* term_names[] = {"Distance",  "Attenuation Home", "Attenuation DX",
                              "Sky noise", "Moon noise",       "Total"};
  for (std::size_t i = 0; i < d_->terms.size(); ++i) {
    d_->terms[i] = new QScatterSeries;
    d_->terms[i]->setName(QString::fromLatin1(term_names[i]));
    d_->terms[i]->setMarkerSize(i + 1 == d_->terms.size() ? 4 : 3);
    d_->terms[i]->setBorderColor(Qt::transparent);
    dg_chart->addSeries(d_->terms[i]);
  }
  d_->best_total = new QScatterSeries;
  d_->best_total->setName(QStringLiteral("Best minute"));
  d_->best_total->setMarkerSize(11);
  d_->best_total->setColor(QColor(230, 140, 0));
  dg_chart->addSeries(d_->best_total);
  d_->dg_time = new QDateTimeAxis;
  d_->dg_time->setFormat(QStringLiteral("dd HH:mm"));
  d_->dg_axis = new QValueAxis;
  d_->dg_axis->setTitleText(QStringLiteral("dB"));
  dg_chart->addAxis(d_->dg_time, Qt::AlignBottom);
  dg_chart->addAxis(d_->dg_axis, Qt::AlignLeft);
  for (QAbstractSeries* s : dg_chart->series()) {
    s->attachAxis(d_->dg_time);
    s->attachAxis(d_->dg_axis);
  }
  d_->degradation_view = new QChartView(dg_chart);
  d_->degradation_view->setAccessibleName(QStringLiteral("Chart of the degradation terms"));
  d_->degradation_view->setMinimumHeight(200);

  d_->table = new QTableView;
  d_->table->setModel(&d_->model);
  d_->table->setAccessibleName(QStringLiteral("Table of minutes"));
  d_->table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  d_->table->verticalHeader()->setVisible(false);
  // Every row is as tall as the first: no 20 160 measurements.
  d_->table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  d_->table->setSelectionBehavior(QAbstractItemView::SelectRows);

  auto* right = new QSplitter(Qt::Vertical);
  right->addWidget(d_->elevation_view);
  right->addWidget(d_->degradation_view);
  right->addWidget(d_->table);

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
  panes->addWidget(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(commands);
  layout->addLayout(panes, 1);

  // Escape closes the planner wherever the focus is in it.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, &QWidget::close);

  d_->follow_timer = new QTimer(this);
  d_->follow_timer->setInterval(kMinuteMs);
  connect(d_->follow_timer, &QTimer::timeout, this, &PlannerWindow::FollowTick);
  connect(d_->follow, &QCheckBox::toggled, this, &PlannerWindow::SetFollowing);
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
  Stations stations;
  stations.home.name = "Home";
  stations.home.locator = "JO01";
  stations.dx.name = "DX";
  stations.dx.locator = "FN31";
  if (const auto p = LocatorToLatLon("JO01")) {
    stations.home.latitude_deg = p->latitude_deg;
    stations.home.longitude_deg = p->longitude_deg;
  }
  if (const auto p = LocatorToLatLon("FN31")) {
    stations.dx.latitude_deg = p->latitude_deg;
    stations.dx.longitude_deg = p->longitude_deg;
  }
  std::string text;
  bool cut_at_nul = false;
  const FileReadResult read =
      ReadTextFile(d_->stations_file, kMaxStationsFileBytes, text, &cut_at_nul);
  // What follows a NUL byte was never read; a save would lose it.
  if (cut_at_nul) d_->stations_unread = "it holds a NUL byte, which a text file does not";
  if (read.ok()) {
    const StationsRead parsed = ReadStationsIni(text, stations);
    if (parsed.whole_text_refused) {
      d_->stations_unread = parsed.refused.front().message;
    } else {
      stations = parsed.stations;
    }
    d_->stations_message = StationsFileRefusals(parsed);
    if (cut_at_nul && d_->stations_message.isEmpty()) {
      d_->stations_message =
          QStringLiteral("QuillmereStations.ini: ") + QString::fromStdString(*d_->stations_unread);
    }
  } else if (read.status != FileReadResult::Status::kNotFound) {
    d_->stations_unread = read.reason;
    d_->stations_message =
        QStringLiteral("QuillmereStations.ini: %1").arg(QString::fromStdString(read.reason));
  }
  if (d_->stations_unread) {
    d_->stations_message += QStringLiteral(
        ". It was not read: the stations shown are the defaults, and Save "
        "stations leaves the file as it is.");
  }
  d_->stations_note->setText(d_->stations_message);
  d_->stations_note->setVisible(!d_->stations_message.isEmpty());
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

PlannerWindow::~PlannerWindow() {
  if (d_->worker.valid()) d_->worker.wait();
}

QString PlannerWindow::StationsFileMessage() const {
  return d_->stations_message;
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
  Stations stations;
  if (auto error = d_->ReadEditor(stations)) return error;
  // What was never read is never replaced: the user has not seen it.
  const SaveOutcome saved =
      d_->stations_unread ? NotReadAtStart(d_->stations_file, *d_->stations_unread)
                          : ReplaceFileContents(d_->stations_file, FormatStationsIni(stations));
  if (!saved.ok()) return QString::fromStdString(saved.message);
  // The file now holds what the editor shows: the refusals are past.
  d_->stations_note->hide();
  return std::nullopt;
}

void PlannerWindow::Impl::Show(TrackResult result) {
  stations = std::move(result.stations);
  track = std::move(result.track);
  best_rows = std::move(result.best_rows);
  shown_atmosphere = result.atmosphere;
  shown_frequency_hz = result.frequency_hz;
  if (result.air) {
    air = std::move(result.air);
    air_key = std::move(result.air_key);
  }
  model.Reset(&track, best_rows);
  dg_chart->setTitle(QStringLiteral("Home\u2192DX degradation, dB \u2014 %1")
                         .arg(QString::fromUtf8(AtmosphereLabel(result.atmosphere))));
  self->RedrawCharts(std::max(200, elevation_view->width()));
  const auto count = [](std::size_t n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
  };
  status->setText(QStringLiteral("%1, %2 at %3 GHz")
                      .arg(count(track.rows.size(), "row", "rows"),
                           count(track.windows.size(), "mutual window", "mutual windows"))
                      .arg(result.frequency_hz / 1e9, 0, 'f', 3));
}

std::optional<QString> PlannerWindow::Calculate() {
  auto job = d_->MakeJob();
  if (const QString* error = std::get_if<QString>(&job)) return *error;
  // Whatever runs in the background is older than this.
  ++d_->generation;
  d_->settle->stop();
  d_->Show(RunTrackJob(std::move(std::get<TrackJob>(job))));
  return std::nullopt;
}

void PlannerWindow::CalculateInBackground() {
  d_->settle->stop();
  if (d_->computing) {
    d_->rerun = true;
    return;
  }
  auto job = d_->MakeJob();
  if (const QString* error = std::get_if<QString>(&job)) {
    d_->status->setText(*error);
    return;
  }
  d_->computing = true;
  d_->rerun = false;
  d_->status->setText(QStringLiteral("Computing\u2026"));
  const unsigned generation = ++d_->generation;
  d_->worker = std::async(
      std::launch::async, [this, generation, job = std::move(std::get<TrackJob>(job))]() mutable {
        auto result = std::make_shared<TrackResult>(RunTrackJob(std::move(job)));
        // The destructor waits for this task, so the window is alive when the
        // result is posted; Qt drops it if the window is deleted before it runs.
        QMetaObject::invokeMethod(
            this,
            [this, generation, result] {
              d_->computing = false;
              if (generation == d_->generation) d_->Show(std::move(*result));
              if (d_->rerun) CalculateInBackground();
            },
            Qt::QueuedConnection);
      });
}

bool PlannerWindow::Computing() const {
  return d_->computing;
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
  const std::vector<TrackRow>& rows = d_->track.rows;
  const auto ms = [&](std::size_t i) { return rows[i].utc_s * 1000.0; };
  d_->home_el->replace(DecimateMinMax(
      rows.size(), ms, [&](std::size_t i) { return rows[i].home.elevation_refracted_deg; },
      columns));
  d_->dx_el->replace(DecimateMinMax(
      rows.size(), ms, [&](std::size_t i) { return rows[i].dx.elevation_refracted_deg; }, columns));

  QList<QPointF> upper, lower, best_el, best_total;
  for (const MutualWindow& w : d_->track.windows) {
    upper << QPointF(w.start_utc_s * 1000, kChartFloorDeg) << QPointF(w.start_utc_s * 1000, 90)
          << QPointF(w.end_utc_s * 1000, 90) << QPointF(w.end_utc_s * 1000, kChartFloorDeg);
  }
  for (int row : d_->best_rows) {
    const TrackRow& r = rows[static_cast<std::size_t>(row)];
    best_el << QPointF(r.utc_s * 1000,
                       std::min(r.home.elevation_refracted_deg, r.dx.elevation_refracted_deg));
    best_total << QPointF(r.utc_s * 1000, r.home_dx.total_db);
  }
  if (!rows.empty()) {
    lower << QPointF(ms(0), kChartFloorDeg) << QPointF(ms(rows.size() - 1), kChartFloorDeg);
  }
  d_->window_upper->replace(upper);
  d_->window_lower->replace(lower);
  d_->best_el->replace(best_el);
  d_->best_total->replace(best_total);
  const double now_ms = d_->host.now_utc_s() * 1000;
  d_->now_line->replace({QPointF(now_ms, kChartFloorDeg), QPointF(now_ms, 90)});

  double low = 0, high = 1;
  for (std::size_t t = 0; t < d_->terms.size(); ++t) {
    const auto term = [&](std::size_t i) {
      const TrackRow& r = rows[i];
      if (!r.home_dx_valid) return std::nan("");
      const Degradation& g = r.home_dx;
      const double v[] = {g.distance_db,  g.attenuation_tx_db, g.attenuation_rx_db,
                          g.sky_noise_db, g.moon_noise_db,     g.total_db};
      return v[t];
    };
    const QList<QPointF> points = DecimateMinMax(rows.size(), ms, term, columns);
    for (const QPointF& p : points) {
      low = std::min(low, p.y());
      high = std::max(high, p.y());
    }
    d_->terms[t]->replace(points);
  }
  if (!rows.empty()) {
    const QDateTime first = QDateTime::fromMSecsSinceEpoch(qint64(ms(0)), Qt::UTC);
    const QDateTime last = QDateTime::fromMSecsSinceEpoch(qint64(ms(rows.size() - 1)), Qt::UTC);
    d_->el_time->setRange(first, last);
    d_->dg_time->setRange(first, last);
  }
  d_->dg_axis->setRange(std::floor(low), std::ceil(high));
}

QString PlannerWindow::Csv() const {
  // What the minutes were computed for, in comment lines ahead of the
  // column names, which a CSV reader told of '#' skips.
  const auto locator = [](const Station& s) {
    if (!s.locator.empty()) return QString::fromStdString(s.locator);
    const auto derived = LatLonToLocator({s.latitude_deg, s.longitude_deg}, 6);
    return QStringLiteral("%1 (%2,%3)")
        .arg(QString::fromStdString(derived.value_or("?")))
        .arg(s.latitude_deg, 0, 'g', 10)
        .arg(s.longitude_deg, 0, 'g', 10);
  };
  QString out = QStringLiteral("# Quillmere Moon planner, minutes of the Home\u2192DX path\n");
  out += QStringLiteral("# band: %1 GHz\n").arg(d_->shown_frequency_hz / 1e9, 0, 'f', 3);
  out += QStringLiteral("# home locator: %1\n").arg(locator(d_->stations.home));
  out += QStringLiteral("# dx locator: %1\n").arg(locator(d_->stations.dx));
  out += QStringLiteral("# atmosphere: %1\n")
             .arg(QString::fromUtf8(AtmosphereLabel(d_->shown_atmosphere)));
  for (int c = 0; c < kColumns; ++c) {
    if (c) out += u',';
    out += QLatin1String(kCsvHeaders[static_cast<std::size_t>(c)]);
  }
  // The air of the degradation on every line, so that a line read alone
  // still says it.
  out += QStringLiteral(",best,atmosphere\n");
  const QString atmosphere = QString::fromUtf8(AtmosphereName(d_->shown_atmosphere));
  for (std::size_t i = 0; i < d_->track.rows.size(); ++i) {
    const TrackRow& r = d_->track.rows[i];
    for (int c = 0; c < kColumns; ++c) {
      if (c) out += u',';
      // The full precision the table rounds for the eye.
      if (c == kUtc || c == kMutual) {
        out += TrackModel::Text(r, c);
      } else if (const auto v = Figure(r, c)) {
        out += QString::number(*v, 'f', Decimals(c) + 2);
      }
    }
    out += d_->best_rows.contains(static_cast<int>(i)) ? QStringLiteral(",yes,")
                                                       : QStringLiteral(",no,");
    out += atmosphere + u'\n';
  }
  return out;
}

std::optional<QString> PlannerWindow::ExportCsv(const std::filesystem::path& file) const {
  const QByteArray bytes = Csv().toUtf8();
  const SaveOutcome saved =
      ReplaceFileContents(file, std::string_view(bytes.constData(), size_t(bytes.size())));
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
  Stations stations;
  if (auto error = d_->ReadEditor(stations)) {
    d_->status->setText(QStringLiteral("Follow the Moon: ") + *error);
    return;
  }
  const FollowStep step = d_->follower.Step(stations, d_->host.now_utc_s());
  const QString note = QString::fromStdString(step.note);
  d_->follow_note->setText(note);
  d_->follow_note_action->setVisible(!note.isEmpty());
  if (d_->host.follow) d_->host.follow(step.home.elevation_deg, step.dx.elevation_deg, note);
}

QAbstractItemModel* PlannerWindow::Table() const {
  return &d_->model;
}

int PlannerWindow::RowCount() const {
  return static_cast<int>(d_->track.rows.size());
}

QList<int> PlannerWindow::BestRows() const {
  return d_->best_rows;
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
  // The charts are filled as the window opens, and again when it comes back
  // after the stations or the weather changed while it was hidden.
  if (d_->track.rows.empty() || TrackAirKey(d_->host.state(), d_->Atmosphere()) != d_->state_key)
    CalculateInBackground();
}

void PlannerWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!d_->track.rows.empty()) RedrawCharts(std::max(200, d_->elevation_view->width()));
}

}  // namespace quillmere
