#pragma once
// The Moon planner: the two EME stations, the Moon's elevation for both
// against time with the mutual windows, what each minute costs, the table of
// minutes, and the switch that makes the main window follow the Moon. The
// commands and the status line sit in a tool bar over the window, in sight
// on any screen; a location that names no place is marked in its field.

#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "planner_host.h"
#include "state.h"

class QAbstractItemModel;
class QTimer;

namespace quillmere {

class NowFeed;
class NowWindow;
class PlannerCharts;

class PlannerWindow : public QWidget {
  Q_OBJECT

 public:
  // What the planner asks of the main window.
  using Host = PlannerHost;

  // `stations_file` is QuillmereStations.ini, read at once when it exists.
  PlannerWindow(QWidget* parent, std::filesystem::path stations_file, Host host);
  ~PlannerWindow() override;

  // The editor's stations into QuillmereStations.ini through the safe
  // writer. Returns the message of what failed, or nothing.
  std::optional<QString> SaveStations();
  // Computes the span from the editor's stations with the main window's
  // weather and shows it, on this thread, now. Returns the message of what
  // is wrong, or nothing.
  std::optional<QString> Calculate();
  // The same on a worker thread: the table and the charts are replaced when
  // it is done, and a result overtaken by a later change is dropped. The
  // planner runs it itself when it is shown and when the stations, the span
  // or the atmosphere change (after a pause in the typing), and when the
  // main window's band or weather did (StateChanged).
  void CalculateInBackground();
  bool Computing() const;
  // The main window has recalculated: the planner computes again if what
  // its degradation reads of the window has changed.
  void StateChanged();

  // Whether the degradation takes the ray-traced air (P.676-13 Annex 1, the
  // default) or the main window's cosecant model.
  void SetRayTraced(bool on);
  bool RayTraced() const;
  // "Atmosphere: ray-traced (P.676-13 Annex 1)" or "Atmosphere: window's
  // cosecant model", as the planner shows it.
  QString AtmosphereText() const;
  // The table of minutes as CSV text, after '#' comment lines naming the
  // band frequency, both stations' locators and the atmosphere; and written
  // to a file.
  QString Csv() const;
  std::optional<QString> ExportCsv(const std::filesystem::path& file) const;

  // Redraws both charts from the computed rows for a plot `columns` pixels
  // wide.
  void RedrawCharts(int columns);
  // The charts, to look at what they show.
  PlannerCharts& Charts() const;

  // The row the table has selected (its minute marked on the charts), or -1.
  int SelectedRow() const;
  // Selects and shows the row of that minute, as a click on a chart does.
  void SelectMinute(double utc_s);
  // Selects and shows the present minute, or says that the span does not
  // hold it.
  void GoToNow();
  // Selects and shows the best minute of the mutual window open now or next
  // to open; from a best minute selected, of the window after it.
  void GoToBestMinute();
  // Labels the charts' time and their read-out in local time, or UTC.
  void SetLocalTime(bool on);
  // The clock's tick: the line of the present moment moves, and a span from
  // now rolls forward once the clock has passed its first minute.
  void NowTick();

  // Follow the Moon.
  void SetFollowing(bool on);
  bool Following() const;
  // What Follow the Moon tells of a Moon below a station's horizon, or "".
  QString FollowNote() const;
  // One minute of it, as the timer runs it.
  void FollowTick();

  QAbstractItemModel* Table() const;
  int RowCount() const;
  // The rows of the best minutes of the mutual windows.
  QList<int> BestRows() const;

  // The Now strip's feed, and its compact window, opened (or raised) here.
  NowFeed* Now() const;
  NowWindow* OpenNowWindow();
  // The station-control window (Hamlib's rotator and rig), opened or raised.
  QWidget* OpenStationControl();
  // Sets the editor's fields of Home (dx false) or DX from text, for tests
  // and for the screenshot: location and name.
  void SetStationText(bool dx, const QString& name, const QString& location);
  // The span: minutes from `from_utc_s` (nothing: now), by `step` minutes.
  void SetSpan(std::optional<double> from_utc_s, int span_minutes, int step_minutes);
  QString StationsFileMessage() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

}  // namespace quillmere
