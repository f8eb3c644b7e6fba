// The Moon planner: opened from the tab strip and by F2, its stations kept
// in QuillmereStations.ini, the span's table with the best minutes marked
// and its CSV, the charts' thinning, and Follow the Moon driving the main
// window on an injected clock; the charts: their colours, round ticks in UTC
// or local time, the line of the present moment moving with the clock, a
// click and the go-to buttons selecting rows, a span from now rolling on.

#include <QAbstractItemModel>
#include <QApplication>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <map>
#include <vector>

#include "chart_decimation.h"
#include "default_data.h"
#include "planner_charts.h"
#include "planner_window.h"
#include "radio_group.h"
#include "tform1.h"
#include "ui_tform1.h"
#include "widget_display.h"

using quillmere::PlannerWindow;
using quillmere::TForm1;

namespace {

// 2026-12-07 12:00 UTC: the Moon is up for both JO01 and FN31.
constexpr double kNoon = 1796644800.0;
// The longest wait for a computation in the background, on a busy machine.
constexpr int kWaitMs = 30000;

// The first row whose Home elevation (refracted) is between `low` and
// `high` degrees while the Moon is up for both; -1 if none.
int FirstRowWithHomeAt(const PlannerWindow& planner, double low, double high) {
  const QAbstractItemModel* t = planner.Table();
  for (int row = 0; row < t->rowCount(); ++row) {
    const double el = t->index(row, 2).data().toDouble();
    if (el > low && el < high && t->index(row, 4).data().toDouble() > 0 &&
        !t->index(row, 11).data().toString().isEmpty())
      return row;
  }
  return -1;
}

// The time zone of the local time for one test, as the TZ variable gives
// it, and the one before it back afterwards.
class ZoneFor {
 public:
  explicit ZoneFor(const char* zone)
      : before_(qgetenv("TZ")), had_(qEnvironmentVariableIsSet("TZ")) {
    qputenv("TZ", zone);
    tzset();
  }
  ~ZoneFor() {
    if (had_) {
      qputenv("TZ", before_);
    } else {
      qunsetenv("TZ");
    }
    tzset();
  }

 private:
  QByteArray before_;
  bool had_;
};

// What a series is drawn with: its colour and its line's style.
struct Look {
  QColor colour;
  Qt::PenStyle style;
  qreal width;
};
Look LookOf(QAbstractSeries* s) {
  if (auto* scatter = qobject_cast<QScatterSeries*>(s)) return {scatter->color(), Qt::NoPen, 0};
  if (auto* line = qobject_cast<QLineSeries*>(s))
    return {line->pen().color(), line->pen().style(), line->pen().widthF()};
  if (auto* area = qobject_cast<QAreaSeries*>(s)) return {area->color(), Qt::NoPen, 0};
  return {};
}

}  // namespace

class PlannerTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    now_ = kNoon;
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    QVERIFY(QDir::setCurrent(folder_->path()));
    form_ = std::make_unique<TForm1>(nullptr, quillmere::FixedUtcClock({2026, 12, 7, 12, 0, 0, 0}));
    form_->SetMessages(&messages_);
    quillmere::RecordBuffer buffer;
    quillmere::LoadDefaults(form_->Calc(), form_->ComponentDisplay(), buffer,
                            std::filesystem::path(QUILLMERE_TEST_DATA) / "records" / "typical.dat",
                            messages_);
  }
  void cleanup() {
    form_.reset();
    QVERIFY(QDir::setCurrent(QDir::tempPath()));
    folder_.reset();
  }

  void thePlannerTabOpensIt() {
    QCOMPARE(form_->Planner(), nullptr);
    form_->TabSet2Click(3);
    QVERIFY(form_->Planner() != nullptr);
    QVERIFY(form_->Planner()->isVisible());
    QVERIFY(!form_->Planner()->windowIcon().isNull());
  }

  void f2OpensItAndEscapeClosesIt() {
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QTest::keyClick(form_.get(), Qt::Key_F2);
    PlannerWindow* planner = form_->Planner();
    QVERIFY(planner != nullptr);
    QVERIFY(planner->isVisible());
    // The planner on its own, so that only its window can be the active one.
    form_->hide();
    planner->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(planner));
    QWidget* focus = planner->focusWidget();
    QVERIFY(focus != nullptr);
    QTest::keyClick(focus, Qt::Key_Escape);
    QVERIFY(planner->isHidden());
  }

  // --- QuillmereStations.ini ---

  void stationsAreSavedAndReadBackAtOpening() {
    {
      PlannerWindow planner(nullptr, File(), Host());
      planner.SetStationText(false, "G4XYZ", "JO01ab");
      planner.SetStationText(true, "W1ABC", "41.7,-72.7");
      QCOMPARE(planner.SaveStations(), std::nullopt);
    }
    QFile file(QString::fromStdString(File().string()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY2(text.contains("Name=G4XYZ\nLocation=JO01ab\n"), text.constData());
    QVERIFY2(text.contains("Location=41.7,-72.7\n"), text.constData());
    PlannerWindow again(nullptr, File(), Host());
    QCOMPARE(again.StationsFileMessage(), QString());
    QVERIFY(again.Calculate() == std::nullopt);
    // Read back: a second save writes the very same bytes.
    QCOMPARE(again.SaveStations(), std::nullopt);
    QFile second(QString::fromStdString(File().string()));
    QVERIFY(second.open(QIODevice::ReadOnly));
    QCOMPARE(second.readAll(), text);
  }

  // A file the planner could not read is never saved over, and the reason
  // stays in view while the planner computes.
  void aStationsFileThatWasNotReadIsNeverSavedOver() {
    const std::string kept = "[Home]\nName=G4ABC\nLocation=IO91\n" + std::string(70000, ';');
    WriteFile(kept);
    PlannerWindow planner(nullptr, File(), Host());
    const QLabel* note = planner.findChild<QLabel*>(QStringLiteral("StationsFileNote"));
    QVERIFY(note != nullptr);
    QVERIFY2(note->text().startsWith("QuillmereStations.ini: is 70032 bytes, more than the 65536"),
             qPrintable(note->text()));
    planner.CalculateInBackground();
    QVERIFY(note->isVisibleTo(&planner));
    QTRY_VERIFY(!planner.Computing());
    QVERIFY(note->isVisibleTo(&planner));
    const auto error = planner.SaveStations();
    QVERIFY(error.has_value());
    QVERIFY2(error->contains("so it is not replaced"), qPrintable(*error));
    QCOMPARE(ReadFile(), kept);
  }

  // The editor's boxes take what the file takes: a 6000 K receiver and the
  // rest of a file with one refused line survive a load and a save.
  void aFileWithinTheStationLimitsIsSavedBackUnchanged() {
    const std::string text =
        "[Home]\nName=G4ABC\nLocation=IO91\nHeightM=9500\nReceiverNoiseK=6000\n"
        "[DX]\nName=W1XYZ\nLocation=FN31\nDishDiameterM=99.5\n";
    WriteFile(text);
    PlannerWindow planner(nullptr, File(), Host());
    QVERIFY2(planner.StationsFileMessage().startsWith(
                 "QuillmereStations.ini, line 4: HeightM out of range"),
             qPrintable(planner.StationsFileMessage()));
    QCOMPARE(planner.SaveStations(), std::nullopt);
    const QByteArray saved = QByteArray::fromStdString(ReadFile());
    for (const char* line :
         {"[Home]\nName=G4ABC\nLocation=IO91\nHeightM=0\n", "ReceiverNoiseK=6000\n",
          "[DX]\nName=W1XYZ\nLocation=FN31\n", "DishDiameterM=99.5\n"})
      QVERIFY2(saved.contains(line), saved.constData());
  }

  // A name of 64 accented letters, typed into the editor, is a name the
  // planner computes with; the editor takes no 65th.
  void theEditorTakesTheNamesTheFileTakes() {
    PlannerWindow planner(nullptr, File(), Host());
    planner.SetStationText(false, QString(64, QChar(0xE9)), QStringLiteral("JO01"));
    QVERIFY(planner.Calculate() == std::nullopt);
    QLineEdit* name = nullptr;
    for (QLineEdit* line : planner.findChildren<QLineEdit*>())
      if (line->accessibleName() == QStringLiteral("Home Name or callsign")) name = line;
    QVERIFY(name != nullptr);
    name->end(false);
    name->insert(QString(QChar(0xE9)));  // as typed: through the editor's validator
    QCOMPARE(name->text().size(), qsizetype(64));
  }

  // --- The span ---

  void aDayGivesItsMinutesWithTheBestMarked() {
    PlannerWindow planner(nullptr, File(), Host());
    planner.SetSpan(kNoon - 12 * 3600, 24 * 60, 1);
    QVERIFY(planner.Calculate() == std::nullopt);
    QCOMPARE(planner.RowCount(), 1441);
    const QAbstractItemModel* table = planner.Table();
    QCOMPARE(table->rowCount(), 1441);
    QCOMPARE(table->index(720, 0).data().toString(), QStringLiteral("2026-12-07T12:00:00Z"));
    QCOMPARE(table->index(720, 5).data().toString(), QStringLiteral("yes"));
    // One best minute per window, highlighted, and no other row.
    const QList<int> best = planner.BestRows();
    QVERIFY(!best.isEmpty());
    for (int row : best) {
      QVERIFY(table->index(row, 0).data(Qt::BackgroundRole).isValid());
      QCOMPARE(table->index(row, 5).data().toString(), QStringLiteral("yes"));
    }
    QVERIFY(!table->index(0, 0).data(Qt::BackgroundRole).isValid() || best.contains(0));
  }

  // The export is the CSV of the minutes shown, with the air they were
  // computed with.
  void theExportIsTheCsvOfTheMinutesShown() {
    PlannerWindow planner(nullptr, File(), Host());
    planner.SetSpan(kNoon, 60, 1);
    QVERIFY(planner.Calculate() == std::nullopt);
    QVERIFY(planner.Csv().contains("# atmosphere: ray-traced (P.676-13 Annex 1)\n"));
    const std::filesystem::path out =
        std::filesystem::path(folder_->path().toStdString()) / "t.csv";
    QCOMPARE(planner.ExportCsv(out), std::nullopt);
    QFile written(QString::fromStdString(out.string()));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(written.readAll()), planner.Csv());
  }

  // One window, not "1 mutual windows".
  void theStatusCountsItsWindows() {
    PlannerWindow planner(nullptr, File(), Host());
    planner.SetSpan(kNoon, 60, 1);
    QVERIFY(planner.Calculate() == std::nullopt);
    QCOMPARE(Labelled<QLabel>(planner, "Planner status")->text(),
             QStringLiteral("61 rows, 1 mutual window at 10.368 GHz"));
  }

  // A location that names no place is marked in its own field, until it
  // names one.
  void anInvalidLocationIsMarkedInItsField() {
    PlannerWindow planner(nullptr, File(), Host());
    auto* home = Labelled<QLineEdit>(planner, "Home Locator or lat,lon");
    auto* dx = Labelled<QLineEdit>(planner, "DX Locator or lat,lon");
    const QColor normal = dx->palette().color(QPalette::Base);
    planner.SetStationText(false, "G4XYZ", "ZZ99");
    QVERIFY(planner.Calculate().has_value());
    QVERIFY(home->palette().color(QPalette::Base) != normal && home->toolTip().contains("ZZ99"));
    QVERIFY(dx->palette().color(QPalette::Base) == normal && dx->toolTip().isEmpty());
    planner.SetStationText(false, "G4XYZ", "JO01ab");
    QVERIFY(home->palette().color(QPalette::Base) == normal && home->toolTip().isEmpty());
  }

  // --- Computing without being asked ---

  // The charts and the table are filled as the planner opens: nobody has
  // to press Calculate.
  void itComputesWhenItOpens() {
    form_->TabSet2Click(3);
    PlannerWindow* planner = form_->Planner();
    QTRY_VERIFY_WITH_TIMEOUT(planner->RowCount() == 24 * 60 + 1 && !planner->Computing(), kWaitMs);
  }

  // A new locator is computed once the typing pauses; a half-typed one is
  // not computed at all.
  void anEditOfAStationComputesAgain() {
    form_->TabSet2Click(3);
    PlannerWindow* planner = form_->Planner();
    QTRY_VERIFY_WITH_TIMEOUT(planner->RowCount() > 0 && !planner->Computing(), kWaitMs);
    const QString dx_az = planner->Table()->index(0, 3).data().toString();
    planner->SetStationText(true, "KH6", "BL1");
    planner->CalculateInBackground();
    QVERIFY(!planner->Computing());
    QCOMPARE(planner->Table()->index(0, 3).data().toString(), dx_az);
    planner->SetStationText(true, "KH6", "BL11");
    QTRY_VERIFY_WITH_TIMEOUT(
        !planner->Computing() && planner->Table()->index(0, 3).data().toString() != dx_az, kWaitMs);
  }

  // The main window's weather reaches the planner through its
  // recalculation: warmer, damper air costs more at Home.
  void aChangeOfWeatherComputesAgain() {
    form_->TabSet2Click(3);
    PlannerWindow* planner = form_->Planner();
    QTRY_VERIFY_WITH_TIMEOUT(planner->RowCount() > 0 && !planner->Computing(), kWaitMs);
    const int row = FirstRowWithHomeAt(*planner, 2, 6);
    QVERIFY(row >= 0);
    const double before = planner->Table()->index(row, 11).data().toDouble();
    for (int k = 0; k < 10; ++k) form_->TempButtonAUpClick();
    QTRY_VERIFY_WITH_TIMEOUT(planner->Table()->index(row, 11).data().toDouble() > before + 0.005,
                             kWaitMs);
  }

  // --- The atmosphere of the degradation ---

  // The ray trace by default, said in the window and in the CSV; the
  // window's cosecant law on request, which overstates the air low down.
  void theAtmosphereIsRayTracedByDefaultAndSaysSo() {
    // The 24 GHz band, where the air counts.
    form_->Components().FreqSelect->setItemIndex(1);
    PlannerWindow planner(nullptr, File(), Host());
    QVERIFY(planner.RayTraced());
    QCOMPARE(planner.AtmosphereText(), QStringLiteral("Atmosphere: ray-traced (P.676-13 Annex 1)"));
    planner.SetSpan(kNoon - 12 * 3600, 24 * 60, 1);
    QVERIFY(planner.Calculate() == std::nullopt);
    const int low = FirstRowWithHomeAt(planner, 0.5, 1.5);
    QVERIFY(low >= 0);
    const double ray_db = planner.Table()->index(low, 11).data().toDouble();
    QVERIFY(FirstRow(planner.Csv()).endsWith(",ray-traced"));

    planner.SetRayTraced(false);
    QCOMPARE(planner.AtmosphereText(), QStringLiteral("Atmosphere: window's cosecant model"));
    QVERIFY(planner.Calculate() == std::nullopt);
    const double cosecant_db = planner.Table()->index(low, 11).data().toDouble();
    QVERIFY(FirstRow(planner.Csv()).endsWith(",cosecant"));
    QVERIFY2(cosecant_db > ray_db,
             qPrintable(
                 QStringLiteral("%1 dB cosecant, %2 dB ray-traced").arg(cosecant_db).arg(ray_db)));
  }

  // --- Follow the Moon ---

  void followingSetsBothElevationsAndTheMoonDistance() {
    form_->TabSet2Click(3);
    PlannerWindow* planner = form_->Planner();
    planner->SetSpan(kNoon, 60, 1);
    QVERIFY(planner->Calculate() == std::nullopt);
    const double home_el = planner->Table()->index(0, 2).data().toDouble();
    const double dx_el = planner->Table()->index(0, 4).data().toDouble();
    QVERIFY(!form_->FollowingTheMoon());
    QVERIFY(!form_->windowTitle().endsWith(TForm1::kFollowingTitle));

    planner->SetFollowing(true);
    QVERIFY(form_->FollowingTheMoon());
    QVERIFY2(form_->windowTitle().endsWith(QString::fromUtf8(TForm1::kFollowingTitle)),
             qPrintable(form_->windowTitle()));
    // Two decimals in the table, a hair more than the 0.01 its rounding
    // leaves.
    QVERIFY(std::abs(double(form_->State().Home.Elevation) - home_el) < 0.006);
    QVERIFY(std::abs(double(form_->State().DX.Elevation) - dx_el) < 0.006);
    QCOMPARE(form_->State().PathLength, form_->State().CurrentMoonDistance);
    QVERIFY(form_->State().CurrentMoonDistance > 356000 &&
            form_->State().CurrentMoonDistance < 407000);

    planner->SetFollowing(false);
    QVERIFY(!form_->FollowingTheMoon());
    QVERIFY(!form_->windowTitle().endsWith(QString::fromUtf8(TForm1::kFollowingTitle)));
    QVERIFY(!planner->Following());
  }

  void aMoonBelowAStationsHorizonLeavesItsElevationAndSaysWhenItRises() {
    form_->TabSet2Click(3);
    PlannerWindow* planner = form_->Planner();
    // At noon the Moon is 10 degrees up at JO01 and as far down at the
    // antipode.
    planner->SetStationText(false, "A", "JO01");
    planner->SetStationText(true, "B", "-51.5,-179.0");
    const long double home_before = form_->State().Home.Elevation;
    const long double dx_before = form_->State().DX.Elevation;
    planner->SetFollowing(true);
    QVERIFY(std::abs(double(form_->State().Home.Elevation) - 10.4) < 0.5);
    QCOMPARE(form_->State().DX.Elevation, dx_before);
    const QRegularExpression note(
        QStringLiteral("^Moon below DX horizon, rises [0-2][0-9]:[0-5][0-9] UTC$"));
    QVERIFY2(note.match(planner->FollowNote()).hasMatch(), qPrintable(planner->FollowNote()));
    QVERIFY2(form_->windowTitle().endsWith(QStringLiteral(" (") + planner->FollowNote() + u')'),
             qPrintable(form_->windowTitle()));
    // Off: the user's elevations back, the title as before.
    planner->SetFollowing(false);
    QCOMPARE(form_->State().Home.Elevation, home_before);
    QCOMPARE(form_->State().DX.Elevation, dx_before);
    QVERIFY(!form_->windowTitle().contains(QStringLiteral("Moon below")));
    QVERIFY(planner->FollowNote().isEmpty());
  }

  // --- Thinning for the charts ---

  void thinningKeepsEachColumnsExtremes_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("most");
    QTest::newRow("few points are kept whole") << 50 << 100 << 50;
    QTest::newRow("a fortnight of minutes over 800 pixels") << 20160 << 800 << 1600;
    QTest::newRow("one column") << 1000 << 1 << 2;
  }
  void thinningKeepsEachColumnsExtremes() {
    QFETCH(int, count);
    QFETCH(int, columns);
    QFETCH(int, most);
    std::vector<double> y(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < y.size(); ++i) y[i] = std::sin(double(i) * 0.37) * 10;
    y[y.size() / 3] = 99;  // a one-sample spike must survive
    y[y.size() / 2] = -99;
    const QList<QPointF> points = quillmere::DecimateMinMax(
        y.size(), [](std::size_t i) { return double(i); }, [&](std::size_t i) { return y[i]; },
        columns);
    QVERIFY2(points.size() <= most, qPrintable(QString::number(points.size())));
    double top = -1e9, bottom = 1e9, last_x = -1;
    for (const QPointF& p : points) {
      QVERIFY(p.x() > last_x);
      last_x = p.x();
      top = std::max(top, p.y());
      bottom = std::min(bottom, p.y());
    }
    QCOMPARE(top, 99.0);
    QCOMPARE(bottom, -99.0);
  }

  void thinningLeavesGapsOut() {
    const std::vector<double> y = {1, std::nan(""), 3, std::nan("")};
    const QList<QPointF> points = quillmere::DecimateMinMax(
        y.size(), [](std::size_t i) { return double(i); }, [&](std::size_t i) { return y[i]; }, 10);
    QCOMPARE(points.size(), qsizetype(2));
    QCOMPARE(points[1], QPointF(2, 3));
  }

  // --- The charts ---

  // Each quantity has a colour of its own in its chart; Home and DX of one
  // quantity share it, Home solid and DX dashed; the total is bold.
  void eachQuantityHasItsOwnColour_data() {
    QTest::addColumn<bool>("degradation");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("dx");
    QTest::newRow("elevation") << false << QStringLiteral("Home") << QStringLiteral("DX");
    QTest::newRow("degradation") << true << QStringLiteral("Attenuation Home")
                                 << QStringLiteral("Attenuation DX");
  }
  void eachQuantityHasItsOwnColour() {
    QFETCH(bool, degradation);
    QFETCH(QString, home);
    QFETCH(QString, dx);
    PlannerWindow planner(nullptr, File(), Host());
    Shown(planner);
    planner.SetSpan(kNoon - 12 * 3600, 24 * 60, 1);
    QVERIFY(planner.Calculate() == std::nullopt);
    QChart* chart =
        (degradation ? planner.Charts().DegradationView() : planner.Charts().ElevationView())
            ->chart();
    std::map<QString, Look> looks;
    for (QLegendMarker* marker : chart->legend()->markers())
      if (marker->isVisible()) looks[marker->series()->name()] = LookOf(marker->series());
    QVERIFY(looks.size() >= 4);
    QCOMPARE(looks[home].colour, looks[dx].colour);
    QCOMPARE(looks[home].style, Qt::SolidLine);
    QCOMPARE(looks[dx].style, Qt::DashLine);
    for (const auto& [a, look_a] : looks) {
      for (const auto& [b, look_b] : looks) {
        if (a < b && !(QStringList{home, dx}.contains(a) && QStringList{home, dx}.contains(b)))
          QVERIFY2(look_a.colour.rgb() != look_b.colour.rgb(), qPrintable(a + " and " + b));
      }
    }
    if (degradation) {
      for (const auto& [name, look] : looks)
        if (name != "Total") QVERIFY2(looks["Total"].width > look.width, qPrintable(name));
    }
  }

  void valueAxesStepOneTwoFive_data() {
    QTest::addColumn<double>("span");
    QTest::addColumn<int>("most");
    QTest::addColumn<double>("step");
    QTest::newRow("the elevation's 100 degrees") << 100.0 << 6 << 20.0;
    QTest::newRow("17.3 dB in 8 steps") << 17.3 << 8 << 5.0;
    QTest::newRow("3.2 dB in 8 steps") << 3.2 << 8 << 0.5;
    QTest::newRow("exactly 4 of 10") << 40.0 << 4 << 10.0;
    QTest::newRow("a fifth of a dB") << 1.0 << 5 << 0.2;
  }
  void valueAxesStepOneTwoFive() {
    QFETCH(double, span);
    QFETCH(int, most);
    QFETCH(double, step);
    QCOMPARE(quillmere::NiceStep(span, most), step);
  }

  // The time axis ticks on round hours (or days) of UTC or of the local
  // time, each labelled with its date.
  void theTimeAxisTicksOnRoundHours_data() {
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("hours");
    QTest::addColumn<int>("most");
    QTest::addColumn<QByteArray>("zone");  // empty: UTC
    QTest::addColumn<QStringList>("labels");
    const double dec7 = kNoon - 12 * 3600;
    QTest::newRow("a day every 6 h")
        << dec7 << 24.0 << 5 << QByteArray()
        << QStringList{"07 Dec 00:00", "07 Dec 06:00", "07 Dec 12:00", "07 Dec 18:00"};
    QTest::newRow("from an odd minute, every 2 h")
        << dec7 + 13 * 60 << 8.0 << 5 << QByteArray()
        << QStringList{"07 Dec 02:00", "07 Dec 04:00", "07 Dec 06:00", "07 Dec 08:00"};
    QTest::newRow("a fortnight every 2 days")
        << dec7 << 14 * 24.0 << 10 << QByteArray()
        << QStringList{"07 Dec", "09 Dec", "11 Dec", "13 Dec", "15 Dec", "17 Dec", "19 Dec"};
    QTest::newRow("a day every 6 h of India's time, UTC+05:30")
        << dec7 << 24.0 << 5 << QByteArray("Asia/Kolkata")
        << QStringList{"07 Dec 06:00", "07 Dec 12:00", "07 Dec 18:00", "08 Dec 00:00"};
    QTest::newRow("Sydney's summer time, UTC+11")
        << dec7 << 12.0 << 5 << QByteArray("Australia/Sydney")
        << QStringList{"07 Dec 12:00", "07 Dec 15:00", "07 Dec 18:00", "07 Dec 21:00"};
  }
  void theTimeAxisTicksOnRoundHours() {
    QFETCH(double, from);
    QFETCH(double, hours);
    QFETCH(int, most);
    QFETCH(QByteArray, zone);
    QFETCH(QStringList, labels);
    // UTC whatever the local time is.
    ZoneFor in(zone.isEmpty() ? "Europe/Paris" : zone.constData());
    QStringList got;
    for (const quillmere::TimeTick& tick :
         quillmere::TimeTicks(from, from + hours * 3600 - 60, most, !zone.isEmpty())) {
      QCOMPARE(std::fmod(tick.utc_s, 1800.0), 0.0);
      got << tick.label;
    }
    QCOMPARE(got, labels);
  }

  // "Local time" relabels the axes and the read-out; off, UTC again.
  void localTimeRelabelsTheChartsAndTheReadOut() {
    ZoneFor in("Asia/Kolkata");
    PlannerWindow planner(nullptr, File(), Host());
    Shown(planner);
    planner.SetSpan(kNoon - 12 * 3600, 24 * 60, 1);
    QVERIFY(planner.Calculate() == std::nullopt);
    quillmere::PlannerCharts& charts = planner.Charts();
    QCOMPARE(charts.TimeTitle(), QStringLiteral("UTC"));
    QCOMPARE(charts.TimeLabels().value(0), QStringLiteral("07 Dec 00:00"));
    QVERIFY(charts.ReadOutAt(kNoon).startsWith("07 Dec 12:00 UTC \u2014 Moon "));
    Labelled<QCheckBox>(planner, "Charts in local time")->click();
    QCOMPARE(charts.TimeTitle(), QStringLiteral("Local time (IST, UTC+05:30)"));
    // A step of at most 6 hours from 05:30 local time.
    QCOMPARE(charts.TimeLabels().value(0), QStringLiteral("07 Dec 06:00"));
    QVERIFY2(charts.ReadOutAt(kNoon).startsWith("07 Dec 17:30 IST \u2014 Moon "),
             qPrintable(charts.ReadOutAt(kNoon)));
    planner.SetLocalTime(false);
    QCOMPARE(charts.TimeLabels().value(0), QStringLiteral("07 Dec 00:00"));
  }

  // The read-out of a minute in words, its figures those of the table.
  void theReadOutSaysTheMinuteInWords_data() {
    QTest::addColumn<bool>("up");
    QTest::newRow("both see the Moon") << true;
    QTest::newRow("the Moon down for one") << false;
  }
  void theReadOutSaysTheMinuteInWords() {
    QFETCH(bool, up);
    PlannerWindow planner(nullptr, File(), Host());
    planner.SetSpan(kNoon - 12 * 3600, 24 * 60, 1);
    QVERIFY(planner.Calculate() == std::nullopt);
    const QAbstractItemModel* t = planner.Table();
    int row = 0;
    while (row < t->rowCount() && t->index(row, TotalColumn(*t)).data().toString().isEmpty() == up)
      ++row;
    QVERIFY(row < t->rowCount());
    const QString text = planner.Charts().ReadOutAt(kNoon - 12 * 3600 + row * 60);
    const QRegularExpression words(QStringLiteral(
        "^07 Dec (\\d\\d:\\d\\d) UTC \u2014 Moon (-?\\d+\\.\\d)\u00b0 at Home, "
        "(-?\\d+\\.\\d)\u00b0 "
        "at DX \u2014 (Home\u2192DX (\\d+\\.\\d) dB|no Home\u2192DX echo: the Moon is down)$"));
    const QRegularExpressionMatch m = words.match(text);
    QVERIFY2(m.hasMatch(), qPrintable(text));
    QCOMPARE(m.captured(1), t->index(row, 0).data().toString().mid(11, 5));
    // One decimal against the table's two: within half the last digit.
    const auto near = [&](int group, int column) {
      return std::abs(m.captured(group).toDouble() - t->index(row, column).data().toDouble()) <=
             0.0501;
    };
    QVERIFY2(near(2, 2) && near(3, 4), qPrintable(text));
    QCOMPARE(m.captured(5).isEmpty(), !up);
    if (up) QVERIFY2(near(5, TotalColumn(*t)), qPrintable(text));
  }

  // The pointer over a chart reads its minute out; a click selects that
  // minute's row in the table and marks it on the charts.
  void aClickOnAChartSelectsItsMinute_data() {
    QTest::addColumn<bool>("degradation");
    QTest::addColumn<int>("minute");
    QTest::newRow("on the elevation") << false << 30;
    QTest::newRow("on the degradation") << true << 95;
  }
  void aClickOnAChartSelectsItsMinute() {
    QFETCH(bool, degradation);
    QFETCH(int, minute);
    PlannerWindow planner(nullptr, File(), Host());
    planner.SetSpan(kNoon, 120, 1);
    Shown(planner);
    QVERIFY(planner.Calculate() == std::nullopt);
    QChartView* view =
        degradation ? planner.Charts().DegradationView() : planner.Charts().ElevationView();
    QChart* chart = view->chart();
    const double t = kNoon + minute * 60;
    const QPointF x = chart->mapToPosition(QPointF(t, 0));
    const QPoint at =
        view->mapFromScene(chart->mapToScene(QPointF(x.x(), chart->plotArea().center().y())));
    QTest::mouseMove(view->viewport(), at);
    QTRY_COMPARE(planner.Charts().ReadOut()->text(), planner.Charts().ReadOutAt(t));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(planner.SelectedRow(), minute);
    QCOMPARE(planner.Charts().MarkedMinute(), std::optional<double>(t));
  }

  // "Go to now" selects the present minute; "Go to best minute" the best
  // minute of the window open now or next to open, the first when all are
  // past, and pressed again the next window's.
  void goToNowAndBestSelectTheirRows_data() {
    QTest::addColumn<double>("hours");  // the clock, from the span's start
    QTest::newRow("at the start") << 0.0;
    QTest::newRow("at noon") << 12.0;
    QTest::newRow("in the evening") << 19.25;
    QTest::newRow("near the end") << 23.9;
  }
  void goToNowAndBestSelectTheirRows() {
    QFETCH(double, hours);
    PlannerWindow planner(nullptr, File(), Host());
    planner.SetSpan(kNoon - 12 * 3600, 24 * 60, 1);
    QVERIFY(planner.Calculate() == std::nullopt);
    now_ = kNoon - 12 * 3600 + hours * 3600;
    planner.GoToNow();
    const int now_row = int(std::lround(hours * 60));
    QCOMPARE(planner.SelectedRow(), now_row);
    QCOMPARE(Labelled<QTableView>(planner, "Table of minutes")->currentIndex().row(), now_row);
    // The reference: the windows as the table's "mutual" column shows them.
    const QList<int> best = planner.BestRows();
    QVERIFY(!best.isEmpty());
    const QAbstractItemModel* t = planner.Table();
    const auto mutual = [&](int row) { return t->index(row, 5).data().toString() == "yes"; };
    int window_start = now_row;
    while (window_start > 0 && mutual(window_start) && mutual(window_start - 1)) --window_start;
    int expected = best[0];
    for (int row : best) {
      if (row >= window_start && (row >= now_row || mutual(now_row))) {
        expected = row;
        break;
      }
    }
    planner.GoToBestMinute();
    QCOMPARE(planner.SelectedRow(), expected);
    planner.GoToBestMinute();
    QCOMPARE(planner.SelectedRow(), best[(best.indexOf(expected) + 1) % best.size()]);
  }

  void goToNowOutsideTheSpanSaysSo() {
    PlannerWindow planner(nullptr, File(), Host());
    planner.SetSpan(kNoon, 60, 1);
    QVERIFY(planner.Calculate() == std::nullopt);
    now_ = kNoon + 3 * 3600;
    planner.GoToNow();
    QCOMPARE(planner.SelectedRow(), -1);
    QCOMPARE(Labelled<QLabel>(planner, "Planner status")->text(),
             QStringLiteral("Now is outside the span shown."));
  }

  // The line of the present moment follows the clock; the series are not
  // drawn again for it.
  void theNowLineMovesWithTheClock_data() {
    QTest::addColumn<double>("later");
    QTest::newRow("a second") << 1.0;
    QTest::newRow("an hour and a half") << 5400.0;
  }
  void theNowLineMovesWithTheClock() {
    QFETCH(double, later);
    PlannerWindow planner(nullptr, File(), Host());
    planner.SetSpan(kNoon - 3600, 180, 1);
    QVERIFY(planner.Calculate() == std::nullopt);
    QLineSeries* now_line = planner.Charts().NowLine();
    QCOMPARE(now_line->at(0).x(), kNoon);
    QSignalSpy home(planner.Charts().HomeElevation(), &QXYSeries::pointsReplaced);
    QSignalSpy total(planner.Charts().TermLine(5), &QXYSeries::pointsReplaced);
    now_ = kNoon + later;
    planner.NowTick();
    QCOMPARE(now_line->at(0).x(), kNoon + later);
    QCOMPARE(now_line->at(1).x(), kNoon + later);
    QCOMPARE(home.count(), 0);
    QCOMPARE(total.count(), 0);
  }

  // A span from now moves on with the clock; the table keeps its selected
  // minute and the minute at its top.
  void aSpanFromNowRollsOnKeepingTheSelection() {
    PlannerWindow planner(nullptr, File(), Host());
    planner.SetSpan(std::nullopt, 120, 1);
    planner.resize(1280, 1024);
    planner.show();
    QTRY_VERIFY_WITH_TIMEOUT(planner.RowCount() == 121 && !planner.Computing(), kWaitMs);
    auto* table = Labelled<QTableView>(planner, "Table of minutes");
    planner.SelectMinute(kNoon + 40 * 60);
    table->scrollTo(planner.Table()->index(30, 0), QAbstractItemView::PositionAtTop);
    QCOMPARE(table->rowAt(0), 30);
    now_ = kNoon + 59;
    planner.NowTick();
    QVERIFY(!planner.Computing());
    now_ = kNoon + 60;
    planner.NowTick();
    QTRY_VERIFY_WITH_TIMEOUT(!planner.Computing() && planner.Table()->index(0, 0).data() ==
                                                         QStringLiteral("2026-12-07T12:01:00Z"),
                             kWaitMs);
    QCOMPARE(planner.SelectedRow(), 39);
    QCOMPARE(table->rowAt(0), 29);
  }

  // A term's line stops where the Moon sets for a station and starts again
  // where it rises: the stretches of figures.
  void gapsSplitALineIntoStretches() {
    const std::vector<bool> up = {false, true, true, false, true, false, false, true};
    const auto runs = quillmere::Runs(up.size(), [&](std::size_t i) { return bool(up[i]); });
    QCOMPARE(runs.size(), std::size_t(3));
    QCOMPARE(runs[0].begin, std::size_t(1));
    QCOMPARE(runs[0].end, std::size_t(3));
    QCOMPARE(runs[1].begin, std::size_t(4));
    QCOMPARE(runs[1].end, std::size_t(5));
    QCOMPARE(runs[2].begin, std::size_t(7));
    QCOMPARE(runs[2].end, std::size_t(8));
  }

 private:
  // The first minute of a CSV text: the line after the comments and the
  // column names.
  static QString FirstRow(const QString& csv) {
    QStringList lines = csv.split(u'\n');
    while (!lines.isEmpty() && lines[0].startsWith(u'#')) lines.removeFirst();
    return lines.value(1);
  }
  // The planner on the screen at its designed size, its charts laid out.
  // The table's column of the Home->DX total.
  static int TotalColumn(const QAbstractItemModel& t) {
    for (int c = 0; c < t.columnCount(); ++c)
      if (t.headerData(c, Qt::Horizontal).toString() == QStringLiteral("Total dB")) return c;
    return -1;
  }
  static void Shown(PlannerWindow& planner) {
    planner.resize(1280, 1024);
    planner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&planner));
  }
  // The planner's control of that accessible name.
  template <class T>
  static T* Labelled(const PlannerWindow& planner, const char* name) {
    for (T* w : planner.findChildren<T*>())
      if (w->accessibleName() == QLatin1String(name)) return w;
    return nullptr;
  }
  static std::filesystem::path File() { return quillmere::StartFolder() / "QuillmereStations.ini"; }
  static void WriteFile(const std::string& text) {
    QFile file(QString::fromStdString(File().string()));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.data(), qint64(text.size()));
  }
  static std::string ReadFile() {
    QFile file(QString::fromStdString(File().string()));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().toStdString();
  }
  PlannerWindow::Host Host() {
    PlannerWindow::Host host;
    host.state = [this] { return form_->State(); };
    host.now_utc_s = [this] { return now_; };
    return host;
  }

  quillmere::SilentMessages messages_;
  double now_ = kNoon;  // the planner's clock
  std::unique_ptr<QTemporaryDir> folder_;
  std::unique_ptr<TForm1> form_;
};

QTEST_MAIN(PlannerTest)
#include "ui_planner_test.moc"
