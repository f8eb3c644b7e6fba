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
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
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
  int max_elements = 20000;  // elements in the page, and line ends apart
  // List items, table rows and cells; one counts 2^(n-1) inside n tables.
  int max_items = 1000;
  qsizetype max_paragraph = 16 << 10;  // characters of text in one paragraph
  // Pictures in the page: Qt's reader takes time in the square of the
  // pictures in one paragraph (3000: half a second), whatever their size.
  int max_images = 1000;
  // The layout's work in tables, as Qt's reader built them: each cell, and
  // each paragraph and 32 characters of it, counts 2^(n-1) inside n nested
  // tables, as Qt lays a nested table out again on every pass over the
  // table around it. Measured with Qt 6.4, one count costs some 12 to 25 us
  // (cells 8 tables deep: 3 ms each; 16 000 characters there: 0.9 s); the
  // bound keeps the tables of a page to about a tenth of a second, and
  // leaves room for some 1000 cells of text, what max_items lets through.
  qint64 max_table_work = 4000;
};

// What Qt's HTML reader builds of a page (without laying it out).
struct HelpPageStructure {
  int tables_nested = 0;        // the most tables one inside another
  int blocks = 0;               // paragraphs, in cells too
  qsizetype longest_block = 0;  // characters
  qint64 table_work = 0;        // as HelpPageLimits::max_table_work counts it
};

// Reads `html` as the text browser would, style sheets from `style_sheet`
// (by the address the page gives), and measures what it built.
HelpPageStructure MeasureHelpPage(const QString& html,
                                  const std::function<QString(const QUrl&)>& style_sheet = {});
// Whether the text browser may lay out a page of that structure.
bool WithinLimits(const HelpPageStructure& structure, const HelpPageLimits& limits);

// What CheckHelpPage changed.
struct HelpPageReport {
  int dropped_tags = 0;       // past a bound on nesting or count; their text stays
  bool cut = false;           // the source was longer than max_text
  int dropped_images = 0;     // over the page's pixel budget
  int broken_paragraphs = 0;  // runs of text broken into paragraphs
  int joined_lines = 0;       // line ends past the bound on elements, shown as spaces
  bool refused = false;       // built past the bounds as Qt reads it: only its text is shown
};

// A page fit for the text browser: tags opened deeper than the limit are
// left out (their text stays, flattened), the source is cut at the limit,
// pictures past the page's pixel budget (judged from their headers through
// `image_size`, and from the width and height the page declares) or past
// its count are left out, and a very long run of text is broken into
// paragraphs. Every tag is written afresh (name="value"), so that Qt reads
// the tags the check read. Then the page is read as Qt reads it (style
// sheets through `style_sheet`) and a page whose structure is still past
// the bounds is refused: only its text is shown. Every change leaves a
// visible note in the page. `image_size` gives a picture's size by its src,
// or an invalid size when it has none.
QString CheckHelpPage(const QString& html, const std::function<QSize(const QString&)>& image_size,
                      const HelpPageLimits& limits = {}, HelpPageReport* report = nullptr,
                      const std::function<QString(const QUrl&)>& style_sheet = {});

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
  // The object at `path` for the shown page: read once for the page's life,
  // its bytes or its failure remembered, as a page may name one picture in
  // many tags and the layout asks for it again at each pass; past the
  // page's budget of bytes read, a failure.
  const std::optional<std::string>& PageObject(const std::string& path);

  // The most bytes one page reads out of the help file, its pictures and
  // style sheets included: far beyond any real page, short enough that a
  // forged file cannot keep the window inflating for long.
  static constexpr std::uint64_t kMaxPageBytes = 64ull << 20;

  ChmFile* file_ = nullptr;
  qint64 pixels_left_ = 0;  // of the shown page's picture budget
  std::map<std::string, std::optional<std::string>> page_objects_;
  std::uint64_t page_bytes_ = 0;  // read for the shown page so far
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
