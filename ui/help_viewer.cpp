#include "help_viewer.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "chm_file.h"

namespace quillmere {
namespace {

QString FromUtf8(const std::string& s) {
  return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// The object path a browser address names, as the lookup key of the
// contents: decoded, lower case (HTML Help's paths ignore case).
QString PageKey(const QUrl& url) {
  return url.path(QUrl::FullyDecoded).toLower();
}

QString NotFoundPage(const QString& path) {
  return QStringLiteral(
             "<html><body><h2>Page not found</h2><p>The help file has no page "
             "<b>%1</b>.</p></body></html>")
      .arg(path.toHtmlEscaped());
}

}  // namespace

// ---------------------------------------------------------------------------
// The page check

namespace {

bool IsVoidElement(const QString& name) {
  static const QStringList kVoid = {
      QStringLiteral("br"),     QStringLiteral("img"),      QStringLiteral("hr"),
      QStringLiteral("meta"),   QStringLiteral("link"),     QStringLiteral("input"),
      QStringLiteral("area"),   QStringLiteral("base"),     QStringLiteral("col"),
      QStringLiteral("param"),  QStringLiteral("wbr"),      QStringLiteral("embed"),
      QStringLiteral("source"), QStringLiteral("basefont"), QStringLiteral("frame")};
  return kVoid.contains(name);
}

// Elements that Qt's HTML reader closes when the same one opens again
// ("<li>one<li>two"), so that they do not nest.
bool ClosesItself(const QString& name) {
  static const QStringList kSelf = {
      QStringLiteral("p"),  QStringLiteral("li"), QStringLiteral("dt"), QStringLiteral("dd"),
      QStringLiteral("tr"), QStringLiteral("td"), QStringLiteral("th"), QStringLiteral("option")};
  return kSelf.contains(name);
}

// Elements whose start or end starts a new paragraph in Qt's document;
// text on either side of any other tag (<b>, <a>, <span>) stays in one.
bool StartsParagraph(const QString& name) {
  static const QStringList kBlocks = {
      QStringLiteral("p"),     QStringLiteral("div"), QStringLiteral("li"),
      QStringLiteral("td"),    QStringLiteral("th"),  QStringLiteral("tr"),
      QStringLiteral("table"), QStringLiteral("h1"),  QStringLiteral("h2"),
      QStringLiteral("h3"),    QStringLiteral("h4"),  QStringLiteral("h5"),
      QStringLiteral("h6"),    QStringLiteral("pre"), QStringLiteral("blockquote"),
      QStringLiteral("ul"),    QStringLiteral("ol"),  QStringLiteral("dl"),
      QStringLiteral("dt"),    QStringLiteral("dd"),  QStringLiteral("body"),
      QStringLiteral("html")};
  return kBlocks.contains(name);
}

bool IsTablePart(const QString& name) {
  static const QStringList kParts = {QStringLiteral("tr"),     QStringLiteral("td"),
                                     QStringLiteral("th"),     QStringLiteral("thead"),
                                     QStringLiteral("tbody"),  QStringLiteral("tfoot"),
                                     QStringLiteral("caption")};
  return kParts.contains(name);
}

// One tag as read from the source.
struct ScannedTag {
  QString name;  // lower case, without "/"
  bool closing = false;
  bool self_closing = false;
  qsizetype end = 0;  // just past its ">"
};

// Reads the tag at `lt`; false when no ">" ends it. A quote opens a value
// only after "=", as in HTML.
bool ScanTag(const QString& html, qsizetype lt, ScannedTag& tag) {
  const qsizetype n = html.size();
  qsizetype k = lt + 1;
  tag = ScannedTag{};
  if (k < n && html[k] == u'/') {
    tag.closing = true;
    ++k;
  }
  const qsizetype name_start = k;
  while (k < n && (html[k].isLetterOrNumber() || html[k] == u'-' || html[k] == u':')) ++k;
  tag.name = html.mid(name_start, k - name_start).toLower();
  bool after_equals = false;
  while (k < n) {
    const QChar c = html[k];
    if (c == u'>') {
      tag.end = k + 1;
      tag.self_closing = k > lt + 1 && html[k - 1] == u'/';
      return true;
    }
    if ((c == u'"' || c == u'\'') && after_equals) {
      const qsizetype close = html.indexOf(c, k + 1);
      if (close < 0) return false;
      k = close + 1;
      after_equals = false;
      continue;
    }
    if (c == u'=') {
      after_equals = true;
    } else if (!c.isSpace()) {
      after_equals = false;
    }
    ++k;
  }
  return false;
}

// Calls `take(name, value, has_value)` for each attribute of the tag text,
// read as ScanTag reads it: a quote opens a value only after "=".
template <typename Take>
void ForEachAttribute(QStringView tag, Take take) {
  qsizetype k = 1;
  const qsizetype n = tag.size();
  while (k < n && !tag[k].isSpace()) ++k;  // the name
  while (k < n) {
    while (k < n && (tag[k].isSpace() || tag[k] == u'/')) ++k;
    const qsizetype name_start = k;
    while (k < n && !tag[k].isSpace() && tag[k] != u'=' && tag[k] != u'>') ++k;
    const QStringView name = tag.mid(name_start, k - name_start);
    if (k == name_start) ++k;
    while (k < n && tag[k].isSpace()) ++k;
    if (k >= n || tag[k] != u'=') {
      if (!name.isEmpty()) take(name, QStringView(), false);
      continue;
    }
    ++k;
    while (k < n && tag[k].isSpace()) ++k;
    QStringView value;
    if (k < n && (tag[k] == u'"' || tag[k] == u'\'')) {
      const QChar quote = tag[k++];
      qsizetype close = tag.indexOf(quote, k);
      if (close < 0) close = n;
      value = tag.mid(k, close - k);
      k = close + 1;
    } else {
      const qsizetype start = k;
      while (k < n && !tag[k].isSpace() && tag[k] != u'>') ++k;
      value = tag.mid(start, k - start);
    }
    take(name, value, true);
  }
}

// The value of attribute `key` in the tag text, or a null string.
QString Attribute(QStringView tag, QStringView key) {
  QString found;
  bool seen = false;
  ForEachAttribute(tag, [&](QStringView name, QStringView value, bool has_value) {
    if (!seen && has_value && name.compare(key, Qt::CaseInsensitive) == 0) {
      found = value.toString();
      seen = true;
    }
  });
  return found;
}

bool IsNameChar(QChar c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'-' || c == u'_' || c == u':' || c == u'.';
}

// The tag written afresh from what was read of it: its name, each attribute
// with a plain name as name="value", where the value keeps its entities but
// no quote or angle bracket of its own. Qt's HTML reader then reads exactly
// the tags and values the check read, however oddly the source quoted them.
// `slash` writes it as <name />, the form in which Qt keeps any element
// empty, also one it does not know to be empty (<embed>, <source>), which it
// would otherwise hold open around the rest of the page.
QString RewrittenTag(QStringView source, const ScannedTag& tag, bool slash) {
  if (tag.closing) return QLatin1String("</") + tag.name + u'>';
  QString out = u'<' + tag.name;
  ForEachAttribute(source, [&](QStringView name, QStringView value, bool has_value) {
    if (!std::all_of(name.begin(), name.end(), IsNameChar)) return;
    out += u' ';
    out += name;
    if (!has_value) return;
    out += QLatin1String("=\"");
    for (const QChar c : value) {
      if (c == u'"') {
        out += QLatin1String("&quot;");
      } else if (c == u'<') {
        out += QLatin1String("&lt;");
      } else if (c == u'>') {
        out += QLatin1String("&gt;");
      } else {
        out += c;
      }
    }
    out += u'"';
  });
  out += slash ? QLatin1String(" />") : QLatin1String(">");
  return out;
}

// A length the page declares in pixels ("120", "120px"); 0 for none or a
// percentage.
qint64 DeclaredPixels(const QString& value) {
  QString v = value.trimmed();
  if (v.endsWith(QLatin1String("px"), Qt::CaseInsensitive)) v.chop(2);
  bool ok = false;
  const double d = v.toDouble(&ok);
  if (!ok || !(d > 0)) return 0;
  return d > 1e9 ? qint64(1e9) : qint64(d);
}

QString Note(const QString& text) {
  return QStringLiteral("<p style=\"color: #8b0000\"><i>[%1]</i></p>").arg(text.toHtmlEscaped());
}

// The page's markup, bounded as far as its source shows: everything the
// check leaves of it, written so that Qt's reader reads the same tags.
QString BoundMarkup(const QString& html, const std::function<QSize(const QString&)>& image_size,
                    const HelpPageLimits& limits, HelpPageReport& r) {
  QString out;
  out.reserve(std::min(html.size(), limits.max_text) + 1024);
  QStringList open;  // elements open now, outermost first
  qint64 pixels = 0;
  qsizetype run = 0;  // characters of text in the paragraph now
  int elements = 0, items = 0, images = 0, lines = 0;
  const qsizetype end = std::min(html.size(), limits.max_text);
  r.cut = html.size() > limits.max_text;

  const auto text = [&](qsizetype from, qsizetype to) {
    // Qt breaks a paragraph into lines over its whole length each time it
    // lays it out; a run of megabytes without a tag is given breaks.
    while (from < to) {
      const qsizetype take = std::min(to - from, limits.max_paragraph - run);
      for (const QChar c : QStringView(html).mid(from, take)) {
        if (c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator) {
          // Preformatted text (<pre>, or white-space: pre from a style
          // sheet) starts a paragraph at each line end: as many line ends
          // as elements are kept, the rest are shown as spaces.
          if (++lines > limits.max_elements) {
            ++r.joined_lines;
            out += u' ';
            continue;
          }
        } else if (c == QChar(0xFDD0) || c == QChar(0xFDD1)) {
          // The marks Qt's document keeps for the start and end of a frame.
          out += QChar::ReplacementCharacter;
          continue;
        }
        out += c;
      }
      from += take;
      run += take;
      if (run >= limits.max_paragraph) {
        // A new block: a line break would stay in the same paragraph.
        if (open.isEmpty() || open.last() != QLatin1String("p")) {
          if (open.size() >= limits.max_depth) {
            run = 0;  // no room for it; the text runs on
            continue;
          }
          open.append(QStringLiteral("p"));
        }
        out += QLatin1String("<p>");
        ++r.broken_paragraphs;
        run = 0;
      }
    }
  };

  qsizetype i = 0;
  while (i < end) {
    const qsizetype lt = html.indexOf(u'<', i);
    if (lt < 0 || lt >= end) {
      text(i, end);
      break;
    }
    text(i, lt);
    i = lt;
    if (QStringView(html).mid(lt, 4) == QLatin1String("<!--")) {
      const qsizetype close = html.indexOf(QLatin1String("-->"), lt + 4);
      i = close < 0 || close + 3 > end ? end : close + 3;
      continue;  // comments are dropped: nothing of them is shown
    }
    ScannedTag tag;
    if (!ScanTag(html, lt, tag) || tag.end > end) {
      // A "<" that starts no tag is shown as it stands, and read as text.
      out += QLatin1String("&lt;");
      ++run;
      i = lt + 1;
      continue;
    }
    i = tag.end;
    const QStringView source = QStringView(html).mid(lt, tag.end - lt);
    if (tag.name.isEmpty()) continue;  // <!DOCTYPE ...>, <?xml ...?>: nothing to show
    if (tag.closing) {
      const qsizetype at = open.lastIndexOf(tag.name);
      if (at < 0) continue;  // closes nothing that is open: dropped
      open.resize(at);
      out += RewrittenTag(source, tag, false);
      if (StartsParagraph(tag.name)) run = 0;
      continue;
    }
    if (++elements > limits.max_elements) {
      ++r.dropped_tags;
      continue;
    }
    if (tag.name == QLatin1String("img")) {
      const QString src = Attribute(source, u"src");
      const QSize real = src.isEmpty() ? QSize() : image_size(src);
      qint64 w = DeclaredPixels(Attribute(source, u"width"));
      qint64 h = DeclaredPixels(Attribute(source, u"height"));
      if (real.isValid() && !real.isEmpty()) {
        // One declared side scales the other, as the browser draws it.
        if (w == 0 && h == 0) {
          w = real.width(), h = real.height();
        } else if (w == 0) {
          w = h * real.width() / real.height();
        } else if (h == 0) {
          h = w * real.height() / real.width();
        }
      }
      const qint64 decoded = real.isValid() ? qint64(real.width()) * real.height() : 0;
      const qint64 cost = std::max(decoded, w * h);
      if (cost > limits.max_pixels - pixels || ++images > limits.max_images) {
        ++r.dropped_images;
        out += QStringLiteral("<i>[picture left out: too large to show]</i>");
        continue;
      }
      pixels += cost;
      out += RewrittenTag(source, tag, true);
      continue;
    }
    if (IsVoidElement(tag.name) || tag.self_closing) {
      out += RewrittenTag(source, tag, true);
      continue;
    }
    if (tag.name == QLatin1String("style") || tag.name == QLatin1String("script") ||
        tag.name == QLatin1String("title")) {
      // Their content is not markup: copied to their end tag.
      const qsizetype close = html.indexOf(QLatin1String("</") + tag.name, i, Qt::CaseInsensitive);
      const qsizetype stop = close < 0 || close > end ? end : close;
      out += RewrittenTag(source, tag, false);
      // Not one "<" in it that Qt could take for the end of the element.
      out += QStringView(html).mid(i, stop - i).toString().replace(u'<', QLatin1String("&lt;"));
      i = stop;
      open.append(tag.name);
      continue;
    }
    if (tag.name == QLatin1String("li") || tag.name == QLatin1String("tr") ||
        tag.name == QLatin1String("td") || tag.name == QLatin1String("th")) {
      // Qt lays a nested table out again for every pass over the table
      // around it: an item costs twice as much one table further in.
      const qsizetype tables = open.count(QStringLiteral("table"));
      const int cost = tables > 1 ? 1 << std::min<qsizetype>(tables - 1, 20) : 1;
      if (cost > limits.max_items - items) {
        ++r.dropped_tags;
        continue;
      }
      items += cost;
    }
    const bool cell = tag.name == QLatin1String("td") || tag.name == QLatin1String("th");
    if (cell || tag.name == QLatin1String("tr")) {
      // A new cell or row ends the cell before it, as in HTML.
      while (!open.isEmpty() &&
             (open.last() == QLatin1String("td") || open.last() == QLatin1String("th"))) {
        open.removeLast();
      }
    }
    if (ClosesItself(tag.name) && !open.isEmpty() && open.last() == tag.name) open.removeLast();
    if (IsTablePart(tag.name) &&
        open.count(QStringLiteral("table")) <=
            open.count(QStringLiteral("td")) + open.count(QStringLiteral("th"))) {
      // A row or cell of a table that was left out (or of none): Qt would
      // hang it on the table further out, as rows without end.
      ++r.dropped_tags;
      continue;
    }
    if (open.size() >= limits.max_depth ||
        (tag.name == QLatin1String("table") &&
         open.count(QStringLiteral("table")) >= limits.max_tables)) {
      ++r.dropped_tags;
      continue;
    }
    open.append(tag.name);
    out += RewrittenTag(source, tag, false);
    if (StartsParagraph(tag.name)) run = 0;
  }

  const bool changed = r.cut || r.dropped_tags > 0 || r.dropped_images > 0 || r.joined_lines > 0;
  if (!changed) return out;
  // The notes go after everything still open is closed, so that they show
  // at the top level, whatever the page left open.
  for (qsizetype k = open.size(); k-- > 0;) out += QLatin1String("</") + open[k] + u'>';
  if (r.cut) {
    out += Note(QStringLiteral("This page is longer than the help window shows; "
                               "it is cut after %1 characters.")
                    .arg(limits.max_text));
  }
  if (r.dropped_tags > 0) {
    out += Note(QStringLiteral("This page nests too deep or holds too many elements "
                               "to show whole; %1 of its tags are left out and what they "
                               "held is shown flattened.")
                    .arg(r.dropped_tags));
  }
  if (r.dropped_images > 0) {
    out += Note(QStringLiteral("%1 picture(s) of this page are left out: a page shows at most "
                               "%2 pictures, of %3 million pixels together.")
                    .arg(r.dropped_images)
                    .arg(limits.max_images)
                    .arg(limits.max_pixels / 1000000));
  }
  if (r.joined_lines > 0) {
    out += Note(QStringLiteral("This page has too many lines to show; %1 of its line ends "
                               "are shown as spaces.")
                    .arg(r.joined_lines));
  }
  return out;
}

// A document that only reads a page: style sheets come from `style_sheet`,
// as they shape what the reader builds (display, white-space); pictures are
// not fetched, as they change no structure.
class PageDocument : public QTextDocument {
 public:
  explicit PageDocument(const std::function<QString(const QUrl&)>& style_sheet)
      : style_sheet_(style_sheet) {}

