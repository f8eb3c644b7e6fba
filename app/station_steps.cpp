#include "station_steps.h"

#include "bands.h"
#include "constants.h"
#include "itu838.h"
#include "itu840.h"

namespace quillmere {

void UpdateVapourDensity(StationParams& station) {
  station.VapourDensity =
      VapourDensityAt(station.Temperature, station.Humidity, station.VapourOverWater != 0);
}

GasRatios GasRatiosOf(const StationParams& station) {
  return {PressureRatio(station.Pressure), TemperatureRatio(station.Temperature)};
}

void ComputeGas(StationParams& station, Real f, GasRatios& ratios) {
  ratios = GasRatiosOf(station);
  const GaseousAttenuation g =
      GaseousAttenuationAt(f, ratios.PressureRatio, ratios.TemperatureRatio, station.VapourDensity);
  if (g.gamma_o) station.DryAirSpecific = *g.gamma_o;
  station.VapourSpecific = g.gamma_w;
  station.DryAirHeight = g.h_o;
  station.VapourHeight = g.h_w;
}

Real ZenithAttenuation(const StationParams& station) {
  return ZenithAttenuation(station.DryAirSpecific, station.DryAirHeight, station.VapourSpecific,
                           station.VapourHeight);
}

void SelectBand(ItemIndex frequency_index, Real& frequency, BandCoefficients& band) {
  if (frequency_index < 0 || frequency_index >= static_cast<ItemIndex>(BandTable.size())) return;
  frequency = BandTable[frequency_index].frequency;
  // Every band's frequency has its coefficients tabulated.
  if (const auto c = RainCoefficientsAt(frequency)) {
    band.KH = c->kH;
    band.KV = c->kV;
    band.KC = c->kC;
    band.AlphaH = c->alphaH;
    band.AlphaV = c->alphaV;
    band.AlphaC = c->alphaC;
  }
}

void UpdateRainAttenuation(StationParams& station, ItemIndex frequency_index, Real& frequency,
                           BandCoefficients& band) {
  if (station.RainRateIndex >= 0 &&
      station.RainRateIndex < static_cast<ItemIndex>(RainRateTable.size())) {
    station.RainRate = RainRateTable[station.RainRateIndex];
  }
  SelectBand(frequency_index, frequency, band);
  // Polarisation items: 0 horizontal, 1 vertical, 2 circular.
  const ItemIndex p = station.Polarisation;
  if (p < 0 || p > 2) return;
  const Real k[] = {band.KH, band.KV, band.KC};
  const Real alpha[] = {band.AlphaH, band.AlphaV, band.AlphaC};
  station.RainAttenuation = RainSpecificAttenuation(k[p], alpha[p], station.RainRate);
}

Real UpdateCloudAndFog(StationParams& station, Real f) {
  // The water is taken at the station's surface temperature.
  station.TemperatureKelvin = station.Temperature + kZeroCelsius;
  const CloudAndFog c = CloudAndFogAttenuation(f, station.TemperatureKelvin, station.CloudContent,
                                               station.Elevation, station.FogDensity);
  station.CloudAttenuation = c.cloud_db;
  station.FogAttenuation = c.fog_db_per_km;
  return c.Kl;
}

void SelectFog(StationParams& station, ItemIndex item) {
  if (item >= 0 && item < static_cast<ItemIndex>(FogTable.size())) {
    station.FogDensity = FogTable[item];
  }
  station.FogIndex = item;
}

}  // namespace quillmere
