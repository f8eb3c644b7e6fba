#include "widget_display.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QLabel>
#include <QSignalBlocker>
#include <QtGlobal>

#include "color_button.h"
#include "panel.h"
#include "radio_group.h"
#include "tform1.h"

namespace quillmere {

namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QColor ToQColor(Rgb c) {
  return QColor(c.r, c.g, c.b);
}

}  // namespace

WidgetDisplay::WidgetDisplay(TForm1& form) {
  targets_.reserve(std::size_t(form.ComponentList().size()) + 1);
  targets_.emplace(form.objectName().toStdString(), Target{&form, Kind::kWindow});
  for (QWidget* w : form.ComponentList()) {
    Kind kind = Kind::kOther;
    if (qobject_cast<Panel*>(w)) {
      kind = Kind::kPanel;
    } else if (qobject_cast<QLabel*>(w)) {
      kind = Kind::kLabel;
    } else if (qobject_cast<RadioGroup*>(w)) {
      kind = Kind::kRadioGroup;
    } else if (qobject_cast<ColorButton*>(w)) {
      kind = Kind::kColorButton;
    } else if (qobject_cast<QAbstractButton*>(w)) {
      kind = Kind::kButton;
    } else if (qobject_cast<QAbstractSlider*>(w)) {
      kind = Kind::kSlider;
    }
    targets_.emplace(w->objectName().toStdString(), Target{w, kind});
  }
}

const WidgetDisplay::Target* WidgetDisplay::Find(std::string_view component) const {
  const auto it = targets_.find(component);
  if (it == targets_.end()) {
    Q_ASSERT_X(false, "WidgetDisplay", "no component of that name on the form");
    return nullptr;
  }
  return &it->second;
}

void WidgetDisplay::SetText(std::string_view component, std::string_view text) {
  const Target* t = Find(component);
  if (t == nullptr) return;
  const QString s = FromUtf8(text);
  // Each widget is asked whether the text is new, so that an unchanged value
  // neither relays out nor repaints.
  switch (t->kind) {
    case Kind::kPanel:
      static_cast<Panel*>(t->widget)->setCaption(s);
      break;
    case Kind::kLabel: {
      auto* label = static_cast<QLabel*>(t->widget);
      if (label->text() != s) label->setText(s);
      break;
    }
    case Kind::kRadioGroup: {
      auto* group = static_cast<RadioGroup*>(t->widget);
      if (group->title() != s) group->setTitle(s);
      break;
    }
    case Kind::kColorButton:
    case Kind::kButton: {
      auto* button = static_cast<QAbstractButton*>(t->widget);
      if (button->text() != s) button->setText(s);
      break;
    }
    case Kind::kWindow:
      if (t->widget->windowTitle() != s) t->widget->setWindowTitle(s);
      break;
    case Kind::kSlider:
    case Kind::kOther:
      Q_ASSERT_X(false, "WidgetDisplay::SetText", "component has no text");
      break;
  }
}

void WidgetDisplay::SetVisible(std::string_view component, bool visible) {
  const Target* t = Find(component);
  if (t == nullptr) return;
  QWidget* w = t->widget;
  if (w->isHidden() == !visible) return;
  w->setVisible(visible);
  if (visible) w->raise();
}

void WidgetDisplay::SetColor(std::string_view component, Rgb colour) {
  const Target* t = Find(component);
  if (t == nullptr) return;
  const QColor c = ToQColor(colour);
  switch (t->kind) {
    case Kind::kPanel:
      static_cast<Panel*>(t->widget)->setColor(c);
      break;
    case Kind::kRadioGroup:
      static_cast<RadioGroup*>(t->widget)->setColor(c);
      break;
    case Kind::kColorButton:
      static_cast<ColorButton*>(t->widget)->setColor(c);
      break;
    default: {
      QWidget* w = t->widget;
      if (w->autoFillBackground() && w->palette().color(QPalette::Window) == c) return;
      QPalette p = w->palette();
      p.setColor(QPalette::Window, c);
      w->setPalette(p);
      w->setAutoFillBackground(true);
      break;
    }
  }
}

void WidgetDisplay::SetSliderPosition(std::string_view component, int position) {
  const Target* t = Find(component);
  if (t == nullptr) return;
  Q_ASSERT_X(t->kind == Kind::kSlider, "WidgetDisplay::SetSliderPosition", "not a slider");
  if (t->kind != Kind::kSlider) return;
  // Shown only: the slider's change was the controls', whose handlers have
  // run; the widget must not report it once more.
  auto* slider = static_cast<QAbstractSlider*>(t->widget);
  const QSignalBlocker quiet(slider);
  slider->setValue(position);
}

void WidgetDisplay::SetSelectedItem(std::string_view component, ItemIndex item) {
  const Target* t = Find(component);
  if (t == nullptr) return;
  Q_ASSERT_X(t->kind == Kind::kRadioGroup, "WidgetDisplay::SetSelectedItem", "not a radio group");
  if (t->kind != Kind::kRadioGroup) return;
  auto* group = static_cast<RadioGroup*>(t->widget);
  const QSignalBlocker quiet(group);
  group->setItemIndex(item);
}

}  // namespace quillmere
