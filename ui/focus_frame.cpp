#include "focus_frame.h"

#include <QEvent>
#include <QPainter>
#include <QPen>

namespace quillmere {

void PaintFocusFrame(QPainter& painter, const QWidget& widget, const QRect& rect) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  QPen pen(widget.palette().color(QPalette::Highlight), 2);
  pen.setJoinStyle(Qt::MiterJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  // A two-pixel pen is centred on its line: one pixel in keeps it whole.
  painter.drawRect(QRectF(rect).adjusted(1, 1, -1, -1));
  painter.restore();
}

FocusFrame* FocusFrame::Attach(QWidget* target) {
  return new FocusFrame(target);
}

FocusFrame::FocusFrame(QWidget* target) : QWidget(target), target_(target) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  setGeometry(target->rect());
  setVisible(target->hasFocus());
  target->installEventFilter(this);
}

bool FocusFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched == target_) {
    switch (event->type()) {
      case QEvent::FocusIn:
        setGeometry(target_->rect());
        show();
        raise();
        break;
      case QEvent::FocusOut:
        hide();
        break;
      case QEvent::Resize:
        setGeometry(target_->rect());
        break;
      case QEvent::ChildAdded:
        // Stays over whatever the control lays out after it.
        if (isVisible()) raise();
        break;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void FocusFrame::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintFocusFrame(painter, *target_, rect());
}

}  // namespace quillmere
