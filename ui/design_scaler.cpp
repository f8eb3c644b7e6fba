#include "design_scaler.h"

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <QStyleFactory>
#include <QStyleOption>
#include <QVariant>
#include <algorithm>
#include <cmath>

namespace quillmere {
namespace {

// The dynamic property that carries a control's factor to its painting.
constexpr const char* kScaleProperty = "designScale";

// The base style's space between a group's title and the top of its frame.
constexpr int kGroupFrameGap = 3;

}  // namespace

DesignScaler::DesignScaler() : style_(new DesignScaleStyle) {}

DesignScaler::~DesignScaler() {
  // Controls still alive keep drawing after the form has gone (a test may
  // hold one): hand them back to the application's style first.
  for (const Control& c : controls_) {
    if (!c.widget) continue;
    for (QWidget* w : c.widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (w->style() == style_) w->setStyle(nullptr);
    }
    if (c.widget->style() == style_) c.widget->setStyle(nullptr);
  }
  delete style_;
}

void DesignScaler::Record(const QList<QWidget*>& controls) {
  controls_.clear();
  controls_.reserve(controls.size());
  for (QWidget* w : controls) {
    Control c{w, w->geometry(), w->font()};
    if (auto* frame = qobject_cast<QFrame*>(w)) {
      c.line_width = frame->lineWidth();
      c.mid_line_width = frame->midLineWidth();
    }
    controls_.append(c);
    w->setStyle(style_);
    // The parts a control makes for itself (radio items, arrows).
    for (QWidget* part : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (part->objectName().isEmpty() || part->objectName().startsWith(QStringLiteral("qt_"))) {
        part->setStyle(style_);
      }
    }
  }
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

int DesignScaler::ScaledLength(int design_px, double k) {
  if (design_px <= 0) return design_px;
  return std::max(1, int(std::lround(design_px * k)));
}

double DesignScaler::ScaleOf(const QWidget* w) {
  for (; w != nullptr; w = w->parentWidget()) {
    const QVariant k = w->property(kScaleProperty);
    if (k.isValid()) return k.toDouble();
  }
  return 1.0;
}

void DesignScaler::Apply(double sx, double sy) {
  const double k = std::min(sx, sy);
  const bool rescaled = k != scale_;
  scale_ = k;
  for (const Control& c : controls_) {
    if (!c.widget) continue;
    if (rescaled) c.widget->setProperty(kScaleProperty, k);
    if (auto* frame = qobject_cast<QFrame*>(c.widget.data()); frame && c.line_width >= 0) {
      frame->setLineWidth(ScaledLength(c.line_width, k));
      frame->setMidLineWidth(c.mid_line_width > 0 ? ScaledLength(c.mid_line_width, k) : 0);
    }
    if (rescaled) {
      // The style's sizes changed under the controls' cached size hints.
      // Every control is in the list itself, so only its own parts need it.
      for (QObject* child : c.widget->children()) {
        auto* part = qobject_cast<QWidget*>(child);
        if (part && (part->objectName().isEmpty() ||
                     part->objectName().startsWith(QStringLiteral("qt_")))) {
          part->updateGeometry();
        }
      }
      c.widget->updateGeometry();
    }
    c.widget->setGeometry(Scaled(c.geometry, sx, sy));
    const int px = ScaledPixelSize(c.font.pixelSize(), sx, sy);
    if (c.widget->font().pixelSize() != px) {
      QFont f = c.font;
      f.setPixelSize(px);
      c.widget->setFont(f);
    }
  }
}

DesignScaleStyle::DesignScaleStyle()
    : QProxyStyle(QStyleFactory::create(QApplication::style() ? QApplication::style()->name()
                                                              : QStringLiteral("Fusion"))) {}

int DesignScaleStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                  const QWidget* widget) const {
  const int base = QProxyStyle::pixelMetric(metric, option, widget);
  switch (metric) {
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_RadioButtonLabelSpacing:
    case PM_CheckBoxLabelSpacing:
    case PM_ScrollBarExtent:
    case PM_ScrollBarSliderMin:
    case PM_SliderThickness:
    case PM_SliderControlThickness:
    case PM_SliderLength:
    case PM_DefaultFrameWidth:
    case PM_ButtonMargin:
    case PM_ButtonDefaultIndicator:
    case PM_FocusFrameHMargin:
    case PM_FocusFrameVMargin:
      return DesignScaler::ScaledLength(base, DesignScaler::ScaleOf(widget));
    default:
      return base;
  }
}

int DesignScaleStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                                QStyleHintReturn* data) const {
  // Hints (the on-screen help's delay among them) are the application
  // style's to give.
  QStyle* app = QApplication::style();
  if (app != nullptr && app != this) return app->styleHint(hint, option, widget, data);
  return QProxyStyle::styleHint(hint, option, widget, data);
}

void DesignScaleStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                     QPainter* painter, const QWidget* widget) const {
  switch (element) {
    case PE_IndicatorArrowUp:
    case PE_IndicatorArrowDown:
    case PE_IndicatorArrowLeft:
    case PE_IndicatorArrowRight: {
      // The arrow fills the same share of its button at every size (the
      // base style draws it at one fixed size).
      const QRectF r = option->rect;
      const qreal side = std::max<qreal>(3.0, std::min(r.width(), r.height()) * 0.5);
      const QPointF c = r.center();
      const qreal h = side / 2, q = side / 4;
      QPolygonF arrow;
      if (element == PE_IndicatorArrowUp) {
        arrow << QPointF(c.x() - h, c.y() + q) << QPointF(c.x() + h, c.y() + q)
              << QPointF(c.x(), c.y() - q);
      } else if (element == PE_IndicatorArrowDown) {
        arrow << QPointF(c.x() - h, c.y() - q) << QPointF(c.x() + h, c.y() - q)
              << QPointF(c.x(), c.y() + q);
      } else if (element == PE_IndicatorArrowLeft) {
        arrow << QPointF(c.x() + q, c.y() - h) << QPointF(c.x() + q, c.y() + h)
              << QPointF(c.x() - q, c.y());
      } else {
        arrow << QPointF(c.x() - q, c.y() - h) << QPointF(c.x() - q, c.y() + h)
              << QPointF(c.x() + q, c.y());
      }
      painter->save();
      painter->setRenderHint(QPainter::Antialiasing);
      painter->setPen(Qt::NoPen);
      const bool enabled = option->state & State_Enabled;
      painter->setBrush(option->palette.color(enabled ? QPalette::Active : QPalette::Disabled,
                                              QPalette::ButtonText));
      painter->drawPolygon(arrow);
      painter->restore();
      return;
    }
    case PE_FrameGroupBox: {
      // The base style's group frame, a faint rounded outline over a faint
      // shade, is drawn from an image file; decoding it loads every image
      // format plugin at the window's first paint. Painted directly, it
      // looks the same and costs nothing.
      int top = kGroupFrameGap;
      const auto* group = qobject_cast<const QGroupBox*>(widget);
      if (group == nullptr || group->isCheckable() || !group->title().isEmpty()) {
        top += std::max(baseStyle()->pixelMetric(PM_ExclusiveIndicatorHeight, nullptr, nullptr),
                        option->fontMetrics.height());
      }
      // Drawn in whole pixels, without antialiasing: as antialiased paths
      // the outline and the shade go through the path rasteriser, which
      // starts worker threads for a group's area, and the form has dozens.
      // The outline's corners are left at half strength, as a 1.5 px
      // rounding leaves them.
      const QRect area = option->rect.adjusted(0, top, 0, 0);
      const QRect outline(QPoint(area.left() + 1, area.top() + 1), area.bottomRight());
      const QRect inside = outline.adjusted(1, 1, -1, -1);
      // The one-pixel edges of `r`, in `color`, its corners in `corner`.
      const auto edges = [painter](const QRect& r, const QColor& color, const QColor& corner) {
        painter->fillRect(QRect(r.left() + 1, r.top(), r.width() - 2, 1), color);
        painter->fillRect(QRect(r.left() + 1, r.bottom(), r.width() - 2, 1), color);
        painter->fillRect(QRect(r.left(), r.top() + 1, 1, r.height() - 2), color);
        painter->fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 2), color);
        for (const QPoint p : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()}) {
          painter->fillRect(QRect(p, p), corner);
        }
      };
      painter->save();
      painter->setRenderHint(QPainter::Antialiasing, false);
      painter->fillRect(inside, QColor(0, 0, 0, 3));
      const QColor line(0x75, 0x75, 0x75, 0x32);
      edges(outline, line, QColor(0x75, 0x75, 0x75, 0x32 / 2));
      // The faint inner line just inside the outline, square at its corners.
      const QColor inner(0, 0, 0, 7);
      edges(inside, inner, inner);
      painter->restore();
      return;
    }
    default:
      QProxyStyle::drawPrimitive(element, option, painter, widget);
  }
}

}  // namespace quillmere
