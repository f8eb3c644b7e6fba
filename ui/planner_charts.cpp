#include "planner_charts.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPen>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

#include "chart_decimation.h"
#include "planner_model.h"

namespace quillmere {
namespace {

// The lowest elevation the elevation chart shows, degrees.
constexpr double kChartFloorDeg = -10.0;
constexpr double kChartTopDeg = 90.0;
// The width a label of the time axis takes ("08 Dec 14:00"), pixels.
constexpr int kTimeLabelPx = 100;
// The height a label of a value axis takes, pixels.
constexpr int kValueLabelPx = 36;

// The Okabe-Ito palette, told apart with any of the common colour-vision
// deficiencies; one colour per quantity.
const QColor kBlue(0x00, 0x72, 0xB2);
const QColor kSkyBlue(0x56, 0xB4, 0xE9);
const QColor kBluishGreen(0x00, 0x9E, 0x73);
const QColor kOrange(0xE6, 0x9F, 0x00);
const QColor kYellow(0xF0, 0xE4, 0x42);
const QColor kVermillion(0xD5, 0x5E, 0x00);
const QColor kReddishPurple(0xCC, 0x79, 0xA7);
const QColor kBlack(0x00, 0x00, 0x00);
const QColor kHorizonGrey(0x80, 0x80, 0x80);
// The Sun's: the palette's yellow darkened to stand out on white.
const QColor kSunGold(0xB8, 0x8A, 0x00);

QPen Pen(const QColor& colour, qreal width, Qt::PenStyle style = Qt::SolidLine) {
  QPen pen(colour, width, style);
  pen.setCapStyle(Qt::FlatCap);
  return pen;
}

// The degradation terms, in the order of Degradation: Home's attenuation
// solid and DX's dashed in the one colour; the total bold.
struct TermStyle {
  const char* name;
  QColor colour;
  qreal width;
  Qt::PenStyle style;
};
const std::array<TermStyle, 7>& TermStyles() {
  static const std::array<TermStyle, 7> styles = {{
      {"Distance", kSkyBlue, 2, Qt::SolidLine},
      {"Attenuation Home", kBluishGreen, 2, Qt::SolidLine},
      {"Attenuation DX", kBluishGreen, 2, Qt::DashLine},
      {"Sky noise", kOrange, 2, Qt::SolidLine},
      {"Moon noise", kBlue, 2, Qt::SolidLine},
      {"Sun noise", kSunGold, 2, Qt::DashDotLine},
      {"Total", kBlack, 3.5, Qt::SolidLine},
  }};
  return styles;
}

double TermOf(const Degradation& g, std::size_t term) {
  const double v[] = {g.distance_db,   g.attenuation_tx_db, g.attenuation_rx_db, g.sky_noise_db,
                      g.moon_noise_db, g.sun_noise_db,      g.total_db};
  return v[term];
}

QDateTime Moment(double utc_s, bool local) {
  return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::floor(utc_s)),
                                       local ? Qt::LocalTime : Qt::UTC);
}

// Seconds the local time is ahead of UTC at a moment (0 for UTC).
double OffsetS(double utc_s, bool local) {
  return local ? Moment(utc_s, true).offsetFromUtc() : 0.0;
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

void HideFromLegend(QChart* chart, QAbstractSeries* series) {
  for (QLegendMarker* marker : chart->legend()->markers(series)) marker->setVisible(false);
}

QLineSeries* NewLine(const QString& name, const QPen& pen) {
  auto* line = new QLineSeries;
  line->setName(name);
  line->setPen(pen);
  return line;
}

QScatterSeries* NewBestMarks() {
  auto* best = new QScatterSeries;
  best->setName(QStringLiteral("Best minute"));
  best->setMarkerSize(11);
  best->setColor(kReddishPurple);
  best->setBorderColor(kBlack);
  return best;
}

// A chart that tells where the pointer is and where it was clicked, as a
// moment of the time axis.
class PlotView final : public QChartView {
 public:
  PlotView(QChart* chart, std::function<void(double)> hover, std::function<void(double)> click)
      : QChartView(chart), hover_(std::move(hover)), click_(std::move(click)) {
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setCursor(Qt::CrossCursor);
  }

 protected:
  void mouseMoveEvent(QMouseEvent* event) override {
    if (const auto t = TimeAt(event->position())) hover_(*t);
    QChartView::mouseMoveEvent(event);
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) {
      if (const auto t = TimeAt(event->position())) click_(*t);
    }
    QChartView::mousePressEvent(event);
  }

 private:
  std::optional<double> TimeAt(QPointF pos) const {
    if (chart()->series().isEmpty()) return std::nullopt;
    const QPointF in_chart = chart()->mapFromScene(mapToScene(pos.toPoint()));
    if (!chart()->plotArea().contains(in_chart)) return std::nullopt;
    return chart()->mapToValue(in_chart).x();
  }

  std::function<void(double)> hover_, click_;
};

}  // namespace

