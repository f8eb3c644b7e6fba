#pragma once
// The "Spectrum and elevation" view: the exact method's curves for both
// stations beside the window's own figures, in Qt Charts. It follows the
// main window: the window tells it of every recalculation (StateChanged),
// and while it is shown a change of a station's weather, height, zone or
// season (or of the band, for the elevation charts) is recomputed on worker
// threads, and the charts are redrawn when that is done. The curves come
// from spectrum_charts.h.
//
// Under the mouse pointer, or with Left and Right on a focused chart, a
// vertical cursor reads off every curve at that x, in a line under the
// chart; each chart exports what it shows as CSV. Escape closes the view.
// The view opens as large as the screen's available area allows, title bar
// included, the two elevation charts side by side, so that a screen of 768
// rows shows every title whole.

#include <QChartView>
#include <QSize>
#include <QString>
#include <QWidget>
#include <vector>

#include "background_work.h"
#include "spectrum_charts.h"
#include "state.h"

class QDoubleSpinBox;
class QGraphicsLineItem;
class QLabel;
class QTabWidget;

namespace quillmere {

// A chart with a read-off cursor over the samples of its data.
class ReadOutChartView : public QChartView {
  Q_OBJECT

 public:
  explicit ReadOutChartView(QWidget* parent = nullptr);

  // Draws `data` (NaN values are gaps), the y axis logarithmic or linear.
  void SetData(const ChartData& data);
  const ChartData& Data() const { return data_; }

  // Puts the cursor on the sample nearest x and returns the read-off there:
  // x and every curve's value (or "-" where it has none), by the names of
  // the legend ("Elevation 0.5°: Home ray trace 2.31 dB; ...").
  QString ReadOutAt(double x);
  int CursorIndex() const { return cursor_; }

  struct Axis {
    QString title;
    bool log = false;
    double min = 0, max = 1;
    int ticks = 5;     // of a linear axis
    bool fit = false;  // a logarithmic y axis: ranged to the data's decades
  };
  // Set before the first SetData.
  void SetAxes(const Axis& x, const Axis& y);
  // Vertical marks with labels at these x (the bands).
  void SetMarks(std::vector<std::pair<double, QString>> marks);

 signals:
  // The read-off of the cursor moved.
  void ReadOutChanged(const QString& text);

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ShowCursor(int index);
  void PlaceMarks();
  // The legend of the stations' colours and the methods' lines.
  void MakeLegend(const ChartData& data);
  // The scene x of a value of x.
  double PositionOf(double x) const;

  ChartData data_;
  qsizetype curves_ = 0;  // the first series of the chart; legend keys follow
  int cursor_ = -1;
  bool log_x_ = false, log_y_ = false, fit_y_ = false;
  double y_max_ = 1;
  QGraphicsLineItem* cursor_line_ = nullptr;
  std::vector<std::pair<double, QString>> marks_;
  std::vector<QGraphicsItem*> mark_items_;
};

class SpectrumWindow : public QWidget {
  Q_OBJECT

 public:
  // `state` is the main window's and must outlive the view.
  explicit SpectrumWindow(const QuillmereState& state, QWidget* parent = nullptr);
  // Waits for a computation in flight, which reads the state.
  ~SpectrumWindow() override;

  // Recomputes every chart and draws it, on this thread, now.
  void RedrawNow();
  // Starts recomputing what changed on worker threads; the charts are
  // redrawn when the results arrive. While one is in flight it only notes
  // that it was asked, and looks again when that one is done.
  void Follow();
  // The main window has recalculated: Follow, while the view is shown (a
  // hidden view catches up when it is shown again).
  void StateChanged();
  bool Computing() const { return work_.Running(); }
  // How many times the charts have been redrawn.
  int Redraws() const { return redraws_; }

  ReadOutChartView* AttenuationView() const { return attenuation_; }
  ReadOutChartView* SkyView() const { return sky_; }
  ReadOutChartView* FrequencyView() const { return frequency_; }
  QTabWidget* Pages() const { return pages_; }
  // The Moon's geometric elevation the read-out is for (-90 ... 90
  // degrees: below 0 from a station above the sea, as --slant takes it),
  // and the read-out: each station's ray toward it, or "not visible".
  QDoubleSpinBox* MoonElevation() const { return moon_elevation_; }
  QLabel* MoonReadOut() const { return moon_read_out_; }

  // Writes a chart's CSV to `path` whole or not at all; on failure returns
  // the reason, else an empty text.
  static QString WriteCsv(const ChartData& chart, const QString& path);

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The size the view opens at, client area, where the screen has room.
  static constexpr QSize kWantedSize{1240, 800};
  // Moves and shrinks the window into its screen's available area, frame
  // and title bar included (the frame counts once the window manager has
  // drawn it: until then the window is fitted again once framed). True
  // when it already fitted.
  bool FitToScreen();
  struct Results {
    bool elevation = false, frequency = false;
    ElevationCharts elevation_charts;
    ChartData frequency_chart;
  };
  void Apply(Results results);
  void UpdateCaption();
  void MoonElevationChanged();
  void ExportClick(ReadOutChartView* view);

  const QuillmereState& state_;
  std::vector<double> elevation_key_, air_key_;
  QLabel* caption_;
  QDoubleSpinBox* moon_elevation_;
  QLabel* moon_read_out_;
  QTabWidget* pages_;
  ReadOutChartView *attenuation_, *sky_, *frequency_;
  int redraws_ = 0;
  // The charts' computation off the window's thread; declared last, so
  // that it ends before anything it draws into is gone.
  BackgroundWork work_{this, [this] { Follow(); }};
};

}  // namespace quillmere
