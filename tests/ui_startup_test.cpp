// Start-up and shutdown of the main window: the placement file, the
// start-up sequence run once, About and Exit.

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "help_viewer.h"
#include "panel.h"
#include "placement.h"
#include "safe_write.h"
#include "support/message_log.h"
#include "support/test_window.h"
#include "tform1.h"
#include "tform2.h"
#include "ui_tform1.h"
#include "version_info.h"

using quillmere::TForm1;

namespace {

using quillmere::testing::MessageLog;

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    quillmere::testing::SetUpWindowLook();
    original_ = QDir::currentPath();
  }

  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(dir_->path()));
    log_.lines.clear();
  }

  void cleanup() {
    form_.reset();
    QDir::setCurrent(original_);
    dir_.reset();
  }

  void aPlacementIsBroughtWhollyOntoTheScreen_data() {
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("placed");
    const QRect laptop(0, 0, 1366, 740);  // 1366 x 768 less a 28-pixel panel
    QTest::newRow("one that fits stays to the pixel")
        << QRect(30, 40, 700, 500) << laptop << QRect(30, 40, 700, 500);
    QTest::newRow("title bar above the top: moved down")
        << QRect(30, -20, 700, 500) << laptop << QRect(30, 0, 700, 500);
    QTest::newRow("past the right edge: moved left")
        << QRect(900, 40, 700, 500) << laptop << QRect(666, 40, 700, 500);
    QTest::newRow("the shipped 1072 x 1015: shrunk to the height and moved up")
        << QRect(10, 10, 1072, 1015) << laptop << QRect(10, 0, 1072, 740);
    QTest::newRow("on a second screen to the right, below its panel")
        << QRect(1900, 0, 800, 600) << QRect(1920, 30, 1280, 994) << QRect(1920, 30, 800, 600);
  }

  void aPlacementIsBroughtWhollyOntoTheScreen() {
    QFETCH(QRect, stored);
    QFETCH(QRect, available);
    QFETCH(QRect, placed);
    QCOMPARE(quillmere::FitInto(stored, available), placed);
  }

  void firstStartWithoutPlacementFile() {
    MakeForm();
    form_->show();
    QCOMPARE(form_->frameGeometry(), QRect(10, 10, 500, 500));  // outer size
    // The client can be scrolled over 920 design pixels.
    QWidget* canvas = form_->Components().FormClient;
    // 500 x 500 is below the smallest scale, which the form keeps.
    const double sy = std::max(TForm1::kMinimumScale, form_->ClientArea()->height() / 886.0);
    QCOMPARE(canvas->height(), int(std::lround(920 * sy)));
    QVERIFY(!form_->Components().FormScroll->verticalScrollBar()->isHidden());
  }

  void storedPlacementIsRestoredAtTheFirstShowingOnly() {
    WritePlacement(30, 40, 700, 500);
    MakeForm();
    form_->show();
    QCOMPARE(form_->frameGeometry(), QRect(30, 40, 700, 500));
    form_->resize(800, 600);
    form_->hide();
    form_->show();  // back from the map viewer: the user's size stays
    QCOMPARE(form_->size(), QSize(800, 600));
  }

  // The rows at the int limits were found by fuzz_placement: edges near them
  // overflowed the rectangle arithmetic, and a window far off the screen was
  // taken as one on it.
  void aPlacementOffEveryScreenFallsBackToTheDefaults_data() {
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    QTest::newRow("far to the right of and below the screen") << 50000 << 40000 << 900 << 700;
    QTest::newRow("right and bottom edges past the int range") << kMax << kMax << 500 << 500;
    QTest::newRow("left and top at the int minimum") << kMin << kMin << 500 << 500;
    QTest::newRow("from the int minimum, the largest size") << kMin << kMin << kMax << kMax;
  }

  void aPlacementOffEveryScreenFallsBackToTheDefaults() {
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(int, width);
    QFETCH(int, height);
    WritePlacement(left, top, width, height);
    MakeForm();
    form_->show();
    QCOMPARE(form_->frameGeometry(), QRect(10, 10, 500, 500));  // outer size
  }

  // The close writes the window's outer rectangle as four keys: into a new
  // file, or into the user's, keeping the rest of it.
  void closingWritesThePlacement_data() {
    QTest::addColumn<QString>("before");  // the file before; none if null
    QTest::addColumn<QString>("after");   // %1 to %4: left, top, width, height
    QTest::newRow("no file: a new one")
        << QString() << QStringLiteral("[Position]\nLeft=%1\nTop=%2\nWidth=%3\nHeight=%4\n");
    QTest::newRow("the user's file: the rest kept")
        << QStringLiteral("; my notes\n[Position]\nLeft=30\nColour=blue\n[Other]\nTop=1\n")
        << QStringLiteral(
               "; my notes\n[Position]\nLeft=%1\nColour=blue\n"
               "Top=%2\nWidth=%3\nHeight=%4\n[Other]\nTop=1\n");
  }
  void closingWritesThePlacement() {
    QFETCH(QString, before);
    QFETCH(QString, after);
    if (!before.isNull()) WriteFile(before);
    MakeForm();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    form_->setGeometry(20, 30, 640, 480);
    const QRect outer = form_->frameGeometry();
    QVERIFY(outer.width() >= 640);
    form_->close();
    QCOMPARE(ReadFile(),
             after.arg(outer.left()).arg(outer.top()).arg(outer.width()).arg(outer.height()));
  }

  // A FIFO behind the placement's name: the window opens at the defaults
  // without waiting on it, and the close writes nothing through the link.
  void aLinkToAFifoIsNeitherWaitedOnNorWritten() {
    QVERIFY(::mkfifo("pipe", 0644) == 0);
    QVERIFY(QFile::link(QStringLiteral("pipe"), QStringLiteral("QuillmereS.ini")));
    MakeForm();
    form_->show();
    QCOMPARE(form_->frameGeometry(), QRect(10, 10, 500, 500));  // outer size
    form_->close();
    form_.reset();
    QVERIFY(QFileInfo(QStringLiteral("QuillmereS.ini")).isSymLink());
    struct stat info {};
    QVERIFY(::stat("pipe", &info) == 0);
    QVERIFY(S_ISFIFO(info.st_mode));
  }

  void aFolderInPlaceOfThePlacementFileIsLeftAlone() {
    QVERIFY(QDir().mkdir(QStringLiteral("QuillmereS.ini")));
    MakeForm();
    form_->show();
    QCOMPARE(form_->frameGeometry(), QRect(10, 10, 500, 500));  // the defaults
    form_->close();
    QVERIFY(QFileInfo(QStringLiteral("QuillmereS.ini")).isDir());
  }

  void aLinkedPlacementFileIsWrittenThroughTheLink() {
    WritePlacement(30, 40, 600, 400);
    QVERIFY(QFile::rename(QStringLiteral("QuillmereS.ini"), QStringLiteral("kept.ini")));
    QVERIFY(QFile::link(QStringLiteral("kept.ini"), QStringLiteral("QuillmereS.ini")));
    MakeForm();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    QCOMPARE(form_->frameGeometry(), QRect(30, 40, 600, 400));
    form_->move(60, 70);
    const QRect outer = form_->frameGeometry();
    form_->close();
    QVERIFY(QFileInfo(QStringLiteral("QuillmereS.ini")).isSymLink());
    QSettings ini(QStringLiteral("kept.ini"), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("Position/Left")).toInt(), outer.left());
  }

  void startupRunsOnceAndTitlesTheWindow() {
    MakeForm();
    form_->Startup();
    form_->Startup();  // a later activation (after a message box)
    QCOMPARE(log_.lines.size(), std::size_t{1});
    QCOMPARE(log_.lines[0], std::string("warning: File not found"));
    const std::string version =
        quillmere::ProgramVersion(quillmere::FileVersion(quillmere::ReadVersionInfo()));
    QCOMPARE(form_->windowTitle(),
             QString::fromStdString("Quillmere Absorbtion Attenuation Ver " + version));
    QCOMPARE(form_->State().Home.VapourOverWater, std::uint8_t{1});
  }

  void messageBoxesDoNotThrowAwayUnsavedChanges() {
    QVERIFY(QFile::copy(QStringLiteral(QUILLMERE_TEST_DATA "/records/typical.dat"),
                        QStringLiteral("Quillmere.dat")));
    MakeForm();
    form_->Startup();
    QCOMPARE(form_->State().Home.Temperature, 15.0L);
    form_->TempButtonAUpClick();
    form_->TabSet2Click(1);  // About, twice in a row
    form_->Startup();        // focus comes back
    form_->TabSet2Click(1);
    form_->Startup();
    QCOMPARE(form_->State().Home.Temperature, 16.0L);
    QCOMPARE(log_.lines.size(), std::size_t{2});
    const std::string build = "Build .. " + quillmere::FileVersion(quillmere::ReadVersionInfo());
    for (const std::string& line : log_.lines) {
      QVERIFY(line.rfind("info: ", 0) == 0);
      QVERIFY(line.find(build) != std::string::npos);
      QVERIFY(line.find("Date ..  ") != std::string::npos);
      // Where the shipped data come from, with their terms.
      for (const char* source : {"ITU-R P.840-4", "ITU-R P.676-13", "ITU's terms of use", "GSHHG"})
        QVERIFY2(line.find(source) != std::string::npos, source);
    }
  }

  // Whatever stopped the load, the window shows the figures of the start
  // state: no panel or label is left with its design-time name.
  void aFailedLoadShowsTheStartStateNotTheDesignNames_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("no data file") << QString();
    QTest::newRow("a folder in its place") << QStringLiteral("folder");
    QTest::newRow("values out of range")
        << QStringLiteral(QUILLMERE_TEST_DATA "/records/damaged.dat");
  }

  void aFailedLoadShowsTheStartStateNotTheDesignNames() {
    QFETCH(QString, file);
    if (file == QLatin1String("folder")) {
      QVERIFY(QDir().mkdir(QStringLiteral("Quillmere.dat")));
    } else if (!file.isEmpty()) {
      QVERIFY(QFile::copy(file, QStringLiteral("Quillmere.dat")));
    }
    MakeForm();
    form_->Startup();
    QCOMPARE(log_.lines.size(), std::size_t{1});
    int checked = 0;
    for (const QWidget* w : form_->ComponentList()) {
      QString text;
      if (const auto* panel = qobject_cast<const quillmere::Panel*>(w)) {
        text = panel->caption();
      } else if (const auto* label = qobject_cast<const QLabel*>(w)) {
        text = label->text();
      } else {
        continue;
      }
      ++checked;
      QVERIFY2(text != w->objectName(),
               qPrintable(w->objectName() + QStringLiteral(" shows its name")));
      QVERIFY2(!text.contains(QLatin1String("nan")) && !text.contains(QLatin1String("inf")),
               qPrintable(w->objectName() + QStringLiteral(": ") + text));
    }
    QVERIFY(checked > 100);
    QCOMPARE(form_->Components().Panel3->caption(), QStringLiteral("0\u00b0c "));
  }

  // A start folder whose name is not valid UTF-8 (bytes 0xff 0xfe) works
  // like any other: the map and the help file in it are the ones shown, and
  // the placement is written into it, not into a look-alike folder.
  void aFolderNamedWithInvalidUtf8WorksLikeAnyOther() {
    namespace fs = std::filesystem;
    const fs::path installed_help = TForm1::MapPath(quillmere::kHelpFileName);
    const fs::path outer = fs::current_path();
    const fs::path folder = outer / "start\xff\xfe";
    fs::create_directory(folder);
    struct LeaveFolder {
      fs::path outer, folder;
      ~LeaveFolder() {
        std::error_code ec;
        fs::current_path(outer, ec);
        fs::remove_all(folder, ec);  // QTemporaryDir cannot name it
      }
    } leave{outer, folder};
    fs::current_path(folder);

    // A map of a size no shipped map has.
    QImage picture(37, 23, QImage::Format_RGB888);
    picture.fill(Qt::red);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    QVERIFY(picture.save(&buffer, "JPG"));
    std::ofstream(folder / "Fig2 LiquidWater 0.1%.jpg", std::ios::binary)
        .write(jpeg.constData(), jpeg.size());
    const bool with_help = fs::exists(installed_help);
    if (with_help) fs::copy_file(installed_help, folder / quillmere::kHelpFileName);

    MakeForm();
    form_->show();
    form_->PercentageDisplayClick(0);
    QCOMPARE(form_->Form2().Image1()->pixmap().size(), QSize(37, 23));
    form_->Form2().Button1Click();
    if (with_help) {
      form_->TabSet2Click(0);
      const auto* viewer = form_->findChild<quillmere::HelpViewer*>();
      QVERIFY(viewer != nullptr);
      QCOMPARE(viewer->Message(), QString());
      QCOMPARE(viewer->FilePath(), QFile::decodeName(QByteArray::fromStdString(
                                       (folder / quillmere::kHelpFileName).string())));
    }
    for (const std::string& line : log_.lines)
      QVERIFY2(line.rfind("error: ", 0) != 0, line.c_str());
    form_->close();

    QVERIFY(fs::is_regular_file(folder / "QuillmereS.ini"));
    std::vector<fs::path> beside;
    for (const fs::directory_entry& e : fs::directory_iterator(outer)) beside.push_back(e.path());
    QCOMPARE(beside, std::vector<fs::path>{folder});
  }

  // Saves of the placement and stations files killed between naming their
  // new file and the rename leave it beside the file; the next start
  // removes it, as the data file's load does its own.
  void theStartRemovesWhatKilledSavesLeft() {
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::filesystem::path folder = std::filesystem::current_path();
    std::vector<std::filesystem::path> litter;
    for (const char* name : {"QuillmereS.ini", "QuillmereStations.ini"}) {
      litter.push_back(folder / quillmere::TemporaryName(folder / name, gone, 0));
      QFile file(QString::fromStdString(litter.back().string()));
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    MakeForm();
    form_->show();
    for (const auto& path : litter) QVERIFY2(!std::filesystem::exists(path), path.c_str());
  }

  void exitAsksAndNoKeepsTheProgram() {
    MakeForm();
    form_->TabSet2Click(2);
    QCOMPARE(log_.lines.size(), std::size_t{1});
    QCOMPARE(log_.lines[0], std::string("confirm: Do You wish to exit now ?"));
  }

 private:
  void MakeForm() {
    form_ = quillmere::testing::OpenTestWindow(log_);
    form_->EnableStartup(true);
  }

  static void WriteFile(const QString& text) {
    QFile file(QStringLiteral("QuillmereS.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
  }

  static QString ReadFile() {
    QFile file(QStringLiteral("QuillmereS.ini"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
  }

  static void WritePlacement(int left, int top, int width, int height) {
    QSettings ini(QStringLiteral("QuillmereS.ini"), QSettings::IniFormat);
    ini.setValue(QStringLiteral("Position/Left"), left);
    ini.setValue(QStringLiteral("Position/Top"), top);
    ini.setValue(QStringLiteral("Position/Width"), width);
    ini.setValue(QStringLiteral("Position/Height"), height);
  }

  QString original_;
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TForm1> form_;
  MessageLog log_;
};

QTEST_MAIN(StartupTest)
#include "ui_startup_test.moc"
