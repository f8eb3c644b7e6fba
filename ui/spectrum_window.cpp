#include "spectrum_window.h"

#include <QChart>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "bands.h"
#include "itu676.h"
#include "placement.h"
#include "program_icon.h"
#include "safe_write.h"
#include "spectrum_command.h"
#include "vector_state.h"

namespace quillmere {
namespace {

// The step of the spectrum's first sketch, GHz.
constexpr int kSketchStepGhz = 5;

// Home in the main window's Home colours' darker kin, DX likewise; the ray
// trace solid, the window's cosecant figure dashed. The legend shows each
// method's line in a neutral grey.
const QColor kHomeColour(178, 34, 34);
const QColor kDxColour(0, 100, 0);
const QColor kMethodColour(90, 90, 90);

// A figure and its unit as a reader writes them: "0.5°", "60 GHz".
QString WithUnit(double value, const std::string& unit) {
  const QString u = QString::fromStdString(unit);
  return QString::number(value, 'g', 4) + (u == QStringLiteral("\u00b0") ? u : u' ' + u);
}

QPen SeriesPen(const std::string& name) {
  const bool dx = name.starts_with("DX");
  QPen pen(dx ? kDxColour : kHomeColour);
  pen.setWidthF(2);
  pen.setCapStyle(Qt::FlatCap);
  if (name.find("cosecant") != std::string::npos) pen.setStyle(Qt::DashLine);
  if (name.find("gamma_o") != std::string::npos) pen.setStyle(Qt::DotLine);
  if (name.find("gamma_w") != std::string::npos) pen.setStyle(Qt::DashDotLine);
  return pen;
}

}  // namespace

// --- ReadOutChartView ---

ReadOutChartView::ReadOutChartView(QWidget* parent) : QChartView(new QChart, parent) {
  setRenderHint(QPainter::Antialiasing);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  chart()->legend()->setAlignment(Qt::AlignBottom);
  // Each entry drawn as a piece of its curve: solid, dashed and dotted read
  // apart where the colours are the station's alone.
  chart()->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
  cursor_line_ = new QGraphicsLineItem;
  cursor_line_->setPen(QPen(Qt::gray, 1, Qt::SolidLine));
  cursor_line_->setZValue(20);
  cursor_line_->hide();
  chart()->scene()->addItem(cursor_line_);
  connect(chart(), &QChart::plotAreaChanged, this, [this] {
    PlaceMarks();
    if (cursor_ >= 0) ShowCursor(cursor_);
  });
}

namespace {

QAbstractAxis* MakeAxis(const QString& title, bool log, double min, double max, int ticks) {
  QAbstractAxis* axis;
  if (log) {
    auto* a = new QLogValueAxis;
    a->setBase(10);
    a->setLabelFormat(QStringLiteral("%g"));
    a->setMinorTickCount(8);
    axis = a;
  } else {
    auto* a = new QValueAxis;
    a->setLabelFormat(QStringLiteral("%g"));
    a->setTickCount(ticks);
    axis = a;
  }
  axis->setTitleText(title);
  axis->setRange(min, max);
  return axis;
}

}  // namespace

void ReadOutChartView::SetAxes(const Axis& x, const Axis& y) {
  chart()->addAxis(MakeAxis(x.title, x.log, x.min, x.max, x.ticks), Qt::AlignBottom);
  chart()->addAxis(MakeAxis(y.title, y.log, y.min, y.max, y.ticks), Qt::AlignLeft);
  log_x_ = x.log;
  log_y_ = y.log;
  fit_y_ = y.log && y.fit;
  y_max_ = y.max;
}

double ReadOutChartView::PositionOf(double x) const {
  const QRectF area = chart()->plotArea();
  // A logarithmic axis puts 0 infinitely far left: at the plot's edge.
  if (log_x_ && x <= 0) return area.left();
  return chart()->mapToPosition(QPointF(x, y_max_), chart()->series().front()).x();
}

void ReadOutChartView::SetMarks(std::vector<std::pair<double, QString>> marks) {
  marks_ = std::move(marks);
  for (const auto& [x, label] : marks_) {
    auto* line = new QGraphicsLineItem;
    line->setPen(QPen(QColor(90, 90, 200), 1, Qt::DotLine));
    auto* text = new QGraphicsSimpleTextItem(label);
    text->setBrush(QColor(60, 60, 170));
    chart()->scene()->addItem(line);
    chart()->scene()->addItem(text);
    mark_items_.push_back(line);
    mark_items_.push_back(text);
  }
  PlaceMarks();
}

void ReadOutChartView::PlaceMarks() {
  if (chart()->series().isEmpty()) return;
  const QRectF area = chart()->plotArea();
  for (std::size_t k = 0; k < marks_.size(); ++k) {
    const double px = PositionOf(marks_[k].first);
    static_cast<QGraphicsLineItem*>(mark_items_[2 * k])->setLine(px, area.top(), px, area.bottom());
    mark_items_[2 * k + 1]->setPos(px + 2, area.top() + 2 + 12.0 * double(k % 2));
  }
}

void ReadOutChartView::SetData(const ChartData& data) {
  data_ = data;
  const auto axes_x = chart()->axes(Qt::Horizontal);
  const auto axes_y = chart()->axes(Qt::Vertical);
  const bool fresh = curves_ != qsizetype(data.series.size());
  if (fresh) {
    chart()->removeAllSeries();
    curves_ = qsizetype(data.series.size());
  }
  for (std::size_t s = 0; s < data.series.size(); ++s) {
    QList<QPointF> points;
    points.reserve(qsizetype(data.x.size()));
    for (std::size_t k = 0; k < data.x.size(); ++k) {
      const double y = data.series[s].y[k];
      // A logarithmic axis has no place for zero: such a point is a gap.
      if (std::isnan(y) || (log_y_ && y <= 0) || (log_x_ && data.x[k] <= 0)) continue;
      points.append(QPointF(data.x[k], y));
    }
    QLineSeries* series;
    if (fresh) {
      series = new QLineSeries;
      series->setPen(SeriesPen(data.series[s].name));
      chart()->addSeries(series);
      if (!axes_x.isEmpty()) series->attachAxis(axes_x.front());
      if (!axes_y.isEmpty()) series->attachAxis(axes_y.front());
    } else {
      series = static_cast<QLineSeries*>(chart()->series()[qsizetype(s)]);
    }
    // One replace redraws once, where appending point by point would not.
    series->replace(points);
  }
  if (fresh) MakeLegend(data);
  if (const auto range = DecadeRange(data); fit_y_ && range && !axes_y.isEmpty()) {
    axes_y.front()->setRange(range->first, range->second);
    y_max_ = range->second;
  }
  PlaceMarks();
  if (cursor_ >= 0 && cursor_ < int(data_.x.size())) ShowCursor(cursor_);
}

void ReadOutChartView::MakeLegend(const ChartData& data) {
  // The curves' own entries give way to one entry per station, in its
  // colour, and one per method, in its line: four short names where eight
  // long ones would be cut short on a small screen.
  for (QAbstractSeries* curve : chart()->series())
    for (QLegendMarker* marker : chart()->legend()->markers(curve)) marker->setVisible(false);
  // Units in the legend where the chart mixes them (dB and dB/km);
  // otherwise the axis's title says it once.
  const bool mixed = std::any_of(data.series.begin(), data.series.end(), [&](const ChartSeries& s) {
    return s.unit != data.series[0].unit;
  });
  QStringList shown;
  const auto entry = [&](const QString& label, const QPen& pen) {
    if (shown.contains(label)) return;
    shown << label;
    // A curve without points: only its legend entry shows.
    auto* key = new QLineSeries;
    key->setName(label);
    key->setPen(pen);
    chart()->addSeries(key);
  };
  for (const ChartSeries& s : data.series) {
    QPen pen = SeriesPen(s.name);
    pen.setStyle(Qt::SolidLine);
    entry(QString::fromStdString(s.station), pen);
  }
  for (const ChartSeries& s : data.series) {
    QPen pen = SeriesPen(s.name);
    pen.setColor(kMethodColour);
    entry(QString::fromStdString(mixed ? s.method + ", " + s.unit : s.method), pen);
  }
}

QString ReadOutChartView::ReadOutAt(double x) {
  if (data_.x.empty()) return {};
  const auto it = std::lower_bound(data_.x.begin(), data_.x.end(), x);
  int k = int(it - data_.x.begin());
  if (k == int(data_.x.size()) || (k > 0 && x - data_.x[k - 1] < data_.x[k] - x)) --k;
  ShowCursor(k);
  return accessibleDescription();
}

void ReadOutChartView::ShowCursor(int index) {
  cursor_ = index;
  QStringList figures;
  for (const auto& s : data_.series) {
    const double y = s.y[index];
    figures << QString::fromStdString(s.station + ' ' + s.method) + u' ' +
                   (std::isnan(y) ? QStringLiteral("-") : WithUnit(y, s.unit));
  }
  const QString text = QString::fromStdString(data_.x_title) + u' ' +
                       WithUnit(data_.x[index], data_.x_unit) + QStringLiteral(": ") +
                       figures.join(QStringLiteral("; "));
  // Assistive technology reads the same figures as the eye.
  setAccessibleDescription(text);
  emit ReadOutChanged(text);
  if (!chart()->series().isEmpty()) {
    const QRectF area = chart()->plotArea();
    const double px = PositionOf(data_.x[index]);
    cursor_line_->setLine(px, area.top(), px, area.bottom());
    cursor_line_->show();
  }
}

void ReadOutChartView::mouseMoveEvent(QMouseEvent* event) {
  const QPointF pos = event->position();
  if (!chart()->series().isEmpty() && chart()->plotArea().contains(pos)) {
    ReadOutAt(chart()->mapToValue(pos, chart()->series().front()).x());
  }
  QChartView::mouseMoveEvent(event);
}

void ReadOutChartView::keyPressEvent(QKeyEvent* event) {
  const int last = int(data_.x.size()) - 1;
  int k = cursor_;
  switch (event->key()) {
    case Qt::Key_Left:
      k = std::max(0, k - 1);
      break;
    case Qt::Key_Right:
      k = std::min(last, k + 1);
      break;
    case Qt::Key_Home:
      k = 0;
      break;
    case Qt::Key_End:
      k = last;
      break;
    default:
      QChartView::keyPressEvent(event);
      return;
  }
  if (last < 0) return;
  ShowCursor(k);
}

void ReadOutChartView::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  PlaceMarks();
}

