#pragma once
// What the program does as its main window first opens, with or without a
// window: quillmere and quillmere-report run this one sequence, so that the
// report prints what the window shows. And where the program finds the files
// shipped with it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "calculator.h"
#include "display.h"
#include "messages.h"
#include "version_info.h"

namespace quillmere {

// The program's own file as the system names it; empty when it cannot say.
std::filesystem::path ProgramFile();

// The last change of a file in whole seconds since 1970-01-01 UTC (the
// program's build date in the About text), or -1 when there is no such file.
std::int64_t FileAge(const std::filesystem::path& file);

// A file shipped with the program (the help, the cloud maps): the first of
// `names` in the start folder, as the program always looked there first;
// then, folder by folder, in the data folder installed beside the program
// (share/quillmere), or the build's share folder. Every name stays in the
// system's bytes. Nothing when no folder has any of them.
std::optional<std::filesystem::path> FindShippedFile(std::span<const std::string> names);

// The start-up: the window's title with the program's version, the build
// date, both stations over water, the start folder, then the default data
// file `data` loaded through the process's record buffer, its messages told
// to `messages`. `calc` writes to `display`. Returns the version read.
VersionInfo RunStartup(Calculator& calc, Display& display, const std::filesystem::path& data,
                       Messages& messages);

}  // namespace quillmere
