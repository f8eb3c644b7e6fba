#pragma once
// The window is drawn in the classic Windows faces Arial, MS Sans Serif and
// Tahoma, none of which a Linux desktop has. They are mapped to the
// metric-compatible Liberation Sans (Debian package fonts-liberation2), so
// that text measures, wraps and clips the same on every machine.

namespace quillmere {

// Registers the substitutes with Qt. Call once after the QApplication is
// created and before the first window is built.
void InstallFontSubstitutes();

}  // namespace quillmere
