#pragma once
// The calculation's view of the main window: writes addressed by component
// name land on the form's widgets. Names are resolved once, when the display
// is made; a write costs one hash look-up and, only when the shown value
// really changes, a repaint.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "display.h"

class QWidget;

namespace quillmere {

class TForm1;

class WidgetDisplay final : public Display {
 public:
  // `form` must outlive the display.
  explicit WidgetDisplay(TForm1& form);

  // Texts are UTF-8. Panels and labels show the text as their caption, radio
  // groups as their title, buttons on their face; "Form1" is the window
  // title.
  void SetText(std::string_view component, std::string_view text) override;
  // Showing a hidden component also brings it to the front of its
  // siblings, so that of several open option panels the last one opened
  // lies on top.
  void SetVisible(std::string_view component, bool visible) override;
  // Background colour of a panel, radio group or coloured button.
  void SetColor(std::string_view component, Rgb colour) override;
  // Show a slider's position and a group's selection on the widget without
  // the widget reporting them: the controls that made the change have run
  // its handlers already.
  void SetSliderPosition(std::string_view component, int position) override;
  void SetSelectedItem(std::string_view component, ItemIndex item) override;

  // An unknown name is a programming error: it stops a debug build and is
  // ignored in a release build. The calculation's names are the form's
  // generated constants, so it cannot name a component the form lacks.
  bool Knows(std::string_view component) const { return targets_.contains(component); }

 private:
  enum class Kind { kPanel, kLabel, kRadioGroup, kColorButton, kButton, kSlider, kWindow, kOther };
  struct Target {
    QWidget* widget;
    Kind kind;
  };
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept {
      return std::hash<std::string_view>{}(s);
    }
  };

  const Target* Find(std::string_view component) const;

  std::unordered_map<std::string, Target, NameHash, std::equal_to<>> targets_;
};

}  // namespace quillmere
