#pragma once
// Quillmere's icon (a dish working the Moon), for every window of the
// program. It is built into the program, so that it shows uninstalled too.

#include <QIcon>

namespace quillmere {

// The icon drawn from its SVG at the sizes desktops ask for.
QIcon ProgramIcon();

}  // namespace quillmere
