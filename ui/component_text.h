#pragma once
// The text a component of a window shows the user: a panel's caption, a
// label's or button's text, a radio group's title, a text box's text.
// The report and the accessibility of the window read it from here alike.

#include <QString>
#include <optional>

class QWidget;

namespace quillmere {

// Nothing for a component that shows no text of its own (a slider, a
// stepper, the tab strip).
std::optional<QString> ShownText(const QWidget& w);

}  // namespace quillmere
