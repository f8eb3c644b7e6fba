// The main window and the map viewer on a real window manager (openbox on a
// private X server, tests/wm/with_openbox.sh): the frame it draws, its close
// box and Alt+F4, and the screen's available area.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <memory>
#include <optional>

#include "font_substitutes.h"
#include "placement.h"
#include "support/message_log.h"
#include "tab_set.h"
#include "tform1.h"
#include "tform2.h"
#include "ui_tform1.h"

// The window manager answers in its own time, and later still on a machine
// busy with a parallel build: every wait here may take up to 30 s. A wait
// ends as soon as its condition holds, so a quick answer costs nothing.
constexpr int kWindowManagerMs = 30000;
#undef QTRY_VERIFY
#define QTRY_VERIFY(expr) QTRY_VERIFY_WITH_TIMEOUT(expr, kWindowManagerMs)
#undef QTRY_VERIFY2
#define QTRY_VERIFY2(expr, message) QTRY_VERIFY2_WITH_TIMEOUT(expr, message, kWindowManagerMs)
#undef QTRY_COMPARE
#define QTRY_COMPARE(expr, expected) QTRY_COMPARE_WITH_TIMEOUT(expr, expected, kWindowManagerMs)

using quillmere::TForm1;

// How a run of the program ends.
enum class Close { kCloseBox, kExitTab, kCtrlQ };
Q_DECLARE_METATYPE(Close)
using quillmere::testing::MessageLog;

