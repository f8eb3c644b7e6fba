#pragma once
// The calculation driver: every input handler of the window and the one
// recalculation that turns the state of both stations into every figure on
// screen. It holds no widgets: it writes texts, visibility and colours
// through a Display addressed by component name, so the same code drives the
// window, the headless report and the tests. The selection groups and
// sliders it reads are its own Controls, which run their handlers here.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "controls.h"
#include "display.h"
#include "format_fixed.h"
#include "moon_path.h"
#include "state.h"
#include "sunmoon.h"
#include "utc_clock.h"

namespace quillmere {

enum class Station { Home, DX };

// Hint timings of the on-screen help for one item of the help-delay list.
// Nothing in a field leaves that setting as it was.
struct HintTimings {
  std::optional<int> delay_ms;    // before a hint pops up
  std::optional<int> display_ms;  // how long it stays; 0 takes it down at once
};

class Calculator {
 public:
  // All four must outlive the calculator. `clock` gives the moment the
  // sun/moon component is asked for.
  Calculator(QuillmereState& state, Display& display, SunMoonLibrary& moon, UtcClock clock);

  // Decimal and group separators of the user's locale.
  void SetNumberFormat(NumberFormat fmt) { fmt_ = std::move(fmt); }
  const NumberFormat& Format() const { return fmt_; }

  QuillmereState& State() { return state_; }
  // The selection groups and sliders: the window and the data-file load
  // change them through here, which runs the handlers below.
  Controls& Inputs() { return controls_; }
  const Controls& Inputs() const { return controls_; }
  StationParams& Of(Station s) { return s == Station::Home ? state_.Home : state_.DX; }

  // Recomputes both stations from scratch, in a fixed order, and writes
  // every result field; then calls on_recalculated.
  void Recalculate();
  // Called at the end of every recalculation, when set: the views that
  // follow the window's figures (the spectrum view, the Moon planner) hear
  // of a change of weather or band here rather than polling the state.
  std::function<void()> on_recalculated;

  // Model steps that also write their own display fields.
  void UpdateVapourDensity(Station s);
  void UpdateHaslValues(Station s);
  void UpdateCloudAndFog(Station s);
  void UpdateRainAttenuation(Station s);

  // Moon distance and EME path loss.
  void UpdateMoonPathLoss();
  void ScrollBar1Change();
  void ResetToCurrentDistance();
  void ColorButton4Click();
  // Follow the Moon: each station's elevation set to its Moon elevation
  // (kept within the stepper's 0.1..90 deg), then, on the EME path, the
  // Moon distance as "Reset to Current Distance" sets it, and one
  // recalculation. On a terrestrial path only the EME elevation is set. Nothing for
  // a station whose Moon is below its horizon: that station has the
  // elevation the user set, the one it had before Follow took it over.
  void FollowMoon(std::optional<Real> home_elevation_deg, std::optional<Real> dx_elevation_deg);
  // Follow the Moon switched off: each station Follow had taken over gets
  // the elevation the user set back, and one recalculation.
  void StopFollowingMoon();
  void QueryMoonLibrary();

  // Path mode and the terrestrial path.
  void ApplyPathMode();
  void Panel125Click();
  void Panel124Click();
  void DistanceChangex1009UpClick() { StepDistance(kDistanceX100Up); }
  void DistanceChangex1009DownClick() { StepDistance(kDistanceX100Down); }
  void DistanceChangex109UpClick() { StepDistance(kDistanceX10Up); }
  void DistanceChangex109DownClick() { StepDistance(kDistanceX10Down); }
  void DistanceChangex1UpClick() { StepDistance(kDistanceX1Up); }
  void DistanceChangex1DownClick() { StepDistance(kDistanceX1Down); }
  void DistanceChangex01UpUpClick() { StepDistance(kDistanceX01Up); }
  void DistanceChangex01UpDownClick() { StepDistance(kDistanceX01Down); }

  // Parameter steppers (A = Home, B = DX).
  void TempButtonUpClick(Station s);
  void TempButtonDownClick(Station s);
  void HumidityButtonUpClick(Station s);
  void HumidityButtonDownClick(Station s);
  void PressButtonUpClick(Station s);
  void PressButtonDownClick(Station s);
  void HASLx10UpClick(Station s);
  void HASLx10DownClick(Station s);
  void HASLx100UpClick(Station s);
  void HASLx100DownClick(Station s);
  void ElevationButton10UpClick(Station s);
  void ElevationButton10DownClick(Station s);
  void ElevationButton1UpClick(Station s);
  void ElevationButton1DownClick(Station s);

  // Selections: `item` is the group's newly selected item (-1: none).
  void FreqSelect1Click(ItemIndex item);
  void RainSelectClick(Station s, ItemIndex item);
  void PolarisationSelectClick(Station s, ItemIndex item);
  void FogSelectClick(Station s, ItemIndex item);
  void LatitudeSelectClick(Station s, ItemIndex item);
  void SummerWinterSelectClick(Station s, ItemIndex item);
  void CloudSelectChange(Station s, int position);
  void WaterIceSelectClick(Station s);
  void DisplayAccuracyClick(ItemIndex item);
  // Stores the chosen help delay, hides the list and recalculates; the
  // window applies the returned timings to its hint machinery.
  HintTimings ScreenDelaySelectClick(ItemIndex item);

  // Timings of a help-delay item when the list is chosen from (after) and
  // when it is opened (on opening, "Do not Display" also sets a 10 s delay).
  static HintTimings HintTimingsForChoice(ItemIndex item);
  static HintTimings HintTimingsOnOpening(ItemIndex item);

 private:
  void StepDistance(const DistanceStep& rule);
  void ShowFixed(std::string_view component, Real value, int p, int d, std::string_view suffix);
  void ShowFixedGrouped(std::string_view component, Real value, int p, int d,
                        std::string_view suffix);
  void ShowViaLine(Real km);
  void ShowElevationCaption(std::string_view component, Real elevation);
  void ShowElevation(std::string_view component, Real elevation);
  void ShowStationDisplays(Station s);
  void SetEmeBlocksVisible(bool eme);

  void FollowStation(Station s, std::optional<Real> moon_elevation_deg);

  QuillmereState& state_;
  // Each station's EME elevation as the user set it, kept while Follow the
  // Moon points the station at the Moon (Home, DX).
  std::optional<Real> followed_[2];
  Display& display_;
  Controls controls_;
  SunMoonLibrary& moon_;
  UtcClock clock_;
  NumberFormat fmt_;
  std::string text_;  // reused for every display text
};

}  // namespace quillmere
