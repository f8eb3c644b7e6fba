#pragma once
// How the calculation talks to the window: every write is addressed by the
// component's name (the widget's object name), so that everything the window
// shows can be produced and checked without a window.

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

  // Moves a slider. When the position changes, the slider's change handler
  // runs before this returns, exactly as for a move by the user; setting the
  // position it already has runs nothing. Positions outside the slider's
  // range are clamped to it.
  virtual void SetSliderPosition(std::string_view component, int position) = 0;
  virtual int SliderPosition(std::string_view component) const = 0;

  // Selects an item of a radio group (-1 or an index outside the group
  // clears the selection). When the selection changes, the group's change
  // handler runs before this returns, as for a user's choice; selecting the
  // item already selected runs nothing.
  virtual void SetSelectedItem(std::string_view component, ItemIndex item) = 0;
  // Selected item of a radio group, -1 when none is selected.
  virtual ItemIndex SelectedItem(std::string_view component) const = 0;
};

}  // namespace quillmere
