#pragma once
// The help window: the program's compiled HTML help ("Quillmere
// Attenuation.chm") with its table of contents beside the page. Pages, style
// sheets and pictures are read straight out of the help file; nothing is
// unpacked to disk. A help file that is missing or cannot be read is
// reported inside the window itself.

#include <QHash>
#include <QString>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>
#include <filesystem>
#include <memory>

class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace quillmere {

class ChmFile;

// The help file's name, as the program has always called it. Its extension
// is accepted in any case (".CHM" too).
inline constexpr char kHelpFileName[] = "Quillmere Attenuation.chm";

// The page view: a text browser whose resources are objects of the help
// file, addressed as chm:/path/inside/the/file.html. Relative links resolve
// against the page they are on; escapes such as %20 are decoded before the
// object is looked up. Pages that declare no character set are read as
// Windows-1252.
class HelpBrowser : public QTextBrowser {
  Q_OBJECT

 public:
  static constexpr char kScheme[] = "chm";

  explicit HelpBrowser(QWidget* parent = nullptr);

  // The file the pages come from (not owned; nullptr: none).
  void SetFile(ChmFile* file) { file_ = file; }

  // The address of a page given as the help file names it: a path inside
  // the file, relative or absolute, perhaps with "#anchor", or an HTML Help
  // address "ms-its:...::/page.html" into this same file.
  static QUrl PageUrl(const QString& local);

  QVariant loadResource(int type, const QUrl& name) override;

 private:
  ChmFile* file_ = nullptr;
};

class HelpViewer : public QWidget {
  Q_OBJECT

 public:
  explicit HelpViewer(QWidget* parent = nullptr);
  ~HelpViewer() override;

  // Opens the help file at `path`, fills the contents and shows the table of
  // contents' first page (the file's default topic when the contents name no
  // page). When the file cannot be shown, the window says why instead and
  // the contents stay empty. Returns whether the help is shown.
  // The path is taken as the system gives it (any bytes); a QString path is
  // encoded as file names are.
  bool OpenFile(const std::filesystem::path& path);
  bool OpenFile(const QString& path);
  // Back to the first page of the contents.
  void ShowContents();
  // Shows the page the help file names `local` (see HelpBrowser::PageUrl).
  void ShowPage(const QString& local);

  // The file last asked for, and why it is not shown (empty when it is).
  const QString& FilePath() const { return path_; }
  const QString& Message() const { return message_; }
  // The page the contents open at, as a browser address.
  const QUrl& HomeUrl() const { return home_; }

  QTreeWidget* ContentsTree() const { return tree_; }
  HelpBrowser* Browser() const { return browser_; }

 private:
  void ShowMessage(const QString& text);
  void FillContents();
  void OnLinkClicked(const QUrl& url);
  void OnSourceChanged(const QUrl& url);
  // Shows the page of a contents entry (a book without a page shows none).
  void ShowEntry(QTreeWidgetItem* entry);

  std::unique_ptr<ChmFile> file_;
  QString path_;
  QString message_;
  QUrl home_;
  QTreeWidget* tree_ = nullptr;
  HelpBrowser* browser_ = nullptr;
  QToolButton* back_ = nullptr;
  QToolButton* forward_ = nullptr;
  QToolButton* contents_ = nullptr;
  // Contents entries by page path (lower case, no anchor): the first entry
  // for each page, to follow the browser in the tree.
  QHash<QString, QTreeWidgetItem*> by_page_;
  bool following_ = false;  // the tree is being moved to match the page
};

// Closes the help window before deleting it: the main window holds its help
// window through this, so the help closes when the program ends.
struct HelpViewerCloser {
  void operator()(HelpViewer* viewer) const;
};
using HelpViewerPtr = std::unique_ptr<HelpViewer, HelpViewerCloser>;

}  // namespace quillmere
