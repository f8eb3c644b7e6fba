#include "track_air.h"

#include <algorithm>
#include <cmath>
#include <future>
#include <memory>

#include "constants.h"
#include "itu618.h"
#include "itu676_13_slant_table.h"
#include "itu840.h"
#include "spectrum_command.h"

namespace quillmere {
namespace {

constexpr double kCloudBaseKm = 1.0;  // above the station
constexpr double kCloudDepthKm = 1.0;
constexpr double kFogTopKm = 0.1;       // above the station
constexpr double kRainHeightKm = 1.61;  // above the station, the window's own

std::shared_ptr<const p676_13::SlantTable> TableOf(const StationParams& station, double f_ghz) {
  const ExactStationAir air = StationAirOf(station);
  const p676_13::LayeredAtmosphere layers(air.height_km, air.profile);
  std::vector<double> gamma = layers.SpecificAttenuation(f_ghz);
  std::vector<p676_13::AttenuationBand> bands = WeatherBands(station, f_ghz);
  // The rain band is the last, when there is rain: it goes in ray by ray.
  if (station.RainAttenuation <= 0) {
    p676_13::AddBands(layers, bands, gamma);
    return std::make_shared<const p676_13::SlantTable>(layers, gamma, f_ghz, bands);
  }
  const p676_13::AttenuationBand rain = bands.back();
  bands.pop_back();
  p676_13::AddBands(layers, bands, gamma);
  const double gamma_R = rain.gamma_db_km;
  // A ray dipping from a mountain comes back through the station's height
  // at +|elevation|, and the rain lies above that height: its reduction is
  // the one of |elevation|.
  const auto reduction = [gamma_R, f_ghz](double apparent_deg) {
    const double theta = std::min(std::abs(apparent_deg), 90.0);
    return RainReduction(theta, gamma_R, f_ghz);
  };
  return std::make_shared<const p676_13::SlantTable>(layers, gamma, f_ghz, bands,
                                                     p676_13::SlantTable::RayBand{rain, reduction});
}

}  // namespace

double RainReduction(double theta_deg, double gamma_R, double f_ghz) {
  const Real LS = RainSlantLength(kRainHeightKm, theta_deg);
  const Real LG = LS * std::cos(static_cast<Real>(theta_deg) * kDegToRad);
  return static_cast<double>(HorizontalReductionFactor(LG, gamma_R, f_ghz));
}

std::vector<p676_13::AttenuationBand> WeatherBands(const StationParams& station, double f_ghz) {
  // The ground as the ray trace takes it: the station height, never below
  // sea level.
  const double ground = std::max(0.0, static_cast<double>(station.HeightAsl) / 1000);
  const Real t_k = station.Temperature + kZeroCelsius;
  const double kl = static_cast<double>(LiquidWaterCoefficient(f_ghz, t_k).Kl);
  const double cloud = static_cast<double>(station.CloudContent) * kl / kCloudDepthKm;
  std::vector<p676_13::AttenuationBand> bands;
  if (cloud > 0)
    bands.push_back({ground + kCloudBaseKm, ground + kCloudBaseKm + kCloudDepthKm, cloud});
  if (station.FogAttenuation > 0)
    bands.push_back({ground, ground + kFogTopKm, static_cast<double>(station.FogAttenuation)});
  if (station.RainAttenuation > 0)
    bands.push_back({ground, ground + kRainHeightKm, static_cast<double>(station.RainAttenuation)});
  return bands;
}

StationSlantAir RayTracedAirOf(const QuillmereState& state) {
  const double f = static_cast<double>(state.Frequency);
  auto dx = std::async(std::launch::async, [&] { return TableOf(state.DX, f); });
  std::shared_ptr<const p676_13::SlantTable> home = TableOf(state.Home, f);
  return [home, dx = dx.get()](bool is_dx, const MoonSighting& moon) {
    const p676_13::SlantFigures figures = (is_dx ? *dx : *home).At(moon.elevation_deg);
    return SlantAir{figures.attenuation_db, figures.sky_temperature_k};
  };
}

std::vector<double> RayTracedAirKey(const QuillmereState& state) {
  std::vector<double> key{static_cast<double>(state.Frequency)};
  for (const StationParams* s : {&state.Home, &state.DX}) {
    for (const Real v : {s->Temperature, s->Humidity, s->Pressure, s->HeightAsl, s->CloudContent,
                         s->FogAttenuation, s->RainAttenuation})
      key.push_back(static_cast<double>(v));
    key.push_back(s->VapourOverWater);
    key.push_back(s->LatitudeZone);
    key.push_back(s->Season);
  }
  return key;
}

}  // namespace quillmere
