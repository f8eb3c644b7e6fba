#pragma once
// quillmere-report's first mode: the window's start-up without a window on a
// default data file at a chosen UTC moment, every text of the window printed
// as the user would see it, as a sheet or as JSON.
//
//   quillmere-report [--data FILE] [--utc YYYY-MM-DDTHH:MM:SS] [--json]

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "utc_clock.h"

namespace quillmere {

// The mode's own usage, which opens the tool's whole usage.
extern const char* const kWindowReportUsage;
// What the whole usage says after the forms of every mode but the track.
extern const char* const kWindowReportNotes;

struct WindowReportOptions {
  std::optional<std::filesystem::path> data;
  std::optional<UtcDateTime> utc;
  bool json = false;
  bool help = false;
  bool version = false;
};

// Reads the options; on a bad one returns nothing and says why in `error`.
// "--name VALUE" and "--name=VALUE" both work; a later option overrides an
// earlier one.
std::optional<WindowReportOptions> ParseWindowReportOptions(std::span<const std::string_view> args,
                                                            std::string& error);

// Runs the mode on the arguments after the program's name: --help prints
// `usage`, which also follows the complaint about a bad option. Returns the
// exit status.
int RunWindowReportMode(char* program, std::span<const std::string_view> args,
                        const std::string& usage);

}  // namespace quillmere
