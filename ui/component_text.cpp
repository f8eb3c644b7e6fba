#include "component_text.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPlainTextEdit>

#include "panel.h"
#include "radio_group.h"

namespace quillmere {

std::optional<QString> ShownText(const QWidget& w) {
  if (const auto* panel = qobject_cast<const Panel*>(&w)) return panel->caption();
  if (const auto* label = qobject_cast<const QLabel*>(&w)) return label->text();
  if (const auto* group = qobject_cast<const RadioGroup*>(&w)) return group->title();
  if (const auto* button = qobject_cast<const QAbstractButton*>(&w)) return button->text();
  if (const auto* memo = qobject_cast<const QPlainTextEdit*>(&w)) return memo->toPlainText();
  return std::nullopt;
}

}  // namespace quillmere
