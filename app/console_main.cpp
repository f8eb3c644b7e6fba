// quillmere-console: the atmosphere figures of the per-station steps for one
// station at the reference weather, band by band, printed to the terminal
// without the window: a quick look at the models after a change to them.
#include <cstdio>

#include "bands.h"
#include "format_fixed.h"
#include "itu676.h"
#include "itu835.h"
#include "station_steps.h"

int main() {
  using namespace quillmere;
  StationParams s;
  s.Temperature = 15;
  s.Pressure = 1013;
  s.Humidity = 50;
  s.Elevation = 30;
  s.VapourOverWater = 1;
  s.RainRateIndex = 3;  // 10 mm/h
  s.Polarisation = 2;   // circular
  s.CloudContent = 0.2L;
  SelectFog(s, 0);

  std::printf("Quillmere model figures, one station, without the window.\n");
  std::printf(
      "Station: 15 degC, 1013 hPa, 50 %% humidity, elevation 30 deg, rain 10 mm/h "
      "circular, cloud 0.2 kg/m2, no fog.\n\n");
  std::printf("%8s %10s %10s %10s %10s %10s %10s %10s\n", "GHz", "rho g/m3", "go dB/km", "gw dB/km",
              "slant dB", "rain dB/km", "cloud dB", "Kl");
  for (ItemIndex band = 0; band < static_cast<ItemIndex>(BandTable.size()); ++band) {
    Real f = 0;
    BandCoefficients coefficients;
    GasRatios ratios;
    SelectBand(band, f, coefficients);
    UpdateVapourDensity(s);
    ComputeGas(s, f, ratios);
    UpdateRainAttenuation(s, band, f, coefficients);
    const Real Kl = UpdateCloudAndFog(s, f);
    const Real slant = SlantAttenuation(ZenithAttenuation(s), s.Elevation);
    std::printf("%8s %10s %10s %10s %10s %10s %10s %10s\n", FormatFixed(f, 8, 3).c_str(),
                FormatFixed(s.VapourDensity, 8, 3).c_str(),
                FormatFixed(s.DryAirSpecific, 8, 5).c_str(),
                FormatFixed(s.VapourSpecific, 8, 5).c_str(), FormatFixed(slant, 8, 4).c_str(),
                FormatFixed(s.RainAttenuation, 8, 4).c_str(),
                FormatFixed(s.CloudAttenuation, 8, 4).c_str(), FormatFixed(Kl, 8, 4).c_str());
  }
  ReferenceAtmosphere a;
  ReferenceProfileAt(1, kSummer, 120, a);
  std::printf("\nITU-R P.835 mid-latitude summer at 120 m: %s K, %s hPa, %s g/m3\n",
              FormatFixed(a.T, 8, 2).c_str(), FormatFixed(a.P, 8, 1).c_str(),
              FormatFixed(a.rho, 8, 3).c_str());
  return 0;
}
