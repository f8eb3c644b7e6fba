// The help window: the built help file shown at its table of contents, its
// pages, pictures and links as a reader meets them, files that cannot be
// shown, and the Help tab of the main window that opens it and takes it down
// at the end.

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPointer>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeWidget>
#include <optional>
#include <string>

#include "chm_file.h"
#include "font_substitutes.h"
#include "help_viewer.h"
#include "support/message_log.h"
#include "tform1.h"

using quillmere::ChmFile;
using quillmere::HelpBrowser;
using quillmere::HelpViewer;
using quillmere::TForm1;

namespace {

const QString kHelpFile = QStringLiteral(QUILLMERE_HELP_FILE);

QStringList TopEntries(const QTreeWidget* tree) {
  QStringList names;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) names << tree->topLevelItem(i)->text(0);
  return names;
}

QString PagePath(const HelpViewer& v) {
  return v.Browser()->source().path(QUrl::FullyDecoded);
}

// Where the link to `href` is drawn in the browser's viewport, scrolled into
// view; (-1, -1) when the page has no such link.
QPoint LinkPoint(QTextBrowser* browser, const QString& href) {
  QTextDocument* doc = browser->document();
  for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (fragment.charFormat().isAnchor() && fragment.charFormat().anchorHref() == href) {
        QTextCursor cursor(doc);
        cursor.setPosition(fragment.position() + fragment.length() / 2);
        browser->setTextCursor(cursor);
        browser->ensureCursorVisible();
        return browser->cursorRect(cursor).center();
      }
    }
  }
  return {-1, -1};
}

// Clicks the link as a reader does.
bool ClickLink(QTextBrowser* browser, const QString& href) {
  const QPoint at = LinkPoint(browser, href);
  if (at.x() < 0) return false;
  QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, at);
  return true;
}

QTreeWidgetItem* FindEntry(QTreeWidget* tree, const QString& name) {
  const QList<QTreeWidgetItem*> found =
      tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
  return found.isEmpty() ? nullptr : found.first();
}

}  // namespace

// Web addresses go to the desktop; here they are only written down.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> urls;

 public slots:
  void Open(const QUrl& url) { urls << url; }
};

// Counts the close events a window receives.
class CloseCounter : public QObject {
 public:
  int closes = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Close) ++closes;
    return false;
  }
};

class HelpViewerTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    quillmere::InstallFontSubstitutes();
    QVERIFY2(QFile::exists(kHelpFile), qPrintable(kHelpFile));
    original_dir_ = QDir::currentPath();
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &web_, "Open");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &web_, "Open");
  }
  void cleanupTestCase() {
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QDir::setCurrent(original_dir_);
  }
  void cleanup() { QDir::setCurrent(original_dir_); }

  // --- The help as it opens.

  void opensAtTheTableOfContents() {
    HelpViewer v;
    QVERIFY(v.OpenFile(kHelpFile));
    QCOMPARE(v.objectName(), QStringLiteral("HelpViewer"));
    QCOMPARE(v.windowTitle(), QStringLiteral("Quillmere Help"));
    QVERIFY(v.Message().isEmpty());
    QCOMPARE(TopEntries(v.ContentsTree()),
             QStringList({"Quillmere Help", "Getting started", "The main window",
                          "EME and terrestrial modes", "The Moon planner", "The models",
                          "Data, settings and maps", "Troubleshooting", "References"}));
    QCOMPARE(v.ContentsTree()->topLevelItem(2)->childCount(), 6);
    QCOMPARE(PagePath(v), QStringLiteral("/index.html"));
    QCOMPARE(v.Browser()->documentTitle(), QStringLiteral("Quillmere Help"));
    QVERIFY(v.ContentsTree()->currentItem() != nullptr);
    QCOMPARE(v.ContentsTree()->currentItem()->text(0), QStringLiteral("Quillmere Help"));
  }

  void aPageShowsItsPictureFromTheHelpFile() {
    HelpViewer v;
    QVERIFY(v.OpenFile(kHelpFile));
    v.ShowPage(QStringLiteral("window.html"));
    QCOMPARE(PagePath(v), QStringLiteral("/window.html"));
    QString picture;
    QTextDocument* doc = v.Browser()->document();
    for (QTextBlock b = doc->begin(); b.isValid() && picture.isEmpty(); b = b.next()) {
      for (auto it = b.begin(); !it.atEnd(); ++it) {
        if (it.fragment().charFormat().isImageFormat()) {
          picture = it.fragment().charFormat().toImageFormat().name();
        }
      }
    }
    QCOMPARE(picture, QStringLiteral("images/window.png"));
    const QImage image = qvariant_cast<QImage>(
        v.Browser()->loadResource(QTextDocument::ImageResource, QUrl(picture)));
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(720, 682));
    // The document has it too, as it lays the page out.
    QVERIFY(!qvariant_cast<QImage>(doc->resource(QTextDocument::ImageResource, QUrl(picture)))
                 .isNull());
  }

  void theStyleSheetComesFromTheHelpFile() {
    HelpViewer v;
    QVERIFY(v.OpenFile(kHelpFile));
    const QString css =
        v.Browser()
            ->loadResource(QTextDocument::StyleSheetResource, QUrl(QStringLiteral("quillmere.css")))
            .toString();
    QVERIFY(css.contains(QStringLiteral("#a6caf0")));
  }

  void aLinkWithAnEscapedBlankOpensItsPage() {
    HelpViewer v;
    v.resize(1000, 720);
    v.show();
    QVERIFY(v.OpenFile(kHelpFile));
    QVERIFY(ClickLink(v.Browser(), QStringLiteral("Cloud%20maps.html")));
    QCOMPARE(PagePath(v), QStringLiteral("/Cloud maps.html"));
    QCOMPARE(v.Browser()->documentTitle(), QStringLiteral("The cloud maps"));
    // The contents follow the page.
    QCOMPARE(v.ContentsTree()->currentItem()->text(0), QStringLiteral("The cloud maps"));
    // And Back returns.
    QToolButton* back = v.findChild<QToolButton*>(QStringLiteral("HelpBack"));
    QVERIFY(back && back->isEnabled());
    back->click();
    QCOMPARE(PagePath(v), QStringLiteral("/index.html"));
  }

  void aLinkToAnAnchorOfAnotherPage() {
    HelpViewer v;
    v.resize(1000, 720);
    v.show();
    QVERIFY(v.OpenFile(kHelpFile));
    v.ShowPage(QStringLiteral("window.html"));
    QVERIFY(ClickLink(v.Browser(), QStringLiteral("moon.html#dataline")));
    QCOMPARE(PagePath(v), QStringLiteral("/moon.html"));
    QCOMPARE(v.Browser()->source().fragment(), QStringLiteral("dataline"));
  }

  void aPageWithoutACharacterSetIsReadAsWindows1252() {
    // The page really is stored so: a single byte for the degree sign, and
    // no declaration.
    std::unique_ptr<ChmFile> file = ChmFile::Open(kHelpFile.toStdString());
    QVERIFY(file);
    const std::optional<std::string> raw = file->Read("reference-atmosphere.html");
    QVERIFY(raw);
    QVERIFY(raw->find("\xB0"
                      "c at HASL") != std::string::npos);
    QVERIFY(raw->find("charset") == std::string::npos);

    HelpViewer v;
    QVERIFY(v.OpenFile(kHelpFile));
    v.ShowPage(QStringLiteral("reference-atmosphere.html"));
    const QString text = v.Browser()->toPlainText();
    QVERIFY(text.contains(QStringLiteral("Temperature \u00B0c at HASL")));
    QVERIFY(text.contains(QStringLiteral("19.65 g/m\u00B3")));
    QVERIFY(!text.contains(QChar(0xFFFD)));
  }

  void theContentsShowThePageChosen() {
    HelpViewer v;
    QVERIFY(v.OpenFile(kHelpFile));
    QTreeWidgetItem* rain = FindEntry(v.ContentsTree(), QStringLiteral("Rain (P.838)"));
    QVERIFY(rain);
    v.ContentsTree()->setCurrentItem(rain);
    QCOMPARE(PagePath(v), QStringLiteral("/rain.html"));
    // A book without a page of its own leaves the page as it is.
    v.ContentsTree()->setCurrentItem(FindEntry(v.ContentsTree(), QStringLiteral("The models")));
    QCOMPARE(PagePath(v), QStringLiteral("/rain.html"));
    QToolButton* home = v.findChild<QToolButton*>(QStringLiteral("HelpHome"));
    QVERIFY(home);
    home->click();
    QCOMPARE(PagePath(v), QStringLiteral("/index.html"));
  }

  void aWebLinkGoesToTheDesktopNotIntoTheHelp() {
    HelpViewer v;
    v.resize(1000, 720);
    v.show();
    QVERIFY(v.OpenFile(kHelpFile));
    v.ShowPage(QStringLiteral("references.html"));
    web_.urls.clear();
    QVERIFY(ClickLink(v.Browser(), QStringLiteral("https://www.itu.int/rec/R-REC-P")));
    QCOMPARE(PagePath(v), QStringLiteral("/references.html"));
    QCOMPARE(web_.urls, QList<QUrl>({QUrl(QStringLiteral("https://www.itu.int/rec/R-REC-P"))}));
  }

  void aPageMissingFromTheFileIsSaidSo() {
    HelpViewer v;
    QVERIFY(v.OpenFile(kHelpFile));
    v.ShowPage(QStringLiteral("nothere.html"));
    QVERIFY(v.Browser()->toPlainText().contains(QStringLiteral("Page not found")));
  }

  // --- Files that cannot be shown: the window says why.

  void aFileThatCannotBeShownIsExplainedInTheWindow_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");  // null: no file
    QTest::addColumn<QString>("says");

    QFile help(kHelpFile);
    QVERIFY(help.open(QIODevice::ReadOnly));
    const QByteArray good = help.readAll();
    QByteArray noise(8192, '\0');
    quint32 x = 12345;
    for (char& c : noise) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);

    QTest::newRow("missing") << "Quillmere Attenuation.chm" << QByteArray() << "was not found";
    QTest::newRow("random bytes") << "Quillmere Attenuation.chm" << noise
                                  << "is not a compiled HTML help file";
    QTest::newRow("cut in half") << "Quillmere Attenuation.chm" << good.left(good.size() / 2)
                                 << "is damaged or cut short";
    QTest::newRow("cut in the directory")
        << "Quillmere Attenuation.chm" << good.left(300) << "is damaged or cut short";
    QTest::newRow("another extension")
        << "Quillmere Attenuation.txt" << good << "is not an HTML help file";
  }
  void aFileThatCannotBeShownIsExplainedInTheWindow() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    if (!bytes.isNull()) {
      QFile out(path);
      QVERIFY(out.open(QIODevice::WriteOnly));
      out.write(bytes);
    }
    HelpViewer v;
    QVERIFY(v.OpenFile(kHelpFile));  // a good file first: nothing of it may stay
    QVERIFY(!v.OpenFile(path));
    QVERIFY2(v.Message().contains(says), qPrintable(v.Message()));
    QVERIFY(v.Message().contains(path));
    const QString shown = v.Browser()->toPlainText();
    QVERIFY(shown.contains(QStringLiteral("The help cannot be shown")));
    QVERIFY(shown.contains(says));
    QCOMPARE(v.ContentsTree()->topLevelItemCount(), 0);
    // A good file afterwards is shown as usual.
    QVERIFY(v.OpenFile(kHelpFile));
    QVERIFY(v.Message().isEmpty());
    QCOMPARE(PagePath(v), QStringLiteral("/index.html"));
    QVERIFY(v.Browser()->toPlainText().contains(QStringLiteral("Using Quillmere")));
  }

  // --- The Help tab of the main window.

  void theHelpTabOpensTheHelpFileOfTheCurrentFolder_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("as named") << "Quillmere Attenuation.chm";
    QTest::newRow("extension in capitals") << "Quillmere Attenuation.CHM";
  }
  void theHelpTabOpensTheHelpFileOfTheCurrentFolder() {
    QFETCH(QString, name);
    QTemporaryDir dir;
    QVERIFY(QFile::copy(kHelpFile, dir.filePath(name)));
    QVERIFY(QDir::setCurrent(dir.path()));
    quillmere::testing::MessageLog log;
    TForm1 form;
    form.SetMessages(&log);
    QVERIFY(form.HelpWindow() == nullptr);
    form.TabSet2Click(0);
    HelpViewer* v = form.HelpWindow();
    QVERIFY(v);
    QVERIFY(v->isVisible());
    QCOMPARE(v->FilePath(), QDir(dir.path()).filePath(name));
    QVERIFY2(v->Message().isEmpty(), qPrintable(v->Message()));
    QCOMPARE(PagePath(*v), QStringLiteral("/index.html"));
    QCOMPARE(v->ContentsTree()->topLevelItemCount(), 9);
    QVERIFY(log.lines.empty());
    // Choosing Help again brings the same window back to the contents.
    v->ShowPage(QStringLiteral("rain.html"));
    form.TabSet2Click(0);
    QCOMPARE(form.HelpWindow(), v);
    QCOMPARE(form.findChildren<HelpViewer*>().size(), 1);
    QCOMPARE(PagePath(*v), QStringLiteral("/index.html"));
  }

  void withoutACopyInTheCurrentFolderTheInstalledOneIsShown() {
    // The build's share folder is the installed data folder of a program
    // that runs from the build: there the build has put the help file.
    QTemporaryDir dir;
    QVERIFY(QDir::setCurrent(dir.path()));
    quillmere::testing::MessageLog log;
    TForm1 form;
    form.SetMessages(&log);
    form.TabSet2Click(0);
    QVERIFY(form.HelpWindow());
    const QString installed =
        QDir::cleanPath(QCoreApplication::applicationDirPath() +
                        QStringLiteral("/../share/Quillmere Attenuation.chm"));
    QCOMPARE(QFileInfo(form.HelpWindow()->FilePath()).canonicalFilePath(),
             QFileInfo(installed).canonicalFilePath());
    QVERIFY(form.HelpWindow()->Message().isEmpty());
  }

  void theHelpWindowClosesWithTheMainWindow() {
    QTemporaryDir dir;
    QVERIFY(QFile::copy(kHelpFile, dir.filePath(QStringLiteral("Quillmere Attenuation.chm"))));
    QVERIFY(QDir::setCurrent(dir.path()));
    quillmere::testing::MessageLog log;
    auto* form = new TForm1;
    form->SetMessages(&log);
    form->show();
    form->TabSet2Click(0);
    QPointer<HelpViewer> v = form->HelpWindow();
    QVERIFY(v && v->isVisible());
    // It never keeps the program running by itself.
    QVERIFY(!v->testAttribute(Qt::WA_QuitOnClose));
    CloseCounter counter;
    v->installEventFilter(&counter);
    delete form;
    QVERIFY(v.isNull());
    QCOMPARE(counter.closes, 1);
  }

  // --- How it looks.

  void theWindowIsDrawn() {
    HelpViewer v;
    v.resize(1000, 720);
    v.show();
    QVERIFY(v.OpenFile(kHelpFile));
    const QImage shot = v.grab().toImage();
    QCOMPARE(shot.size(), QSize(1000, 720));
    // Text in both halves: the contents on the left, the page on the right.
    const auto dark_pixels = [&](int x0, int x1) {
      int n = 0;
      for (int y = 40; y < shot.height(); y += 2) {
        for (int x = x0; x < x1; x += 2) n += qGray(shot.pixel(x, y)) < 100;
      }
      return n;
    };
    QVERIFY(dark_pixels(10, 250) > 200);
    QVERIFY(dark_pixels(300, 990) > 500);
    // Set QUILLMERE_HELP_SCREENSHOT to a file name to keep the picture.
    const QString keep = qEnvironmentVariable("QUILLMERE_HELP_SCREENSHOT");
    if (!keep.isEmpty()) QVERIFY(shot.save(keep));
  }

 private:
  QString original_dir_;
  UrlRecorder web_;
};

QTEST_MAIN(HelpViewerTest)
#include "help_viewer_test.moc"