namespace {

QRect StoredPlacement() {
  QSettings ini(QDir::current().filePath(QStringLiteral("QuillmereS.ini")), QSettings::IniFormat);
  ini.beginGroup(QStringLiteral("Position"));
  return QRect(ini.value(QStringLiteral("Left"), -1).toInt(),
               ini.value(QStringLiteral("Top"), -1).toInt(),
               ini.value(QStringLiteral("Width"), -1).toInt(),
               ini.value(QStringLiteral("Height"), -1).toInt());
}

void WritePlacement(const QRect& r) {
  QSettings ini(QDir::current().filePath(QStringLiteral("QuillmereS.ini")), QSettings::IniFormat);
  ini.beginGroup(QStringLiteral("Position"));
  ini.setValue(QStringLiteral("Left"), r.left());
  ini.setValue(QStringLiteral("Top"), r.top());
  ini.setValue(QStringLiteral("Width"), r.width());
  ini.setValue(QStringLiteral("Height"), r.height());
}

QRect Available() {
  return QGuiApplication::primaryScreen()->availableGeometry();
}

// Runs an X tool with `args`; its output, or nothing when it failed.
std::optional<QString> RunTool(const QString& tool, const QStringList& args) {
  QProcess p;
  p.start(tool, args);
  if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    return std::nullopt;
  }
  return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// The window the window manager holds active (_NET_ACTIVE_WINDOW of the
// root window), 0 when none or unknown.
WId ActiveWindowOfTheWindowManager() {
  const std::optional<QString> answer = RunTool(
      QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_ACTIVE_WINDOW")});
  if (!answer) return 0;
  bool ok = false;
  const WId id = answer->section(u'#', 1).trimmed().section(u',', 0, 0).toULongLong(&ok, 0);
  return ok ? id : 0;
}

bool XDoTool(const QStringList& args) {
  return RunTool(QStringLiteral("xdotool"), args).has_value();
}

}  // namespace

class WindowManagerTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY2(QGuiApplication::platformName() == QStringLiteral("xcb"),
             "run through tests/wm/with_openbox.sh");
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    quillmere::InstallFontSubstitutes();
    original_ = QDir::currentPath();
  }

  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(dir_->path()));
  }

  void cleanup() {
    form_.reset();
    QDir::setCurrent(original_);
    dir_.reset();
  }

  void placementDoesNotDriftOverFiveStarts_data() {
    QTest::addColumn<bool>("shipped");
    QTest::addColumn<std::optional<QRect>>("stored");
    QTest::addColumn<Close>("close");
    const std::optional<QRect> none;
    // The shipped files: the design size, taller than some screens.
    QTest::newRow("shipped files, closed by the close box") << true << none << Close::kCloseBox;
    QTest::newRow("shipped files, closed by Exit and Yes") << true << none << Close::kExitTab;
    QTest::newRow("shipped files, closed by Ctrl+Q and Yes") << true << none << Close::kCtrlQ;
    // Without a data file the first window is "File not found", not the form.
    QTest::newRow("no files at all, closed by the close box") << false << none << Close::kCloseBox;
    QTest::newRow("a placement inside the screen, closed by Ctrl+Q")
        << false << std::optional<QRect>(QRect(60, 40, 700, 560)) << Close::kCtrlQ;
    QTest::newRow("title bar above the screen, closed by the close box")
        << false << std::optional<QRect>(QRect(30, -15, 640, 520)) << Close::kCloseBox;
  }

  void placementDoesNotDriftOverFiveStarts() {
    QFETCH(bool, shipped);
    QFETCH(std::optional<QRect>, stored);
    QFETCH(Close, close);
    if (shipped) {
      QVERIFY(QFile::copy(QStringLiteral(QUILLMERE_SHIPPED_DATA), QStringLiteral("Quillmere.dat")));
      QVERIFY(QFile::copy(QStringLiteral(QUILLMERE_SHIPPED_PLACEMENT),
                          QStringLiteral("QuillmereS.ini")));
      stored = StoredPlacement();
    }
    if (stored && !shipped) WritePlacement(*stored);
    // Where the first start puts the window: the stored placement moved
    // and cut to the screen, the whole window on it.
    const QRect expected =
        quillmere::FitInto(stored.value_or(quillmere::kDefaultPlacement), Available());
    for (int start = 1; start <= 5; ++start) {
      RunTheProgram(expected, close);
      if (QTest::currentTestFailed()) return;
      QCOMPARE(StoredPlacement(), expected);
    }
  }

  void resetScreenSizeFitsTheScreen_data() {
    QTest::addColumn<QRect>("before");
    QTest::newRow("from the default 500 x 500") << QRect(10, 10, 500, 500);
    QTest::newRow("from a window near the bottom right") << QRect(400, 300, 600, 450);
  }

  void resetScreenSizeFitsTheScreen() {
    QFETCH(QRect, before);
    WritePlacement(before);
    StartAndClose(before, /*then_close=*/false);
    if (QTest::currentTestFailed()) return;
    const QPoint corner = form_->windowHandle()->frameGeometry().topLeft();
    form_->Panel134Click();
    // The layout of a first start: the design size 1072 x 1015, moved and
    // cut to the screen where it does not fit, the whole window on it.
    const QRect expected = quillmere::FitInto(QRect(corner, TForm1::kResetOuterSize), Available());
    QTRY_COMPARE(form_->windowHandle()->frameGeometry(), expected);
  }

  void mapViewerClosesBackToTheMainWindow_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("its Close button") << QStringLiteral("Close");
    QTest::newRow("the close box in its title bar") << QStringLiteral("close box");
    QTest::newRow("Alt+F4, which the window manager turns into a close")
        << QStringLiteral("alt+F4");
    QTest::newRow("Escape") << QStringLiteral("Escape");
  }

  void mapViewerClosesBackToTheMainWindow() {
    QFETCH(QString, how);
    quillmere::TForm2& viewer = OpenMapViewer();
    if (QTest::currentTestFailed()) return;
    // Unsaved inputs, which a restart would replace with the stored ones.
    form_->TempButtonAUpClick();
    form_->HumidityButtonBDownClick();
    const long double temperature = form_->State().Home.Temperature;
    const long double humidity = form_->State().DX.Humidity;
    QSignalSpy last_window_closed(qApp, &QGuiApplication::lastWindowClosed);

    const QRect frame = viewer.windowHandle()->frameGeometry();
    const QMargins margins = viewer.windowHandle()->frameMargins();
    if (how == QStringLiteral("Close")) {
      viewer.Button1()->click();
    } else if (how == QStringLiteral("close box")) {
      // openbox puts the close box last in the title bar, at its right end.
      const QPoint box(frame.right() - margins.right() - margins.top() / 2,
                       frame.top() + margins.top() / 2);
      QVERIFY(XDoTool({QStringLiteral("mousemove"), QString::number(box.x()),
                       QString::number(box.y()), QStringLiteral("click"), QStringLiteral("1")}));
    } else {
      // Keys through the server, so that the window manager sees them first.
      viewer.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&viewer, kWindowManagerMs));
      // The window manager's own word that the viewer has the focus: it
      // sends Alt+F4's close to the window it holds active, which on a busy
      // machine may still be another one when Qt already has the focus.
      QTRY_COMPARE(ActiveWindowOfTheWindowManager(), viewer.winId());
      QVERIFY(XDoTool({QStringLiteral("key"), how}));
    }
    QTRY_VERIFY(form_->isVisible());
    QVERIFY(!viewer.isVisible());
    QCOMPARE(last_window_closed.count(), 0);  // the program goes on
    QCOMPARE(form_->State().Home.Temperature, temperature);
    QCOMPARE(form_->State().DX.Humidity, humidity);
  }

  void mapViewerOffersNeitherMinimiseNorMaximise() {
    quillmere::TForm2& viewer = OpenMapViewer();
    if (QTest::currentTestFailed()) return;
    const QString id = QString::number(viewer.winId());
    // What the window manager lets the user do with the window ...
    const std::optional<QString> actions =
        RunTool(QStringLiteral("xprop"),
                {QStringLiteral("-id"), id, QStringLiteral("_NET_WM_ALLOWED_ACTIONS")});
    QVERIFY(actions);
    QVERIFY2(actions->contains(QStringLiteral("_NET_WM_ACTION_CLOSE")), qPrintable(*actions));
    QVERIFY2(!actions->contains(QStringLiteral("MAXIMIZE")), qPrintable(*actions));
    // ... and the buttons it is asked to draw (Motif hints: flags,
    // functions, decorations; 0x20 minimise, 0x40 maximise).
    const std::optional<QString> motif = RunTool(
        QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_MOTIF_WM_HINTS")});
    QVERIFY(motif);
    const QStringList words = motif->section(u'=', 1).split(u',');
    QCOMPARE(words.size(), 5);
    bool ok = false;
    const uint decorations = words[2].trimmed().toUInt(&ok, 16);
    QVERIFY(ok);
    QCOMPARE(decorations & 0x60u, 0u);
  }

  void mapViewerFitsTheScreen() {
    quillmere::TForm2& viewer = OpenMapViewer();
    if (QTest::currentTestFailed()) return;
    // 1026 x 770 and a title bar do not fit a 768-high screen: it scrolls.
    QTRY_VERIFY2(Available().contains(viewer.windowHandle()->frameGeometry()),
                 qPrintable(Describe(viewer.windowHandle()->frameGeometry())));
    if (viewer.height() < quillmere::TForm2::kContentSize.height()) {
      const auto* area = viewer.findChild<QScrollArea*>();
      QVERIFY(area);
      QVERIFY(area->verticalScrollBar()->isVisible());
    }
  }

 private:
  // One run of the program as its main() runs it: the window shown with
  // the real message boxes, the event loop until the program ends, closed
  // as a user does through the window manager or the keyboard, and only
  // then the window destroyed (which writes the placement again).
  // `expected`: the outer rectangle the window must settle at.
  void RunTheProgram(const QRect& expected, Close close) {
    auto form = std::make_unique<TForm1>();
    form->EnableStartup(true);
    form->show();
    bool closing = false;
    QString failure;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
      if (QWidget* box = QApplication::activeModalWidget()) {
        // "File not found" at start, or "Do You wish to exit now ?" at the
        // end: Enter takes the default button, OK or Yes.
        if (box->isActiveWindow()) XDoTool({QStringLiteral("key"), QStringLiteral("Return")});
        return;
      }
      QWindow* window = form->windowHandle();
      if (closing || !window || !window->isExposed() || window->frameMargins().isNull() ||
          !form->isActiveWindow() || window->frameGeometry() != expected) {
        return;
      }
      closing = true;
      const QRect frame = window->frameGeometry();
      const QMargins margins = window->frameMargins();
      bool sent = false;
      if (close == Close::kCloseBox) {
        // openbox puts the close box last in the title bar, at its right end.
        sent = Click(QPoint(frame.right() - margins.right() - margins.top() / 2,
                            frame.top() + margins.top() / 2));
      } else if (close == Close::kExitTab) {
        const quillmere::TabSet* tabs = form->Components().TabSet2;
        const int exit = tabs->tabs().indexOf(QStringLiteral("Exit"));
        sent = exit >= 0 && Click(tabs->mapToGlobal(tabs->tabRect(exit).center()));
      } else {
        sent = XDoTool({QStringLiteral("key"), QStringLiteral("ctrl+q")});
      }
      if (!sent) failure = QStringLiteral("xdotool failed");
    });
    driver.start(20);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [&] {
      const QWindow* window = form->windowHandle();
      failure = QStringLiteral("the program did not end; the window at ") +
                (window ? Describe(window->frameGeometry()) : QStringLiteral("nowhere"));
      QCoreApplication::quit();
    });
    deadline.start(2 * kWindowManagerMs);
    QApplication::exec();
    driver.stop();
    deadline.stop();
    form.reset();
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
  }

  static bool Click(const QPoint& global) {
    return XDoTool({QStringLiteral("mousemove"), QString::number(global.x()),
                    QString::number(global.y()), QStringLiteral("click"), QStringLiteral("1")});
  }

  // The main window, started, with the map viewer opened from it (its map
  // file is missing, which the viewer survives).
  quillmere::TForm2& OpenMapViewer() {
    StartAndClose(std::nullopt, /*then_close=*/false);
    quillmere::TForm2& viewer = form_->Form2();
    if (QTest::currentTestFailed()) return viewer;
    form_->PercentageDisplayClick(0);
    [&] {
      QVERIFY(QTest::qWaitForWindowExposed(&viewer, kWindowManagerMs));
      QTRY_VERIFY(!viewer.windowHandle()->frameMargins().isNull());
      QVERIFY(!form_->isVisible());
    }();
    return viewer;
  }

  // One run of the program: start-up in the current folder, shown and
  // framed, then closed with its close box as a user would.
  // `expected`: the outer rectangle the window must settle at, if known.
  void StartAndClose(std::optional<QRect> expected, bool then_close = true) {
    form_ = std::make_unique<TForm1>();
    form_->SetMessages(&log_);
    form_->EnableStartup(true);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get(), kWindowManagerMs));
    // Framed: openbox has told the window its frame's size.
    QTRY_VERIFY(!form_->windowHandle()->frameMargins().isNull());
    // The placement has reached the window manager and come back.
    QWindow* window = form_->windowHandle();
    if (expected) {
      QTRY_COMPARE(window->frameGeometry(), *expected);
    } else {
      QTRY_VERIFY(Available().contains(window->frameGeometry()));
    }
    if (!then_close) return;
    form_->windowHandle()->close();
    form_.reset();
  }

  static QString Describe(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4 in %5x%6")
        .arg(r.left())
        .arg(r.top())
        .arg(r.width())
        .arg(r.height())
        .arg(Available().width())
        .arg(Available().height());
  }

  QString original_;
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TForm1> form_;
  MessageLog log_;
};

QTEST_MAIN(WindowManagerTest)
#include "ui_wm_test.moc"
