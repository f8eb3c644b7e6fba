#include "controls.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "form_components.h"

namespace quillmere {

Controls::Controls(Display& display) : display_(display) {
  for (const form::FormComponent& c : form::Components()) {
    if (c.kind == form::Kind::kRadioGroup) {
      controls_.push_back({c.name, false, -1, 0, int(c.items.size()) - 1, {}});
    } else if (c.kind == form::Kind::kScrollBar) {
      controls_.push_back({c.name, true, c.position, c.minimum, c.maximum, {}});
    }
  }
}

std::size_t Controls::IndexOf(std::string_view name) const {
  // A handful of controls: a linear search beats hashing the name.
  const auto found = std::ranges::find(controls_, name, &Control::name);
  if (found != controls_.end()) return static_cast<std::size_t>(found - controls_.begin());
  throw std::invalid_argument("no selection group or slider named " + std::string(name));
}

template <class C>
C& Controls::Checked(C& c, bool slider) {
  if (c.slider != slider) {
    throw std::invalid_argument(std::string(c.name) +
                                (slider ? " is not a slider" : " is not a selection group"));
  }
  return c;
}

const Controls::Control& Controls::Get(std::string_view name, bool slider) const {
  return Checked(controls_[IndexOf(name)], slider);
}

Controls::Control& Controls::Get(std::string_view name, bool slider) {
  return Checked(controls_[IndexOf(name)], slider);
}

void Controls::OnChange(std::string_view control, Handler handler) {
  controls_[IndexOf(control)].handlers.push_back(std::move(handler));
}

int Controls::Normalised(const Control& c, int value) {
  if (c.slider) return std::clamp(value, c.minimum, c.maximum);
  return value < c.minimum || value > c.maximum ? -1 : value;
}

void Controls::Show(const Control& c) {
  if (c.slider) {
    display_.SetSliderPosition(c.name, c.value);
  } else {
    display_.SetSelectedItem(c.name, c.value);
  }
}

bool Controls::Change(Control& c, int value) {
  value = Normalised(c, value);
  if (value == c.value) return false;
  c.value = value;
  Show(c);
  // A handler may change this or any other control again (the Moon slider's
  // handler recalculates, which puts the slider where the state has it):
  // each nested change completes before the next handler here runs.
  for (const Handler& handler : c.handlers) handler(value);
  return true;
}

bool Controls::Select(std::string_view group, ItemIndex item) {
  return Change(Get(group, false), item);
}

ItemIndex Controls::Selected(std::string_view group) const {
  return Get(group, false).value;
}

int Controls::ItemCount(std::string_view group) const {
  return Get(group, false).maximum + 1;
}

bool Controls::Move(std::string_view slider, int position) {
  return Change(Get(slider, true), position);
}

int Controls::Position(std::string_view slider) const {
  return Get(slider, true).value;
}

void Controls::Preset(std::string_view control, int value) {
  Control& c = controls_[IndexOf(control)];
  c.value = Normalised(c, value);
  Show(c);
}

}  // namespace quillmere
