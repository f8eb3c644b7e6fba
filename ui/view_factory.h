#pragma once
// The views the main window opens on request rather than at start: the
// "Spectrum and elevation" view and the Moon planner. They draw with Qt
// Charts, which with Qt OpenGL under it is a large part of what a start
// would otherwise load and relocate, for views most starts never open; so
// they live in a library of their own (views/libquillmere_views.so in the
// program's folder) that the main window loads when the user first opens one
// of them (view_loader.h). This header is all the main window sees of them.

#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "planner_host.h"
#include "state.h"

namespace quillmere {

// A view as the main window keeps it: its window, and what tells it of a
// recalculation of the main window.
struct OpenedView {
  std::unique_ptr<QWidget> window;
  std::function<void()> state_changed;
};

class ViewFactory {
 public:
  virtual ~ViewFactory() = default;
  // The "Spectrum and elevation" view over the main window's `state`, which
  // must outlive it.
  virtual OpenedView MakeSpectrum(const QuillmereState& state) = 0;
  // The Moon planner, a window of its own under `parent`, with its stations
  // in `stations_file` (QuillmereStations.ini).
  virtual OpenedView MakePlanner(QWidget* parent, std::filesystem::path stations_file,
                                 PlannerHost host) = 0;
};

// The library's file name, and the function it exports under the name
// kViewFactoryEntry: the factory, or null when the library was built with
// another kViewFactoryVersion than the caller's.
inline constexpr const char* kViewsLibraryFile = "libquillmere_views.so";
inline constexpr const char* kViewFactoryEntry = "quillmere_view_factory";
using ViewFactoryEntry = ViewFactory* (*)(int version);
// Changed with every change of this header, so that a library left over
// from another build is refused instead of called with the wrong layout.
inline constexpr int kViewFactoryVersion = 2;

}  // namespace quillmere
