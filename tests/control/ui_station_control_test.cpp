// The station-control panel against the fixture's dummy daemons: it
// connects, shows what it commanded and what the rotator reports beside
// it, the frequencies it sent, and stops the rotator on disconnect; a
// daemon that is not there shows as waiting, and the window goes on.
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "station_control_panel.h"

using namespace quillmere;

namespace {

int PortOf(const std::string& name) {
  std::ifstream in(QUILLMERE_DAEMONS_STATE);
  std::string daemon;
  int port = 0, pid = 0;
  while (in >> daemon >> port >> pid)
    if (daemon == name) return port;
  return 0;
}

Stations Southern() {
  Stations s;
  s.home.latitude_deg = -60.0;
  s.home.longitude_deg = -70.0;
  s.dx.latitude_deg = 41.5;
  s.dx.longitude_deg = -71.0;
  return s;
}

constexpr double kNoon = 1796731200.0;  // 2026-12-08T12:00:00Z, the Moon up at both

}  // namespace

class StationControlPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void ConnectsShowsAndStops() {
    StationControlPanel panel([] { return kNoon; }, Southern);
    panel.RotatorAddress()->setText(QString("127.0.0.1:%1").arg(PortOf("rotctld")));
    panel.RigAddress()->setText(QString("127.0.0.1:%1").arg(PortOf("rigctld")));
    panel.DopplerControl()->setChecked(true);
    panel.Mode()->setCurrentIndex(1);  // own echo
    panel.LoMhz()->setValue(10224.0);
    QTest::mouseClick(panel.ConnectButton(), Qt::LeftButton);
    QVERIFY(panel.Running());
    QTRY_VERIFY_WITH_TIMEOUT(panel.RotatorState() == "rotctld: connected", 10000);
    QTRY_VERIFY_WITH_TIMEOUT(panel.Pointing().contains("Commanded az"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(panel.Pointing().contains("Reported az"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(panel.Frequencies().startsWith("Sent RX 1441"), 10000);
    QCOMPARE(panel.RigState(), QString("rigctld: connected"));
    QTest::mouseClick(panel.ConnectButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!panel.Running(), 10000);
    QCOMPARE(panel.ConnectButton()->text(), QString("Connect"));
  }

  void AbsentDaemonWaits() {
    StationControlPanel panel([] { return kNoon; }, Southern);
    // Nobody listens there: the fixture's rig port plus one thousand.
    panel.RotatorAddress()->setText(QString("127.0.0.1:%1").arg(PortOf("rigctld") + 1000));
    QTest::mouseClick(panel.ConnectButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(panel.RotatorState().startsWith("rotctld: waiting to reconnect"),
                             10000);
    QVERIFY(panel.RigState().contains("not used"));
  }

  void BadAddressIsSaid() {
    StationControlPanel panel([] { return kNoon; }, Southern);
    panel.RotatorAddress()->setText("no port here");
    QString said;
    connect(&panel, &StationControlPanel::problem, [&](const QString& t) { said = t; });
    QTest::mouseClick(panel.ConnectButton(), Qt::LeftButton);
    QVERIFY(!panel.Running());
    QVERIFY(said.contains("give HOST:PORT"));
  }
};

QTEST_MAIN(StationControlPanelTest)
#include "ui_station_control_test.moc"
