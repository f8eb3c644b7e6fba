// Fuzz target: any bytes as a page of the help file, checked and shown by
// the help window's page view (QTextBrowser) on Qt's offscreen platform,
// laid out and drawn, as a reader opening it would see it. The page may
// name pictures: "a.png" (8 x 8), "big.png" (a header of 6000 x 6000) and
// "bad.png" (a header and nothing after it).
//
// Beside the sanitizers' faults it stops on a check that breaks its own
// bounds: a page that comes back longer than its limit allows, a cut that
// is not reported, or a checked page that Qt's reader builds past the
// bounds (tables, paragraphs, the work of laying out tables).

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QTextDocument>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "help_viewer.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_help_page: %s\n", what);
  std::fflush(stderr);
  __builtin_trap();
}

std::string Png(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

class PageBrowser : public quillmere::HelpBrowser {
 public:
  std::map<std::string, std::string> objects;

 protected:
  std::optional<std::string> ReadObject(const std::string& path) override {
    const auto it = objects.find(path);
    if (it == objects.end()) return std::nullopt;
    return it->second;
  }
};

PageBrowser& Browser() {
  static int argc = 1;
  static char name[] = "fuzz_help_page";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  (void)app;
  static PageBrowser* browser = [] {
    auto* b = new PageBrowser;
    b->resize(640, 480);
    b->objects["/a.png"] = Png(8, 8);
    // A real picture of 6000 x 6000 would make every run slow; its header
    // is what the check judges, and the decoder then finds no data.
    std::string big = Png(8, 8);
    big[16] = big[17] = 0, big[18] = char(0x17), big[19] = char(0x70);
    big[20] = big[21] = 0, big[22] = char(0x17), big[23] = char(0x70);
    b->objects["/big.png"] = big;
    b->objects["/bad.png"] = Png(8, 8).substr(0, 40);
    b->show();
    return b;
  }();
  return *browser;
}

}  // namespace

// fontconfig keeps what it reads of the system's fonts for the life of the
// process, partly unreachable: not a fault of the page view.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The application, the fonts and the browser before the first input.
  Browser();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  // The check alone, with tight bounds, so that short inputs reach them.
  quillmere::HelpPageLimits tight;
  tight.max_depth = 6;
  tight.max_text = 512;
  tight.max_pixels = 1000;
  tight.max_tables = 2;
  tight.max_elements = 40;
  tight.max_items = 8;
  tight.max_paragraph = 64;
  tight.max_images = 3;
  tight.max_table_work = 64;
  quillmere::HelpPageReport report;
  const QString page = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
  const QString checked = quillmere::CheckHelpPage(
      page, [](const QString& src) { return src.size() % 3 == 0 ? QSize(30, 40) : QSize(); }, tight,
      &report);
  // The source is cut at its bound. What the check adds is bounded by it:
  // "&lt;" for a stray "<", a closing tag for each open one, a paragraph
  // for each break, the notes.
  const qsizetype kept = std::min(page.size(), tight.max_text);
  if (checked.size() > 4 * kept + 4 * report.broken_paragraphs + 1024) {
    Fail("a checked page longer than its bound");
  }
  if (report.cut != (page.size() > tight.max_text)) Fail("a cut not reported, or one reported");
  // What Qt's reader builds of the checked page keeps to the bounds.
  if (!quillmere::WithinLimits(quillmere::MeasureHelpPage(checked), tight)) {
    Fail("a checked page that Qt builds past its bounds");
  }

  // The page as the help window shows it, at the program's own bounds.
  PageBrowser& browser = Browser();
  browser.objects["/page.html"] = bytes;
  browser.clearHistory();
  browser.setSource(QUrl(QStringLiteral("chm:/page.html")));
  browser.document()->size();
  browser.grab();
  browser.setSource(QUrl(QStringLiteral("chm:/a.png")));
  return 0;
}
