#include "panel.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "focus_frame.h"

namespace quillmere {

Panel::Panel(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(1);
}

void Panel::setCaption(const QString& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  update();
  // A result field's value is its caption: assistive technology is told
  // when it changes (and nothing is done while none listens).
  if (QAccessible::isActive()) {
    QAccessibleValueChangeEvent changed(this, caption_);
    QAccessible::updateAccessibility(&changed);
  }
}

void Panel::setColor(const QColor& color) {
  if (color == color_) return;
  color_ = color;
  if (color_.isValid()) {
    QPalette p = palette();
    p.setColor(QPalette::Window, color_);
    setPalette(p);
    setAutoFillBackground(true);
  } else {
    setPalette(QPalette());
    setAutoFillBackground(false);
  }
  update();
}

void Panel::setCaptionAlignment(Qt::Alignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  update();
}

void Panel::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  if (caption_.isEmpty() && !hasFocus()) return;
  QPainter painter(this);
  if (hasFocus()) PaintFocusFrame(painter, *this, rect());
  if (caption_.isEmpty()) return;
  painter.setPen(palette().color(QPalette::WindowText));
  // One pixel of air inside the bevel, as the caption of a field must never
  // touch its frame.
  const QRect area = contentsRect().adjusted(1, 0, -1, 0);
  painter.drawText(area, int(alignment_) | Qt::TextSingleLine, caption_);
}

void Panel::mousePressEvent(QMouseEvent* event) {
  // A press that reaches the panel from a control inside it (a label passes
  // its clicks on) is not a click on the panel.
  pressed_on_background_ =
      event->button() == Qt::LeftButton && childAt(event->position().toPoint()) == nullptr;
  event->accept();
}

void Panel::mouseReleaseEvent(QMouseEvent* event) {
  const bool was_pressed = pressed_on_background_;
  pressed_on_background_ = false;
  if (was_pressed && event->button() == Qt::LeftButton &&
      rect().contains(event->position().toPoint())) {
    emit clicked();
  }
  event->accept();
}

void Panel::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (event->isAutoRepeat()) break;
      event->accept();
      emit clicked();
      return;
    default:
      break;
  }
  QFrame::keyPressEvent(event);
}

}  // namespace quillmere
