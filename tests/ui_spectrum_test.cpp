// The "Spectrum and elevation" view: opened from the tab strip, its curves
// for both stations beside the window's own figures, the read-off under the
// cursor, the CSV export, following a change of weather, and Escape.
//
// With QUILLMERE_SPECTRUM_SHOTS set to a folder, the charts of the typical
// data at 24 GHz are also saved there as spectrum-elevation.png and
// spectrum-frequency.png (the pictures in docs/).

#include <sys/stat.h>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QLogValueAxis>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include "default_data.h"
#include "font_substitutes.h"
#include "radio_group.h"
#include "spectrum_window.h"
#include "support/message_log.h"
#include "tab_set.h"
#include "tform1.h"
#include "ui_tform1.h"
#include "widget_display.h"

using quillmere::ChartData;
using quillmere::SpectrumWindow;
using quillmere::TForm1;

namespace {

// The value of a named curve at x, NaN where it has none.
double ValueAt(const ChartData& chart, const std::string& name, double x) {
  for (const auto& s : chart.series) {
    if (s.name != name) continue;
    for (std::size_t k = 0; k < chart.x.size(); ++k)
      if (std::abs(chart.x[k] - x) < 1e-9) return s.y[k];
  }
  return std::nan("");
}

}  // namespace

class SpectrumTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    quillmere::InstallFontSubstitutes();
    QLocale::setDefault(QLocale::c());
  }

  void init() {
    form_ = std::make_unique<TForm1>(nullptr, quillmere::FixedUtcClock({2026, 12, 7, 8, 0, 0, 0}));
    form_->SetMessages(&log_);
    quillmere::RecordBuffer buffer;
    quillmere::LoadDefaults(form_->Calc(), form_->ComponentDisplay(), buffer,
                            std::filesystem::path(QUILLMERE_TEST_DATA) / "records" / "typical.dat",
                            log_);
    // The 24 GHz band.
    form_->Components().FreqSelect->setItemIndex(1);
  }
  void cleanup() { form_.reset(); }

  // --- Opening and closing ---

  void theLastTabOfTheStripOpensTheView() {
    quillmere::TabSet* tabs = form_->Components().TabSet2;
    QCOMPARE(tabs->tabs().back(), QStringLiteral("Spectrum"));
    QVERIFY(form_->Spectrum() == nullptr);
    tabs->chooseTab(int(tabs->tabs().size()) - 1);
    SpectrumWindow* view = form_->Spectrum();
    QVERIFY(view != nullptr);
    QVERIFY(view->isVisible());
    QCOMPARE(view->windowTitle(), QStringLiteral("Spectrum and elevation"));
    QVERIFY(!view->windowIcon().isNull());
    // It never keeps the program running once the main window is closed.
    QVERIFY(!view->testAttribute(Qt::WA_QuitOnClose));
    QCOMPARE(view->AttenuationView()->accessibleName(),
             QStringLiteral("Attenuation against elevation"));
  }

  void escapeClosesTheView() {
    form_->OpenSpectrum();
    SpectrumWindow* view = form_->Spectrum();
    QTest::keyClick(view, Qt::Key_Escape);
    QVERIFY(!view->isVisible());
    QVERIFY(form_->Spectrum() == view);
  }

  // --- What the charts show ---

  // Near the horizon the cosecant overstates the loss several times over;
  // higher up the two agree to within the difference of the models (the
  // window's equivalent heights against the profile scaled to the weather).
  void theCosecantPartsFromTheRayBelowFiveDegrees_data() {
    QTest::addColumn<QString>("station");
    QTest::addColumn<double>("elevation");
    QTest::addColumn<double>("min_ratio");
    QTest::addColumn<double>("max_ratio");
    QTest::newRow("Home at 0.5 degrees: several times the ray") << "Home" << 0.5 << 2.0 << 5.0;
    QTest::newRow("DX at 0.5 degrees: several times the ray") << "DX" << 0.5 << 1.5 << 5.0;
    QTest::newRow("Home at 5 degrees: within 10 %") << "Home" << 5.0 << 0.9 << 1.1;
    QTest::newRow("Home at 30 degrees: within 15 %") << "Home" << 30.0 << 0.85 << 1.15;
    QTest::newRow("DX at 30 degrees: within 30 %") << "DX" << 30.0 << 0.7 << 1.3;
  }
  void theCosecantPartsFromTheRayBelowFiveDegrees() {
    QFETCH(QString, station);
    QFETCH(double, elevation);
    QFETCH(double, min_ratio);
    QFETCH(double, max_ratio);
    SpectrumWindow view(form_->State());
    view.RedrawNow();
    const ChartData& chart = view.AttenuationView()->Data();
    const double ray = ValueAt(chart, station.toStdString() + " ray trace dB", elevation);
    const double csc = ValueAt(chart, station.toStdString() + " cosecant dB", elevation);
    QVERIFY2(ray > 0 && csc / ray > min_ratio && csc / ray < max_ratio,
             qPrintable(QStringLiteral("ray %1 cosecant %2").arg(ray).arg(csc)));
  }

  void theCosecantHasNoFigureOnTheHorizon() {
    SpectrumWindow view(form_->State());
    view.RedrawNow();
    QVERIFY(std::isnan(ValueAt(view.AttenuationView()->Data(), "Home cosecant dB", 0)));
    QVERIFY(std::isnan(ValueAt(view.SkyView()->Data(), "DX cosecant K", 0)));
    QVERIFY(ValueAt(view.AttenuationView()->Data(), "Home ray trace dB", 0) > 0);
  }

  // The sky warms towards the horizon, from near the background overhead to
  // near the air's own temperature.
  void theSkyWarmsTowardsTheHorizon() {
    SpectrumWindow view(form_->State());
    view.RedrawNow();
    const ChartData& sky = view.SkyView()->Data();
    const double zenith = ValueAt(sky, "Home ray trace K", 90);
    const double horizon = ValueAt(sky, "Home ray trace K", 0);
    QVERIFY2(zenith > 2.7 && zenith < 40, qPrintable(QString::number(zenith)));
    QVERIFY2(horizon > 230 && horizon < 300, qPrintable(QString::number(horizon)));
  }

  // The 60 GHz oxygen complex and the 22 GHz vapour line, and the eight
  // bands marked across 1-350 GHz.
  void theSpectrumShowsTheLinesOfOxygenAndVapour() {
    SpectrumWindow view(form_->State());
    view.RedrawNow();
    const ChartData& f = view.FrequencyView()->Data();
    QCOMPARE(f.x.size(), std::size_t(350));
    QCOMPARE(f.series.size(), std::size_t(6));
    QVERIFY(ValueAt(f, "Home gamma_o dB/km", 60) > 10);
    QVERIFY(ValueAt(f, "Home gamma_w dB/km", 22) > ValueAt(f, "Home gamma_w dB/km", 15));
    QVERIFY(ValueAt(f, "DX zenith dB", 60) > 100);
    QVERIFY(ValueAt(f, "DX zenith dB", 10) < 0.2);
  }

  // --- Reading off and exporting ---

  // In the legend's names and the window's own font, under the chart: not
  // a tip, which takes the main window's bold on-screen help colours.
  void theReadOutGivesEveryCurveAtTheNearestElevation() {
    form_->OpenSpectrum();
    SpectrumWindow& view = *form_->Spectrum();
    view.RedrawNow();
    const QString text = view.AttenuationView()->ReadOutAt(0.6);
    // 0.5 degrees is the nearest sample to 0.6.
    QCOMPARE(view.AttenuationView()->Data().x[std::size_t(view.AttenuationView()->CursorIndex())],
             0.5);
    QVERIFY2(text.startsWith(QStringLiteral("Elevation 0.5\u00b0: Home ray trace ")),
             qPrintable(text));
    for (const char* name : {"Home cosecant", "DX ray trace", "DX cosecant"})
      QVERIFY2(text.contains(QStringLiteral("; ") + QLatin1String(name) + u' '), qPrintable(text));
    QVERIFY(view.AttenuationView()->toolTip().isEmpty());
    const QList<QLabel*> labels = view.findChildren<QLabel*>();
    const auto shown = std::find_if(labels.begin(), labels.end(), [](const QLabel* l) {
      return l->accessibleName() == QStringLiteral("Read-off of Attenuation against elevation");
    });
    QVERIFY(shown != labels.end() && (*shown)->text() == text && !(*shown)->font().bold());
  }

  // One entry per station and one per method, each drawn as a piece of its
  // line, by the names a reader knows, units where the chart mixes them.
  void theLegendKeysStationsByColourAndMethodsByLine() {
    form_->OpenSpectrum();
    SpectrumWindow& view = *form_->Spectrum();
    view.RedrawNow();
    view.Pages()->setCurrentIndex(1);
    QCoreApplication::processEvents();  // the legend lays out in posted events
    const QLegend* legend = view.FrequencyView()->chart()->legend();
    QCOMPARE(legend->markerShape(), QLegend::MarkerShapeFromSeries);
    QStringList labels;
    QSet<int> styles;
    for (QLegendMarker* key : legend->markers()) {
      if (!key->isVisible()) continue;
      labels << key->label();
      styles << int(static_cast<QLineSeries*>(key->series())->pen().style());
    }
    QCOMPARE(labels, (QStringList{"Home", "DX", "zenith, dB", "\u03b3 oxygen, dB/km",
                                  "\u03b3 water vapour, dB/km"}));
    QCOMPARE(styles.size(), 3);  // solid, dotted, dash-dot
  }

  // The attenuation axis spans the decades of the curves.
  void theAttenuationAxisRangesItself() {
    SpectrumWindow view(form_->State());
    view.RedrawNow();
    const auto range = quillmere::DecadeRange(view.AttenuationView()->Data());
    const QAbstractAxis* axis = view.AttenuationView()->chart()->axes(Qt::Vertical).front();
    QCOMPARE(static_cast<const QLogValueAxis*>(axis)->min(), range.value().first);
    QCOMPARE(static_cast<const QLogValueAxis*>(axis)->max(), range.value().second);
  }

  void theKeyboardMovesTheReadOut() {
    form_->OpenSpectrum();
    SpectrumWindow* view = form_->Spectrum();
    view->RedrawNow();
    quillmere::ReadOutChartView* chart = view->SkyView();
    chart->setFocus();
    QTest::keyClick(chart, Qt::Key_End);
    QCOMPARE(chart->CursorIndex(), int(chart->Data().x.size()) - 1);
    QTest::keyClick(chart, Qt::Key_Left);
    QCOMPARE(chart->CursorIndex(), int(chart->Data().x.size()) - 2);
    QVERIFY(chart->accessibleDescription().startsWith(QStringLiteral("Elevation 88\u00b0: ")));
  }

  void theCsvHoldsAHeaderAndOneLinePerSample() {
    SpectrumWindow view(form_->State());
    view.RedrawNow();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("elevation.csv"));
    QCOMPARE(SpectrumWindow::WriteCsv(view.AttenuationView()->Data(), path), QString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    // The last newline leaves one empty piece.
    QCOMPARE(lines.size(), qsizetype(view.AttenuationView()->Data().x.size()) + 2);
    QCOMPARE(lines[0], QByteArray("elevation_deg,Home ray trace dB,Home cosecant dB,"
                                  "DX ray trace dB,DX cosecant dB"));
    // On the horizon the cosecant's fields are empty; the ray's read back.
    const QList<QByteArray> horizon = lines[1].split(',');
    QCOMPARE(horizon.size(), 5);
    QCOMPARE(horizon[0], QByteArray("0"));
    QVERIFY(horizon[2].isEmpty() && horizon[4].isEmpty());
    QCOMPARE(horizon[1].toDouble(),
             ValueAt(view.AttenuationView()->Data(), "Home ray trace dB", 0));
  }

  void aCsvThatCannotBeWrittenSaysWhy() {
    SpectrumWindow view(form_->State());
    view.RedrawNow();
    QVERIFY(!SpectrumWindow::WriteCsv(view.FrequencyView()->Data(),
                                      QStringLiteral("/nonexistent-folder/x.csv"))
                 .isEmpty());
  }

  // The export goes through the program's one writer: a FIFO in the file's
  // place is refused and stays a FIFO (the writer's own table covers the
  // rest of what may lie under a name).
  void theCsvIsWrittenByTheOneWriter() {
    SpectrumWindow view(form_->State());
    view.RedrawNow();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fifo.csv"));
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
    const QString error = SpectrumWindow::WriteCsv(view.FrequencyView()->Data(), path);
    QVERIFY2(
        error.endsWith(QStringLiteral("is a FIFO (named pipe), not a file; nothing was written")),
        qPrintable(error));
    QVERIFY(QFileInfo(path).isFile() == false);
    QVERIFY(std::filesystem::is_fifo(QFile::encodeName(path).toStdString()));
  }

  // --- Following the main window ---

  void aChangeOfWeatherRedrawsTheShownCharts() {
    form_->OpenSpectrum();
    SpectrumWindow* view = form_->Spectrum();
    QTRY_VERIFY(!view->Computing() && !view->FrequencyView()->Data().x.empty());
    const double before = ValueAt(view->AttenuationView()->Data(), "Home ray trace dB", 5);
    const double dx_before = ValueAt(view->AttenuationView()->Data(), "DX ray trace dB", 5);
    // Warmer air holds more vapour at the same humidity.
    for (int k = 0; k < 10; ++k) form_->TempButtonAUpClick();
    QTRY_VERIFY(ValueAt(view->AttenuationView()->Data(), "Home ray trace dB", 5) > before);
    QCOMPARE(ValueAt(view->AttenuationView()->Data(), "DX ray trace dB", 5), dx_before);
  }

  void aChangeOfBandRedrawsTheElevationCharts() {
    form_->OpenSpectrum();
    SpectrumWindow* view = form_->Spectrum();
    QTRY_VERIFY(!view->Computing() && !view->AttenuationView()->Data().x.empty());
    const double at_24 = ValueAt(view->AttenuationView()->Data(), "Home ray trace dB", 30);
    form_->Components().FreqSelect->setItemIndex(0);
    QTRY_VERIFY(ValueAt(view->AttenuationView()->Data(), "Home ray trace dB", 30) < at_24);
  }

  // The Moon below the horizontal from a mountain: the dipping ray's
  // figures down to the refracted horizon, "not visible" under it.
  void theMoonBelowTheHorizontalFromAMountain() {
    form_->State().Home.HeightAsl = 3000;
    form_->State().Home.Pressure = 701;
    form_->OpenSpectrum();
    SpectrumWindow* view = form_->Spectrum();
    view->RedrawNow();
    view->MoonElevation()->setValue(-1.08);
    QCOMPARE(view->MoonElevation()->value(), -1.08);
    QVERIFY2(view->MoonReadOut()->text().startsWith(QStringLiteral("Home: ")) &&
                 view->MoonReadOut()->text().contains(QStringLiteral(" dB, sky ")),
             qPrintable(view->MoonReadOut()->text()));
    view->MoonElevation()->setValue(-5);
    QVERIFY2(view->MoonReadOut()->text().startsWith(QStringLiteral("Home: not visible")),
             qPrintable(view->MoonReadOut()->text()));
  }

  void shots() {
    const QByteArray folder = qgetenv("QUILLMERE_SPECTRUM_SHOTS");
    if (folder.isEmpty()) QSKIP("no folder for the pictures given");
    form_->OpenSpectrum();
    SpectrumWindow* view = form_->Spectrum();
    view->resize(1000, 900);
    view->RedrawNow();
    // The layouts settle in posted events.
    QCoreApplication::processEvents();
    QVERIFY(view->grab().save(QString::fromLocal8Bit(folder) + "/spectrum-elevation.png"));
    view->Pages()->setCurrentIndex(1);
    QCoreApplication::processEvents();
    QVERIFY(view->grab().save(QString::fromLocal8Bit(folder) + "/spectrum-frequency.png"));
  }

 private:
  std::unique_ptr<TForm1> form_;
  quillmere::testing::MessageLog log_;
};

QTEST_MAIN(SpectrumTest)
#include "ui_spectrum_test.moc"
