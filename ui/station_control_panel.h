#pragma once
// The planner's station-control panel: the dish on the Moon through rotctld
// and, when the operator opts in, the rig on the Doppler-corrected
// frequencies through rigctld (control/station_control.h). The panel pumps
// the control loop from a timer on the window's thread; every socket is
// non-blocking, so a slow or vanished daemon never holds the window up, it
// only shows "waiting to reconnect".
//
// To put it into a window, give it the clock and the stations of that
// window, and lay it out like any widget:
//
//   auto* control = new StationControlPanel(
//       [this] { return NowUtcSeconds(); },     // POSIX seconds UTC
//       [this] { return CurrentStations(); },   // read at each Connect
//       this);
//   layout->addWidget(control);
//
// The stations are read when the operator connects (a change of stations
// takes effect at the next Connect). The panel stops the rotator when
// disconnected and when it is destroyed.

#include <QElapsedTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "now.h"
#include "stations.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace quillmere {

class StationControl;

class StationControlPanel : public QWidget {
  Q_OBJECT

 public:
  StationControlPanel(std::function<double()> now_utc_s, std::function<Stations()> stations,
                      QWidget* parent = nullptr);
  ~StationControlPanel() override;

  // The controls, for the window that embeds the panel and for tests.
  QLineEdit* RotatorAddress() const { return rotator_address_; }
  QLineEdit* RigAddress() const { return rig_address_; }
  QCheckBox* DopplerControl() const { return doppler_; }
  QComboBox* Mode() const { return mode_; }
  QDoubleSpinBox* SkyMhz() const { return sky_mhz_; }
  QDoubleSpinBox* LoMhz() const { return lo_mhz_; }
  QComboBox* Step() const { return step_; }
  QComboBox* Station() const { return station_; }
  QPushButton* ConnectButton() const { return connect_; }

  // What the panel shows: each connection's state, the commanded and the
  // reported position, the frequencies sent.
  QString RotatorState() const;
  QString RigState() const;
  QString Pointing() const;
  QString Frequencies() const;
  bool Running() const { return control_ != nullptr; }

 signals:
  // A message for the operator (a bad address); also shown in the panel.
  void problem(const QString& text);

 private:
  void ConnectButtonClick();
  void Disconnect();
  void TimerTick();
  void Show();

  std::function<double()> now_utc_s_;
  std::function<Stations()> stations_;
  QElapsedTimer monotonic_;
  QTimer* timer_;
  std::unique_ptr<StationControl> control_;
  bool stopping_ = false;
  double stop_deadline_s_ = 0.0;

  QComboBox* station_;
  QLineEdit* rotator_address_;
  QLineEdit* rig_address_;
  QCheckBox* doppler_;
  QComboBox* mode_;
  QDoubleSpinBox* sky_mhz_;
  QDoubleSpinBox* lo_mhz_;
  QComboBox* step_;
  QPushButton* connect_;
  QLabel* message_;
  QLabel* rotator_state_;
  QLabel* rig_state_;
  QLabel* pointing_;
  QLabel* frequencies_;
};

}  // namespace quillmere
