#pragma once
// The window placement file QuillmereS.ini: INI text whose section
// "Position" holds the keys "Left", "Top", "Width" and "Height" as decimal
// integers. The file is the user's to edit, so anything may be in it; the
// program reads only those four keys and, when it writes them back, keeps
// every other line of the file as it was.
//
// The text is read and parsed here rather than through a settings library:
// the reader must refuse a FIFO or a device before opening it blocks, and
// must bound what it reads (kMaxPlacementFileBytes).

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "regular_file.h"
#include "safe_write.h"

namespace quillmere {

inline constexpr const char* kPlacementFileName = "QuillmereS.ini";

// The four keys as found; a key absent from the file has no value.
struct PlacementKeys {
  std::optional<std::int64_t> left, top, width, height;
};

// Reads the keys from INI text (ini_text.h) as the private-profile reader does: section
// and key names without regard to case, blanks around them and the value
// ignored, the first section "Position" and in it the first line of each key
// taken. A value is its leading decimal integer (an optional sign, then
// digits; held at the int64 range): "12px" is 12, a value without a digit 0.
PlacementKeys ParsePlacement(std::string_view text);

// The text with the four keys of the first section "Position" set to the
// values given: each key's first line there is rewritten, missing keys are
// added at the end of that section, and a missing section at the end of the
// text. Every other line and the line ends stay as they were.
std::string UpdatePlacement(std::string_view text, std::int64_t left, std::int64_t top,
                            std::int64_t width, std::int64_t height);

struct PlacementRead {
  FileReadResult read;  // how reading went (not found, too large, not a file, ...)
  PlacementKeys keys;   // empty unless read.ok()
};

// Reads the placement file at path through the bounded reader.
PlacementRead ReadPlacementFile(const std::filesystem::path& path);

// Writes the four keys into the placement file at path through the one
// writer, keeping the rest of the file. A file that exists but cannot be
// read (no access, larger than such a file may be, not a regular file) is
// not replaced, since its contents would be lost; nor is one that would grow
// past that size.
SaveOutcome WritePlacementFile(const std::filesystem::path& path, std::int64_t left,
                               std::int64_t top, std::int64_t width, std::int64_t height);

}  // namespace quillmere
