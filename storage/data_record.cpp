#include "data_record.h"

#include <algorithm>
#include <string_view>

namespace quillmere {
namespace {

namespace off = record_offset;

// The fields in file order with their sizes: each must start where the one
// before it ends, and the last must end at the record's end.
struct Span {
  std::size_t offset, size;
};
constexpr Span kLayout[] = {
    {off::kHomeTemperature, kExtendedSize},
    {off::kFrequency, kExtendedSize},
    {off::kHomeHumidity, kExtendedSize},
    {off::kDxHumidity, kExtendedSize},
    {off::kTerrestrialPathLength, kExtendedSize},
    {off::kHomeEmeElevation, kExtendedSize},
    {off::kHomePressure, kExtendedSize},
    {off::kDxTemperature, kExtendedSize},
    {off::kHomeHeightAsl, kExtendedSize},
    {off::kDxPressure, kExtendedSize},
    {off::kDxEmeElevation, kExtendedSize},
    {off::kReserved, off::kReservedSize},
    {off::kReservedValues, off::kReservedValueCount* kExtendedSize},
    {off::kEmePathMode, 1},
    {off::kSpareFlag, 1},
    {off::kReservedText1, off::kShortStringSize},
    {off::kReservedText2, off::kShortStringSize},
    {off::kHomeRainRateIndex, off::kInt32Size},
    {off::kDxRainRateIndex, off::kInt32Size},
    {off::kHomePolarisation, off::kInt32Size},
    {off::kDxPolarisation, off::kInt32Size},
    {off::kFrequencyIndex, off::kInt32Size},
    {off::kDisplayDecimals, off::kInt32Size},
    {off::kHomeLatitudeZone, off::kInt32Size},
    {off::kHomeSeason, off::kInt32Size},
    {off::kDxLatitudeZone, off::kInt32Size},
    {off::kDxSeason, off::kInt32Size},
    {off::kHomeFogIndex, off::kInt32Size},
    {off::kMoonSliderPosition, off::kInt32Size},
    {off::kHomeCloudPosition, off::kInt32Size},
    {off::kHelpDelayIndex, off::kInt32Size},
    {off::kDxCloudPosition, off::kInt32Size},
    {off::kDxFogIndex, off::kInt32Size},
};

constexpr bool LayoutTilesRecord() {
  std::size_t next = 0;
  for (const Span& span : kLayout) {
    if (span.offset != next) return false;
    next = span.offset + span.size;
  }
  return next == kRecordSize;
}
static_assert(LayoutTilesRecord(), "record fields must follow each other without gaps");
static_assert(off::kShortStringSize == 1 + off::kShortStringCapacity);

Real GetReal(const DataRecord& r, std::size_t at) {
  return DecodeExtended(&r.bytes[at]);
}

// Leaves the bytes alone when they already hold exactly this value, so that a
// non-canonical encoding of an unchanged value survives a save.
void PutReal(DataRecord& r, std::size_t at, Real value) {
  const ExtendedBytes wanted = EncodeExtended(value);
  if (EncodeExtended(DecodeExtended(&r.bytes[at])) == wanted) return;
  std::copy(wanted.begin(), wanted.end(), r.bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

std::int32_t GetInt32(const DataRecord& r, std::size_t at) {
  std::uint32_t u = 0;
  for (int i = 3; i >= 0; --i) u = (u << 8) | r.bytes[at + static_cast<std::size_t>(i)];
  return static_cast<std::int32_t>(u);  // two's complement
}

void PutInt32(DataRecord& r, std::size_t at, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  for (std::size_t i = 0; i < 4; ++i) r.bytes[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
}

std::string GetShortString(const DataRecord& r, std::size_t at) {
  const std::size_t length = std::min<std::size_t>(r.bytes[at], off::kShortStringCapacity);
  const auto first = r.bytes.begin() + static_cast<std::ptrdiff_t>(at + 1);
  return std::string(first, first + static_cast<std::ptrdiff_t>(length));
}

// Writes the length byte and the text; the bytes after the text stay. A text
// the buffer already reads as is left alone, as an unchanged real is: a length
// byte above 15, which reads as 15, must survive the save of an unchanged
// record.
void PutShortString(DataRecord& r, std::size_t at, const std::string& text) {
  const std::size_t length = std::min(text.size(), off::kShortStringCapacity);
  if (GetShortString(r, at) == std::string_view(text).substr(0, length)) return;
  r.bytes[at] = static_cast<std::uint8_t>(length);
  std::copy_n(text.begin(), length, r.bytes.begin() + static_cast<std::ptrdiff_t>(at + 1));
}

// The station inputs that the file holds, between the state and the record's
// fields (the names are the same on both sides).
template <typename From, typename To>
void CopyStationInputs(const From& from, To& to) {
  to.Temperature = from.Temperature;
  to.Humidity = from.Humidity;
  to.Pressure = from.Pressure;
  to.EmeElevation = from.EmeElevation;
  to.LatitudeZone = from.LatitudeZone;
  to.Season = from.Season;
  to.RainRateIndex = from.RainRateIndex;
  to.Polarisation = from.Polarisation;
  to.FogIndex = from.FogIndex;
  to.CloudPosition = from.CloudPosition;
}

}  // namespace

PersistedFields DecodeRecord(const DataRecord& r) {
  PersistedFields f;
  f.Home.Temperature = GetReal(r, off::kHomeTemperature);
  f.Frequency = GetReal(r, off::kFrequency);
  f.Home.Humidity = GetReal(r, off::kHomeHumidity);
  f.DX.Humidity = GetReal(r, off::kDxHumidity);
  f.TerrestrialPathLength = GetReal(r, off::kTerrestrialPathLength);
  f.Home.EmeElevation = GetReal(r, off::kHomeEmeElevation);
  f.Home.Pressure = GetReal(r, off::kHomePressure);
  f.DX.Temperature = GetReal(r, off::kDxTemperature);
  f.Home.HeightAsl = GetReal(r, off::kHomeHeightAsl);
  f.DX.Pressure = GetReal(r, off::kDxPressure);
  f.DX.EmeElevation = GetReal(r, off::kDxEmeElevation);
  for (std::size_t i = 0; i < off::kReservedValueCount; ++i) {
    f.ReservedValues[i] = GetReal(r, off::kReservedValues + i * kExtendedSize);
  }
  f.EmePathMode = r.bytes[off::kEmePathMode];
  f.SpareFlag = r.bytes[off::kSpareFlag];
  f.ReservedText1 = GetShortString(r, off::kReservedText1);
  f.ReservedText2 = GetShortString(r, off::kReservedText2);
  f.Home.RainRateIndex = GetInt32(r, off::kHomeRainRateIndex);
  f.DX.RainRateIndex = GetInt32(r, off::kDxRainRateIndex);
  f.Home.Polarisation = GetInt32(r, off::kHomePolarisation);
  f.DX.Polarisation = GetInt32(r, off::kDxPolarisation);
  f.FrequencyIndex = GetInt32(r, off::kFrequencyIndex);
  f.DisplayDecimals = GetInt32(r, off::kDisplayDecimals);
  f.Home.LatitudeZone = GetInt32(r, off::kHomeLatitudeZone);
  f.Home.Season = GetInt32(r, off::kHomeSeason);
  f.DX.LatitudeZone = GetInt32(r, off::kDxLatitudeZone);
  f.DX.Season = GetInt32(r, off::kDxSeason);
  f.Home.FogIndex = GetInt32(r, off::kHomeFogIndex);
  f.MoonSliderPosition = GetInt32(r, off::kMoonSliderPosition);
  f.Home.CloudPosition = GetInt32(r, off::kHomeCloudPosition);
  f.HelpDelayIndex = GetInt32(r, off::kHelpDelayIndex);
  f.DX.CloudPosition = GetInt32(r, off::kDxCloudPosition);
  f.DX.FogIndex = GetInt32(r, off::kDxFogIndex);
  return f;
}

void EncodeRecord(const PersistedFields& f, DataRecord& r) {
  PutReal(r, off::kHomeTemperature, f.Home.Temperature);
  PutReal(r, off::kFrequency, f.Frequency);
  PutReal(r, off::kHomeHumidity, f.Home.Humidity);
  PutReal(r, off::kDxHumidity, f.DX.Humidity);
  PutReal(r, off::kTerrestrialPathLength, f.TerrestrialPathLength);
  PutReal(r, off::kHomeEmeElevation, f.Home.EmeElevation);
  PutReal(r, off::kHomePressure, f.Home.Pressure);
  PutReal(r, off::kDxTemperature, f.DX.Temperature);
  PutReal(r, off::kHomeHeightAsl, f.Home.HeightAsl);
  PutReal(r, off::kDxPressure, f.DX.Pressure);
  PutReal(r, off::kDxEmeElevation, f.DX.EmeElevation);
  for (std::size_t i = 0; i < off::kReservedValueCount; ++i) {
    PutReal(r, off::kReservedValues + i * kExtendedSize, f.ReservedValues[i]);
  }
  r.bytes[off::kEmePathMode] = f.EmePathMode;
  r.bytes[off::kSpareFlag] = f.SpareFlag;
  PutShortString(r, off::kReservedText1, f.ReservedText1);
  PutShortString(r, off::kReservedText2, f.ReservedText2);
  PutInt32(r, off::kHomeRainRateIndex, f.Home.RainRateIndex);
  PutInt32(r, off::kDxRainRateIndex, f.DX.RainRateIndex);
  PutInt32(r, off::kHomePolarisation, f.Home.Polarisation);
  PutInt32(r, off::kDxPolarisation, f.DX.Polarisation);
  PutInt32(r, off::kFrequencyIndex, f.FrequencyIndex);
  PutInt32(r, off::kDisplayDecimals, f.DisplayDecimals);
  PutInt32(r, off::kHomeLatitudeZone, f.Home.LatitudeZone);
  PutInt32(r, off::kHomeSeason, f.Home.Season);
  PutInt32(r, off::kDxLatitudeZone, f.DX.LatitudeZone);
  PutInt32(r, off::kDxSeason, f.DX.Season);
  PutInt32(r, off::kHomeFogIndex, f.Home.FogIndex);
  PutInt32(r, off::kMoonSliderPosition, f.MoonSliderPosition);
  PutInt32(r, off::kHomeCloudPosition, f.Home.CloudPosition);
  PutInt32(r, off::kHelpDelayIndex, f.HelpDelayIndex);
  PutInt32(r, off::kDxCloudPosition, f.DX.CloudPosition);
  PutInt32(r, off::kDxFogIndex, f.DX.FogIndex);
}

PersistedFields FromState(const QuillmereState& state) {
  PersistedFields f;
  CopyStationInputs(state.Home, f.Home);
  f.Home.HeightAsl = state.Home.HeightAsl;
  CopyStationInputs(state.DX, f.DX);
  f.Frequency = state.Frequency;
  f.FrequencyIndex = state.FrequencyIndex;
  f.DisplayDecimals = state.DisplayDecimals;
  f.HelpDelayIndex = state.HelpDelayIndex;
  f.EmePathMode = state.EmePathMode;
  f.TerrestrialPathLength = state.TerrestrialPathLength;
  f.MoonSliderPosition = state.MoonSliderPosition;
  f.SpareFlag = state.SpareFlag;
  f.ReservedText1 = state.ReservedText1;
  f.ReservedText2 = state.ReservedText2;
  f.ReservedValues = state.ReservedValues;
  return f;
}

void ApplyToState(const PersistedFields& f, QuillmereState& state) {
  CopyStationInputs(f.Home, state.Home);
  state.Home.HeightAsl = f.Home.HeightAsl;
  CopyStationInputs(f.DX, state.DX);
  state.Frequency = f.Frequency;
  state.FrequencyIndex = f.FrequencyIndex;
  state.DisplayDecimals = f.DisplayDecimals;
  state.HelpDelayIndex = f.HelpDelayIndex;
  state.EmePathMode = f.EmePathMode;
  state.TerrestrialPathLength = f.TerrestrialPathLength;
  state.MoonSliderPosition = f.MoonSliderPosition;
  state.SpareFlag = f.SpareFlag;
  state.ReservedText1 = f.ReservedText1;
  state.ReservedText2 = f.ReservedText2;
  state.ReservedValues = f.ReservedValues;
  // The one path-length slot and the kept EME elevations also set the values
  // the models use until the path mode is applied.
  state.PathLength = f.TerrestrialPathLength;
  state.Home.Elevation = f.Home.EmeElevation;
  state.DX.Elevation = f.DX.EmeElevation;
}

}  // namespace quillmere
