#include "default_data.h"

#include <algorithm>
#include <string>
#include <vector>

#include "data_record.h"
#include "range_check.h"

namespace quillmere {
namespace {

// Copies one persisted field from `from` into `to`, by the name the range
// check uses.
struct FieldCopy {
  const char* name;
  void (*copy)(PersistedFields& to, const PersistedFields& from);
};

#define QUILLMERE_COPY(path)                                                              \
  {                                                                                       \
#path, [](PersistedFields & to, const PersistedFields& from) { to.path = from.path; } \
  }

constexpr FieldCopy kFieldCopies[] = {
    QUILLMERE_COPY(Home.Temperature),      QUILLMERE_COPY(Frequency),
    QUILLMERE_COPY(Home.Humidity),         QUILLMERE_COPY(DX.Humidity),
    QUILLMERE_COPY(TerrestrialPathLength), QUILLMERE_COPY(Home.EmeElevation),
    QUILLMERE_COPY(Home.Pressure),         QUILLMERE_COPY(DX.Temperature),
    QUILLMERE_COPY(Home.HeightAsl),        QUILLMERE_COPY(DX.Pressure),
    QUILLMERE_COPY(DX.EmeElevation),       QUILLMERE_COPY(EmePathMode),
    QUILLMERE_COPY(Home.RainRateIndex),    QUILLMERE_COPY(DX.RainRateIndex),
    QUILLMERE_COPY(Home.Polarisation),     QUILLMERE_COPY(DX.Polarisation),
    QUILLMERE_COPY(FrequencyIndex),        QUILLMERE_COPY(DisplayDecimals),
    QUILLMERE_COPY(Home.LatitudeZone),     QUILLMERE_COPY(Home.Season),
    QUILLMERE_COPY(DX.LatitudeZone),       QUILLMERE_COPY(DX.Season),
    QUILLMERE_COPY(Home.FogIndex),         QUILLMERE_COPY(MoonSliderPosition),
    QUILLMERE_COPY(Home.CloudPosition),    QUILLMERE_COPY(HelpDelayIndex),
    QUILLMERE_COPY(DX.CloudPosition),      QUILLMERE_COPY(DX.FogIndex),
};

#undef QUILLMERE_COPY

bool Contains(const std::vector<std::string>& names, const char* name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

std::string OutOfRangeMessage(const std::filesystem::path& path,
                              const std::vector<std::string>& names) {
  std::string text = "The default Data File \"" + path.string() +
                     "\" holds values out of range, which were not loaded:";
  for (std::size_t i = 0; i < names.size(); ++i) text += (i ? ", " : " ") + names[i];
  text += ".\nThose settings keep their present values; the file is left as it is.";
  return text;
}

}  // namespace

std::filesystem::path DefaultDataPath() {
  std::error_code ec;
  return std::filesystem::current_path(ec) / kDataFileName;
}

bool SaveDefaults(const QuillmereState& state, RecordBuffer& buffer,
                  const std::filesystem::path& path, Messages& messages) {
  const WriteResult result = buffer.Save(path, FromState(state));
  if (!result.ok) {
    messages.Error(result.message);
    return false;
  }
  messages.Information(kDataFileUpdated);
  return true;
}

void LoadDefaults(Calculator& calc, Display& display, RecordBuffer& buffer,
                  const std::filesystem::path& path, Messages& messages) {
  QuillmereState& state = calc.State();
  // Saves killed between naming their new file and renaming it leave it
  // behind; its owner gone, nobody else will remove it.
  RemoveStaleTemporaries(path);
  const ReadResult read = buffer.Load(path);
  switch (read.status) {
    case ReadResult::Status::kOk:
      break;
    case ReadResult::Status::kNotFound:
      messages.Warning(kFileNotFound);
      calc.ApplyPathMode();
      return;
    case ReadResult::Status::kCannotOpen:
    case ReadResult::Status::kNotRegular:
      messages.Warning(read.message);
      calc.ApplyPathMode();
      return;
    case ReadResult::Status::kReadError:
      messages.Error(read.message);
      return;
  }

  // A value no version of the program writes is not applied: the field and
  // its control keep what they have.
  PersistedFields fields = DecodeRecord(buffer.record());
  const std::vector<std::string> bad = OutOfRangeFields(fields);
  const PersistedFields current = FromState(state);
  for (const FieldCopy& field : kFieldCopies) {
    if (Contains(bad, field.name)) field.copy(fields, current);
  }
  const Real path_length = state.PathLength;
  const Real home_elevation = state.Home.Elevation;
  const Real dx_elevation = state.DX.Elevation;
  ApplyToState(fields, state);
  if (Contains(bad, "TerrestrialPathLength")) state.PathLength = path_length;
  if (Contains(bad, "Home.EmeElevation")) state.Home.Elevation = home_elevation;
  if (Contains(bad, "DX.EmeElevation")) state.DX.Elevation = dx_elevation;

  // The controls, in this order; each runs its own handler only where the
  // stored value differs from what it shows.
  const auto select = [&](const char* group, const char* field, ItemIndex item) {
    if (!Contains(bad, field)) display.SetSelectedItem(group, item);
  };
  const auto slide = [&](const char* slider, const char* field, int position) {
    if (!Contains(bad, field)) display.SetSliderPosition(slider, position);
  };
  const StationParams& A = state.Home;
  const StationParams& B = state.DX;
  select("PolarisationSelectA", "Home.Polarisation", A.Polarisation);
  select("PolarisationSelectB", "DX.Polarisation", B.Polarisation);
  select("FreqSelect", "FrequencyIndex", state.FrequencyIndex);
  select("RainSelectA", "Home.RainRateIndex", A.RainRateIndex);
  select("RainSelectB", "DX.RainRateIndex", B.RainRateIndex);
  select("DisplayAccuracy", "DisplayDecimals", state.DisplayDecimals - 1);
  select("LatitudeSelectA", "Home.LatitudeZone", A.LatitudeZone);
  select("SummerWinterSelectA", "Home.Season", A.Season);
  select("LatitudeSelectB", "DX.LatitudeZone", B.LatitudeZone);
  select("SummerWinterSelectB", "DX.Season", B.Season);
  select("FogSelectA", "Home.FogIndex", A.FogIndex);
  select("FogSelectB", "DX.FogIndex", B.FogIndex);
  slide("CloudSelectA", "Home.CloudPosition", A.CloudPosition);
  slide("CloudSelectB", "DX.CloudPosition", B.CloudPosition);
  select("ScreenDelaySelect", "HelpDelayIndex", state.HelpDelayIndex);
  slide("ScrollBar1", "MoonSliderPosition", state.MoonSliderPosition);

  calc.UpdateHaslValues(Station::Home);
  calc.UpdateHaslValues(Station::DX);
  calc.ApplyPathMode();
  if (!bad.empty()) messages.Warning(OutOfRangeMessage(path, bad));
}

}  // namespace quillmere
