#include "version_info.h"

#include "version_strings.h"

namespace quillmere {

VersionInfo ReadVersionInfo() {
  VersionInfo info;
  for (std::size_t i = 0; i < info.size(); ++i) info[i] = build::kVersionStrings[i];
  return info;
}

std::string ProgramVersion(const std::string& file_version) {
  if (file_version.size() < 8) return {};
  return file_version.substr(7, 6);
}

}  // namespace quillmere
