#pragma once
// The Moon planner's two charts: the Moon's elevation for Home and DX with
// the mutual windows, and what the Home->DX path costs, term by term. An
// operator reads them at a glance: one colour per quantity (Home solid, DX
// dashed), round hours and round dB on the axes, a line at the horizon, a
// line at the present moment that moves with the clock, a read-out in
// words under the pointer, and a click that picks the minute.

#include <QColor>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QString>
#include <array>
#include <map>
#include <optional>
#include <vector>

class QAreaSeries;
class QCategoryAxis;
class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QScatterSeries;
class QValueAxis;
class QWidget;

namespace quillmere {

struct PlannedTrack;
struct TrackRow;

// A span of time to shade on the charts, POSIX seconds UTC.
struct TimeRange {
  double from_utc_s = 0.0;
  double to_utc_s = 0.0;
};

// A tick of the time axis: where, and its label.
struct TimeTick {
  double utc_s = 0.0;
  QString label;
};

// The ticks of a time axis from `from_utc_s` to `to_utc_s` at a round step
// (1, 2, 3, 6 or 12 hours, 1, 2 or 7 days), at most `most` of them, on the
// round hours of UTC or of the local time (`local`): "08 Dec 14:00", or
// "08 Dec" where the step is whole days.
std::vector<TimeTick> TimeTicks(double from_utc_s, double to_utc_s, int most, bool local);

// A round step (1, 2 or 5 times a power of ten) for at most `most` steps
// over `span`.
double NiceStep(double span, int most);

// A moment as the read-out and the labels give it: "13:16 UTC", or in the
// local time "14:16 CET".
QString ClockText(double utc_s, bool local);

// The read-out of a minute in plain words: "13:16 UTC — Moon 23.4° at Home,
// 12.1° at DX — Home→DX 16.7 dB".
QString ReadOutText(const TrackRow& row, bool local);

class PlannerCharts final : public QObject {
  Q_OBJECT

 public:
  explicit PlannerCharts(QObject* parent);
  ~PlannerCharts() override;

  QChartView* ElevationView() const { return elevation_view_; }
  QChartView* DegradationView() const { return degradation_view_; }
  // The line of the read-out, under the pointer's minute.
  QLabel* ReadOut() const { return read_out_; }

  // Draws `planned`, which must outlive the next Show, for plots `columns`
  // pixels wide.
  void Show(const PlannedTrack* planned, const QString& degradation_title);
  void Redraw(int columns);

  // Moves the line of the present moment, and nothing else.
  void SetNow(double utc_s);
  double NowUtc() const { return now_utc_s_; }
  // Marks the minute the table has selected on both charts; nothing: none.
  void MarkMinute(std::optional<double> utc_s);
  std::optional<double> MarkedMinute() const { return marked_utc_s_; }

  // Labels the time axes and the read-out in the local time, or UTC.
  void SetLocalTime(bool on);
  bool LocalTime() const { return local_; }
  // The labels of the time axis, left to right.
  QStringList TimeLabels() const;
  QString TimeTitle() const;

  // Shades `ranges` on the elevation chart under the layer `name` (the
  // mutual windows are one; others come as they are needed), replacing what
  // the layer shaded before; a new layer takes `colour`.
  void ShadeRanges(const QString& name, const QColor& colour, const std::vector<TimeRange>& ranges);

  // The row of the minute nearest `utc_s`, or -1 without rows.
  int RowNearest(double utc_s) const;
  // What the read-out says at a moment of the span.
  QString ReadOutAt(double utc_s) const;

 signals:
  // A click on either chart, at that moment of the span.
  void MinuteClicked(double utc_s);

 private:
  void Hover(double utc_s);
  void Click(double utc_s);
  void RedrawTimeAxes();
  void ReplaceVertical(QLineSeries* line, std::optional<double> utc_s);

  const PlannedTrack* planned_ = nullptr;
  bool local_ = false;
  double now_utc_s_ = 0.0;
  std::optional<double> marked_utc_s_;

  QChartView* elevation_view_ = nullptr;
  QChartView* degradation_view_ = nullptr;
  QLabel* read_out_ = nullptr;
  QChart* el_chart_ = nullptr;
  QChart* dg_chart_ = nullptr;
  QLineSeries* home_el_ = nullptr;
  QLineSeries* dx_el_ = nullptr;
  QLineSeries* horizon_ = nullptr;
  QLineSeries* el_now_ = nullptr;
  QLineSeries* dg_now_ = nullptr;
  QLineSeries* el_marked_ = nullptr;
  QLineSeries* dg_marked_ = nullptr;
  QScatterSeries* best_el_ = nullptr;
  QScatterSeries* best_total_ = nullptr;
  QCategoryAxis* el_time_ = nullptr;
  QCategoryAxis* dg_time_ = nullptr;
  QValueAxis* el_axis_ = nullptr;
  QValueAxis* dg_axis_ = nullptr;
  // Each degradation term is drawn as one line per stretch of minutes
  // where the Moon is up for both stations: a line joining the ends of a
  // gap would draw figures that do not exist. The first of each is named
  // in the legend.
  static constexpr std::size_t kTerms = 7;
  std::array<std::vector<QLineSeries*>, kTerms> terms_;
  struct Shade {
    QAreaSeries* area = nullptr;
    QLineSeries* upper = nullptr;
    QLineSeries* lower = nullptr;
  };
  std::map<QString, Shade> shades_;
  double dg_low_ = 0.0, dg_high_ = 1.0;
  int columns_ = 800;  // the plot's width at the last redraw, pixels
  std::optional<double> hovered_utc_s_;

 public:
  // For the tests: the series of the charts by their legend name, and the
  // first line of a degradation term.
  QLineSeries* TermLine(std::size_t term) const { return terms_[term].front(); }
  QLineSeries* HomeElevation() const { return home_el_; }
  QLineSeries* DxElevation() const { return dx_el_; }
  QLineSeries* NowLine() const { return el_now_; }
  QLineSeries* Horizon() const { return horizon_; }
};

}  // namespace quillmere
