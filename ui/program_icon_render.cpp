// Build step: renders the program's SVG icon at the sizes desktops ask for
// and writes them as a C++ source of pixel arrays (program_icon_pixels.h).
//
//   quillmere-render-icon ICON.svg OUT.cpp
//
// Exit status: 0 written; 1 the icon could not be read or the source not
// written; 2 wrong arguments.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <iterator>
#include <string>

#include "safe_write.h"

namespace {

// The sizes title bars, task bars and window lists draw a window's own icon
// at. Larger ones are not sent with every window: launchers and switchers
// that want them take the installed theme's scalable icon, and the X server
// would otherwise be sent a quarter of a megabyte of pixels at every start.
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: quillmere-render-icon ICON.svg OUT.cpp\n", stderr);
    return 2;
  }
  // Rendering needs no screen.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
  if (!svg.isValid()) {
    std::fprintf(stderr, "quillmere-render-icon: cannot read the icon %s\n", argv[1]);
    return 1;
  }
  std::string out;
  out +=
      "// Written by quillmere-render-icon from the program's SVG icon.\n"
      "#include \"program_icon_pixels.h\"\n\nnamespace quillmere {\nnamespace {\n";
  for (const int size : kSizes) {
    QImage image(size, size, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    svg.render(&painter);
    painter.end();
    out += "alignas(4) const unsigned char kIcon" + std::to_string(size) + "[] = {";
    for (int y = 0; y < size; ++y) {
      const uchar* row = image.constScanLine(y);
      out += '\n';
      for (int i = 0; i < size * 4; ++i) out += std::to_string(int(row[i])) + ',';
    }
    out += "};\n";
  }
  out += "}  // namespace\n\nconst IconPixels kProgramIconPixels[] = {\n";
  for (const int size : kSizes)
    out += "    {" + std::to_string(size) + ", kIcon" + std::to_string(size) + "},\n";
  out += "};\nconst int kProgramIconPixelsCount = " + std::to_string(std::size(kSizes)) +
         ";\n\n}  // namespace quillmere\n";
  const quillmere::SaveOutcome saved = quillmere::ReplaceFileContents(argv[2], out);
  if (!saved.ok()) {
    std::fprintf(stderr, "quillmere-render-icon: %s\n", saved.message.c_str());
    return 1;
  }
  return 0;
}