double NiceStep(double span, int most) {
  most = std::max(1, most);
  if (!(span > 0)) return 1;
  const double raw = span / most;
  const double decade = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double m : {1.0, 2.0, 5.0, 10.0}) {
    if (m * decade >= raw * (1 - 1e-9)) return m * decade;
  }
  return 10 * decade;
}

std::vector<TimeTick> TimeTicks(double from_utc_s, double to_utc_s, int most, bool local) {
  std::vector<TimeTick> ticks;
  if (!(to_utc_s >= from_utc_s)) return ticks;
  most = std::max(1, most);
  constexpr double kHour = 3600;
  double step = 7 * 24 * kHour;
  for (const double hours : {1, 2, 3, 6, 12, 24, 48}) {
    if ((to_utc_s - from_utc_s) / (hours * kHour) < most) {
      step = hours * kHour;
      break;
    }
  }
  const bool days = step >= 24 * kHour;
  const QString format = days ? QStringLiteral("dd MMM") : QStringLiteral("dd MMM HH:mm");
  // Round on the clock the labels read: the local wall time is UTC plus the
  // offset of that moment, which a change to summer time moves.
  const double first_wall = from_utc_s + OffsetS(from_utc_s, local);
  for (double wall = std::ceil(first_wall / step) * step;; wall += step) {
    double utc = wall - OffsetS(wall - OffsetS(from_utc_s, local), local);
    if (utc > to_utc_s) break;
    if (utc < from_utc_s) continue;
    ticks.push_back({utc, Moment(utc, local).toString(format)});
  }
  return ticks;
}

QString ClockText(double utc_s, bool local) {
  const QDateTime t = Moment(utc_s, local);
  QString zone = QStringLiteral("UTC");
  if (local) {
    zone = t.timeZoneAbbreviation();
    if (zone.isEmpty()) zone = QStringLiteral("local");
  }
  return t.toString(QStringLiteral("dd MMM HH:mm ")) + zone;
}

QString ReadOutText(const TrackRow& row, bool local) {
  const auto deg = [](double v) { return QString::number(v, 'f', 1) + u'\u00b0'; };
  QString text = QStringLiteral("%1 \u2014 Moon %2 at Home, %3 at DX \u2014 ")
                     .arg(ClockText(row.utc_s, local), deg(row.home.elevation_refracted_deg),
                          deg(row.dx.elevation_refracted_deg));
  if (row.home_dx_valid) {
    text += QStringLiteral("Home\u2192DX %1 dB").arg(row.home_dx.total_db, 0, 'f', 1);
  } else {
    text += QStringLiteral("no Home\u2192DX echo: the Moon is down");
  }
  return text;
}

