#include "design_scaler.h"

#include <algorithm>
#include <cmath>

namespace quillmere {

void DesignScaler::Record(const QList<QWidget*>& controls) {
  controls_.clear();
  controls_.reserve(controls.size());
  for (QWidget* w : controls) controls_.append({w, w->geometry(), w->font()});
}

QRect DesignScaler::Scaled(const QRect& design, double sx, double sy) {
  const int left = int(std::lround(design.x() * sx));
  const int top = int(std::lround(design.y() * sy));
  const int right = int(std::lround((design.x() + design.width()) * sx));
  const int bottom = int(std::lround((design.y() + design.height()) * sy));
  return QRect(left, top, right - left, bottom - top);
}

int DesignScaler::ScaledPixelSize(int design_px, double sx, double sy) {
  // Rounded down: a font that grew faster than its control would cut off
  // text that fits at the design size. The small allowance keeps an exact
  // product (11 x 1.5 = 16.5, 12 x 1.25 = 15) from falling a step short.
  return std::max(1, int(std::floor(design_px * std::min(sx, sy) + 1e-9)));
}

void DesignScaler::Apply(double sx, double sy) {
  for (const Control& c : controls_) {
    if (!c.widget) continue;
    c.widget->setGeometry(Scaled(c.geometry, sx, sy));
    const int px = ScaledPixelSize(c.font.pixelSize(), sx, sy);
    if (c.widget->font().pixelSize() != px) {
      QFont f = c.font;
      f.setPixelSize(px);
      c.widget->setFont(f);
    }
  }
}

}  // namespace quillmere
