#pragma once
// The program's version strings. There is no version block in the program
// file here: the ten strings are compiled in from the build.

#include <array>
#include <string>

namespace quillmere {

// The keys, in the order of VersionInfo.
inline constexpr std::array<const char*, 10> kVersionKeys{
    "CompanyName",    "FileDescription",  "FileVersion", "InternalName",   "LegalCopyRight",
    "LegalTradeMark", "OriginalFileName", "ProductName", "ProductVersion", "Comments"};

using VersionInfo = std::array<std::string, 10>;

// The strings of this build, in the order of kVersionKeys.
VersionInfo ReadVersionInfo();

inline const std::string& FileVersion(const VersionInfo& info) {
  return info[2];
}

// The part of a FileVersion "year.major.minor.build" that the window title
// shows: from its 8th character, at most 6 characters ("2014.0.1.25" gives
// "1.25"); empty when the string is shorter than 8 characters.
std::string ProgramVersion(const std::string& file_version);

}  // namespace quillmere
