// The main window and the map viewer on a real window manager (openbox on a
// private X server, tests/wm/with_openbox.sh): the frame it draws, its close
// box and Alt+F4, and the screen's available area.

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <memory>
#include <optional>

#include "font_substitutes.h"
#include "support/message_log.h"
#include "tform1.h"
#include "tform2.h"
#include "ui_tform1.h"

using quillmere::TForm1;
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

// Runs xdotool with `args`; true when it succeeded.
bool XDoTool(const QStringList& args) {
  return QProcess::execute(QStringLiteral("xdotool"), args) == 0;
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
    QTest::addColumn<std::optional<QRect>>("stored");
    QTest::newRow("without a placement file") << std::optional<QRect>();
    QTest::newRow("the shipped placement, taller than the screen")
        << std::optional<QRect>(QRect(10, 10, 1072, 1015));
    QTest::newRow("a placement inside the screen") << std::optional<QRect>(QRect(60, 40, 700, 560));
    QTest::newRow("title bar above the screen") << std::optional<QRect>(QRect(30, -15, 640, 520));
  }

  void placementDoesNotDriftOverFiveStarts() {
    QFETCH(std::optional<QRect>, stored);
    if (stored) WritePlacement(*stored);
    std::optional<QRect> first;
    for (int start = 1; start <= 5; ++start) {
      const bool fits = stored && Available().contains(*stored);
      StartAndClose(fits ? stored : first);
      if (QTest::currentTestFailed()) return;
      const QRect written = StoredPlacement();
      // The whole window, title bar included, lies on the screen.
      QVERIFY2(Available().contains(written), qPrintable(Describe(written)));
      if (!first) {
        first = written;
        // A placement that already fits is kept to the pixel.
        if (fits) QCOMPARE(written, *stored);
      } else {
        QCOMPARE(written, *first);
      }
    }
  }

 private:
  // One run of the program: start-up in the current folder, shown and
  // framed, then closed with its close box as a user would.
  // `expected`: the outer rectangle the window must settle at, if known.
  void StartAndClose(std::optional<QRect> expected, bool then_close = true) {
    form_ = std::make_unique<TForm1>();
    form_->SetMessages(&log_);
    form_->EnableStartup(true);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
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
