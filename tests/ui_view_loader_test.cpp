// The views library as the main window loads it when a view is first
// opened: found in its folder, or a clear message, never a crash, when
// it is missing, broken, not ours or from another build. This program is
// not linked with the library, as the program itself is not.
#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <optional>

#include "support/message_log.h"
#include "tform1.h"
#include "view_loader.h"

using quillmere::LoadViewFactory;

class ViewLoaderTest : public QObject {
  Q_OBJECT

 private slots:
  void refusedLibraries_data() {
    QTest::addColumn<QString>("library");  // copied in as libquillmere_views.so
    QTest::addColumn<QString>("message");  // what the message says after the path
    QTest::newRow("none in the folder") << QString() << QStringLiteral(" could not be loaded (");
    QTest::newRow("a FIFO by its name, which would block the loader")
        << QStringLiteral(":fifo") << QStringLiteral(" is not a file.");
    QTest::newRow("a text file by its name")
        << QStringLiteral(":text") << QStringLiteral(" could not be loaded (");
    QTest::newRow("a library without the entry point")
        << QStringLiteral(QUILLMERE_STUB_WITHOUT_ENTRY)
        << QStringLiteral(" is not Quillmere's views library.");
    QTest::newRow("a library of another version")
        << QStringLiteral(QUILLMERE_STUB_OTHER_VERSION)
        << QStringLiteral(" belongs to another version of Quillmere.");
  }
  void refusedLibraries() {
    QFETCH(QString, library);
    QFETCH(QString, message);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString target = folder.filePath(QStringLiteral("libquillmere_views.so"));
    if (library == QStringLiteral(":fifo")) {
      QVERIFY(mkfifo(QFile::encodeName(target).constData(), 0600) == 0);
    } else if (library == QStringLiteral(":text")) {
      QFile file(target);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("not a library\n");
    } else if (!library.isEmpty()) {
      QVERIFY(QFile::copy(library, target));
    }
    const quillmere::LoadedViews loaded = LoadViewFactory(folder.path());
    QVERIFY(loaded.factory == nullptr);
    // The message names the library where the program looked for it.
    QVERIFY2(loaded.message.contains(target), qPrintable(loaded.message));
    QVERIFY2(loaded.message.contains(message), qPrintable(loaded.message));
  }

  // The main window without its views library: opening a view says why it
  // cannot, and opens nothing. Before the library is loaded by the next
  // test, which would make it found by name.
  void aMissingLibraryIsAMessageWhenAViewIsOpened() {
    quillmere::testing::MessageLog log;
    quillmere::TForm1 form;
    form.SetMessages(&log);
    const auto visible_windows = [] {
      int n = 0;
      for (QWidget* w : QApplication::topLevelWidgets()) n += w->isVisible();
      return n;
    };
    const int before = visible_windows();
    form.OpenSpectrum();
    form.OpenPlanner();
    QCOMPARE(int(log.lines.size()), 2);
    QVERIFY2(QString::fromStdString(log.lines[0])
                 .startsWith(QStringLiteral("error: The Spectrum view cannot be opened: ")),
             log.lines[0].c_str());
    QVERIFY2(QString::fromStdString(log.lines[1])
                 .startsWith(QStringLiteral("error: The Planner cannot be opened: ")),
             log.lines[1].c_str());
    QVERIFY(QString::fromStdString(log.lines[0]).contains(QStringLiteral("libquillmere_views.so")));
    QCOMPARE(visible_windows(), before);
  }

  void theBuiltLibraryMakesBothViews() {
    const quillmere::LoadedViews loaded =
        LoadViewFactory(QFileInfo(QStringLiteral(QUILLMERE_VIEWS_LIBRARY)).absolutePath());
    QVERIFY2(loaded.factory != nullptr, qPrintable(loaded.message));
    QVERIFY(loaded.message.isEmpty());
    quillmere::QuillmereState state;
    quillmere::OpenedView spectrum = loaded.factory->MakeSpectrum(state);
    QVERIFY(spectrum.window != nullptr);
    QCOMPARE(spectrum.window->windowTitle(), QStringLiteral("Spectrum and elevation"));
    QVERIFY(spectrum.state_changed);
    QTemporaryDir folder;
    quillmere::PlannerHost host;
    host.state = [&state] { return state; };
    host.now_utc_s = [] { return 1.8e9; };
    host.following_changed = [](bool) {};
    host.follow = [](std::optional<double>, std::optional<double>, const QString&) {};
    quillmere::OpenedView planner = loaded.factory->MakePlanner(
        nullptr, folder.filePath(QStringLiteral("QuillmereStations.ini")).toStdString(), host);
    QVERIFY(planner.window != nullptr);
    QVERIFY(planner.state_changed);
  }
};

QTEST_MAIN(ViewLoaderTest)
#include "ui_view_loader_test.moc"
