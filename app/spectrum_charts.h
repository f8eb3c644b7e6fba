#pragma once
// What the "Spectrum and elevation" view draws, without Qt: the exact
// method's curves for both stations' weather beside the window's own
// figures, on grids fine enough for a chart and coarse enough to redraw
// within a blink of a change of weather.
//
// Elevation charts (at the window's frequency, against the geometric
// elevation 0-90 degrees, as --slant gives them): per station the
// ray-traced gaseous attenuation and the window's cosecant figure (zenith /
// sin(elevation), none at 0 degrees or above 350 GHz); the sky brightness
// temperature of the ray (2.7 K behind) and the window's gaseous sky noise
// 280 (1 - 10^(-A/10)) from its cosecant figure, with the same 2.7 K
// background added through the gases, 2.7 10^(-A/10), so that both curves
// count it.
//
// Frequency chart (1-350 GHz in 1 GHz steps, or coarser): per station the zenith
// attenuation of the layers and the specific attenuation gamma_o, gamma_w
// at the station's weather. A 1 GHz step draws the 60 GHz oxygen complex and
// the 22, 118 and 183 GHz lines as the chart's few hundred pixels can show
// them; the command line gives any finer step.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "state.h"

namespace quillmere {

// One chart: curves over a shared x. A value with no figure is NaN. The
// names head the CSV's columns; the station, the method and the unit are
// what a reader sees in the legend and the read-out ("Home", "γ oxygen",
// "dB/km").
struct ChartSeries {
  std::string name;
  std::vector<double> y;
  std::string station;
  std::string method;
  std::string unit;
};
struct ChartData {
  std::string x_name;
  std::vector<double> x;
  std::vector<ChartSeries> series;
  std::string x_title;
  std::string x_unit;
};

// The decades that hold every positive figure of the chart's curves, for a
// logarithmic axis that ranges itself: {10^floor(log10 min),
// 10^ceil(log10 max)}, at least one decade apart. Nothing when no curve has
// a positive figure.
std::optional<std::pair<double, double>> DecadeRange(const ChartData& chart);

// The elevations drawn, degrees: dense below 5 degrees, where the two
// methods part, sparser above.
std::vector<double> ChartElevations();

struct ElevationCharts {
  ChartData attenuation;  // dB
  ChartData sky;          // K
};
ElevationCharts ComputeElevationCharts(const QuillmereState& state);

// The view's read-out for a geometric elevation of the Moon the user gives
// (-90 ... 90 degrees, below 0 from a station above the sea), one line per
// station as --slant gives it: "Home: 33.91 dB, sky 288.5 K, antenna at
// -0.38°", or "DX: not visible: below the refracted horizon (-0.84°)", or
// the reason its weather gives no figure.
std::vector<std::string> SlantReadOut(const QuillmereState& state, double geometric_deg);

// step_ghz: 1 for the drawn chart; a coarser step (5) gives a first sketch
// in a fifth of the time.
ChartData ComputeFrequencyChart(const QuillmereState& state, int step_ghz = 1);

// What the charts depend on: each station's weather, height, zone and season
// (and for the elevation charts the frequency). Equal keys, equal charts.
std::vector<double> StationAirKey(const QuillmereState& state);
std::vector<double> ElevationKey(const QuillmereState& state);

// The chart as CSV: a header of x_name and the series' names, one line per
// x; a value with no figure is left empty. Full precision, '.' decimals.
std::string ChartCsv(const ChartData& chart);

}  // namespace quillmere