 protected:
  QVariant loadResource(int type, const QUrl& name) override {
    if (type == QTextDocument::StyleSheetResource && style_sheet_) return style_sheet_(name);
    return {};
  }

 private:
  const std::function<QString(const QUrl&)>& style_sheet_;
};

// What a paragraph or cell inside `tables` nested tables costs the layout:
// Qt lays a table's cells out again on each pass over the table around it
// (to find its narrowest and its widest form, then at the width it gets),
// so each table further in doubles it.
qint64 TableWeight(int tables) {
  return tables < 1 ? 0 : qint64(1) << std::min(tables - 1, 40);
}

// sum += weight * count, held at the largest count rather than wrapping.
void AddWork(qint64& sum, qint64 weight, qint64 count) {
  constexpr qint64 kMost = std::numeric_limits<qint64>::max();
  if (weight > 0 && count > 0 && count > (kMost - sum) / weight) {
    sum = kMost;
  } else {
    sum += weight * count;
  }
}

// The refused page: its note and its text as plain paragraphs of at most
// `limits.max_paragraph` characters.
QString PlainPage(const QString& plain, const HelpPageLimits& limits) {
  QString out = Note(
      QStringLiteral("This page is built too deep or too large for the help window to lay out; "
                     "only its text is shown."));
  QString text = plain;
  text.replace(u'\n', u' ');
  for (qsizetype at = 0; at < text.size(); at += limits.max_paragraph) {
    out += QLatin1String("<p>") + text.mid(at, limits.max_paragraph).toHtmlEscaped() +
           QLatin1String("</p>");
  }
  return out;
}

}  // namespace

HelpPageStructure MeasureHelpPage(const QString& html,
                                  const std::function<QString(const QUrl&)>& style_sheet) {
  PageDocument doc(style_sheet);
  // Read only: a document without a view lays nothing out until its size
  // or its layout is asked for, and neither is here.
  doc.setHtml(html);
  HelpPageStructure s;
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    ++s.blocks;
    s.longest_block = std::max<qsizetype>(s.longest_block, block.length());
    int tables = 0;
    for (QTextFrame* f = doc.frameAt(block.position()); f != nullptr; f = f->parentFrame()) {
      if (qobject_cast<QTextTable*>(f) != nullptr) ++tables;
    }
    // Each line of a paragraph is broken again on each pass: a paragraph
    // costs about as much as an empty cell per 32 characters of it.
    AddWork(s.table_work, TableWeight(tables), 1 + block.length() / 32);
  }
  // Every cell of the grid, also the ones a short row leaves empty.
  std::vector<std::pair<QTextFrame*, int>> frames = {{doc.rootFrame(), 0}};
  while (!frames.empty()) {
    auto [frame, tables] = frames.back();
    frames.pop_back();
    if (const auto* table = qobject_cast<QTextTable*>(frame)) {
      ++tables;
      s.tables_nested = std::max(s.tables_nested, tables);
      AddWork(s.table_work, TableWeight(tables), qint64(table->rows()) * table->columns());
    }
    for (QTextFrame* child : frame->childFrames()) frames.emplace_back(child, tables);
  }
  return s;
}

bool WithinLimits(const HelpPageStructure& s, const HelpPageLimits& limits) {
  // Paragraphs are at most the elements, the line ends, the breaks of long
  // text and the notes; a note is one paragraph of up to 256 characters. A
  // longer one, or more of them, are what the markup check did not see as
  // Qt reads it.
  const qsizetype breaks = limits.max_text / limits.max_paragraph + 16;
  return s.tables_nested <= limits.max_tables && s.table_work <= limits.max_table_work &&
         s.blocks <= 2 * qsizetype(limits.max_elements) + breaks &&
         s.longest_block <= std::max<qsizetype>(limits.max_paragraph + 1, 256);
}

QString CheckHelpPage(const QString& html, const std::function<QSize(const QString&)>& image_size,
                      const HelpPageLimits& limits, HelpPageReport* report,
                      const std::function<QString(const QUrl&)>& style_sheet) {
  HelpPageReport local;
  HelpPageReport& r = report ? *report : local;
  r = {};
  const QString markup = BoundMarkup(html, image_size, limits, r);
  // The layout's cost follows what Qt's reader builds, so that is what is
  // judged, on a document of its own that is never laid out. The markup
  // bounds above keep that reading itself short: Qt's reader takes time in
  // the square of the nesting depth and of the pictures in a paragraph.
  if (WithinLimits(MeasureHelpPage(markup, style_sheet), limits)) return markup;
  r.refused = true;
  PageDocument doc(style_sheet);
  doc.setHtml(markup);
  return PlainPage(doc.toPlainText(), limits);
}

// ---------------------------------------------------------------------------
// HelpBrowser

HelpBrowser::HelpBrowser(QWidget* parent) : QTextBrowser(parent) {
  // Links are followed by the help window itself: pages of the file here,
  // web addresses in the desktop's browser, anything else not at all.
  setOpenLinks(false);
  setOpenExternalLinks(false);
}

QUrl HelpBrowser::PageUrl(const QString& local) {
  QString path = local.trimmed();
  // HTML Help's own addresses of a page in a help file:
  // "ms-its:file.chm::/page.html", "mk:@MSITStore:file.chm::/page.html".
  const qsizetype separator = path.indexOf(QStringLiteral("::"));
  if (separator >= 0 && (path.startsWith(QStringLiteral("ms-its:"), Qt::CaseInsensitive) ||
                         path.startsWith(QStringLiteral("mk:@MSITStore:"), Qt::CaseInsensitive) ||
                         path.startsWith(QStringLiteral("its:"), Qt::CaseInsensitive))) {
    path = path.mid(separator + 2);
  }
  QString fragment;
  const qsizetype hash = path.indexOf(u'#');
  if (hash >= 0) {
    fragment = path.mid(hash + 1);
    path.truncate(hash);
  }
  // Contents entries may give the path escaped ("Cloud%20maps.html") or not.
  path = QUrl::fromPercentEncoding(path.toUtf8());
  QUrl url;
  url.setScheme(QString::fromLatin1(kScheme));
  url.setPath(FromUtf8(NormaliseObjectPath(path.toStdString())));
  if (!fragment.isEmpty()) url.setFragment(fragment);
  return url;
}

std::optional<std::string> HelpBrowser::ReadObject(const std::string& path) {
  if (file_ == nullptr) return std::nullopt;
  return file_->Read(path);
}

const std::optional<std::string>& HelpBrowser::PageObject(const std::string& path) {
  const auto known = page_objects_.find(path);
  if (known != page_objects_.end()) return known->second;
  std::optional<std::string> bytes;
  if (page_bytes_ < kMaxPageBytes) {
    bytes = ReadObject(path);
    if (bytes) page_bytes_ += bytes->size();
  }
  return page_objects_.emplace(path, std::move(bytes)).first->second;
}

QSize HelpBrowser::ImageSize(const QUrl& url) {
  if (url.scheme() != QLatin1String(kScheme)) return {};
  const std::optional<std::string>& bytes = PageObject(url.path(QUrl::FullyDecoded).toStdString());
  if (!bytes) return {};
  QByteArray data = QByteArray::fromRawData(bytes->data(), qsizetype(bytes->size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  return QImageReader(&buffer).size();
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
  const QUrl url = name.isRelative() ? source().resolved(name) : name;
  if (url.scheme() != QLatin1String(kScheme)) return {};
  const QString path = url.path(QUrl::FullyDecoded);
  // A new page: its own objects and budget of bytes read.
  const bool page = type == QTextDocument::UnknownResource || type == QTextDocument::HtmlResource;
  if (page) {
    page_objects_.clear();
    page_bytes_ = 0;
  }
  const std::optional<std::string>& bytes = PageObject(path.toStdString());
  switch (type) {
    case QTextDocument::UnknownResource:
    case QTextDocument::HtmlResource: {
      if (!bytes) return NotFoundPage(path);
      // Its own picture budget, and the page checked before the browser
      // reads a tag of it.
      const HelpPageLimits limits;
      pixels_left_ = limits.max_pixels;
      return CheckHelpPage(
          FromUtf8(DecodeHtml(*bytes)),
          [&](const QString& src) { return ImageSize(url.resolved(QUrl(src))); }, limits, nullptr,
          [&](const QUrl& sheet) -> QString {
            const QUrl at = url.resolved(sheet);
            if (at.scheme() != QLatin1String(kScheme)) return {};
            const std::optional<std::string>& css =
                PageObject(at.path(QUrl::FullyDecoded).toStdString());
            return css ? FromUtf8(DecodeText(*css)) : QString();
          });
    }
    case QTextDocument::StyleSheetResource:
      if (!bytes) return {};
      return FromUtf8(DecodeText(*bytes));
    case QTextDocument::ImageResource: {
      if (!bytes) return {};
      // Judged by its header before it is decoded: a picture named only in
      // a style sheet, or one the page check did not see, still keeps to
      // what is left of the page's budget.
      QByteArray data = QByteArray::fromRawData(bytes->data(), qsizetype(bytes->size()));
      QBuffer buffer(&data);
      buffer.open(QIODevice::ReadOnly);
      QImageReader reader(&buffer);
      const QSize size = reader.size();
      const qint64 pixels = size.isValid() ? qint64(size.width()) * size.height() : -1;
      if (pixels < 0 || pixels > pixels_left_) return QImage();
      pixels_left_ -= pixels;
      QImage image;
      if (!reader.read(&image)) return QImage();
      // As a pixmap, the form the text layout draws from: handed a QImage,
      // Qt converts it whole each time it measures or draws it.
      return QPixmap::fromImage(std::move(image));
    }
    default:
      if (!bytes) return {};
      return QByteArray(bytes->data(), qsizetype(bytes->size()));
  }
}

// ---------------------------------------------------------------------------
// HelpViewer

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("HelpViewer"));
  setWindowTitle(QStringLiteral("Quillmere Help"));
  // An open help window never keeps the program running on its own.
  setAttribute(Qt::WA_QuitOnClose, false);
  // Escape closes the help wherever the focus is in it, as it closes the
  // program's other windows.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, &QWidget::close);

  const auto tool = [this](const QString& name, const QString& text, QStyle::StandardPixmap icon) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setText(text);
    button->setIcon(style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    return button;
  };
  back_ = tool(QStringLiteral("HelpBack"), QStringLiteral("Back"), QStyle::SP_ArrowBack);
  forward_ =
      tool(QStringLiteral("HelpForward"), QStringLiteral("Forward"), QStyle::SP_ArrowForward);
  contents_ =
      tool(QStringLiteral("HelpHome"), QStringLiteral("Contents"), QStyle::SP_FileDialogListView);
  back_->setEnabled(false);
  forward_->setEnabled(false);

  tree_ = new QTreeWidget(this);
  tree_->setObjectName(QStringLiteral("HelpContents"));
  tree_->setHeaderHidden(true);
  tree_->setColumnCount(1);
  tree_->setUniformRowHeights(true);

  browser_ = new HelpBrowser(this);
  browser_->setObjectName(QStringLiteral("HelpPage"));

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->addWidget(tree_);
  splitter->addWidget(browser_);
  splitter->setStretchFactor(0, 0);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({300, 700});
  splitter->setChildrenCollapsible(false);

  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(0, 0, 0, 0);
  bar->setSpacing(2);
  bar->addWidget(contents_);
  bar->addWidget(back_);
  bar->addWidget(forward_);
  bar->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 6);
  layout->setSpacing(4);
  layout->addLayout(bar);
  layout->addWidget(splitter, 1);
  resize(1000, 720);

  connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
  connect(contents_, &QToolButton::clicked, this, &HelpViewer::ShowContents);
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::anchorClicked, this, &HelpViewer::OnLinkClicked);
  connect(browser_, &QTextBrowser::sourceChanged, this, &HelpViewer::OnSourceChanged);
  connect(tree_, &QTreeWidget::currentItemChanged, this, &HelpViewer::ShowEntry);
  connect(tree_, &QTreeWidget::itemClicked, this, &HelpViewer::ShowEntry);
}

HelpViewer::~HelpViewer() {
  // The browser may still ask for resources while it is taken down.
  browser_->SetFile(nullptr);
}

bool HelpViewer::OpenFile(const QString& path) {
  return OpenFile(std::filesystem::path(QFile::encodeName(path).toStdString()));
}

bool HelpViewer::OpenFile(const std::filesystem::path& path) {
  // The name only for showing; the file is opened by its bytes.
  path_ = QFile::decodeName(QByteArray::fromStdString(path.string()));
  message_.clear();
  home_ = QUrl();
  browser_->SetFile(nullptr);
  tree_->clear();
  by_page_.clear();
  file_.reset();

  // HTML Help takes a help file by its extension, in any case.
  if (QFileInfo(path_).suffix().compare(QLatin1String("chm"), Qt::CaseInsensitive) != 0) {
    ShowMessage(QStringLiteral("\"%1\" is not an HTML help file (.chm).").arg(path_));
    return false;
  }
  ChmOpenError error;
  file_ = ChmFile::Open(path, &error);
  if (!file_) {
    ShowMessage(FromUtf8(error.message));
    return false;
  }
  browser_->SetFile(file_.get());
  FillContents();
  if (home_.isEmpty() && !file_->DefaultTopic().empty()) {
    const QUrl topic = HelpBrowser::PageUrl(FromUtf8(file_->DefaultTopic()));
    if (!file_->Resolve(topic.path(QUrl::FullyDecoded).toStdString()).empty()) home_ = topic;
  }
  if (home_.isEmpty()) {
    for (const std::string& object : file_->Objects()) {
      const QString name = FromUtf8(object);
      if (name.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) ||
          name.endsWith(QLatin1String(".html"), Qt::CaseInsensitive)) {
        home_ = HelpBrowser::PageUrl(name);
        break;
      }
    }
  }
  if (home_.isEmpty()) {
    browser_->SetFile(nullptr);
    file_.reset();
    tree_->clear();
    by_page_.clear();
    ShowMessage(QStringLiteral("The help file \"%1\" holds no pages.").arg(path_));
    return false;
  }
  browser_->clearHistory();
  ShowContents();
  return true;
}

