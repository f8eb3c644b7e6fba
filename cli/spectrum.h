#pragma once
// quillmere-report --spectrum and --slant: the line-by-line figures for one
// station of the data file. Their options and their run; the figures are
// the exact-path command's own (spectrum_command.h).

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "spectrum_command.h"

namespace quillmere {

// The two forms and their options, as they stand in the tool's whole usage
// (indented under its first line).
extern const char* const kExactPathForms;

// What --spectrum --help and --slant --help print.
std::string ExactPathUsage();

// Whether the arguments (without the program name) ask for --spectrum or
// --slant, so the report tool hands them here rather than to the window.
bool IsExactPathCommand(std::span<const std::string_view> args);

// Reads the arguments (without the program name); on a bad one returns
// nothing and says why in `error` (the tool then exits with status 2).
// "--name VALUE" and "--name=VALUE" both work.
std::optional<ExactPathRequest> ParseExactPathCommand(std::span<const std::string_view> args,
                                                      std::string& error);

// The mode as quillmere-report runs it: start-up as for the report on the
// request's data file, then the exact method for the chosen station's
// loaded state. A bad option is said with `usage` after it.
int RunExactPathMode(char* program, std::span<const std::string_view> args,
                     const std::string& usage);

}  // namespace quillmere
