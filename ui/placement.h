#pragma once
// The main window's placement as QuillmereS.ini keeps it: section "Position",
// keys "Left", "Top", "Width", "Height", the window's outer rectangle in
// screen pixels. The file is the user's to edit, so anything may be in it.

#include <QRect>
#include <filesystem>

namespace quillmere {

// The placement at the first start, and in place of one that cannot be used.
inline constexpr QRect kDefaultPlacement(10, 10, 500, 500);

// Reads the placement from the INI file at ini_path (named by the system's
// bytes); a missing file or key, or a value that is not a whole number,
// gives that key's default (10, 10, 500, 500). Returns kDefaultPlacement
// instead when the rectangle would not show at least a grip of the window
// (100 x 50 pixels) on one of the screens, or when a value lies beyond any
// desktop. Needs the application object (the screens are its).
QRect ReadPlacement(const std::filesystem::path& ini_path);

// Writes `outer` as section "Position" of the INI file at ini_path: a new
// file in the same folder, renamed over the old one, so the file is whole
// or as it was. Returns false when it could not be written.
bool WritePlacement(const std::filesystem::path& ini_path, const QRect& outer);

}  // namespace quillmere
