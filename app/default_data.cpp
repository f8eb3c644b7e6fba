#include "default_data.h"

#include <string>
#include <vector>

#include "data_record.h"
#include "form_components.h"
#include "range_check.h"
#include "record_state.h"

namespace quillmere {
namespace {

std::string OutOfRangeMessage(const std::filesystem::path& path,
                              const std::vector<std::string>& names) {
  std::string text = "The default Data File \"" + path.string() +
                     "\" holds values out of range, which were not loaded:";
  for (std::size_t i = 0; i < names.size(); ++i) text += (i ? ", " : " ") + names[i];
  text += ".\nThose settings keep their present values; the file is left as it is.";
  return text;
}

}  // namespace

std::filesystem::path StartFolder() {
  std::error_code ec;
  return std::filesystem::current_path(ec);
}

std::filesystem::path DefaultDataPath() {
  return StartFolder() / kDataFileName;
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

void LoadDefaults(Calculator& calc, Display& /*display: written through calc*/,
                  RecordBuffer& buffer, const std::filesystem::path& path, Messages& messages) {
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
      break;
    case ReadResult::Status::kCannotOpen:
    case ReadResult::Status::kNotRegular:
    case ReadResult::Status::kNoRecord:
      messages.Warning(read.message);
      break;
    case ReadResult::Status::kReadError:
      messages.Error(read.message);
      break;
  }
  const bool loaded = read.status == ReadResult::Status::kOk;

  // A value no version of the program writes is not applied: the field
  // keeps what it has.
  std::vector<std::string> bad;
  if (loaded) {
    const PersistedFields fields = DecodeRecord(buffer.record());
    const FieldSet refused = OutOfRangeFields(fields, kBandFrequencies);
    ApplyToState(fields, state, refused);
    bad = FieldNames(refused);
  }

  // The controls, in this order, from the state: the loaded values, and
  // where nothing was loaded the values the state kept (at the first start
  // the start values). Each runs its own handler only where the value
  // differs from what it shows.
  const StationParams& A = state.Home;
  const StationParams& B = state.DX;
  Controls& controls = calc.Inputs();
  namespace C = component;
  controls.Select(C::PolarisationSelectA, A.Polarisation);
  controls.Select(C::PolarisationSelectB, B.Polarisation);
  controls.Select(C::FreqSelect, state.FrequencyIndex);
  controls.Select(C::RainSelectA, A.RainRateIndex);
  controls.Select(C::RainSelectB, B.RainRateIndex);
  controls.Select(C::DisplayAccuracy, state.DisplayDecimals - 1);
  controls.Select(C::LatitudeSelectA, A.LatitudeZone);
  controls.Select(C::SummerWinterSelectA, A.Season);
  controls.Select(C::LatitudeSelectB, B.LatitudeZone);
  controls.Select(C::SummerWinterSelectB, B.Season);
  controls.Select(C::FogSelectA, A.FogIndex);
  controls.Select(C::FogSelectB, B.FogIndex);
  controls.Move(C::CloudSelectA, A.CloudPosition);
  controls.Move(C::CloudSelectB, B.CloudPosition);
  controls.Select(C::ScreenDelaySelect, state.HelpDelayIndex);
  controls.Move(C::ScrollBar1, state.MoonSliderPosition);

  calc.UpdateHaslValues(Station::Home);
  calc.UpdateHaslValues(Station::DX);
  // The moon data line is otherwise filled only in the EME mode: filled
  // here too, no component, shown or hidden, keeps its design-time text.
  // The path mode, applied next, puts the terrestrial path back.
  if (state.EmePathMode == 0) calc.QueryMoonLibrary();
  calc.ApplyPathMode();
  // A load that failed, or left fields as they were, may have changed no
  // control and so run no recalculation: without one, fields the window
  // has never written would still show their design-time texts.
  if (!loaded || !bad.empty()) calc.Recalculate();
  if (!bad.empty()) messages.Warning(OutOfRangeMessage(path, bad));
}

}  // namespace quillmere