PlannerCharts::PlannerCharts(QObject* parent) : QObject(parent) {
  const auto hover = [this](double t) { Hover(t); };
  const auto click = [this](double t) { Click(t); };

  el_chart_ = NewChart(QStringLiteral("Moon elevation"));
  home_el_ = NewLine(QStringLiteral("Home"), Pen(kBlue, 2));
  dx_el_ = NewLine(QStringLiteral("DX"), Pen(kBlue, 2, Qt::DashLine));
  horizon_ = NewLine(QStringLiteral("Horizon"), Pen(kHorizonGrey, 1.5));
  el_now_ = NewLine(QStringLiteral("Now"), Pen(kVermillion, 2));
  el_marked_ = NewLine(QStringLiteral("Selected minute"), Pen(kBlack, 1, Qt::DotLine));
  best_el_ = NewBestMarks();
  el_time_ = new QCategoryAxis;
  el_time_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  el_axis_ = new QValueAxis;
  el_axis_->setRange(kChartFloorDeg, kChartTopDeg);
  el_axis_->setTickType(QValueAxis::TicksDynamic);
  el_axis_->setTickAnchor(0);
  el_axis_->setTickInterval(20);
  el_axis_->setLabelFormat(QStringLiteral("%.0f"));
  el_axis_->setTitleText(QStringLiteral("elevation \u00b0"));
  el_chart_->addAxis(el_time_, Qt::AlignBottom);
  el_chart_->addAxis(el_axis_, Qt::AlignLeft);
  // The mutual windows first, under the lines.
  ShadeRanges(QStringLiteral("Mutual windows"),
              QColor(kYellow.red(), kYellow.green(), kYellow.blue(), 110), {});
  for (QAbstractSeries* s : std::initializer_list<QAbstractSeries*>{
           horizon_, home_el_, dx_el_, el_now_, el_marked_, best_el_}) {
    el_chart_->addSeries(s);
    s->attachAxis(el_time_);
    s->attachAxis(el_axis_);
  }
  HideFromLegend(el_chart_, horizon_);
  HideFromLegend(el_chart_, el_marked_);
  elevation_view_ = new PlotView(el_chart_, hover, click);
  elevation_view_->setAccessibleName(QStringLiteral("Chart of the Moon's elevation"));
  elevation_view_->setMinimumHeight(220);

  dg_chart_ = NewChart(QStringLiteral("Home\u2192DX degradation, dB"));
  dg_time_ = new QCategoryAxis;
  dg_time_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  dg_axis_ = new QValueAxis;
  dg_axis_->setTickType(QValueAxis::TicksDynamic);
  dg_axis_->setTickAnchor(0);
  dg_axis_->setTitleText(QStringLiteral("dB"));
  dg_chart_->addAxis(dg_time_, Qt::AlignBottom);
  dg_chart_->addAxis(dg_axis_, Qt::AlignLeft);
  dg_now_ = NewLine(QStringLiteral("Now"), Pen(kVermillion, 2));
  dg_marked_ = NewLine(QStringLiteral("Selected minute"), Pen(kBlack, 1, Qt::DotLine));
  best_total_ = NewBestMarks();
  std::vector<QAbstractSeries*> dg_series;
  for (std::size_t t = 0; t < kTerms; ++t) {
    const TermStyle& style = TermStyles()[t];
    terms_[t].push_back(
        NewLine(QString::fromLatin1(style.name), Pen(style.colour, style.width, style.style)));
    dg_series.push_back(terms_[t].front());
  }
  for (QAbstractSeries* s : {dg_now_, dg_marked_}) dg_series.push_back(s);
  dg_series.push_back(best_total_);
  for (QAbstractSeries* s : dg_series) {
    dg_chart_->addSeries(s);
    s->attachAxis(dg_time_);
    s->attachAxis(dg_axis_);
  }
  HideFromLegend(dg_chart_, dg_now_);
  HideFromLegend(dg_chart_, dg_marked_);
  degradation_view_ = new PlotView(dg_chart_, hover, click);
  degradation_view_->setAccessibleName(QStringLiteral("Chart of the degradation terms"));
  degradation_view_->setMinimumHeight(200);

  read_out_ = new QLabel;
  read_out_->setAccessibleName(QStringLiteral("Chart read-out"));
  read_out_->setText(QStringLiteral("Point at a chart to read a minute; click to pick it."));
  RedrawTimeAxes();
}

PlannerCharts::~PlannerCharts() = default;

void PlannerCharts::Show(const PlannedTrack* planned, const QString& degradation_title) {
  planned_ = planned;
  dg_chart_->setTitle(degradation_title);
}

void PlannerCharts::ShadeRanges(const QString& name, const QColor& colour,
                                const std::vector<TimeRange>& ranges) {
  Shade& shade = shades_[name];
  if (!shade.area) {
    // An area series does not own its edges: they are its children here.
    shade.area = new QAreaSeries;
    shade.upper = new QLineSeries(shade.area);
    shade.lower = new QLineSeries(shade.area);
    shade.area->setUpperSeries(shade.upper);
    shade.area->setLowerSeries(shade.lower);
    shade.area->setName(name);
    shade.area->setColor(colour);
    shade.area->setBorderColor(Qt::transparent);
    el_chart_->addSeries(shade.area);
    shade.area->attachAxis(el_time_);
    shade.area->attachAxis(el_axis_);
  }
  QList<QPointF> upper, lower;
  for (const TimeRange& r : ranges) {
    upper << QPointF(r.from_utc_s, kChartFloorDeg) << QPointF(r.from_utc_s, kChartTopDeg)
          << QPointF(r.to_utc_s, kChartTopDeg) << QPointF(r.to_utc_s, kChartFloorDeg);
  }
  if (!ranges.empty()) {
    lower << QPointF(ranges.front().from_utc_s, kChartFloorDeg)
          << QPointF(ranges.back().to_utc_s, kChartFloorDeg);
  }
  shade.upper->replace(upper);
  shade.lower->replace(lower);
}

