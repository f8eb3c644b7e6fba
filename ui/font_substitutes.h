#pragma once
// The window is drawn in the classic Windows faces Arial, MS Sans Serif and
// Tahoma, none of which a Linux desktop has. They are mapped to the
// metric-compatible Liberation Sans (Debian package fonts-liberation2), so
// that text measures, wraps and clips the same on every machine.

#include <QString>

namespace quillmere {

// Registers the substitutes with Qt. Call once after the QApplication is
// created and before the first window is built.
void InstallFontSubstitutes();

// The face a design face is drawn in: the face itself where the font
// database has it, else its substitute. Naming that face on the controls
// lets every control of one size and weight share one loaded font, whatever
// face the form names, and spares the font database a failed search per font.
QString InstalledFamily(const QString& family);

}  // namespace quillmere
