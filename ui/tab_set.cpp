#include "tab_set.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

#include "focus_frame.h"
#include "design_scaler.h"

namespace quillmere {

namespace {
// Horizontal room around a tab's text and the slant of its sides.
constexpr int kTextPadding = 10;
constexpr int kSlant = 4;
}  // namespace

TabSet::TabSet(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::TabFocus);
}

void TabSet::setTabs(const QStringList& tabs) {
  tabs_ = tabs;
  current_ = -1;
  focus_tab_ = 0;
  updateGeometry();
  update();
}

void TabSet::setSelectedColor(const QColor& color) {
  selected_color_ = color;
  update();
}

void TabSet::setCurrentIndex(int index) {
  if (index < 0 || index >= tabs_.size()) index = -1;
  if (index == current_) return;
  current_ = index;
  // Shown at once: the choice may open a modal box before the event loop
  // paints again.
  repaint();
}

int TabSet::Scaled(int design_px) const {
  return DesignScaler::ScaledLength(design_px, DesignScaler::ScaleOf(this));
}

int TabSet::TabWidth(int index) const {
  return fontMetrics().horizontalAdvance(tabs_[index]) +
         2 * (Scaled(kTextPadding) + Scaled(kSlant));
}

QRect TabSet::tabRect(int index) const {
  if (index < 0 || index >= tabs_.size()) return {};
  int x = 0;
  for (int i = 0; i < index; ++i) x += TabWidth(i) - Scaled(kSlant);
  return QRect(x, 0, TabWidth(index), height());
}

int TabSet::tabAt(const QPoint& point) const {
  for (int i = 0; i < tabs_.size(); ++i) {
    if (tabRect(i).contains(point)) return i;
  }
  return -1;
}

QSize TabSet::sizeHint() const {
  const int width = tabs_.isEmpty() ? 0 : tabRect(int(tabs_.size()) - 1).right() + 1;
  return {width, fontMetrics().height() + Scaled(10)};
}

void TabSet::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPalette& pal = palette();
  // The selected tab is drawn last so that it lies over its neighbours.
  QList<int> order;
  for (int i = 0; i < tabs_.size(); ++i) {
    if (i != current_) order.append(i);
  }
  if (current_ >= 0) order.append(current_);
  const qreal slant = Scaled(kSlant);
  const qreal round = Scaled(2);
  const qreal pen = Scaled(1);
  for (int i : order) {
    const QRectF r = QRectF(tabRect(i)).adjusted(0.5, 0.5, -0.5, -0.5);
    // A soft tab hangs from the top edge and narrows towards its bottom.
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right(), r.top());
    path.lineTo(r.right() - slant, r.bottom() - round);
    path.quadTo(r.right() - slant, r.bottom(), r.right() - slant - round, r.bottom());
    path.lineTo(r.left() + slant + round, r.bottom());
    path.quadTo(r.left() + slant, r.bottom(), r.left() + slant, r.bottom() - round);
    path.closeSubpath();
    painter.setPen(QPen(pal.color(QPalette::Mid), pen));
    painter.setBrush(i == current_ ? selected_color_ : pal.color(QPalette::Button));
    painter.drawPath(path);
    painter.setPen(pal.color(QPalette::ButtonText));
    painter.drawText(tabRect(i), Qt::AlignCenter | Qt::TextSingleLine, tabs_[i]);
  }
  if (hasFocus() && focus_tab_ >= 0 && focus_tab_ < tabs_.size()) {
    // Inside the slanted sides, where the tab's text is.
    PaintFocusFrame(painter, *this, tabRect(focus_tab_).adjusted(kSlant, 0, -kSlant, 0));
  }
}

void TabSet::setFocusTab(int index) {
  if (index < 0 || index >= tabs_.size() || index == focus_tab_) return;
  focus_tab_ = index;
  update();
}

void TabSet::chooseTab(int index) {
  if (index < 0 || index >= tabs_.size()) return;
  setCurrentIndex(index);
  const QPointer<TabSet> alive(this);
  emit tabClicked(index);
  // Cleared again, so that choosing the same tab next time is a new choice
  // (unless the choice closed the window and this strip with it).
  if (alive) setCurrentIndex(-1);
}

void TabSet::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
      setFocusTab(focus_tab_ - 1);
      break;
    case Qt::Key_Right:
      setFocusTab(focus_tab_ + 1);
      break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!event->isAutoRepeat()) chooseTab(focus_tab_);
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}

void TabSet::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int index = tabAt(event->position().toPoint());
  if (index < 0) return;
  chooseTab(index);
}

}  // namespace quillmere
