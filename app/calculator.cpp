#include "calculator.h"

#include <cmath>
#include <utility>

#include "input_limits.h"
#include "itu676.h"
#include "itu835.h"
#include "moon_caption.h"
#include "station_steps.h"
#include "station_totals.h"

namespace quillmere {
namespace {

namespace L = input_limits;

// The display fields each station's own routines write.
struct StationComponents {
  const char* temperature;  // stepper readout
  const char* humidity;
  const char* pressure;
  const char* vapour_density;  // under the water/ice caption
  const char* water_ice;       // the caption itself
  const char* latitude_group;
  const char* hasl_celsius;
  const char* hasl_kelvin;
  const char* hasl_pressure;
  const char* hasl_vapour;
  const char* fog_density;
  const char* liquid_coefficient;
  const char* cloud_attenuation[2];  // DX shows it once
  const char* cloud_slider;
  const char* cloud_label;
};

constexpr StationComponents kHome{"Panel3",
                                  "Panel8",
                                  "Panel5",
                                  "Panel12",
                                  "WaterIceSelectA",
                                  "LatitudeSelectA",
                                  "Panel38",
                                  "Label113",
                                  "Panel39",
                                  "Panel37",
                                  "Panel43",
                                  "Panel33",
                                  {"Panel61", "Panel133"},
                                  "CloudSelectA",
                                  "Label55"};
constexpr StationComponents kDX{"Panel48",
                                "Panel64",
                                "Panel66",
                                "Panel79",
                                "WaterIceSelectB",
                                "LatitudeSelectB",
                                "Panel70",
                                "Label114",
                                "Panel76",
                                "Panel77",
                                "Panel86",
                                "Panel84",
                                {"Panel85", nullptr},
                                "CloudSelectB",
                                "Label73"};

const StationComponents& ComponentsOf(Station s) {
  return s == Station::Home ? kHome : kDX;
}

// Shown only in the EME path mode; Panel126 ("EME path option not
// selected") takes their place in the terrestrial mode.
constexpr const char* kEmeOnly[] = {"Panel23",  "Panel2",   "Panel114", "ColorButton4", "Panel115",
                                    "Panel121", "Panel120", "Panel131", "Panel132",     "Label122",
                                    "Label123", "Panel30",  "Panel31",  "Panel59",      "Panel62",
                                    "Label3",   "Label4",   "Label5",   "Label6",       "Label47",
                                    "Label50",  "Label51",  "Label54"};

constexpr Real kKelvin = 273.15L;
// Steps of 0.1 accumulate in binary floating point: a value that should
// come back to exactly 0 can stay a few units in the 19th decimal above it.
// Anything below half the smallest step is such a remnant of zero.
constexpr Real kZeroRemnant = 0.05L;
constexpr Real kTerrestrialElevation = 0.1L;  // both antennas at the horizon

}  // namespace

Calculator::Calculator(QuillmereState& state, Display& display, SunMoonLibrary& moon,
                       UtcClock clock)
    : state_(state), display_(display), moon_(moon), clock_(std::move(clock)) {
  text_.reserve(128);
}

void Calculator::ShowFixed(std::string_view component, Real value, int p, int d,
                           std::string_view suffix) {
  text_.clear();
  AppendFixed(text_, value, p, d, fmt_);
  text_ += suffix;
  display_.SetText(component, text_);
}

void Calculator::ShowFixedGrouped(std::string_view component, Real value, int p, int d,
                                  std::string_view suffix) {
  text_.clear();
  AppendFixedGrouped(text_, value, p, d, fmt_);
  text_ += suffix;
  display_.SetText(component, text_);
}

void Calculator::ShowViaLine(Real km) {
  text_ = "via a ";
  AppendFixed(text_, km, 8, 1, fmt_);
  text_ += " km path.";
  display_.SetText("Panel16", text_);
}

// An elevation above 1 deg is shown without decimals, 1 deg and below with one.
void Calculator::ShowElevation(std::string_view component, Real elevation) {
  ShowFixed(component, elevation, 8, elevation > 1 ? 0 : 1, " \u00b0");
}

void Calculator::ShowElevationCaption(std::string_view component, Real elevation) {
  text_ = "Total attenuation at ";
  AppendFixed(text_, elevation, 8, elevation > 1 ? 0 : 1, fmt_);
  text_ += " \u00b0";
  display_.SetText(component, text_);
}

// ---------------------------------------------------------------------------
// Model steps with their own display fields.

void Calculator::UpdateVapourDensity(Station s) {
  StationParams& st = Of(s);
  quillmere::UpdateVapourDensity(st);
  ShowFixed(ComponentsOf(s).vapour_density, st.VapourDensity, 8, state_.DisplayDecimals,
            " g/m\u00b3");
}

void Calculator::UpdateHaslValues(Station s) {
  const StationParams& st = Of(s);
  const StationComponents& c = ComponentsOf(s);
  // The latitude group's own item decides; with none selected (before the
  // data file) the boxes keep what they show.
  ReferenceAtmosphere a;
  if (!ReferenceProfileAt(display_.SelectedItem(c.latitude_group), st.Season, st.HeightAsl, a)) {
    return;
  }
  ShowFixed(c.hasl_celsius, a.T - kKelvin, 8, 0, " \u00b0c");
  ShowFixed(c.hasl_kelvin, a.T, 8, 2, " K");
  ShowFixed(c.hasl_pressure, a.P, 8, 0, " hPa");
  ShowFixed(c.hasl_vapour, a.rho, 8, state_.DisplayDecimals, " g/m\u00b3");
}

void Calculator::UpdateCloudAndFog(Station s) {
  StationParams& st = Of(s);
  const StationComponents& c = ComponentsOf(s);
  ShowFixed(c.fog_density, st.FogDensity, 4, 2, " g/m\u00b3");
  const Real Kl = quillmere::UpdateCloudAndFog(st, state_.Frequency);
  ShowFixed(c.liquid_coefficient, Kl, 8, state_.DisplayDecimals, "");
  for (const char* field : c.cloud_attenuation) {
    if (field) ShowFixed(field, st.CloudAttenuation, 8, state_.DisplayDecimals, " dB");
  }
}

void Calculator::UpdateRainAttenuation(Station s) {
  quillmere::UpdateRainAttenuation(Of(s), state_.FrequencyIndex, state_.Frequency, state_.Band);
}

// ---------------------------------------------------------------------------
// The recalculation.

void Calculator::Recalculate() {
  QuillmereState& g = state_;
  StationParams& A = g.Home;
  StationParams& B = g.DX;
  const int D = g.DisplayDecimals;

  // 1-3: path mode (and with it the sun/moon query), the Home ratios, the
  // Moon distance from the slider.
  ApplyPathMode();
  g.Gas = GasRatiosOf(A);
  UpdateMoonPathLoss();

  // 4-5: vapour density and equivalent heights, Home then DX.
  UpdateVapourDensity(Station::Home);
  A.DryAirHeight = DryAirEquivalentHeight(g.Frequency, g.Gas.PressureRatio);
  A.VapourHeight = VapourEquivalentHeight(g.Frequency, g.Gas.PressureRatio);
  g.Gas = GasRatiosOf(B);
  UpdateVapourDensity(Station::DX);
  B.DryAirHeight = DryAirEquivalentHeight(g.Frequency, g.Gas.PressureRatio);
  B.VapourHeight = VapourEquivalentHeight(g.Frequency, g.Gas.PressureRatio);

  // 6-9: gases at the band of this call, then rain (which reloads the band),
  // the reference atmospheres, cloud and fog.
  ComputeGas(A, g.Frequency, g.Gas);
  ComputeGas(B, g.Frequency, g.Gas);
  UpdateRainAttenuation(Station::Home);
  UpdateRainAttenuation(Station::DX);
  UpdateHaslValues(Station::Home);
  UpdateHaslValues(Station::DX);
  UpdateCloudAndFog(Station::Home);
  UpdateCloudAndFog(Station::DX);

  // 10: totals and every result field, in the order of the window's rows.
  const bool eme = g.EmePathMode != 0;
  ShowFixed("Panel3", A.Temperature, 4, 0, "\u00b0c ");
  ShowFixed("Label21", A.Temperature + kKelvin, 6, 2, "K");
  ShowFixed("Panel5", A.Pressure, 4, 0, " hPa");
  ShowFixed("Panel8", A.Humidity, 4, 0, " %");
  ShowFixed("Panel6", A.DryAirSpecific, 8, D, " db km");
  ShowFixed("Panel9", A.VapourSpecific, 8, D, " dB km");
  ShowFixed("Panel10", A.DryAirSpecific + A.VapourSpecific, 8, D, " dB/km");
  ShowFixed("Panel12", A.VapourDensity, 8, D, " g/m\u00b3");
  ShowFixed("Panel14", g.PathLength, 8, 1, " km");
  g.AttenuationPathLength = eme ? EmeAttenuationPathLength(A.Elevation) : g.TerrestrialPathLength;
  ShowViaLine(g.AttenuationPathLength);
  ShowElevation("Panel18", A.Elevation);
  const Real zenith_a = ZenithAttenuation(A);
  A.SlantTotal = SlantAttenuation(zenith_a, A.Elevation);
  ShowFixed("Panel19", A.SlantTotal, 8, D, " dB");
  ShowFixed("Panel27", A.DryAirHeight, 8, D, " km");
  ShowFixed("Panel22", A.VapourHeight, 8, D, " km");
  ShowFixed("Panel20", zenith_a, 8, D, " dB");
  ShowFixed("Panel26", A.DryAirSpecific, 8, D, " dB");
  ShowFixed("Panel24", A.VapourSpecific, 8, D, " dB");
  ShowFixed("Panel28", A.DryAirHeight * A.DryAirSpecific, 8, D, " dB");
  ShowFixed("Panel21", A.VapourHeight * A.VapourSpecific, 8, D, " dB");
  ShowElevationCaption("Panel25", A.Elevation);
  ShowElevationCaption("Panel110", B.Elevation);
  ShowFixed("Panel32", A.RainAttenuation, 8, D, " dB/km");
  ShowFixed("Panel35", A.RainAttenuation, 8, D, " dB/km");
  ShowFixed("Panel55", A.RainAttenuation, 8, D, " dB/km");
  ShowFixed("Panel56", A.CloudAttenuation, 8, D, " dB");
  if (eme) g.AttenuationPathLength = EmeAttenuationPathLength(A.Elevation);
  const Real path_attenuation = (A.DryAirSpecific + A.VapourSpecific + A.RainAttenuation +
                                 A.CloudAttenuation + A.FogAttenuation) *
                                g.AttenuationPathLength;
  ShowFixed("Panel11", path_attenuation, 16, D, " dB+");
  ShowFixed("Panel131", SkyNoise(A), 4, 2, " K");
  ShowFixed("Panel36", A.HeightAsl, 8, 0, " m");
  ShowFixed("Panel34", FreeSpacePathLoss(g.PathLength, g.Frequency), 16, D, " dB");
  ShowFixed("Panel44", A.FogAttenuation, 8, D, " dB/km");
  ShowFixed("Panel40", A.FogAttenuation, 8, D, " dB/km");
  ShowFixed("Panel57", A.FogAttenuation, 8, D, " dB/km");
  ShowFixed("Panel59", g.EmePathLoss, 5, D, " dB");
  ShowFixed("Panel58", OneWayLoss(A), 16, D, " dB");
  ShowFixed("Panel30", EmeTotal(A, g.EmePathLoss), 8, D, " dB");
  A.CloudContent = static_cast<Real>(display_.SliderPosition("CloudSelectA")) / 10;
  ShowFixedGrouped("Label55", A.CloudContent, 3, 1, " kg/m\u00b2");

  ShowElevation("Panel7", B.Elevation);
  ShowFixed("Panel48", B.Temperature, 4, 0, "\u00b0c ");
  ShowFixed("Label58", B.Temperature + kKelvin, 6, 2, "K");
  ShowFixed("Panel64", B.Humidity, 4, 0, " %");
  ShowFixed("Panel66", B.Pressure, 4, 0, " hPa");
  ShowFixed("Panel79", B.VapourDensity, 8, D, " g/m\u00b3");
  const Real zenith_b = ZenithAttenuation(B);
  ShowFixed("Panel106", zenith_b, 8, D, " dB");
  ShowFixed("Panel94", B.DryAirSpecific, 8, D, " dB");
  B.SlantTotal = SlantAttenuation(zenith_b, B.Elevation);
  ShowFixed("Panel112", B.SlantTotal, 8, D, " dB");
  ShowFixed("Panel96", B.DryAirHeight, 8, D, " km");
  ShowFixed("Panel98", B.DryAirHeight * B.DryAirSpecific, 8, D, " dB");
  ShowFixed("Panel100", B.VapourSpecific, 8, D, " dB");
  ShowFixed("Panel102", B.VapourHeight, 8, D, " km");
  ShowFixed("Panel104", B.VapourHeight * B.VapourSpecific, 8, D, " dB");
  B.CloudContent = static_cast<Real>(display_.SliderPosition("CloudSelectB")) / 10;
  ShowFixedGrouped("Label73", B.CloudContent, 3, 1, " kg/m\u00b2");
  ShowFixed("Panel81", B.FogAttenuation, 8, D, " dB/km");
  ShowFixed("Panel51", B.FogAttenuation, 8, D, " dB/km");
  ShowFixed("Panel89", B.RainAttenuation, 8, D, " dB/km");
  ShowFixed("Panel41", B.RainAttenuation, 8, D, " dB/km");
  ShowFixed("Panel50", B.CloudAttenuation, 8, D, " dB");
  ShowFixed("Panel132", SkyNoise(B), 4, 2, " K");
  ShowFixed("Panel62", g.EmePathLoss, 5, D, " dB");
  ShowFixed("Panel54", OneWayLoss(B), 16, D, " dB");
  ShowFixed("Panel31", EmeTotal(B, g.EmePathLoss), 8, D, " dB");
  ShowFixed("Panel75", B.HeightAsl, 8, 0, " m");
  ShowFixed("Panel120", OneWayLoss(A) + OneWayLoss(B), 8, D, " dB");
}

// ---------------------------------------------------------------------------
// Moon distance, EME path loss and the sun/moon component.

void Calculator::UpdateMoonPathLoss() {
  // Putting the stored position on the slider runs the slider's own change
  // handling when it moves it (a full recalculation, which finds the slider
  // already there, so the nesting ends).
  display_.SetSliderPosition("ScrollBar1", state_.MoonSliderPosition);
  const int position = display_.SliderPosition("ScrollBar1");
  state_.MoonDistance = MoonDistanceAt(position);
  ShowFixed("Label96", state_.MoonDistance, 10, 1, " kms");
  state_.MoonSliderPosition = position;
  state_.EmePathLoss = EmePathLoss(state_.MoonDistance, state_.Frequency);
}

void Calculator::ScrollBar1Change() {
  state_.MoonSliderPosition = display_.SliderPosition("ScrollBar1");
  UpdateMoonPathLoss();
  Recalculate();
}

void Calculator::ResetToCurrentDistance() {
  state_.PathLength = state_.CurrentMoonDistance;
  if (const auto position = SliderPositionFor(state_.CurrentMoonDistance)) {
    display_.SetSliderPosition("ScrollBar1", *position);
  }
  state_.PathLength = state_.CurrentMoonDistance;
  Recalculate();
}

void Calculator::ColorButton4Click() {
  QueryMoonLibrary();
  ResetToCurrentDistance();
}

void Calculator::FollowMoon(Real home_elevation_deg, Real dx_elevation_deg) {
  const auto set = [](StationParams& st, Real elevation) {
    if (!(elevation >= L::kElevation.low)) elevation = L::kElevation.low;
    if (elevation > L::kElevation.high) elevation = L::kElevation.high;
    st.Elevation = elevation;
    st.EmeElevation = elevation;
  };
  set(state_.Home, home_elevation_deg);
  set(state_.DX, dx_elevation_deg);
  ColorButton4Click();
}

void Calculator::QueryMoonLibrary() {
  const UtcDateTime t = clock_();  // the milliseconds are not passed on
  auto u16 = [](int v) { return static_cast<std::uint16_t>(v); };
  moon_.DataToDLL(u16(t.year), u16(t.month), u16(t.day), u16(t.hour), u16(t.minute), u16(t.second),
                  0.0, 0.0, 0.0, 0, 0, 0.0);
  moon_.GetDoppler();  // asked, as the component expects, and not shown
  state_.CurrentMoonDistance = moon_.GetDistance();
  state_.PathLength = moon_.GetDistance();
  state_.MoonPhase = moon_.GetMoonPhase();
  MoonData data{};
  data.path_loss_db = moon_.GetDB();
  data.diameter_deg = moon_.GetAngularDiam();
  data.phase_reported = moon_.GetMoonPhase();
  data.phase = state_.MoonPhase;
  display_.SetText("Panel114", MoonDataCaption(data, fmt_));
}

// ---------------------------------------------------------------------------
// Path mode and the terrestrial path.

void Calculator::SetEmeBlocksVisible(bool eme) {
  for (const char* name : kEmeOnly) display_.SetVisible(name, eme);
  display_.SetVisible("Panel126", !eme);
}

void Calculator::ApplyPathMode() {
  QuillmereState& g = state_;
  if (g.EmePathMode == 0) {
    SetEmeBlocksVisible(false);
    display_.SetColor("Panel124", kBlue);
    display_.SetColor("Panel125", kSilver);
    g.Home.Elevation = kTerrestrialElevation;
    g.DX.Elevation = kTerrestrialElevation;
    g.AttenuationPathLength = g.TerrestrialPathLength;
    g.PathLength = g.TerrestrialPathLength;
    ShowViaLine(g.TerrestrialPathLength);
  } else {
    SetEmeBlocksVisible(true);
    display_.SetColor("Panel124", kSkyBlue);
    display_.SetColor("Panel125", kWhite);
    g.Home.Elevation = g.Home.EmeElevation;
    g.DX.Elevation = g.DX.EmeElevation;
    g.AttenuationPathLength = EmeAttenuationPathLength(g.Home.Elevation);
    QueryMoonLibrary();
    ShowViaLine(g.AttenuationPathLength);
  }
}

void Calculator::Panel125Click() {
  QuillmereState& g = state_;
  g.EmePathMode = 1;
  g.Home.Elevation = g.Home.EmeElevation;
  g.DX.Elevation = g.DX.EmeElevation;
  ApplyPathMode();
  QueryMoonLibrary();
  display_.SetColor("Panel124", kSkyBlue);
  display_.SetColor("Panel125", kWhite);
  Recalculate();
  ResetToCurrentDistance();
}

void Calculator::Panel124Click() {
  state_.EmePathMode = 0;
  display_.SetColor("Panel124", kBlue);
  display_.SetColor("Panel125", kSilver);
  ApplyPathMode();
  Recalculate();
}

void Calculator::StepDistance(const DistanceStep& rule) {
  state_.PathLength = ApplyDistanceStep(state_.PathLength, rule);
  if (state_.EmePathMode == 0 && state_.PathLength > L::kTerrestrialPath.high) {
    state_.PathLength = L::kTerrestrialPath.high;
  }
  // In EME mode the next recalculation puts the Moon's distance back.
  if (state_.EmePathMode == 0) state_.TerrestrialPathLength = state_.PathLength;
  Recalculate();
}

// ---------------------------------------------------------------------------
// Parameter steppers. Each clamp replaces the stepped value; a click at a
// limit still recalculates.

void Calculator::TempButtonUpClick(Station s) {
  StationParams& st = Of(s);
  st.Temperature += 1;
  if (st.Temperature > L::kTemperature.high) st.Temperature = L::kTemperature.high;
  ShowFixed(ComponentsOf(s).temperature, st.Temperature, 4, 0, " \u00b0c");
  st.TemperatureKelvin = st.Temperature + kKelvin;
  Recalculate();
}

void Calculator::TempButtonDownClick(Station s) {
  StationParams& st = Of(s);
  st.Temperature -= 1;
  if (st.Temperature < L::kTemperature.low) st.Temperature = L::kTemperature.low;
  ShowFixed(ComponentsOf(s).temperature, st.Temperature, 4, 0, " \u00b0c");
  st.TemperatureKelvin = st.Temperature + kKelvin;
  Recalculate();
}

void Calculator::HumidityButtonUpClick(Station s) {
  StationParams& st = Of(s);
  st.Humidity += 1;
  if (st.Humidity > L::kHumidity.high) st.Humidity = L::kHumidity.high;
  ShowFixed(ComponentsOf(s).humidity, st.Humidity, 4, 0, " %");
  Recalculate();
}

void Calculator::HumidityButtonDownClick(Station s) {
  StationParams& st = Of(s);
  st.Humidity -= 1;
  if (st.Humidity <= L::kHumidity.low) st.Humidity = L::kHumidity.low;
  ShowFixed(ComponentsOf(s).humidity, st.Humidity, 4, 0, " %");
  Recalculate();
}

void Calculator::PressButtonUpClick(Station s) {
  StationParams& st = Of(s);
  st.Pressure += 1;
  if (st.Pressure > L::kPressure.high) st.Pressure = L::kPressure.high;
  ShowFixed(ComponentsOf(s).pressure, st.Pressure, 4, 0, " hPa");
  Recalculate();
}

void Calculator::PressButtonDownClick(Station s) {
  StationParams& st = Of(s);
  st.Pressure -= 1;
  if (st.Pressure <= L::kPressure.low) st.Pressure = L::kPressure.low;
  ShowFixed(ComponentsOf(s).pressure, st.Pressure, 4, 0, " hPa");
  Recalculate();
}

void Calculator::HASLx10UpClick(Station s) {
  StationParams& st = Of(s);
  st.HeightAsl += 10;
  if (st.HeightAsl > L::kHeightAsl.high) st.HeightAsl = L::kHeightAsl.high;
  UpdateHaslValues(s);
  Recalculate();
}

void Calculator::HASLx10DownClick(Station s) {
  StationParams& st = Of(s);
  st.HeightAsl -= 10;
  if (st.HeightAsl < L::kHeightAsl.low) st.HeightAsl = L::kHeightAsl.low;
  UpdateHaslValues(s);
  Recalculate();
}

void Calculator::HASLx100UpClick(Station s) {
  StationParams& st = Of(s);
  st.HeightAsl += 100;
  // The DX station's hundreds button keeps its own lower ceiling.
  const Real ceiling = s == Station::DX ? L::kDxHundredsCeiling : L::kHeightAsl.high;
  if (st.HeightAsl > ceiling) st.HeightAsl = ceiling;
  UpdateHaslValues(s);
  Recalculate();
}

void Calculator::HASLx100DownClick(Station s) {
  StationParams& st = Of(s);
  st.HeightAsl -= 100;
  if (st.HeightAsl < L::kHeightAsl.low) st.HeightAsl = L::kHeightAsl.low;
  UpdateHaslValues(s);
  Recalculate();
}

void Calculator::ElevationButton10UpClick(Station s) {
  StationParams& st = Of(s);
  st.Elevation += 10;
  if (st.Elevation >= L::kElevation.high) st.Elevation = L::kElevation.high;
  st.EmeElevation = st.Elevation;
  Recalculate();
}

void Calculator::ElevationButton10DownClick(Station s) {
  StationParams& st = Of(s);
  st.Elevation -= 10;
  if (st.Elevation < kZeroRemnant) st.Elevation = 1;  // the tens button floors at 1 deg
  st.EmeElevation = st.Elevation;
  Recalculate();
}

void Calculator::ElevationButton1UpClick(Station s) {
  StationParams& st = Of(s);
  // Below 1 deg the ones button moves in tenths.
  st.Elevation += st.Elevation >= 1 ? 1 : 0.1L;
  if (st.Elevation >= L::kElevation.high) st.Elevation = L::kElevation.high;
  st.EmeElevation = st.Elevation;
  Recalculate();
}

void Calculator::ElevationButton1DownClick(Station s) {
  StationParams& st = Of(s);
  st.Elevation -= st.Elevation > 1 ? 1 : 0.1L;
  if (st.Elevation < kZeroRemnant) st.Elevation = L::kElevation.low;
  st.EmeElevation = st.Elevation;
  Recalculate();
}

// ---------------------------------------------------------------------------
// Selections.

void Calculator::FreqSelect1Click(ItemIndex item) {
  state_.FrequencyIndex = item;
  // The band is loaded before the recalculation starts, so its gaseous step
  // already uses the new frequency.
  UpdateRainAttenuation(Station::Home);
  UpdateRainAttenuation(Station::DX);
  Recalculate();
}

void Calculator::RainSelectClick(Station s, ItemIndex item) {
  Of(s).RainRateIndex = item;
  Recalculate();
}

void Calculator::PolarisationSelectClick(Station s, ItemIndex item) {
  Of(s).Polarisation = item;
  UpdateRainAttenuation(s);
  Recalculate();
}

void Calculator::FogSelectClick(Station s, ItemIndex item) {
  SelectFog(Of(s), item);
  UpdateCloudAndFog(s);
  Recalculate();
}

void Calculator::LatitudeSelectClick(Station s, ItemIndex item) {
  Of(s).LatitudeZone = item;
  UpdateHaslValues(s);
  Recalculate();
}

void Calculator::SummerWinterSelectClick(Station s, ItemIndex item) {
  Of(s).Season = item;
  UpdateHaslValues(s);
  Recalculate();
}

void Calculator::CloudSelectChange(Station s, int position) {
  StationParams& st = Of(s);
  const StationComponents& c = ComponentsOf(s);
  st.CloudContent = static_cast<Real>(position) / 10;
  ShowFixedGrouped(c.cloud_label, st.CloudContent, 3, 1, " kg/m\u00b2");
  st.CloudPosition = position;
  UpdateCloudAndFog(s);
  Recalculate();
}

void Calculator::WaterIceSelectClick(Station s) {
  StationParams& st = Of(s);
  if (st.VapourOverWater) {
    st.VapourOverWater = 0;
    display_.SetText(ComponentsOf(s).water_ice, "Ice Vapour Density");
  } else {
    st.VapourOverWater = 1;
    display_.SetText(ComponentsOf(s).water_ice, "Water Vapour Density");
  }
  Recalculate();
}

void Calculator::DisplayAccuracyClick(ItemIndex item) {
  if (item >= 0) state_.DisplayDecimals = item + 1;
  display_.SetVisible("DisplayAccuracy", false);
  Recalculate();
}

HintTimings Calculator::HintTimingsForChoice(ItemIndex item) {
  switch (item) {
    case 0:
      return {250, 8000};
    case 1:
      return {250, 4000};
    case 2:
      return {250, 2000};
    case 3:
      return {std::nullopt, 0};  // "Do not Display": taken down at once
    default:
      return {};
  }
}

HintTimings Calculator::HintTimingsOnOpening(ItemIndex item) {
  if (item == 3) return {10000, 0};
  return HintTimingsForChoice(item);
}

HintTimings Calculator::ScreenDelaySelectClick(ItemIndex item) {
  state_.HelpDelayIndex = item;
  display_.SetVisible("ScreenDelaySelect", false);
  Recalculate();
  return HintTimingsForChoice(item);
}

}  // namespace quillmere
