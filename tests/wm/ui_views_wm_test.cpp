// The spectrum view and the Moon planner on a laptop's screen of 768 rows
// under openbox (tests/wm/with_openbox.sh): the window fits the screen,
// title bar included, and nothing the user needs is cut short or scrolled
// out of sight.

#include <QChartView>
#include <QDir>
#include <QGraphicsTextItem>
#include <QLegendMarker>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "planner_window.h"
#include "spectrum_window.h"
#include "support/test_window.h"

// The window manager answers in its own time: a wait ends as soon as its
// condition holds, at the latest after 30 s on a busy machine.
#define WM_VERIFY(expr, what) QTRY_VERIFY2_WITH_TIMEOUT(expr, qPrintable(what), 30000)

namespace {

QRect Available() {
  return QGuiApplication::primaryScreen()->availableGeometry();
}

// Shown whole, framed, on the screen's available area.
void VerifyFitsTheScreen(QWidget& window) {
  QVERIFY(QTest::qWaitForWindowExposed(&window, 30000));
  WM_VERIFY(!window.windowHandle()->frameMargins().isNull(), QString());
  WM_VERIFY(Available().contains(window.windowHandle()->frameGeometry()), window.objectName());
}

// Neither a parent (a scroll area's viewport) nor the screen's edge cuts it.
bool InSight(const QWidget& w) {
  const QRect seen = w.visibleRegion().boundingRect();
  return w.isVisible() && !w.size().isEmpty() && seen.size() == w.size() &&
         Available().contains(QRect(w.mapToGlobal(seen.topLeft()), seen.size()));
}

}  // namespace

class ViewsWindowManagerTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(QGuiApplication::platformName() == QStringLiteral("xcb"));
    quillmere::testing::SetUpWindowLook();
    QVERIFY(QDir::setCurrent(dir_.path()));
    form_ = quillmere::testing::OpenTestWindow(log_);
    quillmere::testing::LoadTestRecord(*form_, "typical.dat", log_);
  }
  void cleanupTestCase() { form_.reset(); }

  // Close in sight; on both pages every axis title and legend entry drawn
  // whole, not cut short to "Sky temperat…".
  void spectrumViewShowsEverythingWhole() {
    form_->OpenSpectrum();
    quillmere::SpectrumWindow& view = *form_->Spectrum();
    VerifyFitsTheScreen(view);
    WM_VERIFY(!view.Computing() && view.Redraws() > 0, QString());
    const auto* close = view.findChild<QWidget*>(QStringLiteral("Close"));
    WM_VERIFY(close != nullptr && InSight(*close), QString());
    for (int page : {0, 1}) {
      view.Pages()->setCurrentIndex(page);
      for (QChartView* chart : view.Pages()->currentWidget()->findChildren<QChartView*>()) {
        QStringList names, drawn;
        for (QAbstractAxis* axis : chart->chart()->axes()) names << axis->titleText();
        for (QLegendMarker* key : chart->chart()->legend()->markers())
          if (key->isVisible()) names << key->label();
        const auto texts = [&] {
          drawn.clear();
          for (QGraphicsItem* item : chart->scene()->items())
            if (auto* text = dynamic_cast<QGraphicsTextItem*>(item)) drawn << text->toPlainText();
          return drawn;
        };
        QVERIFY(names.size() >= 6);
        for (const QString& name : names)
          WM_VERIFY(texts().contains(name), name + " in " + drawn.join(u'|'));
      }
    }
  }

  void plannerCommandsAreInSight() {
    form_->OpenPlanner();
    quillmere::PlannerWindow& planner = *form_->Planner();
    VerifyFitsTheScreen(planner);
    if (QTest::currentTestFailed()) return;
    for (const char* name : {"Calculate the span", "Export the table of minutes as CSV",
                             "Follow the Moon in the main window", "Planner status"}) {
      QWidget* command = nullptr;
      for (QWidget* w : planner.findChildren<QWidget*>())
        if (w->accessibleName() == QLatin1String(name)) command = w;
      QVERIFY2(command != nullptr, name);
      WM_VERIFY(InSight(*command), QString::fromLatin1(name));
    }
  }

 private:
  QTemporaryDir dir_;
  quillmere::testing::MessageLog log_;
  std::unique_ptr<quillmere::TForm1> form_;
};

QTEST_MAIN(ViewsWindowManagerTest)
#include "ui_views_wm_test.moc"
