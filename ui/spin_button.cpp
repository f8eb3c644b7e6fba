#include "spin_button.h"

#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include "focus_frame.h"

namespace quillmere {

namespace {

QToolButton* MakeArrow(Qt::ArrowType type, QWidget* parent) {
  auto* arrow = new QToolButton(parent);
  arrow->setArrowType(type);
  arrow->setAutoRepeat(true);
  arrow->setAutoRepeatDelay(400);
  arrow->setAutoRepeatInterval(100);
  arrow->setFocusPolicy(Qt::NoFocus);
  arrow->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  return arrow;
}

}  // namespace

SpinButton::SpinButton(QWidget* parent)
    : QWidget(parent), up_(MakeArrow(Qt::UpArrow, this)), down_(MakeArrow(Qt::DownArrow, this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(up_);
  layout->addWidget(down_);
  connect(up_, &QToolButton::clicked, this, &SpinButton::upClicked);
  connect(down_, &QToolButton::clicked, this, &SpinButton::downClicked);
  // A click on an arrow focuses the stepper, so that the keys go on from
  // where the mouse left off.
  setFocusPolicy(Qt::StrongFocus);
  FocusFrame::Attach(this);
}

bool SpinButton::IsOurKey(int key) const {
  return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
         key == Qt::Key_PageDown;
}

QToolButton* SpinButton::ArrowFor(int key) const {
  switch (key) {
    case Qt::Key_Up:
      return up_;
    case Qt::Key_Down:
      return down_;
    case Qt::Key_PageUp:
      return page_ ? page_->upArrow() : nullptr;
    case Qt::Key_PageDown:
      return page_ ? page_->downArrow() : nullptr;
    default:
      return nullptr;
  }
}

void SpinButton::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (!IsOurKey(key) || event->modifiers() != Qt::NoModifier) {
    QWidget::keyPressEvent(event);
    return;
  }
  event->accept();
  // The platform's own key repeat is not ours to follow: the arrow, held
  // down, repeats at the pace a held mouse button gets.
  if (event->isAutoRepeat() || held_) return;
  QToolButton* arrow = ArrowFor(key);
  if (arrow == nullptr || !arrow->isEnabled()) return;
  held_ = arrow;
  held_key_ = key;
  arrow->setDown(true);
}

void SpinButton::keyReleaseEvent(QKeyEvent* event) {
  const int key = event->key();
  if (!IsOurKey(key)) {
    QWidget::keyReleaseEvent(event);
    return;
  }
  event->accept();
  if (event->isAutoRepeat() || !held_ || key != held_key_) return;
  QToolButton* arrow = held_;
  held_ = nullptr;
  held_key_ = 0;
  // As the mouse button let go over the arrow: the repeat stops and the
  // step of the release lands.
  arrow->setDown(false);
  arrow->click();
}

void SpinButton::focusOutEvent(QFocusEvent* event) {
  LetGo();
  QWidget::focusOutEvent(event);
}

void SpinButton::LetGo() {
  // The key's release will not reach this stepper: the arrow comes up
  // without a step, as when the mouse is dragged off an arrow.
  if (held_) held_->setDown(false);
  held_ = nullptr;
  held_key_ = 0;
}

}  // namespace quillmere
