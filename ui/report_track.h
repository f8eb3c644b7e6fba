#pragma once
// quillmere-report --track: the Moon track of the two stations given on the
// command line, with each station's attenuation from the weather of the data
// file as the window's start-up leaves it.

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "state.h"

namespace quillmere {

// The window's state after start-up on a data file; nothing when the file
// cannot be read (the loader has said why on standard error).
using StartStateLoader =
    std::function<std::optional<QuillmereState>(const std::filesystem::path& data)>;

// What --track --help prints.
const char* TrackUsage();

// Runs the command on the arguments after the program name. --data names
// the data file; without it, `default_data`. Returns the exit status.
int RunTrackReport(const std::vector<std::string>& args, double now_utc_s,
                   const std::filesystem::path& default_data, const StartStateLoader& load,
                   std::ostream& out, std::ostream& err);

}  // namespace quillmere
