// The Moon planner: opened from the tab strip and by F2, its stations kept
// in QuillmereStations.ini, the span's table with the best minutes marked
// and its CSV, the charts' thinning, and Follow the Moon driving the main
// window on an injected clock.

#include <QAbstractItemModel>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <filesystem>
#include <vector>

#include "chart_decimation.h"
#include "default_data.h"
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

class SilentMessages final : public quillmere::Messages {
 public:
  void Information(std::string_view) override {}
  void Warning(std::string_view) override {}
  void Error(std::string_view) override {}
  bool Confirm(std::string_view) override { return false; }
};

}  // namespace

class PlannerTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
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

 private:
  // The first minute of a CSV text: the line after the comments and the
  // column names.
  static QString FirstRow(const QString& csv) {
    QStringList lines = csv.split(u'\n');
    while (!lines.isEmpty() && lines[0].startsWith(u'#')) lines.removeFirst();
    return lines.value(1);
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
    host.now_utc_s = [] { return kNoon; };
    return host;
  }

  SilentMessages messages_;
  std::unique_ptr<QTemporaryDir> folder_;
  std::unique_ptr<TForm1> form_;
};

QTEST_MAIN(PlannerTest)
#include "ui_planner_test.moc"
