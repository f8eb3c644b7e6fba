#pragma once
// The main window's placement as QuillmereS.ini keeps it: section "Position",
// keys "Left", "Top", "Width", "Height", the window's outer rectangle in
// screen pixels. The file is the user's to edit, so anything may be in it.

#include <QRect>
#include <QSize>
#include <QString>
#include <filesystem>
#include <optional>

class QWindow;

namespace quillmere {

// The placement at the first start, and in place of one that cannot be used.
inline constexpr QRect kDefaultPlacement(10, 10, 500, 500);

// Reads the placement from the INI file at ini_path; a missing file or key
// gives that key's default (10, 10, 500, 500), and so does a file that is
// not a regular file (never opened in a way that could block) or is larger
// than such a file may be (64 KiB, never read). Returns kDefaultPlacement
// instead when the rectangle would not show at least a grip of the window
// (100 x 50 pixels) on one of the screens, or when a value lies beyond any
// desktop. Needs the application object (the screens are its).
QRect ReadPlacement(const std::filesystem::path& ini_path);

// Moves the outer rectangle `outer` (frame and title bar included) into
// `available` and, where it is wider or taller, shrinks it to fit, so that
// the whole window, title bar and all, can be reached. A rectangle that
// already fits is returned unchanged.
QRect FitInto(const QRect& outer, const QRect& available);

// The available area (QScreen::availableGeometry, without panels and docks)
// of the screen that shows the largest part of `outer`; the primary
// screen's when none shows any of it. Needs the application object.
QRect AvailableAreaFor(const QRect& outer);

// The frame the window manager has put round `window`, once it is known:
// nothing before the window is framed, and nothing for the moment, while
// it reparents the window, when the X server still reports a 1 x 1 window
// and the margins come out negative.
std::optional<QMargins> KnownFrame(const QWindow* window);

}  // namespace quillmere
