#include "itu838.h"

#include "power.h"

#include <cmath>

namespace quillmere {

void SelectBand(ItemIndex frequency_index, Real& frequency, BandCoefficients& band) {
  if (frequency_index < 0 || frequency_index >= static_cast<ItemIndex>(BandTable.size())) return;
  const BandRow& row = BandTable[frequency_index];
  frequency = row.frequency;
  band.KH = row.kH;
  band.KV = row.kV;
  band.AlphaH = row.alphaH;
  band.AlphaV = row.alphaV;
  band.KC = (band.KH + band.KV) / 2;
  band.AlphaC = (band.AlphaH + band.AlphaV) / 2;
}

Real RainSpecificAttenuation(Real k, Real alpha, Real R) {
  if (R == 0) return 0;
  return k * Pow(R, alpha);
}

void UpdateRainAttenuation(StationParams& station, ItemIndex frequency_index, Real& frequency,
                           BandCoefficients& band) {
  if (station.RainRateIndex >= 0 &&
      station.RainRateIndex < static_cast<ItemIndex>(RainRateTable.size())) {
    station.RainRate = RainRateTable[station.RainRateIndex];
  }
  SelectBand(frequency_index, frequency, band);
  Real k = 0, alpha = 0;
  switch (station.Polarisation) {
    case 0:
      k = band.KH, alpha = band.AlphaH;
      break;
    case 1:
      k = band.KV, alpha = band.AlphaV;
      break;
    case 2:
      k = band.KC, alpha = band.AlphaC;
      break;
    default:
      return;
  }
  station.RainAttenuation = RainSpecificAttenuation(k, alpha, station.RainRate);
}

}  // namespace quillmere
