#include "radio_group.h"

#include <algorithm>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

#include "focus_frame.h"

namespace quillmere {

RadioGroup::RadioGroup(QWidget* parent)
    : QGroupBox(parent), buttons_(new QButtonGroup(this)), grid_(new QGridLayout(this)) {
  // Tight margins: a radio item needs some 25 pixels beside its text, and
  // the groups of the window are narrow.
  grid_->setContentsMargins(2, 0, 0, 1);
  grid_->setHorizontalSpacing(0);
  grid_->setVerticalSpacing(0);
  connect(buttons_, &QButtonGroup::idToggled, this, &RadioGroup::OnToggled);
}

void RadioGroup::setItems(const QStringList& items) {
  setItemIndex(-1);
  for (QAbstractButton* button : buttons_->buttons()) {
    buttons_->removeButton(button);
    delete button;
  }
  items_ = items;
  for (int i = 0; i < items_.size(); ++i) {
    auto* button = new QRadioButton(items_[i], this);
    // Items share the group's height evenly, as the rows of a classic radio
    // group do; the whole row is the item's target.
    button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    buttons_->addButton(button, i);
    FocusFrame::Attach(button);
  }
  Arrange();
}

void RadioGroup::setColumns(int columns) {
  columns = std::max(1, columns);
  if (columns == columns_) return;
  columns_ = columns;
  Arrange();
}

void RadioGroup::Arrange() {
  for (QAbstractButton* button : buttons_->buttons()) grid_->removeWidget(button);
  for (int r = 0; r < grid_->rowCount(); ++r) grid_->setRowStretch(r, 0);
  for (int c = 0; c < grid_->columnCount(); ++c) grid_->setColumnStretch(c, 0);
  const int count = int(items_.size());
  if (count == 0) return;
  const int rows = (count + columns_ - 1) / columns_;
  for (int i = 0; i < count; ++i) grid_->addWidget(buttons_->button(i), i % rows, i / rows);
  for (int r = 0; r < rows; ++r) grid_->setRowStretch(r, 1);
  for (int c = 0; c < columns_; ++c) grid_->setColumnStretch(c, 1);
}

void RadioGroup::setItemIndex(int index) {
  if (index < 0 || index >= items_.size()) index = -1;
  if (index == index_) return;
  if (index >= 0) {
    // Checking the button toggles it; OnToggled records and reports it.
    buttons_->button(index)->setChecked(true);
    return;
  }
  // An exclusive group never lets its last checked button go.
  buttons_->setExclusive(false);
  buttons_->button(index_)->setChecked(false);
  buttons_->setExclusive(true);
  index_ = -1;
  emit itemChanged(-1);
}

void RadioGroup::OnToggled(int id, bool checked) {
  if (!checked || id == index_) return;
  index_ = id;
  emit itemChanged(id);
}

void RadioGroup::setColor(const QColor& color) {
  if (color == color_) return;
  color_ = color;
  QPalette p = palette();
  if (color_.isValid()) {
    p.setColor(QPalette::Window, color_);
    setPalette(p);
  } else {
    setPalette(QPalette());
  }
  setAutoFillBackground(color_.isValid());
}

}  // namespace quillmere
