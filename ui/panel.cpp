#include "panel.h"

#include <QMouseEvent>
#include <QPainter>

namespace quillmere {

Panel::Panel(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(1);
}

void Panel::setCaption(const QString& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  update();
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
  if (caption_.isEmpty()) return;
  QPainter painter(this);
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

}  // namespace quillmere
