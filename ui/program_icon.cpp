#include "program_icon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The resource lives in a static library: it is pulled in by name, as
// nothing else refers to it.
static void InitIconResource() {
  Q_INIT_RESOURCE(quillmere);
}

namespace quillmere {

QIcon ProgramIcon() {
  // Drawn here rather than left to Qt's SVG icon engine, which is a plugin
  // that may be missing where the program runs.
  static const QIcon icon = [] {
    InitIconResource();
    QIcon drawn;
    QSvgRenderer svg(QStringLiteral(":/quillmere/quillmere.svg"));
    if (!svg.isValid()) return drawn;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
      QPixmap pixmap(size, size);
      pixmap.fill(Qt::transparent);
      QPainter painter(&pixmap);
      svg.render(&painter);
      painter.end();
      drawn.addPixmap(pixmap);
    }
    return drawn;
  }();
  return icon;
}

}  // namespace quillmere
