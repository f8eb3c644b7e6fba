// The weather import in the window: the main window's apply (steppers'
// rounding and limits, one recalculation, the values before returned) and
// the station panel's import against a stand-in server on 127.0.0.1
// (weather_server.py): the recorded figures applied and undone, and a
// failure that changes nothing.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <vector>

#include "default_data.h"
#include "panel.h"
#include "tform1.h"
#include "ui_tform1.h"
#include "weather_import_panel.h"
#include "widget_display.h"

using quillmere::StationWeather;
using quillmere::TForm1;
using quillmere::WeatherImportPanel;
using quillmere::WeatherStation;

class WeatherTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    server_.setProgram(QStringLiteral("python3"));
    server_.setArguments({QStringLiteral(QUILLMERE_TEST_DATA "/../weather_server.py")});
    server_.start();
    QVERIFY(server_.waitForStarted());
    QVERIFY(server_.waitForReadyRead(30000));
    const int port = server_.readLine().trimmed().toInt();
    QVERIFY(port > 0);
    base_ = QStringLiteral("http://127.0.0.1:%1/").arg(port);
  }
  void cleanupTestCase() {
    server_.closeWriteChannel();
    QVERIFY(server_.waitForFinished(30000));
  }

  void theWindowAppliesAsItsSteppersWouldAndRecalculatesOnce() {
    TForm1 form(nullptr, quillmere::FixedUtcClock({2026, 12, 7, 12, 0, 0, 0}));
    quillmere::SilentMessages messages;
    form.SetMessages(&messages);
    quillmere::RecordBuffer buffer;
    quillmere::LoadDefaults(form.Calc(), form.ComponentDisplay(), buffer,
                            std::filesystem::path(QUILLMERE_TEST_DATA) / "records" / "typical.dat",
                            messages);
    const quillmere::StationParams dx = form.State().DX;
    const StationWeather before{static_cast<double>(form.State().Home.Temperature),
                                static_cast<double>(form.State().Home.Humidity),
                                static_cast<double>(form.State().Home.Pressure)};
    int recalculations = 0;
    form.Calc().on_recalculated = [&] { ++recalculations; };
    const StationWeather returned =
        form.ApplyStationWeather(WeatherStation::kHome, {-12.5, 99.6, 1100.4});
    QCOMPARE(recalculations, 1);
    QVERIFY(returned == before);
    QCOMPARE(static_cast<double>(form.State().Home.Temperature), -13.0);
    QCOMPARE(static_cast<double>(form.State().Home.Humidity), 100.0);
    QCOMPARE(static_cast<double>(form.State().Home.Pressure), 1100.0);
    QCOMPARE(static_cast<double>(form.State().Home.TemperatureKelvin), 260.15);
    QVERIFY(form.Components().Panel3->caption().contains(QStringLiteral("-13")));
    QCOMPARE(form.State().DX.Pressure, dx.Pressure);  // the other station as it was
  }

  void theRecordedFiguresAreAppliedAndUndone() {
    std::vector<StationWeather> applied;
    const StationWeather previous{10, 50, 1000};
    WeatherImportPanel panel(
        WeatherStation::kDx, {52.125, -0.25, 75},
        [&](WeatherStation s, const StationWeather& w) {
          [&] { QCOMPARE(s, WeatherStation::kDx); }();
          applied.push_back(w);
          return previous;
        },
        quillmere::WeatherService{(base_ + QStringLiteral("ok")).toStdString(), std::nullopt});
    QCOMPARE(panel.ApplyButton()->text(), QStringLiteral("Apply to DX"));
    QVERIFY(!panel.ApplyButton()->isEnabled());
    QSignalSpy finished(&panel, &WeatherImportPanel::Finished);
    panel.FetchButton()->click();
    QVERIFY(finished.wait(30000));
    QVERIFY(panel.StatusLabel()->text().contains(QStringLiteral("2026-12-07 21:45 UTC")));
    QVERIFY(panel.StatusLabel()->text().contains(QStringLiteral("Open-Meteo.com, CC BY 4.0")));
    QVERIFY(applied.empty());  // nothing until the user applies
    panel.ApplyButton()->click();
    QCOMPARE(applied.size(), std::size_t{1});
    QVERIFY(applied[0] == (StationWeather{6.6, 87, 1004.4}));
    // What the steppers now hold, as their arrows round, before the service's own figures.
    QVERIFY2(panel.StatusLabel()->text().startsWith(
                 QStringLiteral("Applied to DX: 7 \u00b0C, 87 %, 1004 hPa. Open-Meteo gave 6.6")),
             qPrintable(panel.StatusLabel()->text()));
    panel.UndoButton()->click();
    QCOMPARE(applied.size(), std::size_t{2});
    QVERIFY(applied[1] == previous);
    QVERIFY(!panel.UndoButton()->isEnabled());
  }

  // A button greyed under the keyboard's focus (Current weather while
  // asking, Undo once used) does not hand the focus to the next field, the
  // other station's name, where typing would overwrite it.
  void theFocusStaysInThePanelWhileItsButtonsGrey() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* panel = new WeatherImportPanel(
        WeatherStation::kHome, {52.125, -0.25, 75},
        [](WeatherStation, const StationWeather& w) { return w; },
        quillmere::WeatherService{(base_ + QStringLiteral("ok")).toStdString(), std::nullopt});
    auto* next_name = new QLineEdit(QStringLiteral("DX"));
    layout->addWidget(panel);
    layout->addWidget(next_name);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QSignalSpy finished(panel, &WeatherImportPanel::Finished);
    panel->FetchButton()->setFocus();
    QTest::keyClick(panel->FetchButton(), Qt::Key_Space);
    QVERIFY(!next_name->hasFocus());
    QVERIFY(finished.wait(30000));
    QCOMPARE(QApplication::focusWidget(), panel->ApplyButton());
    QTest::keyClick(panel->ApplyButton(), Qt::Key_Space);
    panel->UndoButton()->setFocus();
    QTest::keyClick(panel->UndoButton(), Qt::Key_Space);
    QVERIFY(!panel->UndoButton()->isEnabled());
    QCOMPARE(QApplication::focusWidget(), panel->ApplyButton());
  }

  // Applying recalculates, and the planner then gives each panel its
  // station's place again: the same place keeps what was fetched and said.
  void theSamePlaceAgainKeepsTheFiguresAndAnotherDropsThem() {
    const quillmere::WeatherQuery where{52.125, -0.25, 75};
    WeatherImportPanel panel(
        WeatherStation::kHome, where, [](WeatherStation, const StationWeather& w) { return w; },
        quillmere::WeatherService{(base_ + QStringLiteral("ok")).toStdString(), std::nullopt});
    QSignalSpy finished(&panel, &WeatherImportPanel::Finished);
    panel.FetchButton()->click();
    QVERIFY(finished.wait(30000));
    panel.ApplyButton()->click();
    const QString applied = panel.StatusLabel()->text();
    panel.SetPlace(where);
    QCOMPARE(panel.StatusLabel()->text(), applied);
    QVERIFY(panel.ApplyButton()->isEnabled());
    panel.SetPlace({52.125, -0.25, 76});
    QCOMPARE(panel.StatusLabel()->text(), QString());
    QVERIFY(!panel.ApplyButton()->isEnabled());
  }

  // Each server given as the window is given one, in QUILLMERE_WEATHER_URL.
  void aFailureChangesNothingAndSaysWhat_data() {
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("message");
    QTest::newRow("time-out") << base_ + QStringLiteral("hang") << "did not answer within 0.2 s";
    QTest::newRow("too many requests")
        << base_ + QStringLiteral("too_many") << "too many requests (HTTP 429)";
    QTest::newRow("not an http server")
        << "ftp://127.0.0.1/"
        << "QUILLMERE_WEATHER_URL, \"ftp://127.0.0.1/\", cannot be used: it does not start with "
           "http:// or https://.";
  }
  void aFailureChangesNothingAndSaysWhat() {
    QFETCH(QString, setting);
    QFETCH(QString, message);
    int applied = 0;
    qputenv("QUILLMERE_WEATHER_URL", setting.toUtf8());
    WeatherImportPanel panel(WeatherStation::kHome, {52.125, -0.25, 75},
                             [&](WeatherStation, const StationWeather& w) {
                               ++applied;
                               return w;
                             });
    qunsetenv("QUILLMERE_WEATHER_URL");
    panel.SetDeadlineMs(200);
    QSignalSpy finished(&panel, &WeatherImportPanel::Finished);
    panel.FetchButton()->click();
    QVERIFY(!finished.isEmpty() || finished.wait(30000));  // a bad address fails at once
    QVERIFY2(panel.StatusLabel()->text().contains(message),
             qPrintable(panel.StatusLabel()->text()));
    QVERIFY(panel.StatusLabel()->text().contains(QStringLiteral("Nothing was changed.")));
    QVERIFY(!panel.ApplyButton()->isEnabled());
    panel.ApplyButton()->click();
    QCOMPARE(applied, 0);
  }

 private:
  QProcess server_;
  QString base_;
};

QTEST_MAIN(WeatherTest)
#include "ui_weather_test.moc"
