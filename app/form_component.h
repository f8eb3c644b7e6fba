#pragma once
// One component of the main window as its form defines it. The table of
// every component, quillmere::form::kComponents, and a name constant for each
// (quillmere::component::Panel14, ...) are generated from tform1.ui at build
// time into form_components.h: a misspelt name there fails to compile.

#include <span>
#include <string_view>

namespace quillmere::form {

enum class Kind {
  kWindow,
  kPanel,
  kLabel,
  kClickableLabel,
  kRadioGroup,
  kSpinButton,
  kColorButton,
  kPushButton,
  kScrollBar,
  kTabSet,
  kMemo,
};

struct FormComponent {
  std::string_view name;
  Kind kind;
  std::string_view parent;                  // the component it lies on
  std::string_view caption;                 // the text at design (title of a group, window title)
  std::string_view hint;                    // the tool tip, empty for none
  bool visible;                             // at design
  std::span<const std::string_view> items;  // a radio group's items, a tab strip's tabs
  int columns;                              // a radio group's columns
  int minimum, maximum, position;           // a slider's range and design position
};

// Every component of the form, parents before their children.
std::span<const FormComponent> Components();

// The component of that name, or nullptr when the form has none.
const FormComponent* Find(std::string_view name);

}  // namespace quillmere::form
