#pragma once
// One record of the default data file `Quillmere.dat`: 288 bytes, no header
// and no padding, little-endian numbers, reals in the 10-byte x87 form, short
// strings as a length byte (0..15) and 15 character bytes. The user's inputs
// live in it between runs; the record layout is fixed because files written
// by every earlier version must stay readable.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "extended_real.h"
#include "state.h"

namespace quillmere {

inline constexpr std::size_t kRecordSize = 288;

// The record as it lies in the file.
struct DataRecord {
  std::array<std::uint8_t, kRecordSize> bytes{};

  friend bool operator==(const DataRecord&, const DataRecord&) = default;
};
static_assert(sizeof(DataRecord) == kRecordSize);

// Byte offsets of the fields in the record.
namespace record_offset {
inline constexpr std::size_t kHomeTemperature = 0;
inline constexpr std::size_t kFrequency = 10;
inline constexpr std::size_t kHomeHumidity = 20;
inline constexpr std::size_t kDxHumidity = 30;
inline constexpr std::size_t kTerrestrialPathLength = 40;
inline constexpr std::size_t kHomeEmeElevation = 50;
inline constexpr std::size_t kHomePressure = 60;
inline constexpr std::size_t kDxTemperature = 70;
inline constexpr std::size_t kHomeHeightAsl = 80;
inline constexpr std::size_t kDxPressure = 90;
inline constexpr std::size_t kDxEmeElevation = 100;
// Ten bytes no version reads; a save writes them back as the buffer holds them.
inline constexpr std::size_t kReserved = 110;
inline constexpr std::size_t kReservedSize = 10;
inline constexpr std::size_t kReservedValues = 120;  // seven reals, 10 bytes apart
inline constexpr std::size_t kReservedValueCount = 7;
inline constexpr std::size_t kEmePathMode = 190;
inline constexpr std::size_t kSpareFlag = 191;
inline constexpr std::size_t kReservedText1 = 192;
inline constexpr std::size_t kReservedText2 = 208;
inline constexpr std::size_t kShortStringSize = 16;  // length byte + 15 characters
inline constexpr std::size_t kShortStringCapacity = 15;
inline constexpr std::size_t kHomeRainRateIndex = 224;
inline constexpr std::size_t kDxRainRateIndex = 228;
inline constexpr std::size_t kHomePolarisation = 232;
inline constexpr std::size_t kDxPolarisation = 236;
inline constexpr std::size_t kFrequencyIndex = 240;
inline constexpr std::size_t kDisplayDecimals = 244;
inline constexpr std::size_t kHomeLatitudeZone = 248;
inline constexpr std::size_t kHomeSeason = 252;
inline constexpr std::size_t kDxLatitudeZone = 256;
inline constexpr std::size_t kDxSeason = 260;
inline constexpr std::size_t kHomeFogIndex = 264;
inline constexpr std::size_t kMoonSliderPosition = 268;
inline constexpr std::size_t kHomeCloudPosition = 272;
inline constexpr std::size_t kHelpDelayIndex = 276;
inline constexpr std::size_t kDxCloudPosition = 280;
inline constexpr std::size_t kDxFogIndex = 284;
inline constexpr std::size_t kInt32Size = 4;
}  // namespace record_offset

// The persisted inputs of one station.
struct PersistedStation {
  Real Temperature = 0;   // degC
  Real Humidity = 0;      // %
  Real Pressure = 0;      // hPa
  Real EmeElevation = 0;  // deg; the load also sets Elevation from it
  ItemIndex LatitudeZone = 0;
  ItemIndex Season = 0;
  ItemIndex RainRateIndex = 0;
  ItemIndex Polarisation = 0;
  ItemIndex FogIndex = 0;
  std::int32_t CloudPosition = 0;

  friend bool operator==(const PersistedStation&, const PersistedStation&) = default;
};

// The Home station also keeps its height; the DX height is not in the file.
struct PersistedHomeStation : PersistedStation {
  Real HeightAsl = 0;  // m

  friend bool operator==(const PersistedHomeStation&, const PersistedHomeStation&) = default;
};

// Every field of the record, under the state's names. Texts are the file's
// single-byte code-page bytes, carried as they are.
struct PersistedFields {
  PersistedHomeStation Home;
  PersistedStation DX;
  Real Frequency = 0;  // GHz
  ItemIndex FrequencyIndex = 0;
  std::int32_t DisplayDecimals = 0;
  ItemIndex HelpDelayIndex = 0;
  std::uint8_t EmePathMode = 0;
  Real TerrestrialPathLength = 0;  // km; the load also sets PathLength from it
  std::int32_t MoonSliderPosition = 0;
  std::uint8_t SpareFlag = 0;
  std::string ReservedText1;
  std::string ReservedText2;
  std::array<Real, 7> ReservedValues{};

  friend bool operator==(const PersistedFields&, const PersistedFields&) = default;
};

// Every field of the record. A short string's length byte above 15 reads as
// 15 (the record holds no more characters); bytes after the text are ignored.
// The ten reserved bytes at offset 110 are not a field. Never fails.
PersistedFields DecodeRecord(const DataRecord& record);

// Writes every field into buffer, which keeps what the file format leaves to
// it: the ten reserved bytes at offset 110, and the bytes after each short
// string's text. Texts longer than 15 bytes are cut to 15. A real whose bytes
// in the buffer already decode to the very same value (bit for bit, NaN
// payload included) is not rewritten, so that loading and saving an unchanged
// record gives back the same bytes even where the file held an encoding an
// x87 would not write (a pseudo-denormal, an unnormal). Likewise a short
// string whose text the buffer already reads as keeps its bytes, a length
// byte above 15 included.
void EncodeRecord(const PersistedFields& fields, DataRecord& buffer);

// The persisted fields of the state; offset 40 takes TerrestrialPathLength,
// never the Moon distance that PathLength holds in the EME mode.
PersistedFields FromState(const QuillmereState& state);

// Copies every persisted field into the state, and also PathLength from the
// terrestrial path length and each station's Elevation from its EmeElevation.
// The DX height is left as it is: it is not persisted.
void ApplyToState(const PersistedFields& fields, QuillmereState& state);

}  // namespace quillmere
