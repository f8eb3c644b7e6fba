#pragma once
// The window's selection groups and sliders as data: each group's items and
// selected item (-1: none), each slider's position and range, as the form
// defines them. Changing one runs its change handlers, exactly as a user's
// choice does in the window; setting the value it already has runs nothing.
// The window and the data-file load drive the controls through here; the
// display only mirrors what they show.

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "display.h"
#include "state.h"

namespace quillmere {

class Controls {
 public:
  // Told the new selected item of a group, or the new position of a slider.
  using Handler = std::function<void(int)>;

  // Every radio group and slider of the form, at its design value (no item
  // selected; the slider at its design position). `display` shows every
  // change and must outlive the controls.
  explicit Controls(Display& display);

  // Adds a change handler of a group or slider; handlers run in the order
  // they were added. An unknown name throws std::invalid_argument, as do
  // all the functions below.
  void OnChange(std::string_view control, Handler handler);

  // Selects an item of a group; -1 or an index outside its items clears
  // the selection. When the selection changes, the display shows it and the
  // group's handlers run before this returns. Returns whether it changed.
  bool Select(std::string_view group, ItemIndex item);
  ItemIndex Selected(std::string_view group) const;
  // The number of items of a group.
  int ItemCount(std::string_view group) const;

  // Moves a slider, clamped to its range; as Select otherwise.
  bool Move(std::string_view slider, int position);
  int Position(std::string_view slider) const;

  // Sets a group's item or a slider's position as the form was designed
  // with it: shown, but no handler runs.
  void Preset(std::string_view control, int value);

 private:
  struct Control {
    std::string_view name;
    bool slider;
    int value, minimum, maximum;
    std::vector<Handler> handlers;
  };

  // Throw std::invalid_argument for a name that is no control (of that kind).
  std::size_t IndexOf(std::string_view name) const;
  template <class C>
  static C& Checked(C& c, bool slider);
  Control& Get(std::string_view name, bool slider);
  const Control& Get(std::string_view name, bool slider) const;
  // A slider's position within its range; a group's item, or -1 outside it.
  static int Normalised(const Control& c, int value);
  // Stores, shows and reports a change.
  bool Change(Control& c, int value);
  void Show(const Control& c);

  Display& display_;
  std::vector<Control> controls_;
};

}  // namespace quillmere
