#pragma once
// The window's controls wired to the calculation as the window wires them:
// a slider or radio group whose value changes runs its handler.

#include <functional>
#include <string_view>

#include "calculator.h"
#include "recording_display.h"

namespace quillmere::testing {

// `on_group` (optional) is told of every group handler that runs.
inline void BindLikeTheWindow(RecordingDisplay& display, Calculator& calc,
                              std::function<void()> on_group = {}) {
  display.on_slider_change = [&display, &calc](std::string_view name) {
    const int p = display.SliderPosition(name);
    if (name == "ScrollBar1") calc.ScrollBar1Change();
    if (name == "CloudSelectA") calc.CloudSelectChange(Station::Home, p);
    if (name == "CloudSelectB") calc.CloudSelectChange(Station::DX, p);
  };
  display.on_group_change = [&calc, on_group](std::string_view name, ItemIndex item) {
    if (on_group) on_group();
    if (name == "FreqSelect") calc.FreqSelect1Click(item);
    if (name == "RainSelectA") calc.RainSelectClick(Station::Home, item);
    if (name == "RainSelectB") calc.RainSelectClick(Station::DX, item);
    if (name == "PolarisationSelectA") calc.PolarisationSelectClick(Station::Home, item);
    if (name == "PolarisationSelectB") calc.PolarisationSelectClick(Station::DX, item);
    if (name == "FogSelectA") calc.FogSelectClick(Station::Home, item);
    if (name == "FogSelectB") calc.FogSelectClick(Station::DX, item);
    if (name == "LatitudeSelectA") calc.LatitudeSelectClick(Station::Home, item);
    if (name == "LatitudeSelectB") calc.LatitudeSelectClick(Station::DX, item);
    if (name == "SummerWinterSelectA") calc.SummerWinterSelectClick(Station::Home, item);
    if (name == "SummerWinterSelectB") calc.SummerWinterSelectClick(Station::DX, item);
    if (name == "DisplayAccuracy") calc.DisplayAccuracyClick(item);
    if (name == "ScreenDelaySelect") calc.ScreenDelaySelectClick(item);
  };
}

}  // namespace quillmere::testing