void HelpViewer::ShowContents() {
  if (home_.isEmpty()) return;
  // The same address again would not reload: a file opened afresh must be
  // read afresh.
  if (browser_->source() == home_) {
    browser_->reload();
  } else {
    browser_->setSource(home_);
  }
  OnSourceChanged(browser_->source());
}

void HelpViewer::ShowPage(const QString& local) {
  if (file_ == nullptr || local.isEmpty()) return;
  browser_->setSource(HelpBrowser::PageUrl(local));
}

void HelpViewer::ShowMessage(const QString& text) {
  message_ = text;
  browser_->clearHistory();
  browser_->setHtml(
      QStringLiteral("<html><body style=\"font-family: sans-serif\">"
                     "<h2 style=\"color: #8b0000\">The help cannot be shown</h2>"
                     "<p>%1</p>"
                     "<p>Quillmere looks for its help file, <b>%2</b>, in the folder it runs in "
                     "and then in its installed data folder (<i>share/quillmere</i> beside the "
                     "program, or <i>share</i> in the build folder). The build makes the file; "
                     "building or installing the program again puts a good copy there.</p>"
                     "</body></html>")
          .arg(text.toHtmlEscaped(), QString::fromLatin1(kHelpFileName)));
}

void HelpViewer::FillContents() {
  if (file_->ContentsPath().empty()) return;
  const std::optional<std::string> bytes = file_->Read(file_->ContentsPath());
  if (!bytes) return;
  const std::vector<SitemapEntry> entries = ParseSitemap(DecodeHtml(*bytes));

  std::vector<QTreeWidgetItem*> items;
  items.reserve(entries.size());
  for (const SitemapEntry& entry : entries) {
    QTreeWidgetItem* parent = entry.parent >= 0 && std::size_t(entry.parent) < items.size()
                                  ? items[entry.parent]
                                  : nullptr;
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
    const QString local = FromUtf8(entry.local);
    item->setText(0, entry.name.empty() ? local : FromUtf8(entry.name));
    item->setToolTip(0, item->text(0));
    item->setData(0, Qt::UserRole, local);
    if (!local.isEmpty()) {
      const QUrl url = HelpBrowser::PageUrl(local);
      const QString key = PageKey(url);
      if (!by_page_.contains(key)) by_page_.insert(key, item);
      if (home_.isEmpty()) home_ = url;
    }
    items.push_back(item);
  }
  const QIcon book = style()->standardIcon(QStyle::SP_DirIcon);
  const QIcon page = style()->standardIcon(QStyle::SP_FileIcon);
  for (QTreeWidgetItem* item : items) item->setIcon(0, item->childCount() ? book : page);
  tree_->expandAll();
}

