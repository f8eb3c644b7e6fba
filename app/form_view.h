#pragma once
// The main window's components as data, without a window: each starts as the
// form was designed (caption, visibility, selection, slider position) and
// takes every write of the calculation. What the window would show, for the
// headless report.

#include <string>
#include <string_view>
#include <vector>

#include "display.h"
#include "form_component.h"

namespace quillmere {

class FormView final : public Display {
 public:
  struct Shown {
    std::string text;
    bool visible = true;  // itself, whatever its parents
    ItemIndex selected = -1;
    int position = 0;
  };

  FormView();

  // A name the form lacks throws std::invalid_argument.
  void SetText(std::string_view component, std::string_view text) override;
  void SetVisible(std::string_view component, bool visible) override;
  void SetColor(std::string_view component, Rgb colour) override;
  void SetSliderPosition(std::string_view component, int position) override;
  void SetSelectedItem(std::string_view component, ItemIndex item) override;

  // What a component shows now; the same index as form::Components().
  const Shown& Of(std::size_t index) const { return shown_[index]; }
  const Shown& Of(std::string_view component) const { return shown_[IndexOf(component)]; }

 private:
  std::size_t IndexOf(std::string_view component) const;

  std::vector<Shown> shown_;
};

}  // namespace quillmere
