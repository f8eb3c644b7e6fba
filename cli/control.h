#pragma once
// quillmere-report --control: the station-control loop without a window, for
// a small computer at the dish. The dish follows the Moon through rotctld
// and, when asked, the rig the Doppler through rigctld, for a given time
// (or until SIGINT/SIGTERM), one line per command sent; the rotator is
// stopped at the end.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "station_control.h"

namespace quillmere {

struct ControlOptions {
  ControlSettings settings;
  double for_s = 0.0;  // 0: until a signal
  bool json = false;
  bool help = false;
};

extern const char* const kControlUsage;

// Reads the arguments after the program's name, "--control" included; the
// options, or the message for standard error (exit status 2). A stations
// file is read here, and one that cannot be read is a message too, marked
// by `unreadable` (exit status 1).
std::variant<ControlOptions, std::string> ParseControlArguments(
    std::span<const std::string_view> args, bool* unreadable = nullptr);

int RunControlMode(std::span<const std::string_view> args);

}  // namespace quillmere