// --- SpectrumWindow ---

SpectrumWindow::SpectrumWindow(const QuillmereState& state, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state) {
  setObjectName(QStringLiteral("SpectrumWindow"));
  setWindowTitle(QStringLiteral("Spectrum and elevation"));
  setWindowIcon(ProgramIcon());
  // Closing the main window ends the program even while the view is open.
  setAttribute(Qt::WA_QuitOnClose, false);
  setAccessibleName(QStringLiteral("Spectrum and elevation"));
  resize(kWantedSize);

  caption_ = new QLabel;
  caption_->setAccessibleName(QStringLiteral("Stations' weather"));
  pages_ = new QTabWidget;
  pages_->setAccessibleName(QStringLiteral("Charts"));

  const auto chart_with_export = [this](ReadOutChartView* view, const QString& name) {
    view->setAccessibleName(name);
    view->chart()->setTitle(name);
    auto* button = new QPushButton(QStringLiteral("Export CSV..."));
    button->setAccessibleName(QStringLiteral("Export ") + name + QStringLiteral(" as CSV"));
    connect(button, &QPushButton::clicked, this, [this, view] { ExportClick(view); });
    // The read-off in the window's own font, beside the button.
    auto* read_out = new QLabel;
    read_out->setWordWrap(true);
    read_out->setTextInteractionFlags(Qt::TextSelectableByMouse);
    read_out->setAccessibleName(QStringLiteral("Read-off of ") + name);
    read_out->setText(QStringLiteral("Point at the chart, or Tab to it and press Left or Right."));
    connect(view, &ReadOutChartView::ReadOutChanged, read_out, &QLabel::setText);
    auto* box = new QVBoxLayout;
    box->addWidget(view, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(read_out, 1);
    row->addWidget(button, 0, Qt::AlignTop);
    box->addLayout(row);
    return box;
  };

  attenuation_ = new ReadOutChartView;
  // Elevation on a logarithmic axis, so that 0.25-5 degrees, where the two
  // methods part, take a third of the width; the horizon itself is the
  // plot's left edge (and the first row of the CSV).
  const ReadOutChartView::Axis elevation{QStringLiteral("Elevation, degrees"), true, 0.25, 90};
  attenuation_->SetAxes(elevation,
                        {QStringLiteral("Gaseous attenuation, dB"), true, 0.1, 1000, 5, true});
  sky_ = new ReadOutChartView;
  sky_->SetAxes(elevation,
                {QStringLiteral("Sky temperature with the 2.7 K background, K"), false, 0, 300, 7});
  frequency_ = new ReadOutChartView;
  frequency_->SetAxes({QStringLiteral("Frequency, GHz"), false, 0, 350, 8},
                      {QStringLiteral("Zenith attenuation, dB; \u03b3, dB/km"), true, 1e-4, 1e4});
  // The eight bands of the window, at the frequencies its models use.
  std::vector<std::pair<double, QString>> bands;
  for (const BandRow& band : BandTable) {
    const double f = static_cast<double>(band.frequency);
    bands.emplace_back(f, QString::number(std::floor(f)) + QStringLiteral(" GHz"));
  }
  frequency_->SetMarks(std::move(bands));

  // Side by side: a screen of 768 rows leaves too little height for two
  // charts one above the other, and most screens are wider than high.
  // The Moon at any geometric elevation --slant takes, below the
  // horizontal too, where the charts' logarithmic axis cannot go.
  moon_elevation_ = new QDoubleSpinBox;
  moon_elevation_->setObjectName(QStringLiteral("MoonElevation"));
  moon_elevation_->setAccessibleName(QStringLiteral("Moon's geometric elevation"));
  moon_elevation_->setRange(-90, 90);
  moon_elevation_->setDecimals(2);
  moon_elevation_->setSingleStep(0.1);
  moon_elevation_->setSuffix(QStringLiteral("\u00b0"));
  moon_elevation_->setValue(state.Home.Elevation > 0 ? double(state.Home.Elevation) : 5.0);
  moon_read_out_ = new QLabel;
  moon_read_out_->setAccessibleName(QStringLiteral("Ray toward the Moon"));
  moon_read_out_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  connect(moon_elevation_, &QDoubleSpinBox::valueChanged, this,
          &SpectrumWindow::MoonElevationChanged);
  auto* moon_label = new QLabel(QStringLiteral("&Moon at (geometric):"));
  moon_label->setBuddy(moon_elevation_);
  auto* moon_row = new QHBoxLayout;
  moon_row->addWidget(moon_label);
  moon_row->addWidget(moon_elevation_);
  moon_row->addWidget(moon_read_out_, 1);

  auto* elevation_page = new QWidget;
  auto* elevation_column = new QVBoxLayout(elevation_page);
  elevation_column->addLayout(moon_row);
  auto* elevation_box = new QHBoxLayout;
  elevation_column->addLayout(elevation_box, 1);
  elevation_box->addLayout(chart_with_export(attenuation_, "Attenuation against elevation"), 1);
  elevation_box->addLayout(chart_with_export(sky_, "Sky temperature against elevation"), 1);
  pages_->addTab(elevation_page, QStringLiteral("&Elevation"));
  auto* frequency_page = new QWidget;
  auto* frequency_box = new QVBoxLayout(frequency_page);
  frequency_box->addLayout(chart_with_export(frequency_, "Attenuation against frequency"));
  pages_->addTab(frequency_page, QStringLiteral("&Frequency"));

  auto* close = new QPushButton(QStringLiteral("&Close"));
  close->setObjectName(QStringLiteral("Close"));
  close->setAccessibleName(QStringLiteral("Close"));
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(caption_);
  layout->addWidget(pages_, 1);
  layout->addLayout(bottom);
}

SpectrumWindow::~SpectrumWindow() = default;

void SpectrumWindow::RedrawNow() {
  // Whatever is in flight is older than this.
  work_.Overtake();
  elevation_key_ = ElevationKey(state_);
  air_key_ = StationAirKey(state_);
  ClearUpperVectorState();
  Results r;
  r.elevation = r.frequency = true;
  r.elevation_charts = ComputeElevationCharts(state_);
  r.frequency_chart = ComputeFrequencyChart(state_);
  Apply(std::move(r));
}

void SpectrumWindow::StateChanged() {
  if (isVisible()) Follow();
}

void SpectrumWindow::Follow() {
  if (work_.AgainOnceDone()) return;
  const bool elevation = ElevationKey(state_) != elevation_key_;
  const bool frequency = StationAirKey(state_) != air_key_;
  if (!elevation && !frequency) return;
  elevation_key_ = ElevationKey(state_);
  air_key_ = StationAirKey(state_);
  // The worker gets its own copy: the main window may change the state
  // meanwhile.
  work_.Start([this, copy = state_, elevation, frequency](const BackgroundWork::Post& done) {
    ClearUpperVectorState();
    const auto post = [this, &done](std::shared_ptr<Results> results, bool last) {
      done([this, results] { Apply(std::move(*results)); }, last);
    };
    // The elevation charts and a sketch of the spectrum at 5 GHz steps side
    // by side on the two cores, drawn at once; then the spectrum at 1 GHz,
    // which takes five times as long.
    auto first = std::make_shared<Results>();
    first->elevation = elevation;
    first->frequency = frequency;
    auto charts = std::async(std::launch::async, [&] {
      if (elevation) first->elevation_charts = ComputeElevationCharts(copy);
    });
    if (frequency) first->frequency_chart = ComputeFrequencyChart(copy, kSketchStepGhz);
    charts.get();
    post(first, !frequency);
    if (!frequency) return;
    auto fine = std::make_shared<Results>();
    fine->frequency = true;
    fine->frequency_chart = ComputeFrequencyChart(copy);
    post(fine, true);
  });
}

void SpectrumWindow::Apply(Results r) {
  ++redraws_;
  if (r.elevation) {
    attenuation_->SetData(r.elevation_charts.attenuation);
    sky_->SetData(r.elevation_charts.sky);
  }
  if (r.frequency) frequency_->SetData(r.frequency_chart);
  UpdateCaption();
  if (r.elevation) MoonElevationChanged();
}

void SpectrumWindow::MoonElevationChanged() {
  // One ray per station: a millisecond or two, on this thread.
  QStringList lines;
  for (const std::string& line : SlantReadOut(state_, moon_elevation_->value()))
    lines << QString::fromStdString(line);
  moon_read_out_->setText(lines.join(QStringLiteral("    ")));
}

void SpectrumWindow::UpdateCaption() {
  const auto station = [](const char* who, const StationParams& s) {
    QString line = QStringLiteral("%1: %2 °C, %3 hPa, %4 % humidity, %5 m, zone %6 season %7")
                       .arg(QLatin1String(who))
                       .arg(double(s.Temperature), 0, 'f', 1)
                       .arg(double(s.Pressure), 0, 'f', 1)
                       .arg(double(s.Humidity), 0, 'f', 0)
                       .arg(double(s.HeightAsl), 0, 'f', 0)
                       .arg(s.LatitudeZone)
                       .arg(s.Season);
    if (const auto iwv = StationWaterVapour(s))
      line += QStringLiteral(" — ") + QString::fromStdString(WaterVapourText(*iwv));
    // What is odd about the weather, beside the figures it gives.
    for (const std::string& note : StationAirNotes(s))
      line += QStringLiteral(" — ") + QString::fromStdString(note);
    return line;
  };
  caption_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  caption_->setText(
      QStringLiteral("Elevation charts at %1 GHz: ray trace (P.676-13 Annex 1) solid, the main "
                     "window's cosecant figure (P.676-9 Annex 2) dashed.\n")
          .arg(double(state_.Frequency), 0, 'f', 3) +
      station("Home", state_.Home) + u'\n' + station("DX", state_.DX));
}

QString SpectrumWindow::WriteCsv(const ChartData& chart, const QString& path) {
  // Through the writer of every file the program keeps: a FIFO, a device or
  // a protected file is refused, a link written through, a hard link kept.
  const SaveOutcome saved = ReplaceFileContents(
      std::filesystem::path(QFile::encodeName(path).toStdString()), ChartCsv(chart));
  return saved.ok() ? QString() : QString::fromStdString(saved.message);
}

void SpectrumWindow::ExportClick(ReadOutChartView* view) {
  const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export CSV"),
                                                    view->accessibleName() + QStringLiteral(".csv"),
                                                    QStringLiteral("CSV files (*.csv)"));
  if (path.isEmpty()) return;
  if (const QString error = WriteCsv(view->Data(), path); !error.isEmpty())
    QMessageBox::warning(this, QStringLiteral("Export CSV"), error);
}

