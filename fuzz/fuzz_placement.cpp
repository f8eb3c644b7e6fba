// Fuzz target: any bytes as the window placement file QuillmereS.ini, read
// by ReadPlacement as the main window reads it when it is first shown, on
// Qt's offscreen platform (one 800 x 600 screen).
//
// Beside the sanitizers' faults (a signed overflow in the rectangle
// arithmetic among them) it stops on a placement that is neither the default
// 10, 10, 500 x 500 nor one that shows at least a grip of the window
// (100 x 50 pixels) on a screen.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "placement.h"

namespace {

[[noreturn]] void Fail(const char* what, const QRect& r) {
  std::fprintf(stderr, "fuzz_placement: %s: left %d top %d width %d height %d\n", what, r.x(),
               r.y(), r.width(), r.height());
  std::fflush(stderr);
  __builtin_trap();
}

// The part of r on the screens, as 64-bit edges so that judging a forged
// placement cannot overflow here.
bool ShowsAGrip(const QRect& r) {
  const long long left = r.x(), top = r.y();
  const long long right = left + r.width(), bottom = top + r.height();
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect s = screen->availableGeometry();
    const long long w = std::min<long long>(right, s.x() + static_cast<long long>(s.width())) -
                        std::max<long long>(left, s.x());
    const long long h = std::min<long long>(bottom, s.y() + static_cast<long long>(s.height())) -
                        std::max<long long>(top, s.y());
    if (w >= 100 && h >= 50) return true;
  }
  return false;
}

// Removed with its files when the run ends.
QTemporaryDir& Folder() {
  static QTemporaryDir folder(QDir::tempPath() + "/quillmere-fuzz-XXXXXX");
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // One application for the whole run, on the offscreen platform; the
  // screens are what the placement is judged against.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "fuzz_placement";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* app = new QGuiApplication(argc, argv);
  (void)app;
  if (!Folder().isValid()) {
    std::fprintf(stderr, "fuzz_placement: no temporary folder\n");
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A new name for every input, so that no input reads the file of another.
  static unsigned long serial = 0;
  const QString path = Folder().filePath(QStringLiteral("QuillmereS-%1.ini").arg(serial++));
  {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
  }
  const QRect r = quillmere::ReadPlacement(QFile::encodeName(path).toStdString());
  QFile::remove(path);

  if (r == quillmere::kDefaultPlacement) return 0;
  if (r.width() < 100 || r.height() < 50) Fail("a placement too small to grab", r);
  if (!ShowsAGrip(r)) Fail("a placement off every screen", r);
  return 0;
}
