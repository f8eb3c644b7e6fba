#pragma once
// Scales a fixed-layout form with its window. Every control keeps the
// geometry and font size it was designed with; each rescale recomputes them
// from those, so that no rounding ever accumulates and the design size gives
// back the design exactly.

#include <QFont>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QWidget>

namespace quillmere {

class DesignScaler {
 public:
  // Records the current geometry and font of each control as its design.
  void Record(const QList<QWidget*>& controls);

  // Places every control at its design geometry times (sx, sy) and sets its
  // font to the design pixel size times min(sx, sy), rounded down, so that
  // text grows no faster than the narrower side of its control. Edges are
  // rounded one by one, so neighbours that touch at design still touch.
  void Apply(double sx, double sy);

  static QRect Scaled(const QRect& design, double sx, double sy);
  static int ScaledPixelSize(int design_px, double sx, double sy);

 private:
  struct Control {
    QPointer<QWidget> widget;
    QRect geometry;
    QFont font;
  };
  QList<Control> controls_;
};

}  // namespace quillmere
