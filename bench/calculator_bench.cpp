// One full recalculation and one sun/moon query, with a display that only
// stores the texts.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <unordered_map>

#include "calculator.h"
#include "form_components.h"
#include "itu838.h"
#include "itu840.h"
#include "station_steps.h"

namespace quillmere {
namespace {

struct StringHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

class StoringDisplay : public Display {
 public:
  void SetText(std::string_view component, std::string_view text) override {
    auto it = texts_.find(component);
    if (it == texts_.end()) it = texts_.emplace(std::string(component), std::string()).first;
    it->second.assign(text);
  }
  void SetVisible(std::string_view, bool) override {}
  void SetColor(std::string_view, Rgb) override {}
  void SetSliderPosition(std::string_view, int) override {}
  void SetSelectedItem(std::string_view, ItemIndex) override {}

 private:
  std::unordered_map<std::string, std::string, StringHash, std::equal_to<>> texts_;
};

void LoadTypical(QuillmereState& s, bool eme) {
  s.Home.Temperature = 15, s.Home.Pressure = 1013, s.Home.Humidity = 50;
  s.Home.HeightAsl = 120, s.Home.EmeElevation = 30;
  s.DX.Temperature = 20, s.DX.Pressure = 1005, s.DX.Humidity = 60, s.DX.EmeElevation = 25;
  s.Home.VapourOverWater = s.DX.VapourOverWater = 1;
  s.Home.LatitudeZone = 1, s.DX.LatitudeZone = 2, s.DX.Season = 1;
  s.Home.Polarisation = 2, s.DX.Polarisation = 1, s.DX.RainRateIndex = 3;
  SelectFog(s.DX, 2);
  s.Home.CloudContent = 0.2L, s.DX.CloudContent = 1;
  SelectBand(0, s.Frequency, s.Band);
  s.DisplayDecimals = 3;
  s.EmePathMode = eme ? 1 : 0;
  s.TerrestrialPathLength = 10;
  s.MoonSliderPosition = 56;
}

// The controls as the typical data file leaves them.
void SetTypicalControls(Controls& controls) {
  controls.Preset(component::ScrollBar1, 56);
  controls.Preset(component::LatitudeSelectA, 1);
  controls.Preset(component::LatitudeSelectB, 1);
}

void BM_Recalculate(benchmark::State& bench, bool eme) {
  QuillmereState state;
  LoadTypical(state, eme);
  StoringDisplay display;
  auto moon = MakeErfaSunMoon();
  Calculator calc(state, display, *moon, UtcNow);
  SetTypicalControls(calc.Inputs());
  for (auto _ : bench) calc.Recalculate();
}
BENCHMARK_CAPTURE(BM_Recalculate, Terrestrial, false);
BENCHMARK_CAPTURE(BM_Recalculate, Eme, true);

void BM_QueryMoonLibrary(benchmark::State& bench) {
  QuillmereState state;
  LoadTypical(state, true);
  StoringDisplay display;
  auto moon = MakeErfaSunMoon();
  Calculator calc(state, display, *moon, UtcNow);
  for (auto _ : bench) calc.QueryMoonLibrary();
}
BENCHMARK(BM_QueryMoonLibrary);

}  // namespace
}  // namespace quillmere
