#pragma once
// How the calculation talks to the window: every write is addressed by the
// component's name (the widget's object name, a constant of
// form_components.h), so that everything the window shows can be produced
// and checked without a window. Writes only: nothing is read back.

#include <string_view>

#include "colour.h"
#include "real.h"

namespace quillmere {

class Display {
 public:
  virtual ~Display() = default;

  // Caption of a panel or label.
  virtual void SetText(std::string_view component, std::string_view text) = 0;
  virtual void SetVisible(std::string_view component, bool visible) = 0;
  virtual void SetColor(std::string_view component, Rgb colour) = 0;

  // Shows a slider at a position within its range, and a radio group's
  // selected item (-1: none). Only shows them: the change itself and its
  // handlers are the controls' (controls.h), so this runs nothing.
  virtual void SetSliderPosition(std::string_view component, int position) = 0;
  virtual void SetSelectedItem(std::string_view component, ItemIndex item) = 0;
};

}  // namespace quillmere