bool SpectrumWindow::FitToScreen() {
  // The frame as the window manager reports it: the widget's own copy of it
  // can still be the bare client area for a moment after framing.
  const QWindow* window = windowHandle();
  const QMargins frame = KnownFrame(window).value_or(QMargins());
  const QRect outer = KnownFrame(window) ? window->frameGeometry() : geometry();
  const QRect fitted = FitInto(outer, AvailableAreaFor(outer));
  if (fitted == outer) return true;
  resize(fitted.size().shrunkBy(frame));
  move(fitted.topLeft());
  return false;
}

void SpectrumWindow::showEvent(QShowEvent* event) {
  FitToScreen();
  if (QWindow* window = windowHandle()) window->installEventFilter(this);
  QWidget::showEvent(event);
  Follow();
}

bool SpectrumWindow::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == windowHandle() &&
      (type == QEvent::Expose || type == QEvent::Move || type == QEvent::Resize) &&
      KnownFrame(windowHandle())) {
    // Framed: the title bar's height is known now (the window manager may
    // tell it after the first exposure, as it moves the window into its
    // frame). Watched until the framed window is seen to fit, so that a
    // resize the window manager answers late is fitted too.
    if (FitToScreen()) windowHandle()->removeEventFilter(this);
  }
  return QWidget::eventFilter(watched, event);
}

void SpectrumWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace quillmere
