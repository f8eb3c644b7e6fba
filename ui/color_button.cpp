#include "color_button.h"

#include <QEnterEvent>
#include <QPainter>

#include "focus_frame.h"

namespace quillmere {

ColorButton::ColorButton(QWidget* parent) : QPushButton(parent) {}

void ColorButton::setColor(const QColor& color) {
  if (color == color_) return;
  color_ = color;
  ApplyColor();
}

void ColorButton::setHoverColor(const QColor& color) {
  hover_color_ = color;
  ApplyColor();
}

QColor ColorButton::shownColor() const {
  return palette().color(QPalette::Button);
}

void ColorButton::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  ApplyColor();
  QPushButton::enterEvent(event);
}

void ColorButton::leaveEvent(QEvent* event) {
  hovered_ = false;
  ApplyColor();
  QPushButton::leaveEvent(event);
}

void ColorButton::paintEvent(QPaintEvent* event) {
  QPushButton::paintEvent(event);
  // The style marks the focus only after a key moved it, and faintly on a
  // coloured face: the frame is drawn whenever the button has it.
  if (!hasFocus()) return;
  QPainter painter(this);
  PaintFocusFrame(painter, *this, rect());
}

void ColorButton::ApplyColor() {
  const QColor wanted = hovered_ && hover_color_.isValid() ? hover_color_ : color_;
  QPalette p = palette();
  p.setColor(QPalette::Button, wanted.isValid() ? wanted : QPalette().color(QPalette::Button));
  setPalette(p);
  update();
}

}  // namespace quillmere
