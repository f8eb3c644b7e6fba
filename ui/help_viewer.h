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
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace quillmere {

class ChmFile;

// The help file's name, as the program has always called it. Its extension
// is accepted in any case (".CHM" too).
inline constexpr char kHelpFileName[] = "Quillmere Attenuation.chm";

// What a help page may ask of the text browser. Qt lays out nested tables
// and lists by recursion and long paragraphs in one piece, and decodes every
// picture whole: beyond these bounds a page could exhaust the stack, the
// memory or the user's patience.
struct HelpPageLimits {
  int max_depth = 64;              // elements open at once
  qsizetype max_text = 4 << 20;    // characters of the page's source
  qint64 max_pixels = 32'000'000;  // of all its pictures, decoded
  // Measured with Qt 6.4: each of these alone, at its bound, takes some
  // 0.1 to 0.3 s to lay out; past it the cost grows steeply (tables nested
  // 16 deep: seconds; 20 000 list items: a minute).
  int max_tables = 8;        // tables open at once
  int max_elements = 20000;  // elements in the page
  // List items, table rows and cells; one counts 2^(n-1) inside n tables.
  int max_items = 1000;
  qsizetype max_paragraph = 16 << 10;  // characters of text in one paragraph
};

// What CheckHelpPage changed.
struct HelpPageReport {
  int dropped_tags = 0;       // past a bound on nesting or count; their text stays
  bool cut = false;           // the source was longer than max_text
  int dropped_images = 0;     // over the page's pixel budget
  int broken_paragraphs = 0;  // runs of text broken into paragraphs
};

// A page fit for the text browser: tags opened deeper than the limit are
// left out (their text stays, flattened), the source is cut at the limit,
// pictures past the page's pixel budget (judged from their headers through
// `image_size`, and from the width and height the page declares) are left
// out, and a very long run of text is broken into paragraphs. Every change leaves a
// visible note in the page. `image_size` gives a picture's size by its src,
// or an invalid size when it has none.
QString CheckHelpPage(const QString& html, const std::function<QSize(const QString&)>& image_size,
                      const HelpPageLimits& limits = {}, HelpPageReport* report = nullptr);

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

 protected:
  // The bytes of the object at `path` in the help file (a page, style
  // sheet or picture), or nothing.
  virtual std::optional<std::string> ReadObject(const std::string& path);

 private:
  // The size of the picture at `url` from its header, without decoding it.
  QSize ImageSize(const QUrl& url);

  ChmFile* file_ = nullptr;
  qint64 pixels_left_ = 0;  // of the shown page's picture budget
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
