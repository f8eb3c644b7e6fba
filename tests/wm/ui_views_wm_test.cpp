// The spectrum view and the Moon planner on a laptop's screen of 768 rows,
// on a real window manager (openbox on a private X server,
// tests/wm/with_openbox.sh): each window fits the screen, title bar
// included, and what the user needs is in sight without scrolling: the
// spectrum view's Close button and its axis titles whole, the planner's
// commands and status line.
//
// With QUILLMERE_VIEWS_SHOTS set to a folder, the screen is also saved there
// with each window shown (spectrum-elevation-WxH.png,
// spectrum-frequency-WxH.png, planner-WxH.png).

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QLegendMarker>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <memory>

#include "planner_window.h"
#include "spectrum_window.h"
#include "support/message_log.h"
#include "support/test_window.h"
#include "tform1.h"

// The window manager answers in its own time, and later still on a busy
// machine; a wait ends as soon as its condition holds.
constexpr int kWindowManagerMs = 30000;
#undef QTRY_VERIFY
#define QTRY_VERIFY(expr) QTRY_VERIFY_WITH_TIMEOUT(expr, kWindowManagerMs)
#undef QTRY_VERIFY2
#define QTRY_VERIFY2(expr, message) QTRY_VERIFY2_WITH_TIMEOUT(expr, message, kWindowManagerMs)

namespace {

QRect Available() {
  return QGuiApplication::primaryScreen()->availableGeometry();
}

// The part of `w` the user can see, in screen coordinates: what its
// parents (a scroll area's viewport, the window) leave of it, on the
// screen's available area.
QRect InSight(const QWidget& w) {
  if (!w.isVisible()) return {};
  const QRect shown = w.visibleRegion().boundingRect();
  return QRect(w.mapToGlobal(shown.topLeft()), shown.size()) & Available();
}

QString Describe(const QRect& r) {
  return QStringLiteral("%1,%2 %3x%4 in %5x%6")
      .arg(r.left())
      .arg(r.top())
      .arg(r.width())
      .arg(r.height())
      .arg(Available().width())
      .arg(Available().height());
}

// The texts the chart draws: its title, the axes' titles and labels, as
// they stand after eliding.
QStringList DrawnTexts(QChartView& view) {
  QStringList texts;
  for (QGraphicsItem* item : view.scene()->items()) {
    if (auto* text = dynamic_cast<QGraphicsTextItem*>(item); text && text->isVisible())
      texts << text->toPlainText();
  }
  return texts;
}

}  // namespace

class ViewsWindowManagerTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY2(QGuiApplication::platformName() == QStringLiteral("xcb"),
             "run through tests/wm/with_openbox.sh");
    quillmere::testing::SetUpWindowLook();
    QVERIFY(dir_.isValid());
    QVERIFY(QDir::setCurrent(dir_.path()));
  }

  void init() {
    form_ = quillmere::testing::OpenTestWindow(log_);
    quillmere::testing::LoadTestRecord(*form_, "typical.dat", log_);
  }
  void cleanup() { form_.reset(); }

  void spectrumViewFitsWithItsCloseButton() {
    quillmere::SpectrumWindow& view = OpenSpectrum();
    if (QTest::currentTestFailed()) return;
    QTRY_VERIFY2(Available().contains(view.windowHandle()->frameGeometry()),
                 qPrintable(Describe(view.windowHandle()->frameGeometry())));
    auto* close = view.findChild<QWidget*>(QStringLiteral("Close"));
    QVERIFY(close != nullptr);
    QTRY_VERIFY2(InSight(*close).size() == close->size(), qPrintable(Describe(InSight(*close))));
  }

  // Each axis title and legend entry reads whole on both pages, not cut
  // short to "Sky temperat…".
  void spectrumAxisTitlesAreWhole_data() {
    QTest::addColumn<int>("page");
    QTest::newRow("Elevation") << 0;
    QTest::newRow("Frequency") << 1;
  }
  void spectrumAxisTitlesAreWhole() {
    QFETCH(int, page);
    quillmere::SpectrumWindow& view = OpenSpectrum();
    if (QTest::currentTestFailed()) return;
    view.Pages()->setCurrentIndex(page);
    QTRY_VERIFY(!view.Computing() && view.Redraws() > 0);
    Shot(page == 0 ? "spectrum-elevation" : "spectrum-frequency");
    const auto charts = view.Pages()->currentWidget()->findChildren<QChartView*>();
    QVERIFY(!charts.isEmpty());
    for (QChartView* chart : charts) {
      QStringList texts;
      for (QAbstractAxis* axis : chart->chart()->axes()) texts << axis->titleText();
      for (QLegendMarker* marker : chart->chart()->legend()->markers())
        if (marker->isVisible()) texts << marker->label();
      QVERIFY(texts.size() >= 4);  // the axes' and the legend's
      for (const QString& text : texts) {
        QTRY_VERIFY2(
            DrawnTexts(*chart).contains(text),
            qPrintable(text + QStringLiteral(" drawn as: ") + DrawnTexts(*chart).join(u'|')));
      }
    }
  }

  // Calculate, Export CSV, Follow the Moon and the status line are in sight
  // as the planner opens, whatever the height of the station editor.
  void plannerCommandsAreInSight() {
    form_->OpenPlanner();
    quillmere::PlannerWindow* planner = form_->Planner();
    QVERIFY(QTest::qWaitForWindowExposed(planner, kWindowManagerMs));
    QTRY_VERIFY(!planner->windowHandle()->frameMargins().isNull());
    QTRY_VERIFY2(Available().contains(planner->windowHandle()->frameGeometry()),
                 qPrintable(Describe(planner->windowHandle()->frameGeometry())));
    QTRY_VERIFY(!planner->Computing() && planner->RowCount() > 0);
    Shot("planner");
    for (const char* name : {"Calculate the span", "Export the table of minutes as CSV",
                             "Follow the Moon in the main window", "Planner status"}) {
      QWidget* w = nullptr;
      for (QWidget* child : planner->findChildren<QWidget*>())
        if (child->accessibleName() == QLatin1String(name)) w = child;
      QVERIFY2(w != nullptr, name);
      QTRY_VERIFY2(!w->size().isEmpty() && InSight(*w).size() == w->size(),
                   qPrintable(QLatin1String(name) + u' ' + Describe(InSight(*w))));
    }
  }

 private:
  quillmere::SpectrumWindow& OpenSpectrum() {
    form_->OpenSpectrum();
    quillmere::SpectrumWindow& view = *form_->Spectrum();
    [&] {
      QVERIFY(QTest::qWaitForWindowExposed(&view, kWindowManagerMs));
      QTRY_VERIFY(!view.windowHandle()->frameMargins().isNull());
    }();
    return view;
  }

  // The whole screen, frames included, when pictures are asked for.
  static void Shot(const char* name) {
    const QString folder = qEnvironmentVariable("QUILLMERE_VIEWS_SHOTS");
    if (folder.isEmpty()) return;
    // Painted and through to the server: the last layout's and redraw's
    // events handled, each window painted at once.
    QCoreApplication::processEvents();
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible()) w->repaint();
    QGuiApplication::sync();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QString file = QStringLiteral("%1/%2-%3x%4.png")
                             .arg(folder, QLatin1String(name))
                             .arg(screen.width())
                             .arg(screen.height());
    QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0).save(file));
  }

  QTemporaryDir dir_;
  quillmere::testing::MessageLog log_;
  std::unique_ptr<quillmere::TForm1> form_;
};

QTEST_MAIN(ViewsWindowManagerTest)
#include "ui_views_wm_test.moc"
