#include "calculator.h"

#include <cmath>
#include <utility>

#include "constants.h"
#include "form_components.h"
#include "input_limits.h"
#include "itu676.h"
#include "itu835.h"
#include "moon_caption.h"
#include "station_steps.h"
#include "station_totals.h"

namespace quillmere {
namespace {

namespace L = input_limits;
namespace C = component;

// Every display field and control of one station. The result rows name
// their components through this table only, so that the Home and DX rows
// differ by the station alone. An empty name: the station has no such
// field (those rows are shown in the Home column only).
struct StationComponents {
  // Inputs and their readouts.
  std::string_view temperature, kelvin, pressure, humidity, height_asl, elevation;
  std::string_view vapour_density;  // under the water/ice caption
  std::string_view water_ice;       // the caption itself
  // The controls.
  std::string_view latitude_group, season_group, rain_group, polarisation_group, fog_group;
  std::string_view cloud_slider, cloud_label;
  // The reference atmosphere at the station's height.
  std::string_view hasl_celsius, hasl_kelvin, hasl_pressure, hasl_vapour;
  // Cloud, fog and rain, each in the station's own block, in the Home
  // summary (Home only) and in the slant block.
  std::string_view fog_density, liquid_coefficient;
  std::string_view cloud_block, cloud_summary, cloud_slant;
  std::string_view fog_block, fog_summary, fog_slant;
  std::string_view rain_block, rain_summary, rain_slant;
  // Gases at the station.
  std::string_view dry_air_specific, vapour_specific, gas_specific;
  std::string_view dry_air_db, vapour_db, dry_air_height, vapour_height, dry_air_at_height,
      vapour_at_height, zenith, slant_caption, slant_total;
  // Totals.
  std::string_view path_attenuation, sky_noise, eme_path_loss, one_way_loss, eme_total;
  // The path, shown once, in the Home column.
  std::string_view path_length, via_line, free_space_loss, combined_loss;
};

constexpr StationComponents kHome{
    .temperature = C::Panel3,
    .kelvin = C::Label21,
    .pressure = C::Panel5,
    .humidity = C::Panel8,
    .height_asl = C::Panel36,
    .elevation = C::Panel18,
    .vapour_density = C::Panel12,
    .water_ice = C::WaterIceSelectA,
    .latitude_group = C::LatitudeSelectA,
    .season_group = C::SummerWinterSelectA,
    .rain_group = C::RainSelectA,
    .polarisation_group = C::PolarisationSelectA,
    .fog_group = C::FogSelectA,
    .cloud_slider = C::CloudSelectA,
    .cloud_label = C::Label55,
    .hasl_celsius = C::Panel38,
    .hasl_kelvin = C::Label113,
    .hasl_pressure = C::Panel39,
    .hasl_vapour = C::Panel37,
    .fog_density = C::Panel43,
    .liquid_coefficient = C::Panel33,
    .cloud_block = C::Panel61,
    .cloud_summary = C::Panel133,
    .cloud_slant = C::Panel56,
    .fog_block = C::Panel44,
    .fog_summary = C::Panel40,
    .fog_slant = C::Panel57,
    .rain_block = C::Panel32,
    .rain_summary = C::Panel35,
    .rain_slant = C::Panel55,
    .dry_air_specific = C::Panel6,
    .vapour_specific = C::Panel9,
    .gas_specific = C::Panel10,
    .dry_air_db = C::Panel26,
    .vapour_db = C::Panel24,
    .dry_air_height = C::Panel27,
    .vapour_height = C::Panel22,
    .dry_air_at_height = C::Panel28,
    .vapour_at_height = C::Panel21,
    .zenith = C::Panel20,
    .slant_caption = C::Panel25,
    .slant_total = C::Panel19,
    .path_attenuation = C::Panel11,
    .sky_noise = C::Panel131,
    .eme_path_loss = C::Panel59,
    .one_way_loss = C::Panel58,
    .eme_total = C::Panel30,
    .path_length = C::Panel14,
    .via_line = C::Panel16,
    .free_space_loss = C::Panel34,
    .combined_loss = C::Panel120,
};

constexpr StationComponents kDX{
    .temperature = C::Panel48,
    .kelvin = C::Label58,
    .pressure = C::Panel66,
    .humidity = C::Panel64,
    .height_asl = C::Panel75,
    .elevation = C::Panel7,
    .vapour_density = C::Panel79,
    .water_ice = C::WaterIceSelectB,
    .latitude_group = C::LatitudeSelectB,
    .season_group = C::SummerWinterSelectB,
    .rain_group = C::RainSelectB,
    .polarisation_group = C::PolarisationSelectB,
    .fog_group = C::FogSelectB,
    .cloud_slider = C::CloudSelectB,
    .cloud_label = C::Label73,
    .hasl_celsius = C::Panel70,
    .hasl_kelvin = C::Label114,
    .hasl_pressure = C::Panel76,
    .hasl_vapour = C::Panel77,
    .fog_density = C::Panel86,
    .liquid_coefficient = C::Panel84,
    .cloud_block = C::Panel85,
    .cloud_summary = {},  // Home only
    .cloud_slant = C::Panel50,
    .fog_block = C::Panel81,
    .fog_summary = {},  // Home only
    .fog_slant = C::Panel51,
    .rain_block = C::Panel89,
    .rain_summary = {},  // Home only
    .rain_slant = C::Panel41,
    .dry_air_specific = {},  // Home only
    .vapour_specific = {},   // Home only
    .gas_specific = {},      // Home only
    .dry_air_db = C::Panel94,
    .vapour_db = C::Panel100,
    .dry_air_height = C::Panel96,
    .vapour_height = C::Panel102,
    .dry_air_at_height = C::Panel98,
    .vapour_at_height = C::Panel104,
    .zenith = C::Panel106,
    .slant_caption = C::Panel110,
    .slant_total = C::Panel112,
    .path_attenuation = {},  // Home only
    .sky_noise = C::Panel132,
    .eme_path_loss = C::Panel62,
    .one_way_loss = C::Panel54,
    .eme_total = C::Panel31,
    .path_length = {},      // Home only
    .via_line = {},         // Home only
    .free_space_loss = {},  // Home only
    .combined_loss = {},    // Home only
};

const StationComponents& ComponentsOf(Station s) {
  return s == Station::Home ? kHome : kDX;
}

// Every figure of one station's result rows, as one recalculation leaves
// it (the path figures in the Home column).
struct StationFigures {
  Real temperature, kelvin, pressure, humidity, height_asl, elevation, vapour_density;
  Real dry_air_specific, vapour_specific, gas_specific, dry_air_height, vapour_height;
  Real dry_air_at_height, vapour_at_height, zenith, slant_total;
  Real rain, fog, cloud_attenuation, cloud_content;
  Real path_attenuation, sky_noise, eme_path_loss, one_way_loss, eme_total;
  Real path_length, via_line, free_space_loss, combined_loss;
};

// How a row's figure is written.
enum class Style {
  kFixed,      // fixed decimals and suffix
  kGrouped,    // the same with thousands grouped
  kElevation,  // decimals by size: above 1 deg none, else one
  kElevationCaption,
  kViaLine,
};

// One result field: whose (station), which component, which figure, and
// how (field width, decimals, suffix). kD: the user's display accuracy.
struct Row {
  Station station;
  std::string_view StationComponents::*component;
  Real StationFigures::*figure;
  int precision, decimals;
  std::string_view suffix;
  Style style = Style::kFixed;
};

constexpr int kD = -1;
// Precision and decimals of a row whose style's function writes the figure
// in its own way: not read.
constexpr int kOwn = 0;
constexpr Station H = Station::Home;
constexpr Station X = Station::DX;
using SC = StationComponents;
using SF = StationFigures;

// The result rows in the window's order: Home's column, the two slant
// captions, then the DX column.
constexpr Row kResultRows[] = {
    // Quirk kept: the recalculation writes "°c " where the steppers write " °c".
    {H, &SC::temperature, &SF::temperature, 4, 0, "\u00b0c "},
    {H, &SC::kelvin, &SF::kelvin, 6, 2, "K"},
    {H, &SC::pressure, &SF::pressure, 4, 0, " hPa"},
    {H, &SC::humidity, &SF::humidity, 4, 0, " %"},
    // Quirk kept: dry air reads "db km", lower-case b and no slash.
    {H, &SC::dry_air_specific, &SF::dry_air_specific, 8, kD, " db km"},
    // Quirk kept: "dB km" without the slash the sum beside it has.
    {H, &SC::vapour_specific, &SF::vapour_specific, 8, kD, " dB km"},
    {H, &SC::gas_specific, &SF::gas_specific, 8, kD, " dB/km"},
    {H, &SC::vapour_density, &SF::vapour_density, 8, kD, " g/m\u00b3"},
    {H, &SC::path_length, &SF::path_length, 8, 1, " km"},
    {H, &SC::via_line, &SF::via_line, kOwn, kOwn, "", Style::kViaLine},
    {H, &SC::elevation, &SF::elevation, kOwn, kOwn, "", Style::kElevation},
    {H, &SC::slant_total, &SF::slant_total, 8, kD, " dB"},
    {H, &SC::dry_air_height, &SF::dry_air_height, 8, kD, " km"},
    {H, &SC::vapour_height, &SF::vapour_height, 8, kD, " km"},
    {H, &SC::zenith, &SF::zenith, 8, kD, " dB"},
    // Quirk kept: the specific attenuations (dB/km) are shown again with " dB".
    {H, &SC::dry_air_db, &SF::dry_air_specific, 8, kD, " dB"},
    {H, &SC::vapour_db, &SF::vapour_specific, 8, kD, " dB"},
    {H, &SC::dry_air_at_height, &SF::dry_air_at_height, 8, kD, " dB"},
    {H, &SC::vapour_at_height, &SF::vapour_at_height, 8, kD, " dB"},
    {H, &SC::slant_caption, &SF::elevation, kOwn, kOwn, "", Style::kElevationCaption},
    {X, &SC::slant_caption, &SF::elevation, kOwn, kOwn, "", Style::kElevationCaption},
    {H, &SC::rain_block, &SF::rain, 8, kD, " dB/km"},
    {H, &SC::rain_summary, &SF::rain, 8, kD, " dB/km"},
    {H, &SC::rain_slant, &SF::rain, 8, kD, " dB/km"},
    {H, &SC::cloud_slant, &SF::cloud_attenuation, 8, kD, " dB"},
    // Quirk kept: the path total is marked "dB+".
    {H, &SC::path_attenuation, &SF::path_attenuation, 16, kD, " dB+"},
    {H, &SC::sky_noise, &SF::sky_noise, 4, 2, " K"},
    {H, &SC::height_asl, &SF::height_asl, 8, 0, " m"},
    {H, &SC::free_space_loss, &SF::free_space_loss, 16, kD, " dB"},
    {H, &SC::fog_block, &SF::fog, 8, kD, " dB/km"},
    {H, &SC::fog_summary, &SF::fog, 8, kD, " dB/km"},
    {H, &SC::fog_slant, &SF::fog, 8, kD, " dB/km"},
    {H, &SC::eme_path_loss, &SF::eme_path_loss, 5, kD, " dB"},
    {H, &SC::one_way_loss, &SF::one_way_loss, 16, kD, " dB"},
    {H, &SC::eme_total, &SF::eme_total, 8, kD, " dB"},
    {H, &SC::cloud_label, &SF::cloud_content, 3, 1, " kg/m\u00b2", Style::kGrouped},

    {X, &SC::elevation, &SF::elevation, kOwn, kOwn, "", Style::kElevation},
    {X, &SC::temperature, &SF::temperature, 4, 0, "\u00b0c "},
    {X, &SC::kelvin, &SF::kelvin, 6, 2, "K"},
    {X, &SC::humidity, &SF::humidity, 4, 0, " %"},
    {X, &SC::pressure, &SF::pressure, 4, 0, " hPa"},
    {X, &SC::vapour_density, &SF::vapour_density, 8, kD, " g/m\u00b3"},
    {X, &SC::zenith, &SF::zenith, 8, kD, " dB"},
    {X, &SC::dry_air_db, &SF::dry_air_specific, 8, kD, " dB"},
    {X, &SC::slant_total, &SF::slant_total, 8, kD, " dB"},
    {X, &SC::dry_air_height, &SF::dry_air_height, 8, kD, " km"},
    {X, &SC::dry_air_at_height, &SF::dry_air_at_height, 8, kD, " dB"},
    {X, &SC::vapour_db, &SF::vapour_specific, 8, kD, " dB"},
    {X, &SC::vapour_height, &SF::vapour_height, 8, kD, " km"},
    {X, &SC::vapour_at_height, &SF::vapour_at_height, 8, kD, " dB"},
    {X, &SC::cloud_label, &SF::cloud_content, 3, 1, " kg/m\u00b2", Style::kGrouped},
    {X, &SC::fog_block, &SF::fog, 8, kD, " dB/km"},
    {X, &SC::fog_slant, &SF::fog, 8, kD, " dB/km"},
    {X, &SC::rain_block, &SF::rain, 8, kD, " dB/km"},
    {X, &SC::rain_slant, &SF::rain, 8, kD, " dB/km"},
    {X, &SC::cloud_slant, &SF::cloud_attenuation, 8, kD, " dB"},
    {X, &SC::sky_noise, &SF::sky_noise, 4, 2, " K"},
    {X, &SC::eme_path_loss, &SF::eme_path_loss, 5, kD, " dB"},
    {X, &SC::one_way_loss, &SF::one_way_loss, 16, kD, " dB"},
    {X, &SC::eme_total, &SF::eme_total, 8, kD, " dB"},
    {X, &SC::height_asl, &SF::height_asl, 8, 0, " m"},
    {H, &SC::combined_loss, &SF::combined_loss, 8, kD, " dB"},
};

// Shown only in the EME path mode; Panel126 ("EME path option not
// selected") takes their place in the terrestrial mode.
constexpr std::string_view kEmeOnly[] = {
    C::Panel23,  C::Panel2,   C::Panel114, C::ColorButton4, C::Panel115, C::Panel121,
    C::Panel120, C::Panel131, C::Panel132, C::Label122,     C::Label123, C::Panel30,
    C::Panel31,  C::Panel59,  C::Panel62,  C::Label3,       C::Label4,   C::Label5,
    C::Label6,   C::Label47,  C::Label50,  C::Label51,      C::Label54};

// Steps of 0.1 accumulate in binary floating point: a value that should
// come back to exactly 0 can stay a few units in the 19th decimal above it.
// Anything below half the smallest step is such a remnant of zero.
constexpr Real kZeroRemnant = 0.05L;
constexpr Real kTerrestrialElevation = 0.1L;  // both antennas at the horizon

}  // namespace

Calculator::Calculator(QuillmereState& state, Display& display, SunMoonLibrary& moon,
                       UtcClock clock)
    : state_(state), display_(display), controls_(display), moon_(moon), clock_(std::move(clock)) {
  text_.reserve(128);
  // Each group and slider runs its handler when its value changes, however
  // the change was made: a user's choice or the data-file load.
  const auto group = [this](std::string_view name, void (Calculator::*handler)(ItemIndex)) {
    controls_.OnChange(name, [this, handler](int item) { (this->*handler)(item); });
  };
  const auto station_group = [this](Station s, std::string_view StationComponents::*name,
                                    void (Calculator::*handler)(Station, ItemIndex)) {
    controls_.OnChange(ComponentsOf(s).*name,
                       [this, s, handler](int item) { (this->*handler)(s, item); });
  };
  group(C::FreqSelect, &Calculator::FreqSelect1Click);
  group(C::DisplayAccuracy, &Calculator::DisplayAccuracyClick);
  controls_.OnChange(C::ScreenDelaySelect, [this](int item) { ScreenDelaySelectClick(item); });
  controls_.OnChange(C::ScrollBar1, [this](int) { ScrollBar1Change(); });
  for (const Station s : {Station::Home, Station::DX}) {
    station_group(s, &StationComponents::rain_group, &Calculator::RainSelectClick);
    station_group(s, &StationComponents::polarisation_group, &Calculator::PolarisationSelectClick);
    station_group(s, &StationComponents::fog_group, &Calculator::FogSelectClick);
    station_group(s, &StationComponents::latitude_group, &Calculator::LatitudeSelectClick);
    station_group(s, &StationComponents::season_group, &Calculator::SummerWinterSelectClick);
    station_group(s, &StationComponents::cloud_slider, &Calculator::CloudSelectChange);
  }
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
  display_.SetText(C::Panel16, text_);
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
  if (!ReferenceProfileAt(controls_.Selected(c.latitude_group), st.Season, st.HeightAsl, a)) {
    return;
  }
  ShowFixed(c.hasl_celsius, a.T - kZeroCelsius, 8, 0, " \u00b0c");
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
  for (const std::string_view field : {c.cloud_block, c.cloud_summary}) {
    if (!field.empty()) ShowFixed(field, st.CloudAttenuation, 8, state_.DisplayDecimals, " dB");
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
  g.AttenuationPathLength = eme ? EmeAttenuationPathLength(A.Elevation) : g.TerrestrialPathLength;
  const Real zenith_a = ZenithAttenuation(A);
  A.SlantTotal = SlantAttenuation(zenith_a, A.Elevation);
  const Real zenith_b = ZenithAttenuation(B);
  B.SlantTotal = SlantAttenuation(zenith_b, B.Elevation);
  A.CloudContent = static_cast<Real>(controls_.Position(C::CloudSelectA)) / 10;
  B.CloudContent = static_cast<Real>(controls_.Position(C::CloudSelectB)) / 10;

  StationFigures figures[2]{};
  const auto fill = [&g](StationFigures& f, const StationParams& st, Real zenith) {
    f.temperature = st.Temperature;
    f.kelvin = st.Temperature + kZeroCelsius;
    f.pressure = st.Pressure;
    f.humidity = st.Humidity;
    f.height_asl = st.HeightAsl;
    f.elevation = st.Elevation;
    f.vapour_density = st.VapourDensity;
    f.dry_air_specific = st.DryAirSpecific;
    f.vapour_specific = st.VapourSpecific;
    f.gas_specific = st.DryAirSpecific + st.VapourSpecific;
    f.dry_air_height = st.DryAirHeight;
    f.vapour_height = st.VapourHeight;
    f.dry_air_at_height = st.DryAirHeight * st.DryAirSpecific;
    f.vapour_at_height = st.VapourHeight * st.VapourSpecific;
    f.zenith = zenith;
    f.slant_total = st.SlantTotal;
    f.rain = st.RainAttenuation;
    f.fog = st.FogAttenuation;
    f.cloud_attenuation = st.CloudAttenuation;
    f.cloud_content = st.CloudContent;
    f.sky_noise = SkyNoise(st);
    f.eme_path_loss = g.EmePathLoss;
    f.one_way_loss = OneWayLoss(st);
    f.eme_total = EmeTotal(st, g.EmePathLoss);
  };
  fill(figures[0], A, zenith_a);
  fill(figures[1], B, zenith_b);
  // The path's figures, in the Home column.
  StationFigures& path = figures[0];
  path.path_attenuation = (A.DryAirSpecific + A.VapourSpecific + A.RainAttenuation +
                           A.CloudAttenuation + A.FogAttenuation) *
                          g.AttenuationPathLength;
  path.path_length = g.PathLength;
  path.via_line = g.AttenuationPathLength;
  path.free_space_loss = FreeSpacePathLoss(g.PathLength, g.Frequency);
  path.combined_loss = figures[0].one_way_loss + figures[1].one_way_loss;

  for (const Row& row : kResultRows) {
    const std::string_view component = ComponentsOf(row.station).*row.component;
    if (component.empty()) continue;  // a field of the Home column only
    const Real value = figures[row.station == Station::Home ? 0 : 1].*row.figure;
    const int decimals = row.decimals == kD ? D : row.decimals;
    switch (row.style) {
      case Style::kFixed:
        ShowFixed(component, value, row.precision, decimals, row.suffix);
        break;
      case Style::kGrouped:
        ShowFixedGrouped(component, value, row.precision, decimals, row.suffix);
        break;
      case Style::kElevation:
        ShowElevation(component, value);
        break;
      case Style::kElevationCaption:
        ShowElevationCaption(component, value);
        break;
      case Style::kViaLine:
        ShowViaLine(value);
        break;
    }
  }

  // The views that follow the window learn of the new figures.
  if (on_recalculated) on_recalculated();
}

// ---------------------------------------------------------------------------
// Moon distance, EME path loss and the sun/moon component.

void Calculator::UpdateMoonPathLoss() {
  // Putting the stored position on the slider runs the slider's own change
  // handling when it moves it (a full recalculation, which finds the slider
  // already there, so the nesting ends).
  controls_.Move(C::ScrollBar1, state_.MoonSliderPosition);
  const int position = controls_.Position(C::ScrollBar1);
  state_.MoonDistance = MoonDistanceAt(position);
  // Quirk kept: the Moon distance reads " kms".
  ShowFixed(C::Label96, state_.MoonDistance, 10, 1, " kms");
  state_.MoonSliderPosition = position;
  state_.EmePathLoss = EmePathLoss(state_.MoonDistance, state_.Frequency);
}

void Calculator::ScrollBar1Change() {
  state_.MoonSliderPosition = controls_.Position(C::ScrollBar1);
  UpdateMoonPathLoss();
  Recalculate();
}

void Calculator::ResetToCurrentDistance() {
  state_.PathLength = state_.CurrentMoonDistance;
  if (const auto position = SliderPositionFor(state_.CurrentMoonDistance)) {
    controls_.Move(C::ScrollBar1, *position);
  }
  state_.PathLength = state_.CurrentMoonDistance;
  Recalculate();
}

void Calculator::ColorButton4Click() {
  QueryMoonLibrary();
  ResetToCurrentDistance();
}

void Calculator::FollowStation(Station s, std::optional<Real> moon_elevation_deg) {
  StationParams& st = Of(s);
  std::optional<Real>& kept = followed_[s == Station::Home ? 0 : 1];
  // On a terrestrial path both antennas stay at the horizon; the EME
  // elevation waits for the EME mode.
  const auto set = [&](Real elevation) {
    st.EmeElevation = elevation;
    if (state_.EmePathMode == 1) st.Elevation = elevation;
  };
  if (!moon_elevation_deg) {
    // The Moon is down here: the dish is where the user put it.
    if (kept) set(*kept);
    kept.reset();
    return;
  }
  if (!kept) kept = st.EmeElevation;
  Real elevation = *moon_elevation_deg;
  if (!(elevation >= L::kElevation.low)) elevation = L::kElevation.low;
  if (elevation > L::kElevation.high) elevation = L::kElevation.high;
  set(elevation);
}

void Calculator::FollowMoon(std::optional<Real> home_elevation_deg,
                            std::optional<Real> dx_elevation_deg) {
  FollowStation(Station::Home, home_elevation_deg);
  FollowStation(Station::DX, dx_elevation_deg);
  // The Moon's distance is the EME path's; a terrestrial path keeps its
  // length.
  if (state_.EmePathMode == 1) {
    ColorButton4Click();
  } else {
    Recalculate();
  }
}

void Calculator::StopFollowingMoon() {
  FollowStation(Station::Home, std::nullopt);
  FollowStation(Station::DX, std::nullopt);
  Recalculate();
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
  display_.SetText(C::Panel114, MoonDataCaption(data, fmt_));
}

// ---------------------------------------------------------------------------
// Path mode and the terrestrial path.

void Calculator::SetEmeBlocksVisible(bool eme) {
  for (const std::string_view name : kEmeOnly) display_.SetVisible(name, eme);
  display_.SetVisible(C::Panel126, !eme);
}

void Calculator::ApplyPathMode() {
  QuillmereState& g = state_;
  if (g.EmePathMode == 0) {
    SetEmeBlocksVisible(false);
    display_.SetColor(C::Panel124, kBlue);
    display_.SetColor(C::Panel125, kSilver);
    g.Home.Elevation = kTerrestrialElevation;
    g.DX.Elevation = kTerrestrialElevation;
    g.AttenuationPathLength = g.TerrestrialPathLength;
    g.PathLength = g.TerrestrialPathLength;
    ShowViaLine(g.TerrestrialPathLength);
  } else {
    SetEmeBlocksVisible(true);
    display_.SetColor(C::Panel124, kSkyBlue);
    display_.SetColor(C::Panel125, kWhite);
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
  display_.SetColor(C::Panel124, kSkyBlue);
  display_.SetColor(C::Panel125, kWhite);
  Recalculate();
  ResetToCurrentDistance();
}

void Calculator::Panel124Click() {
  state_.EmePathMode = 0;
  display_.SetColor(C::Panel124, kBlue);
  display_.SetColor(C::Panel125, kSilver);
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
  // Quirk kept: " °c" here, "°c " from the recalculation that follows.
  ShowFixed(ComponentsOf(s).temperature, st.Temperature, 4, 0, " \u00b0c");
  st.TemperatureKelvin = st.Temperature + kZeroCelsius;
  Recalculate();
}

void Calculator::TempButtonDownClick(Station s) {
  StationParams& st = Of(s);
  st.Temperature -= 1;
  if (st.Temperature < L::kTemperature.low) st.Temperature = L::kTemperature.low;
  ShowFixed(ComponentsOf(s).temperature, st.Temperature, 4, 0, " \u00b0c");
  st.TemperatureKelvin = st.Temperature + kZeroCelsius;
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
  // Quirk kept: "Vapour" capitalised; the caption at design has "Water vapour".
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
  display_.SetVisible(C::DisplayAccuracy, false);
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
  display_.SetVisible(C::ScreenDelaySelect, false);
  Recalculate();
  return HintTimingsForChoice(item);
}

}  // namespace quillmere
