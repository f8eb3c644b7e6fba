// The main window from the keyboard alone: Tab reaches every control in
// reading order, each stepper steps with Up/Down and Page Up/Page Down as
// its arrows would, the mode squares and tabs answer Space and Enter, the
// shortcuts run their commands, and every option panel closes with Escape,
// a click outside or its own button without changing its selection.
//
// It runs on Qt's offscreen platform and under a real window manager alike:
// it waits for the window to be active, never for time.

#include <QAbstractSlider>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <array>
#include <functional>
#include <memory>

#include "help_viewer.h"
#include "panel.h"
#include "planner_window.h"
#include "radio_group.h"
#include "spectrum_window.h"
#include "spin_button.h"
#include "support/message_log.h"
#include "support/test_window.h"
#include "tab_set.h"
#include "tform1.h"
#include "tform2.h"
#include "ui_tform1.h"
#include "widget_display.h"

using quillmere::SpinButton;
using quillmere::TForm1;
using quillmere::testing::MessageLog;

namespace {

// The stepped fields of both stations and the terrestrial length.
using Fingerprint = std::array<quillmere::Real, 11>;
Fingerprint Inputs(TForm1& form) {
  const quillmere::QuillmereState& s = form.State();
  return {s.Home.Temperature,  s.Home.Humidity,   s.Home.Pressure,        s.Home.HeightAsl,
          s.Home.EmeElevation, s.DX.Temperature,  s.DX.Humidity,          s.DX.Pressure,
          s.DX.HeightAsl,      s.DX.EmeElevation, s.TerrestrialPathLength};
}

// A window and the log of its messages, which it keeps a pointer to.
struct Window {
  std::unique_ptr<MessageLog> log = std::make_unique<MessageLog>();
  std::unique_ptr<TForm1> form;
};

}  // namespace

class KeyboardTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    quillmere::testing::SetUpWindowLook();
    // Save default Data writes into the current folder.
    QVERIFY(work_.isValid());
    QVERIFY(QDir::setCurrent(work_.path()));
  }

  void init() {
    keys_ = Open();
    QVERIFY(keys_.form != nullptr);
  }
  void cleanup() { keys_.form.reset(); }

  // --- Tab ---

  void tabReachesEveryControlOnce() {
    const QList<QWidget*> stops = TabStops(*keys_.form);
    QStringList names;
    for (QWidget* w : stops) names.append(NameOf(w));
    const QStringList expected = {"ColorButton2",
                                  "ColorButton1",
                                  "ColorButton3",
                                  "Panel134",
                                  "Button1",
                                  "TabSet2",
                                  "TempButtonA",
                                  "HumidityButtonA",
                                  "PressButtonA",
                                  "HASLx100_A",
                                  "HASLx10_A",
                                  "WaterIceSelectA",
                                  "CloudSelectA",
                                  "Button6",
                                  "Panel125",
                                  "DistanceChangex100",
                                  "DistanceChangex10",
                                  "DistanceChangex1",
                                  "DistanceChangex01Up",
                                  "Panel124",
                                  "TempButtonB",
                                  "HASLx100_B",
                                  "CloudSelectB",
                                  "Button4",
                                  "ElevationButtonA10",
                                  "ElevationButtonA1",
                                  "ScrollBar1",
                                  "ColorButton4",
                                  "ElevationButtonB10",
                                  "ElevationButtonB1",
                                  "FreqSelect",
                                  "RainSelectA",
                                  "FogSelectA",
                                  "PolarisationSelectB"};
    for (const QString& name : expected) {
      QVERIFY2(names.contains(name),
               qPrintable(name + QStringLiteral(" is no Tab stop: ") + names.join(u' ')));
    }
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
  }

  void tabGoesRowByRowHomeBeforeDx_data() {
    QTest::addColumn<QString>("earlier");
    QTest::addColumn<QString>("later");
    const auto row = [](const char* what, const char* a, const char* b) {
      QTest::newRow(what) << QString::fromLatin1(a) << QString::fromLatin1(b);
    };
    row("the command row comes first", "TabSet2", "FreqSelect");
    row("the command row reads left to right", "ColorButton2", "ColorButton1");
    row("Home's inputs before DX's", "TempButtonA", "TempButtonB");
    row("Home's last input before DX's first", "Button6", "TempButtonB");
    row("Home's results before DX's", "ElevationButtonA1", "ElevationButtonB10");
    row("the coarse stepper before the fine one", "HASLx100_A", "HASLx10_A");
    row("the digit row reads left to right", "DistanceChangex10", "DistanceChangex1");
    row("the EME square starts the digit row", "Panel125", "DistanceChangex100");
    row("a row before the row below it", "TempButtonA", "HumidityButtonA");
  }
  void tabGoesRowByRowHomeBeforeDx() {
    QFETCH(QString, earlier);
    QFETCH(QString, later);
    QStringList names;
    for (QWidget* w : TabStops(*keys_.form)) names.append(NameOf(w));
    QVERIFY2(names.indexOf(earlier) >= 0 && names.indexOf(earlier) < names.indexOf(later),
             qPrintable(names.join(u' ')));
  }

  // Every Tab stop with the focus looks different from the same control
  // without it.
  void theFocusedControlIsFramed() {
    QStringList unframed;
    for (QWidget* focused : TabStops(*keys_.form)) {
      focused->setFocus(Qt::TabFocusReason);
      const QImage with = focused->grab().toImage();
      // No control has the focus then: a stop that holds others (the
      // form's scroll area) shows only its own frame's going.
      focused->clearFocus();
      QVERIFY(QApplication::focusWidget() == nullptr);
      if (focused->grab().toImage() == with) unframed << NameOf(focused);
    }
    QVERIFY2(unframed.isEmpty(), qPrintable(unframed.join(u' ')));
  }

  // --- Steppers ---

  // Each stepper, reached with Tab, and a key: the same change as a click
  // on the named arrow (of its own or of the coarser stepper of its pair).
  void everyStepperStepsFromTheKeyboard_data() {
    QTest::addColumn<QString>("stepper");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<bool>("up");
    QTest::addColumn<bool>("terrestrial");
    const auto rows = [](const char* stepper, const char* coarser, bool terrestrial) {
      const QString s = QString::fromLatin1(stepper);
      const QString c = QString::fromLatin1(coarser);
      QTest::addRow("%s Up", stepper) << s << int(Qt::Key_Up) << s << true << terrestrial;
      QTest::addRow("%s Down", stepper) << s << int(Qt::Key_Down) << s << false << terrestrial;
      if (coarser != nullptr && *coarser != '\0') {
        QTest::addRow("%s Page Up", stepper)
            << s << int(Qt::Key_PageUp) << c << true << terrestrial;
        QTest::addRow("%s Page Down", stepper)
            << s << int(Qt::Key_PageDown) << c << false << terrestrial;
      }
    };
    rows("TempButtonA", "", false);
    rows("TempButtonB", "", false);
    rows("HumidityButtonA", "", false);
    rows("HumidityButtonB", "", false);
    rows("PressButtonA", "", false);
    rows("PressButtonB", "", false);
    rows("HASLx10_A", "HASLx100_A", false);
    rows("HASLx100_A", "HASLx100_A", false);
    rows("HASLx10_B", "HASLx100_B", false);
    rows("HASLx100_B", "HASLx100_B", false);
    rows("ElevationButtonA1", "ElevationButtonA10", false);
    rows("ElevationButtonA10", "ElevationButtonA10", false);
    rows("ElevationButtonB1", "ElevationButtonB10", false);
    rows("ElevationButtonB10", "ElevationButtonB10", false);
    rows("DistanceChangex01Up", "DistanceChangex1", true);
    rows("DistanceChangex1", "DistanceChangex10", true);
    rows("DistanceChangex10", "DistanceChangex100", true);
    rows("DistanceChangex100", "DistanceChangex100", true);
  }
  void everyStepperStepsFromTheKeyboard() {
    QFETCH(QString, stepper);
    QFETCH(int, key);
    QFETCH(QString, clicked);
    QFETCH(bool, up);
    QFETCH(bool, terrestrial);
    // A twin window, never shown, takes the click.
    Window twin = Open(false);
    for (Window* w : {&keys_, &twin}) {
      // The data file does not keep DX's height: above its floor, so that
      // a step down shows.
      w->form->State().DX.HeightAsl = 500;
      if (terrestrial) w->form->Calc().Panel124Click();
    }
    const Fingerprint before = Inputs(*keys_.form);
    QCOMPARE(Inputs(*twin.form), before);

    QVERIFY(TabTo(*keys_.form, stepper));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    auto* arrows = twin.form->Component<SpinButton>(clicked);
    (up ? arrows->upArrow() : arrows->downArrow())->click();

    QVERIFY(Inputs(*twin.form) != before);
    QVERIFY(Inputs(*keys_.form) == Inputs(*twin.form));
  }

  void aKeyHeldDownStepsOnItsReleaseAsAMouseButtonDoes() {
    QVERIFY(TabTo(*keys_.form, QStringLiteral("TempButtonA")));
    auto* stepper = keys_.form->Components().TempButtonA;
    const quillmere::Real start = keys_.form->State().Home.Temperature;
    QTest::keyPress(stepper, Qt::Key_Up);
    QVERIFY(stepper->upArrow()->isDown());
    // The platform's own repeats of the key are not steps.
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(stepper, &repeat);
    QCOMPARE(keys_.form->State().Home.Temperature, start);
    QTest::keyRelease(stepper, Qt::Key_Up);
    QVERIFY(!stepper->upArrow()->isDown());
    QCOMPARE(keys_.form->State().Home.Temperature, start + 1);
  }

  // --- Space and Enter ---

  void squaresTabsAndCaptionsAnswerSpaceAndEnter_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("shows");
    QTest::newRow("Space on the terrestrial square")
        << "Panel124" << int(Qt::Key_Space) << "terrestrial";
    QTest::newRow("Enter on the EME square") << "Panel125" << int(Qt::Key_Return) << "EME";
    QTest::newRow("Space on the vapour caption")
        << "WaterIceSelectA" << int(Qt::Key_Space) << "over ice";
    QTest::newRow("Enter on the tab strip: its first tab, Help")
        << "TabSet2" << int(Qt::Key_Enter) << "help window";
    QTest::newRow("Right, then Space on the tab strip: About")
        << "TabSet2" << int(Qt::Key_Right) << "About text";
  }
  void squaresTabsAndCaptionsAnswerSpaceAndEnter() {
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(QString, shows);
    TForm1& form = *keys_.form;
    if (control == QStringLiteral("Panel125")) form.Calc().Panel124Click();
    QVERIFY(TabTo(form, control));
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus, Qt::Key(key));
    if (key == Qt::Key_Right) QTest::keyClick(focus, Qt::Key_Space);
    const quillmere::QuillmereState& s = form.State();
    if (shows == QStringLiteral("terrestrial")) QCOMPARE(s.EmePathMode, std::uint8_t(0));
    if (shows == QStringLiteral("EME")) QCOMPARE(s.EmePathMode, std::uint8_t(1));
    if (shows == QStringLiteral("over ice")) QCOMPARE(s.Home.VapourOverWater, std::uint8_t(0));
    if (shows == QStringLiteral("help window")) {
      QVERIFY(form.HelpWindow() != nullptr);
      QVERIFY(form.HelpWindow()->isVisible());
    }
    if (shows == QStringLiteral("About text")) {
      QCOMPARE(keys_.log->lines.size(), std::size_t(1));
      QVERIFY(keys_.log->lines[0].starts_with("info: "));
    }
  }

  // --- Shortcuts ---

  void shortcutsRunTheirCommands_data() {
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("says");
    QTest::newRow("Ctrl+S saves the default data")
        << QKeySequence(Qt::CTRL | Qt::Key_S) << "info: The default Data File has been updated.";
    QTest::newRow("Ctrl+Q asks before it exits")
        << QKeySequence(Qt::CTRL | Qt::Key_Q) << "confirm: Do You wish to exit now ?";
    QTest::newRow("F1 opens the help window") << QKeySequence(Qt::Key_F1) << "";
    QTest::newRow("F2 is left free") << QKeySequence(Qt::Key_F2) << "";
  }
  void shortcutsRunTheirCommands() {
    QFETCH(QKeySequence, keys);
    QFETCH(QString, says);
    TForm1& form = *keys_.form;
    QVERIFY(TabTo(form, QStringLiteral("TempButtonA")));
    QTest::keySequence(QApplication::focusWidget(), keys);
    if (says.isEmpty()) {
      QVERIFY(keys_.log->lines.empty());
    } else {
      QCOMPARE(keys_.log->lines.size(), std::size_t(1));
      QCOMPARE(QString::fromStdString(keys_.log->lines[0]), says);
    }
    QCOMPARE(form.HelpWindow() != nullptr, keys[0] == QKeyCombination(Qt::Key_F1));
  }

  // --- The other windows ---

  // The planner, the spectrum view, the help and the cloud map answer F1
  // with their own help page and Ctrl+S and Ctrl+Q as the main window does;
  // Escape closes them.
  void everyWindowAnswersTheSameKeys_data() {
    QTest::addColumn<int>("window");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("does");
    const char* const pages[] = {"planner.html", "spectrum.html#reading", "index.html#help-window",
                                 "Cloud maps.html"};
    for (int w = 0; w < 4; ++w) {
      QTest::addRow("F1 in window %d", w) << w << QKeySequence(Qt::Key_F1) << pages[w];
      QTest::addRow("Ctrl+S in window %d", w) << w << QKeySequence(Qt::CTRL | Qt::Key_S)
                                              << "info: The default Data File has been updated.";
      QTest::addRow("Ctrl+Q in window %d", w)
          << w << QKeySequence(Qt::CTRL | Qt::Key_Q) << "confirm: Do You wish to exit now ?";
      QTest::addRow("Escape in window %d", w) << w << QKeySequence(Qt::Key_Escape) << "";
    }
  }
  void everyWindowAnswersTheSameKeys() {
    QFETCH(int, window);
    QFETCH(QKeySequence, keys);
    QFETCH(QString, does);
    TForm1& form = *keys_.form;
    const std::function<QWidget*()> open[] = {
        [&] { return form.OpenPlanner(), static_cast<QWidget*>(form.Planner()); },
        [&] { return form.OpenSpectrum(), static_cast<QWidget*>(form.Spectrum()); },
        [&] { return form.OpenHelp(), static_cast<QWidget*>(form.HelpWindow()); },
        [&] { return form.ShowCloudMap(), static_cast<QWidget*>(&form.Form2()); }};
    QWidget* shown = open[window]();
    // On its own (as the map viewer always is), so that it is the active one.
    form.hide();
    shown->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), shown);
    keys_.log->lines.clear();
    QTest::keySequence(shown->focusWidget() ? shown->focusWidget() : shown, keys);
    if (does.endsWith(QStringLiteral(".html")) || does.contains(u'#')) {
      QVERIFY(form.HelpWindow() && form.HelpWindow()->isVisible());
      QVERIFY(form.HelpWindow()->Message().isEmpty());
      const QUrl at = form.HelpWindow()->Browser()->source();
      QCOMPARE(at.fileName() + (at.hasFragment() ? u'#' + at.fragment() : QString()), does);
    } else if (does.isEmpty()) {
      QVERIFY(!shown->isVisible());
      QCOMPARE(form.isVisible(), window == 3);  // the map viewer hands back
    } else {
      QCOMPARE(keys_.log->lines, std::vector<std::string>{does.toStdString()});
    }
  }

  // --- Overlays ---

  void overlaysCloseWithoutChangingTheirSelection_data() {
    QTest::addColumn<QString>("opener");
    QTest::addColumn<QString>("overlay");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("how");
    const char* const overlays[][3] = {{"ColorButton2", "DisplayAccuracy", "DisplayAccuracy"},
                                       {"ColorButton3", "ScreenDelaySelect", "ScreenDelaySelect"},
                                       {"Button6", "Panel45", "LatitudeSelectA"},
                                       {"Button4", "Panel117", "LatitudeSelectB"},
                                       {"Button1", "Panel42", "PercentageDisplay"}};
    for (const auto& o : overlays) {
      for (const char* how : {"Escape", "a click outside", "its button again"}) {
        QTest::addRow("%s by %s", o[1], how) << o[0] << o[1] << o[2] << how;
      }
    }
    QTest::newRow("Panel42 by its Close button") << "Button1"
                                                 << "Panel42"
                                                 << "PercentageDisplay"
                                                 << "Button5";
  }
  void overlaysCloseWithoutChangingTheirSelection() {
    QFETCH(QString, opener);
    QFETCH(QString, overlay);
    QFETCH(QString, group);
    QFETCH(QString, how);
    TForm1& form = *keys_.form;
    auto* list = form.Component<quillmere::RadioGroup>(group);
    const int selected = list->itemIndex();
    const quillmere::QuillmereState before = form.State();

    auto* button = form.Component<QAbstractButton>(opener);
    QTest::mouseClick(button, Qt::LeftButton);
    QWidget* panel = form.Component(overlay);
    QVERIFY(panel->isVisible());
    // The keys go on inside what opened.
    QVERIFY(panel->isAncestorOf(QApplication::focusWidget()));

    if (how == QStringLiteral("Escape")) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
      // The focus is back on the button that opened it.
      QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(button));
    } else if (how == QStringLiteral("a click outside")) {
      QTest::mouseClick(form.Components().Label115, Qt::LeftButton);
    } else if (how == QStringLiteral("its button again")) {
      QTest::mouseClick(button, Qt::LeftButton);
    } else {
      auto* close = form.Component<QAbstractButton>(how);
      QVERIFY(close->isVisible());
      QTest::mouseClick(close, Qt::LeftButton);
    }
    QVERIFY(panel->isHidden());
    QCOMPARE(list->itemIndex(), selected);
    QCOMPARE(form.State().DisplayDecimals, before.DisplayDecimals);
    QCOMPARE(form.State().HelpDelayIndex, before.HelpDelayIndex);
    QVERIFY(form.Form2().isHidden());
  }

  void escapeClosesTheOverlayOpenedLastFirst() {
    TForm1& form = *keys_.form;
    Ui::TForm1& c = form.Components();
    // Opened from the keyboard (a mouse press would close the first as a
    // click outside it).
    c.Button6->click();
    c.ColorButton3->click();
    QVERIFY(!c.Panel45->isHidden());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(c.ScreenDelaySelect->isHidden());
    QVERIFY(!c.Panel45->isHidden());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(c.Panel45->isHidden());
  }

  void escapeClosesTheMapViewer() {
    TForm1& form = *keys_.form;
    form.ShowCloudMap();
    QVERIFY(form.Form2().isVisible());
    form.Form2().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form.Form2()));
    QTest::keyClick(&form.Form2(), Qt::Key_Escape);
    QVERIFY(form.Form2().isHidden());
    QVERIFY(form.isVisible());
  }

 private:
  // A window loaded from the typical data file, shown and active (or not
  // shown at all).
  Window Open(bool shown = true) {
    Window w;
    w.form = quillmere::testing::OpenTestWindow(*w.log);
    quillmere::testing::LoadTestRecord(*w.form, "typical.dat", *w.log);
    w.log->lines.clear();
    if (shown) {
      w.form->show();
      w.form->activateWindow();
      if (!QTest::qWaitForWindowActive(w.form.get())) w.form.reset();
    }
    return w;
  }

  static QString NameOf(QWidget* w) {
    // A radio item stands for its group.
    if (qobject_cast<QRadioButton*>(w) && w->parentWidget()) return w->parentWidget()->objectName();
    return w->objectName();
  }

  // The focus stops, from the first, as Tab visits them, until it comes
  // round again.
  static QList<QWidget*> TabStops(TForm1& form) {
    QList<QWidget*> stops;
    form.Components().ColorButton2->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 400; ++i) {
      QWidget* focus = QApplication::focusWidget();
      if (focus == nullptr || stops.contains(focus)) break;
      stops.append(focus);
      QTest::keyClick(focus, Qt::Key_Tab);
    }
    return stops;
  }

  // Tabs from the first stop to the named control.
  static bool TabTo(TForm1& form, const QString& name) {
    form.Components().ColorButton2->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 400; ++i) {
      QWidget* focus = QApplication::focusWidget();
      if (focus == nullptr) return false;
      if (NameOf(focus) == name) return true;
      QTest::keyClick(focus, Qt::Key_Tab);
    }
    return false;
  }

  QTemporaryDir work_;
  Window keys_;
};

QTEST_MAIN(KeyboardTest)
#include "ui_keyboard_test.moc"
