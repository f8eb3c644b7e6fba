#include "form_view.h"

#include <stdexcept>

namespace quillmere {

FormView::FormView() {
  for (const form::FormComponent& c : form::Components()) {
    shown_.push_back({std::string(c.caption), c.visible, -1, c.position});
  }
}

std::size_t FormView::IndexOf(std::string_view component) const {
  const form::FormComponent* c = form::Find(component);
  if (c == nullptr) throw std::invalid_argument("no component " + std::string(component));
  return std::size_t(c - form::Components().data());
}

void FormView::SetText(std::string_view component, std::string_view text) {
  shown_[IndexOf(component)].text.assign(text);
}

void FormView::SetVisible(std::string_view component, bool visible) {
  shown_[IndexOf(component)].visible = visible;
}

void FormView::SetColor(std::string_view component, Rgb) {
  IndexOf(component);  // colours are not part of what is reported
}

void FormView::SetSliderPosition(std::string_view component, int position) {
  shown_[IndexOf(component)].position = position;
}

void FormView::SetSelectedItem(std::string_view component, ItemIndex item) {
  shown_[IndexOf(component)].selected = item;
}

}  // namespace quillmere
