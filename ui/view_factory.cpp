// The entry point of the views library: the spectrum view and the Moon
// planner made for the main window (view_factory.h).
#include <memory>

#include "planner_window.h"
#include "spectrum_window.h"
#include "tform1.h"
#include "view_factory.h"

namespace quillmere {
namespace {

class Views final : public ViewFactory {
 public:
  OpenedView MakeSpectrum(const QuillmereState& state) override {
    auto view = std::make_unique<SpectrumWindow>(state);
    SpectrumWindow* spectrum = view.get();
    return {std::move(view), [spectrum] { spectrum->StateChanged(); }};
  }
  OpenedView MakePlanner(QWidget* parent, std::filesystem::path stations_file,
                         PlannerWindow::Host host) override {
    auto view = std::make_unique<PlannerWindow>(parent, std::move(stations_file), std::move(host));
    PlannerWindow* planner = view.get();
    return {std::move(view), [planner] { planner->StateChanged(); }};
  }
};

}  // namespace

// The main window keeps its views as plain windows; whoever links this
// library (the tests) may look at them as what they are.
SpectrumWindow* TForm1::Spectrum() const {
  return static_cast<SpectrumWindow*>(spectrum_.window.get());
}
PlannerWindow* TForm1::Planner() const {
  return static_cast<PlannerWindow*>(planner_.window.get());
}

}  // namespace quillmere

extern "C" __attribute__((visibility("default"))) quillmere::ViewFactory* quillmere_view_factory(
    int version) {
  static quillmere::Views views;
  return version == quillmere::kViewFactoryVersion ? &views : nullptr;
}
