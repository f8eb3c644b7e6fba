#pragma once
// Loading the views library (view_factory.h) when a view is first opened.

#include <QString>

#include "view_factory.h"

namespace quillmere {

// The factory, or why there is none: the library missing or unloadable (a
// library it needs is not installed), no entry point, or built for another
// version of the program.
struct LoadedViews {
  ViewFactory* factory = nullptr;
  QString message;
};

// The views library's folder, within the program's: a folder of its own,
// as the library is the program's alone and no other program's to find.
inline constexpr const char* kViewsFolder = "views";

// Loads libquillmere_views.so from `folder` (kViewsFolder in the program's),
// or, when there is none there, takes the one a program linked with it (the
// tests) has loaded already. A library once loaded stays loaded: the windows it
// made live on.
LoadedViews LoadViewFactory(const QString& folder);

}  // namespace quillmere
