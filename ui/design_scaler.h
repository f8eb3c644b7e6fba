#pragma once
// Scales a fixed-layout form with its window. Every control keeps the
// geometry, font size and frame width it was designed with; each rescale
// recomputes them from those, so that no rounding ever accumulates and the
// design size gives back the design exactly. What the toolkit draws at a
// fixed size (radio and check indicators, arrows, scroll and slider handles,
// the frames of buttons) follows the same factor through DesignScaleStyle.

#include <QFont>
#include <QList>
#include <QPointer>
#include <QProxyStyle>
#include <QRect>
#include <QWidget>

namespace quillmere {

class DesignScaleStyle;

class DesignScaler {
 public:
  DesignScaler();
  ~DesignScaler();
  DesignScaler(const DesignScaler&) = delete;
  DesignScaler& operator=(const DesignScaler&) = delete;

  // Records the current geometry, font and frame width of each control as
  // its design, and has each control and everything inside it drawn with
  // the scaling style.
  void Record(const QList<QWidget*>& controls);

  // Places every control at its design geometry times (sx, sy) and sets its
  // font to the design pixel size times min(sx, sy), rounded down, so that
  // text grows no faster than the narrower side of its control. Edges are
  // rounded one by one, so neighbours that touch at design still touch.
  // Indicators, arrows, handles and frame widths take min(sx, sy) too, so
  // that on a stretched form they stay the size of their text, centred.
  void Apply(double sx, double sy);

  static QRect Scaled(const QRect& design, double sx, double sy);
  static int ScaledPixelSize(int design_px, double sx, double sy);
  // A design length in pixels at the factor `k`, never below one pixel.
  static int ScaledLength(int design_px, double k);
  // The factor the form applies to `w` (1 outside a scaled form).
  static double ScaleOf(const QWidget* w);

 private:
  struct Control {
    QPointer<QWidget> widget;
    QRect geometry;
    QFont font;
    int line_width = -1;  // QFrame only
    int mid_line_width = -1;
  };
  QList<Control> controls_;
  DesignScaleStyle* style_;
  double scale_ = 1.0;
};

// The application's style, with every fixed pixel size that the controls of
// the form depend on (indicators, label spacing, scroll and slider extents,
// button and frame margins, arrows) multiplied by the factor of the widget
// it is asked for.
class DesignScaleStyle : public QProxyStyle {
 public:
  DesignScaleStyle();

  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override;
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override;
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
};

}  // namespace quillmere