void PlannerCharts::Redraw(int columns) {
  static const std::vector<TrackRow> kNone;
  const std::vector<TrackRow>& rows = planned_ ? planned_->track.rows : kNone;
  const auto x = [&](std::size_t i) { return rows[i].utc_s; };
  home_el_->replace(DecimateMinMax(
      rows.size(), x, [&](std::size_t i) { return rows[i].home.elevation_refracted_deg; },
      columns));
  dx_el_->replace(DecimateMinMax(
      rows.size(), x, [&](std::size_t i) { return rows[i].dx.elevation_refracted_deg; }, columns));

  std::vector<TimeRange> windows;
  QList<QPointF> best_el, best_total;
  if (planned_) {
    for (const MutualWindow& w : planned_->track.windows)
      windows.push_back({w.start_utc_s, w.end_utc_s});
    for (const std::size_t row : planned_->best_rows) {
      const TrackRow& r = rows[row];
      best_el << QPointF(r.utc_s,
                         std::min(r.home.elevation_refracted_deg, r.dx.elevation_refracted_deg));
      best_total << QPointF(r.utc_s, r.home_dx.total_db);
    }
  }
  ShadeRanges(QStringLiteral("Mutual windows"), QColor(), windows);
  best_el_->replace(best_el);
  best_total_->replace(best_total);
  QList<QPointF> horizon;
  if (!rows.empty()) horizon << QPointF(rows.front().utc_s, 0) << QPointF(rows.back().utc_s, 0);
  horizon_->replace(horizon);

  // Each stretch where the Moon is up for both gets its share of the
  // columns, so that the whole span is thinned alike.
  const std::vector<IndexRun> runs =
      Runs(rows.size(), [&](std::size_t i) { return rows[i].home_dx_valid; });
  double low = 0, high = 1;
  for (std::size_t t = 0; t < kTerms; ++t) {
    std::vector<QLineSeries*>& lines = terms_[t];
    while (lines.size() < runs.size()) {
      auto* line = new QLineSeries;
      line->setPen(lines.front()->pen());
      dg_chart_->addSeries(line);
      line->attachAxis(dg_time_);
      line->attachAxis(dg_axis_);
      HideFromLegend(dg_chart_, line);
      lines.push_back(line);
    }
    for (std::size_t k = 0; k < lines.size(); ++k) {
      if (k >= runs.size()) {
        if (lines[k]->count() > 0) lines[k]->clear();
        continue;
      }
      const IndexRun run = runs[k];
      const std::size_t n = run.end - run.begin;
      const int share =
          std::max(1, static_cast<int>(static_cast<double>(columns) * static_cast<double>(n) /
                                       static_cast<double>(rows.size())));
      const QList<QPointF> points = DecimateMinMax(
          n, [&](std::size_t i) { return rows[run.begin + i].utc_s; },
          [&](std::size_t i) { return TermOf(rows[run.begin + i].home_dx, t); }, share);
      for (const QPointF& p : points) {
        low = std::min(low, p.y());
        high = std::max(high, p.y());
      }
      lines[k]->replace(points);
    }
  }
  const int rows_of_labels =
      std::max(3, static_cast<int>(dg_chart_->plotArea().height()) / kValueLabelPx);
  const double step = NiceStep(high - low, std::clamp(rows_of_labels, 3, 8));
  dg_low_ = std::floor(low / step) * step;
  dg_high_ = std::ceil(high / step) * step;
  dg_axis_->setRange(dg_low_, dg_high_);
  dg_axis_->setTickInterval(step);
  dg_axis_->setLabelFormat(step >= 1 ? QStringLiteral("%.0f") : QStringLiteral("%.1f"));
  columns_ = columns;
  RedrawTimeAxes();
  ReplaceVertical(el_now_, now_utc_s_);
  ReplaceVertical(dg_now_, now_utc_s_);
  ReplaceVertical(el_marked_, marked_utc_s_);
  ReplaceVertical(dg_marked_, marked_utc_s_);
}

