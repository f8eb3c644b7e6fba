#include "program_icon.h"

#include <QImage>
#include <QPixmap>

#include "program_icon_pixels.h"

namespace quillmere {

QIcon ProgramIcon() {
  // Rendered when the program was built: the first window shows the icon
  // without an SVG renderer or an image decoder loaded.
  static const QIcon icon = [] {
    QIcon drawn;
    for (int i = 0; i < kProgramIconPixelsCount; ++i) {
      const IconPixels& pixels = kProgramIconPixels[i];
      const QImage image(pixels.rgba, pixels.size, pixels.size, pixels.size * 4,
                         QImage::Format_RGBA8888_Premultiplied);
      drawn.addPixmap(QPixmap::fromImage(image));
    }
    return drawn;
  }();
  return icon;
}

}  // namespace quillmere
