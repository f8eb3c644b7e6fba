#include "startup.h"

#include <chrono>
#include <cstdint>
#include <system_error>

#include "data_file.h"
#include "default_data.h"
#include "form_components.h"

namespace quillmere {

std::filesystem::path ProgramFile() {
  std::error_code ec;
  // Linux names the running program's file here, links resolved.
  std::filesystem::path file = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : file;
}

std::int64_t FileAge(const std::filesystem::path& file) {
  std::error_code ec;
  if (file.empty() || !std::filesystem::exists(file, ec)) return -1;
  const auto changed = std::filesystem::last_write_time(file, ec);
  if (ec) return -1;
  const auto since_1970 = std::chrono::file_clock::to_sys(changed).time_since_epoch();
  return std::chrono::floor<std::chrono::seconds>(since_1970).count();
}

std::optional<std::filesystem::path> FindShippedFile(std::span<const std::string> names) {
  const auto exists = [](const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
  };
  for (const std::string& name : names) {
    const std::filesystem::path here = StartFolder() / name;
    if (exists(here)) return here;
  }
  const std::filesystem::path program = ProgramFile().parent_path();
  if (program.empty()) return std::nullopt;
  // Installed: PREFIX/lib/quillmere/quillmere beside PREFIX/share/quillmere;
  // built: build/ui/quillmere beside build/share.
  for (const char* folder : {"../share/quillmere", "../../share/quillmere", "../share"}) {
    for (const std::string& name : names) {
      const std::filesystem::path candidate = (program / folder).lexically_normal() / name;
      if (exists(candidate)) return candidate;
    }
  }
  return std::nullopt;
}

VersionInfo RunStartup(Calculator& calc, Display& display, const std::filesystem::path& data,
                       Messages& messages) {
  const VersionInfo version = ReadVersionInfo();
  display.SetText(component::Form1,
                  "Quillmere Absorbtion Attenuation Ver " + ProgramVersion(FileVersion(version)));
  QuillmereState& state = calc.State();
  state.BuildFileAge = FileAge(ProgramFile());
  state.Home.VapourOverWater = 1;
  state.DX.VapourOverWater = 1;
  state.CurrentDirectory = StartFolder().string();
  LoadDefaults(calc, display, ProcessRecordBuffer(), data, messages);
  return version;
}

}  // namespace quillmere