void HelpViewer::OnLinkClicked(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  if (scheme == QLatin1String(HelpBrowser::kScheme)) {
    browser_->setSource(url);
  } else if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
             scheme == QLatin1String("mailto")) {
    QDesktopServices::openUrl(url);
  } else if (scheme == QLatin1String("ms-its") || scheme == QLatin1String("mk") ||
             scheme == QLatin1String("its")) {
    ShowPage(url.toString(QUrl::FullyDecoded));
  }
  // Anything else (file:, javascript:, ...) is not followed from the help.
}

void HelpViewer::OnSourceChanged(const QUrl& url) {
  QTreeWidgetItem* item = by_page_.value(PageKey(url), nullptr);
  following_ = true;
  if (item != nullptr) {
    tree_->setCurrentItem(item);
    tree_->scrollToItem(item);
  } else {
    tree_->clearSelection();
  }
  following_ = false;
}

void HelpViewer::ShowEntry(QTreeWidgetItem* entry) {
  if (following_ || entry == nullptr) return;
  const QString local = entry->data(0, Qt::UserRole).toString();
  if (local.isEmpty()) return;
  const QUrl url = HelpBrowser::PageUrl(local);
  if (url != browser_->source()) browser_->setSource(url);
}

void HelpViewerCloser::operator()(HelpViewer* viewer) const {
  if (viewer == nullptr) return;
  viewer->close();
  delete viewer;
}

}  // namespace quillmere