void PlannerCharts::RedrawTimeAxes() {
  const bool any = planned_ && !planned_->track.rows.empty();
  const double from = any ? planned_->track.rows.front().utc_s : 0;
  const double to = any ? planned_->track.rows.back().utc_s : 3600;
  const std::vector<TimeTick> ticks =
      TimeTicks(from, to, std::max(2, columns_ / kTimeLabelPx), local_);
  for (QCategoryAxis* axis : {el_time_, dg_time_}) {
    for (const QString& label : axis->categoriesLabels()) axis->remove(label);
    axis->setStartValue(from);
    for (const TimeTick& tick : ticks) axis->append(tick.label, tick.utc_s);
    axis->setRange(from, std::max(to, from + 60));
  }
  el_time_->setTitleText(TimeTitle());
}

QString PlannerCharts::TimeTitle() const {
  if (!local_) return QStringLiteral("UTC");
  const double at =
      planned_ && !planned_->track.rows.empty() ? planned_->track.rows.front().utc_s : now_utc_s_;
  const QDateTime t = Moment(at, true);
  const int offset_min = t.offsetFromUtc() / 60;
  return QStringLiteral("Local time (%1, UTC%2%3:%4)")
      .arg(t.timeZoneAbbreviation(),
           offset_min < 0 ? QStringLiteral("\u2212") : QStringLiteral("+"))
      .arg(std::abs(offset_min) / 60, 2, 10, QChar(u'0'))
      .arg(std::abs(offset_min) % 60, 2, 10, QChar(u'0'));
}

QStringList PlannerCharts::TimeLabels() const {
  return el_time_->categoriesLabels();
}

void PlannerCharts::ReplaceVertical(QLineSeries* line, std::optional<double> utc_s) {
  const bool elevation = line == el_now_ || line == el_marked_;
  const double low = elevation ? kChartFloorDeg : dg_low_;
  const double high = elevation ? kChartTopDeg : dg_high_;
  // A moment outside the span is not drawn: the plot shows the span alone.
  const bool inside = planned_ && !planned_->track.rows.empty() && utc_s &&
                      *utc_s >= planned_->track.rows.front().utc_s &&
                      *utc_s <= planned_->track.rows.back().utc_s;
  if (!inside) {
    if (line->count() > 0) line->clear();
    return;
  }
  line->replace({QPointF(*utc_s, low), QPointF(*utc_s, high)});
}

void PlannerCharts::SetNow(double utc_s) {
  if (utc_s == now_utc_s_) return;
  now_utc_s_ = utc_s;
  ReplaceVertical(el_now_, utc_s);
  ReplaceVertical(dg_now_, utc_s);
}

void PlannerCharts::MarkMinute(std::optional<double> utc_s) {
  marked_utc_s_ = utc_s;
  ReplaceVertical(el_marked_, utc_s);
  ReplaceVertical(dg_marked_, utc_s);
}

void PlannerCharts::SetLocalTime(bool on) {
  if (on == local_) return;
  local_ = on;
  RedrawTimeAxes();
  if (hovered_utc_s_) read_out_->setText(ReadOutAt(*hovered_utc_s_));
}

int PlannerCharts::RowNearest(double utc_s) const {
  if (!planned_ || planned_->track.rows.empty()) return -1;
  const std::vector<TrackRow>& rows = planned_->track.rows;
  const auto after = std::lower_bound(rows.begin(), rows.end(), utc_s,
                                      [](const TrackRow& r, double t) { return r.utc_s < t; });
  if (after == rows.begin()) return 0;
  if (after == rows.end()) return static_cast<int>(rows.size() - 1);
  const auto before = after - 1;
  const auto nearest = utc_s - before->utc_s <= after->utc_s - utc_s ? before : after;
  return static_cast<int>(nearest - rows.begin());
}

QString PlannerCharts::ReadOutAt(double utc_s) const {
  const int row = RowNearest(utc_s);
  if (row < 0) return {};
  return ReadOutText(planned_->track.rows[static_cast<std::size_t>(row)], local_);
}

void PlannerCharts::Hover(double utc_s) {
  hovered_utc_s_ = utc_s;
  const QString text = ReadOutAt(utc_s);
  if (!text.isEmpty()) read_out_->setText(text);
}

void PlannerCharts::Click(double utc_s) {
  const int row = RowNearest(utc_s);
  if (row >= 0) emit MinuteClicked(planned_->track.rows[static_cast<std::size_t>(row)].utc_s);
}

}  // namespace quillmere
