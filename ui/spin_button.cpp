#include "spin_button.h"

#include <QToolButton>
#include <QVBoxLayout>

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
}

}  // namespace quillmere
