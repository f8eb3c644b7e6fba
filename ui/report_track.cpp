#include "report_track.h"

#include <ostream>

#include "track_environment.h"

namespace quillmere {

const char* TrackUsage() {
  return kTrackUsage;
}

int RunTrackReport(const std::vector<std::string>& args, double now_utc_s,
                   const std::filesystem::path& default_data, const StartStateLoader& load,
                   std::ostream& out, std::ostream& err) {
  return RunTrackCommand(
      args, now_utc_s,
      [&](const std::string& data_file) -> std::optional<TrackEnvironment> {
        const std::optional<QuillmereState> state =
            load(data_file.empty() ? default_data : std::filesystem::path(data_file));
        if (!state) return std::nullopt;
        return TrackEnvironmentOf(*state);
      },
      out, err);
}

}  // namespace quillmere
