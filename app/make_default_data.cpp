// quillmere-make-defaults FILE: writes the default data file shipped with
// the program, through the program's own record code, so that a first start
// shows real figures: EME mode at the 10 GHz band, a mild mid-latitude
// summer day at both stations, no rain or fog, a thin cloud, antennas at 30
// degrees and a 10 km terrestrial path.
#include <cstdio>

#include "data_file.h"
#include "data_record.h"
#include "record_state.h"
#include "station_steps.h"

int main(int argc, char** argv) {
  using namespace quillmere;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  QuillmereState s;
  for (StationParams* st : {&s.Home, &s.DX}) {
    st->Temperature = 15;
    st->Humidity = 50;
    st->Pressure = 1013;
    st->EmeElevation = st->Elevation = 30;
    st->LatitudeZone = 1;  // mid latitude
    st->Season = 0;        // summer
    st->RainRateIndex = 0;
    st->Polarisation = 2;  // circular, as usual on EME
    st->FogIndex = 0;
    st->CloudPosition = 2;  // 0.2 kg/m2
  }
  s.Home.HeightAsl = 0;
  s.FrequencyIndex = 0;
  SelectBand(s.FrequencyIndex, s.Frequency, s.Band);
  s.DisplayDecimals = 3;
  s.HelpDelayIndex = 1;  // hints stay 4 s
  s.EmePathMode = 1;
  s.TerrestrialPathLength = s.PathLength = 10;
  s.MoonSliderPosition = 56;  // about the mean distance, 384 400 km

  DataRecord record{};
  EncodeRecord(FromState(s), record);
  const WriteResult result = WriteDataFile(argv[1], record);
  if (!result.ok) {
    std::fprintf(stderr, "%s\n", result.message.c_str());
    return 1;
  }
  return 0;
}
