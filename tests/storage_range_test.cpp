// The range check of a loaded record: it names exactly the fields holding
// values no version of the program writes, and accepts every record the
// program can write, the all-zero one of a first start included.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "data_file.h"
#include "data_record.h"
#include "range_check.h"

namespace quillmere {
namespace {

const std::string kRecords = std::string(QUILLMERE_TEST_DATA) + "/records/";

// Some of the band frequencies, GHz; the program gives all eight.
constexpr Real kBands[] = {10.368L, 24.048L, 47.088L, 241.0L};

std::vector<std::string> OutOfRange(const PersistedFields& fields) {
  return FieldNames(OutOfRangeFields(fields, kBands));
}

PersistedFields Load(const std::string& name) {
  DataRecord buffer;
  const ReadResult read = ReadDataFile(kRecords + name + ".dat", buffer);
  EXPECT_TRUE(read.ok()) << read.message;
  return DecodeRecord(buffer);
}

TEST(DamagedRecord, NamesExactlyTheDamagedFieldsInRecordOrder) {
  // The zero Home elevation of this record is accepted: zero is the value
  // before anything was set, and a file saved at the first start holds it.
  const std::vector<std::string> expected = {
      "Home.Temperature",    // NaN
      "Home.Humidity",       // 10^4000 %
      "DX.Pressure",         // -inf
      "Home.RainRateIndex",  // -4
      "DX.Polarisation",     // 3
      "FrequencyIndex",      // 9
      "Home.Season",         // 2
      "DX.LatitudeZone",     // 5
      "Home.FogIndex",       // 12
      "MoonSliderPosition",  // -20
      "Home.CloudPosition",  // 99
      "HelpDelayIndex",      // 7
  };
  EXPECT_EQ(OutOfRange(Load("damaged")), expected);
}

class WrittenRecords : public ::testing::TestWithParam<const char*> {};

TEST_P(WrittenRecords, AreAccepted) {
  EXPECT_TRUE(OutOfRange(Load(GetParam())).empty());
}

INSTANTIATE_TEST_SUITE_P(Records, WrittenRecords,
                         ::testing::Values("typical", "three-records", "trailing-partial",
                                           "reserved-carry"),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

TEST(FirstStart, TheAllZeroRecordIsAccepted) {
  EXPECT_TRUE(OutOfRange(DecodeRecord(DataRecord{})).empty());
}

// A typical record with one field changed.
struct BoundaryCase {
  const char* name;
  const char* field;
  std::function<void(PersistedFields&)> change;
  bool accepted;
};

void PrintTo(const BoundaryCase& c, std::ostream* os) {
  *os << c.name;
}

// Elevation stepped up from 0.1 deg to 90 deg in 0.1 deg steps, as the steppers do.
Real SteppedTo90() {
  Real e = 0.1L;
  for (int i = 0; i < 899; ++i) e += 0.1L;
  return e;
}

const Real kInf = std::numeric_limits<Real>::infinity();
const Real kNan = std::numeric_limits<Real>::quiet_NaN();

const BoundaryCase kBoundaries[] = {
    {"humidity_0", "Home.Humidity", [](PersistedFields& f) { f.Home.Humidity = 0; }, true},
    {"humidity_100", "Home.Humidity", [](PersistedFields& f) { f.Home.Humidity = 100; }, true},
    {"humidity_above_100", "DX.Humidity", [](PersistedFields& f) { f.DX.Humidity = 100.001L; },
     false},
    {"humidity_negative", "DX.Humidity", [](PersistedFields& f) { f.DX.Humidity = -1; }, false},
    {"pressure_never_set", "Home.Pressure", [](PersistedFields& f) { f.Home.Pressure = 0; }, true},
    {"pressure_below_1", "Home.Pressure", [](PersistedFields& f) { f.Home.Pressure = 0.5L; },
     false},
    {"pressure_1", "DX.Pressure", [](PersistedFields& f) { f.DX.Pressure = 1; }, true},
    {"pressure_infinite", "DX.Pressure", [](PersistedFields& f) { f.DX.Pressure = kInf; }, false},
    {"height_0", "Home.HeightAsl", [](PersistedFields& f) { f.Home.HeightAsl = 0; }, true},
    {"height_negative", "Home.HeightAsl", [](PersistedFields& f) { f.Home.HeightAsl = -0.5L; },
     false},
    {"elevation_never_set", "DX.EmeElevation", [](PersistedFields& f) { f.DX.EmeElevation = 0; },
     true},
    {"elevation_between_0_and_0_1", "DX.EmeElevation",
     [](PersistedFields& f) { f.DX.EmeElevation = 0.05L; }, false},
    {"elevation_0_1", "Home.EmeElevation", [](PersistedFields& f) { f.Home.EmeElevation = 0.1L; },
     true},
    {"elevation_stepped_to_90", "Home.EmeElevation",
     [](PersistedFields& f) { f.Home.EmeElevation = SteppedTo90(); }, true},
    {"elevation_above_90", "Home.EmeElevation",
     [](PersistedFields& f) { f.Home.EmeElevation = 90.1L; }, false},
    {"elevation_negative", "Home.EmeElevation",
     [](PersistedFields& f) { f.Home.EmeElevation = -5; }, false},
    {"temperature_minus_100", "Home.Temperature",
     [](PersistedFields& f) { f.Home.Temperature = -100; }, true},
    {"temperature_below_minus_100", "Home.Temperature",
     [](PersistedFields& f) { f.Home.Temperature = -100.5L; }, false},
    {"temperature_100", "DX.Temperature", [](PersistedFields& f) { f.DX.Temperature = 100; }, true},
    {"temperature_above_100", "DX.Temperature",
     [](PersistedFields& f) { f.DX.Temperature = 100.5L; }, false},
    {"temperature_million", "DX.Temperature", [](PersistedFields& f) { f.DX.Temperature = 1e6L; },
     false},
    {"pressure_1100", "Home.Pressure", [](PersistedFields& f) { f.Home.Pressure = 1100; }, true},
    {"pressure_above_1100", "DX.Pressure", [](PersistedFields& f) { f.DX.Pressure = 1100.5L; },
     false},
    {"pressure_largest", "Home.Pressure",
     [](PersistedFields& f) { f.Home.Pressure = std::numeric_limits<Real>::max(); }, false},
    {"height_100_km", "Home.HeightAsl", [](PersistedFields& f) { f.Home.HeightAsl = 100000; },
     true},
    {"height_above_100_km", "Home.HeightAsl",
     [](PersistedFields& f) { f.Home.HeightAsl = 100000.5L; }, false},
    {"height_1e4932", "Home.HeightAsl", [](PersistedFields& f) { f.Home.HeightAsl = 1.18e4932L; },
     false},
    {"path_20000_km", "TerrestrialPathLength",
     [](PersistedFields& f) { f.TerrestrialPathLength = 20000; }, true},
    {"path_above_20000_km", "TerrestrialPathLength",
     [](PersistedFields& f) { f.TerrestrialPathLength = 20000.1L; }, false},
    {"path_1e1539_km", "TerrestrialPathLength",
     [](PersistedFields& f) { f.TerrestrialPathLength = 1.18e1539L; }, false},
    {"temperature_nan", "DX.Temperature", [](PersistedFields& f) { f.DX.Temperature = kNan; },
     false},
    {"path_negative", "TerrestrialPathLength",
     [](PersistedFields& f) { f.TerrestrialPathLength = -1; }, false},
    {"path_nan", "TerrestrialPathLength",
     [](PersistedFields& f) { f.TerrestrialPathLength = kNan; }, false},
    {"frequency_never_set", "Frequency", [](PersistedFields& f) { f.Frequency = 0; }, true},
    {"frequency_241", "Frequency", [](PersistedFields& f) { f.Frequency = 241.0L; }, true},
    {"frequency_24_048", "Frequency", [](PersistedFields& f) { f.Frequency = 24.048L; }, true},
    {"frequency_47_088", "Frequency", [](PersistedFields& f) { f.Frequency = 47.088L; }, true},
    // 10.368 rounded to double first is not the band table's value.
    {"frequency_via_double", "Frequency", [](PersistedFields& f) { f.Frequency = 10.368; }, false},
    {"frequency_off_band", "Frequency", [](PersistedFields& f) { f.Frequency = 10.0L; }, false},
    {"band_index_7", "FrequencyIndex", [](PersistedFields& f) { f.FrequencyIndex = 7; }, true},
    {"band_none_selected", "FrequencyIndex", [](PersistedFields& f) { f.FrequencyIndex = -1; },
     false},
    {"decimals_never_set", "DisplayDecimals", [](PersistedFields& f) { f.DisplayDecimals = 0; },
     true},
    {"decimals_8", "DisplayDecimals", [](PersistedFields& f) { f.DisplayDecimals = 8; }, true},
    {"decimals_9", "DisplayDecimals", [](PersistedFields& f) { f.DisplayDecimals = 9; }, false},
    {"help_delay_3", "HelpDelayIndex", [](PersistedFields& f) { f.HelpDelayIndex = 3; }, true},
    {"help_delay_4", "HelpDelayIndex", [](PersistedFields& f) { f.HelpDelayIndex = 4; }, false},
    {"latitude_3", "DX.LatitudeZone", [](PersistedFields& f) { f.DX.LatitudeZone = 3; }, false},
    {"season_minus_1", "DX.Season", [](PersistedFields& f) { f.DX.Season = -1; }, false},
    {"rain_5", "DX.RainRateIndex", [](PersistedFields& f) { f.DX.RainRateIndex = 5; }, true},
    {"rain_6", "DX.RainRateIndex", [](PersistedFields& f) { f.DX.RainRateIndex = 6; }, false},
    {"polarisation_minus_1", "Home.Polarisation",
     [](PersistedFields& f) { f.Home.Polarisation = -1; }, false},
    {"fog_7", "DX.FogIndex", [](PersistedFields& f) { f.DX.FogIndex = 7; }, true},
    {"fog_8", "DX.FogIndex", [](PersistedFields& f) { f.DX.FogIndex = 8; }, false},
    {"cloud_40", "DX.CloudPosition", [](PersistedFields& f) { f.DX.CloudPosition = 40; }, true},
    {"cloud_41", "DX.CloudPosition", [](PersistedFields& f) { f.DX.CloudPosition = 41; }, false},
    {"moon_slider_100", "MoonSliderPosition",
     [](PersistedFields& f) { f.MoonSliderPosition = 100; }, true},
    {"moon_slider_101", "MoonSliderPosition",
     [](PersistedFields& f) { f.MoonSliderPosition = 101; }, false},
    {"path_mode_2", "EmePathMode", [](PersistedFields& f) { f.EmePathMode = 2; }, false},
};

class Boundary : public ::testing::TestWithParam<BoundaryCase> {};

TEST_P(Boundary, NamesTheFieldOnlyWhenOutOfRange) {
  PersistedFields f = Load("typical");
  GetParam().change(f);
  const std::vector<std::string> expected =
      GetParam().accepted ? std::vector<std::string>{} : std::vector<std::string>{GetParam().field};
  EXPECT_EQ(OutOfRange(f), expected);
}

INSTANTIATE_TEST_SUITE_P(Range, Boundary, ::testing::ValuesIn(kBoundaries),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CarriedFields, AreNeverJudged) {
  PersistedFields f = Load("typical");
  f.ReservedValues = {kNan, -kInf, kInf, 1e4000L, -1e4000L, 0, 0};
  f.SpareFlag = 255;
  f.ReservedText1 = std::string(15, '\xff');
  EXPECT_TRUE(OutOfRange(f).empty());
}

}  // namespace
}  // namespace quillmere
