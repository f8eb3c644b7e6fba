#include "spectrum_charts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <future>
#include <limits>
#include <string_view>

#include "itu676.h"
#include "itu676_13.h"
#include "itu676_13_slant.h"
#include "spectrum_command.h"
#include "station_totals.h"

namespace quillmere {
namespace {

constexpr double kNoFigure = std::numeric_limits<double>::quiet_NaN();

struct StationCurves {
  std::vector<double> ray_db, cosecant_db, ray_sky_k, cosecant_sky_k;
};

StationCurves ElevationCurves(const StationParams& station, double f,
                              const std::vector<double>& elevations) {
  const ExactStationAir air = StationAirOf(station);
  StationCurves c;
  // Weather that cannot be air draws no curve; the caption says why.
  if (ImpossibleWeather(air.surface)) {
    for (auto* y : {&c.ray_db, &c.cosecant_db, &c.ray_sky_k, &c.cosecant_sky_k})
      y->assign(elevations.size(), kNoFigure);
    return c;
  }
  const p676_13::LayeredAtmosphere layers(air.height_km, air.profile);
  const std::vector<double> gamma = layers.SpecificAttenuation(f);
  const std::optional<double> zenith = CosecantZenithAttenuation(f, air.surface);
  for (const double e : elevations) {
    const p676_13::RayPath ray =
        p676_13::TraceRay(layers, gamma, p676_13::ApparentElevationFor(layers, e));
    c.ray_db.push_back(ray.escaped ? ray.attenuation_db : kNoFigure);
    c.ray_sky_k.push_back(ray.escaped ? ray.sky_temperature_k : kNoFigure);
    if (zenith && e > 0) {
      const Real a = SlantAttenuation(*zenith, e);
      c.cosecant_db.push_back(static_cast<double>(a));
      // The window's sky noise of the gases, from its own figure, with the
      // 2.7 K background seen through them, as the ray's sky has it: like
      // is compared with like.
      c.cosecant_sky_k.push_back(static_cast<double>(AbsorptionNoise(280, a)) +
                                 p676_13::kCosmicBackgroundK *
                                     std::pow(10.0, -static_cast<double>(a) / 10));
    } else {
      c.cosecant_db.push_back(kNoFigure);
      c.cosecant_sky_k.push_back(kNoFigure);
    }
  }
  return c;
}

void AppendStation(const char* who, const StationParams& station, double f,
                   const std::vector<double>& x, ElevationCharts& charts) {
  StationCurves c = ElevationCurves(station, f, x);
  const std::string name(who);
  // The unit goes into the CSV's column names too.
  const auto series = [&](const char* method, const char* unit, std::vector<double> y) {
    return ChartSeries{name + ' ' + method + ' ' + unit, std::move(y), name, method, unit};
  };
  charts.attenuation.series.push_back(series("ray trace", "dB", std::move(c.ray_db)));
  charts.attenuation.series.push_back(series("cosecant", "dB", std::move(c.cosecant_db)));
  charts.sky.series.push_back(series("ray trace", "K", std::move(c.ray_sky_k)));
  charts.sky.series.push_back(series("cosecant", "K", std::move(c.cosecant_sky_k)));
}

void AppendKey(const StationParams& s, std::vector<double>& key) {
  for (const Real v : {s.Temperature, s.Humidity, s.Pressure, s.HeightAsl})
    key.push_back(static_cast<double>(v));
  key.push_back(s.VapourOverWater);
  key.push_back(s.LatitudeZone);
  key.push_back(s.Season);
}

}  // namespace

std::vector<double> ChartElevations() {
  std::vector<double> e;
  for (int k = 0; k <= 20; ++k) e.push_back(0.25 * k);  // 0 ... 5
  for (int k = 6; k <= 20; ++k) e.push_back(k);
  for (int k = 22; k <= 90; k += 2) e.push_back(k);
  return e;
}

ElevationCharts ComputeElevationCharts(const QuillmereState& state) {
  ElevationCharts charts;
  const double f = static_cast<double>(state.Frequency);
  charts.attenuation.x_name = "elevation_deg";
  charts.attenuation.x_title = "Elevation";
  charts.attenuation.x_unit = "\u00b0";
  charts.attenuation.x = ChartElevations();
  charts.sky.x_name = charts.attenuation.x_name;
  charts.sky.x_title = charts.attenuation.x_title;
  charts.sky.x_unit = charts.attenuation.x_unit;
  charts.sky.x = charts.attenuation.x;
  // The two stations on two cores.
  ElevationCharts dx;
  auto other = std::async(std::launch::async,
                          [&] { AppendStation("DX", state.DX, f, charts.attenuation.x, dx); });
  AppendStation("Home", state.Home, f, charts.attenuation.x, charts);
  other.get();
  for (auto& s : dx.attenuation.series) charts.attenuation.series.push_back(std::move(s));
  for (auto& s : dx.sky.series) charts.sky.series.push_back(std::move(s));
  return charts;
}

std::vector<std::string> SlantReadOut(const QuillmereState& state, double geometric_deg) {
  const double f = static_cast<double>(state.Frequency);
  std::vector<std::string> lines;
  for (const auto& [who, station] : {std::pair{"Home", &state.Home}, std::pair{"DX", &state.DX}}) {
    const ExactStationAir air = StationAirOf(*station);
    char text[160];
    if (const auto fault = ImpossibleWeather(air.surface)) {
      lines.push_back(std::string(who) + ": " + *fault);
      continue;
    }
    const p676_13::LayeredAtmosphere layers(air.height_km, air.profile);
    const double horizon = p676_13::RefractedHorizonDeg(layers);
    const SlantToward ray =
        SlantTowardTarget(layers, layers.SpecificAttenuation(f), f, horizon, geometric_deg);
    // By its text: each part of the program may hold its own copy of it.
    if (ray.fault != nullptr && std::string_view(ray.fault) == kNotVisible) {
      std::snprintf(text, sizeof text, "%s: %s (%.2f\u00b0)", who, ray.fault, horizon);
    } else if (ray.fault) {
      std::snprintf(text, sizeof text, "%s: %s", who, ray.fault);
    } else {
      std::snprintf(text, sizeof text, "%s: %.2f dB, sky %.1f K, antenna at %.2f\u00b0", who,
                    ray.attenuation_db, ray.sky_temperature_k, ray.apparent_deg);
    }
    lines.emplace_back(text);
  }
  return lines;
}

ChartData ComputeFrequencyChart(const QuillmereState& state, int step_ghz) {
  ChartData chart;
  chart.x_name = "ghz";
  chart.x_title = "Frequency";
  chart.x_unit = "GHz";
  for (int f = 1; f <= 350; f += std::max(1, step_ghz)) chart.x.push_back(f);
  for (const auto& [who, station] : {std::pair{"Home", &state.Home}, std::pair{"DX", &state.DX}}) {
    const ExactStationAir air = StationAirOf(*station);
    if (ImpossibleWeather(air.surface)) {
      const std::vector<double> none(chart.x.size(), kNoFigure);
      const std::string name(who);
      chart.series.push_back({name + " zenith dB", none, name, "zenith", "dB"});
      chart.series.push_back({name + " gamma_o dB/km", none, name, "\u03b3 oxygen", "dB/km"});
      chart.series.push_back({name + " gamma_w dB/km", none, name, "\u03b3 water vapour", "dB/km"});
      continue;
    }
    const p676_13::LayeredAtmosphere layers(air.height_km, air.profile);
    const auto pp = p676_13::PartialPressuresOf(air.surface.P, air.surface.T, air.surface.rho);
    const p676_13::LineSpectrum lines(pp.p, pp.e, air.surface.T);
    const std::string name(who);
    ChartSeries zenith{name + " zenith dB", layers.ZenithSpectrum(chart.x), name, "zenith", "dB"};
    ChartSeries go{name + " gamma_o dB/km", {}, name, "\u03b3 oxygen", "dB/km"};
    ChartSeries gw{name + " gamma_w dB/km", {}, name, "\u03b3 water vapour", "dB/km"};
    for (const double f : chart.x) {
      go.y.push_back(lines.GammaOxygen(f));
      gw.y.push_back(lines.GammaWaterVapour(f));
    }
    chart.series.push_back(std::move(zenith));
    chart.series.push_back(std::move(go));
    chart.series.push_back(std::move(gw));
  }
  return chart;
}

std::vector<double> StationAirKey(const QuillmereState& state) {
  std::vector<double> key;
  AppendKey(state.Home, key);
  AppendKey(state.DX, key);
  return key;
}

std::vector<double> ElevationKey(const QuillmereState& state) {
  std::vector<double> key = StationAirKey(state);
  key.push_back(static_cast<double>(state.Frequency));
  return key;
}

std::optional<std::pair<double, double>> DecadeRange(const ChartData& chart) {
  double low = std::numeric_limits<double>::infinity(), high = 0;
  for (const ChartSeries& s : chart.series) {
    for (const double y : s.y) {
      // NaN compares false: no figure, no say in the range.
      if (y > 0 && y < std::numeric_limits<double>::infinity()) {
        low = std::min(low, y);
        high = std::max(high, y);
      }
    }
  }
  if (high <= 0) return std::nullopt;
  const double bottom = std::floor(std::log10(low));
  const double top = std::max(std::ceil(std::log10(high)), bottom + 1);
  return std::pair{std::pow(10.0, bottom), std::pow(10.0, top)};
}

std::string ChartCsv(const ChartData& chart) {
  std::string out = chart.x_name;
  for (const auto& s : chart.series) out += "," + s.name;
  out += '\n';
  // The shortest text that reads back to the same double, with '.' whatever
  // the user's locale.
  const auto number = [&](double v) {
    if (std::isnan(v)) return;
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    out.append(buffer, end);
  };
  for (std::size_t k = 0; k < chart.x.size(); ++k) {
    number(chart.x[k]);
    for (const auto& s : chart.series) {
      out += ',';
      if (k < s.y.size()) number(s.y[k]);
    }
    out += '\n';
  }
  return out;
}

}  // namespace quillmere
