// Fuzz target: the window placement written back at close, as a round trip.
// The input's first byte chooses what the name QuillmereS.ini is (the file
// itself, a symbolic link to it, or one of two hard links), the next 16
// bytes are the window's left, top, width and height (int32, little-endian),
// and the rest is the user's INI file. The close writes the four keys
// through the one writer into a scratch folder; then, beside the
// sanitizers' faults, it stops on:
//  - a file the reader refuses, or whose four keys are not the ones written;
//  - a line of the user's file lost or changed, other than the first line of
//    each of the four keys in the first section "Position" (and that
//    section's header when the writer added it);
//  - a file over the placement's size limit that was written at all;
//  - anything left in the folder but the file and its links.

#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "placement_file.h"
#include "regular_file.h"

namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz_placement_write: %s\n", what.c_str());
  std::fflush(stderr);
  __builtin_trap();
}

const fs::path& Folder() {
  static const fs::path folder = [] {
    std::string name = (fs::temp_directory_path() / "quillmere-fuzz-XXXXXX").string();
    if (::mkdtemp(name.data()) == nullptr) std::abort();
    return fs::path(name);
  }();
  return folder;
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const fs::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out) std::abort();
}

// An independent reading of INI lines: blanks are spaces, tabs and '\r';
// names compare without regard to case; a UTF-8 byte-order mark before the
// first line is not part of it.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

bool Same(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// The lines of the text that are not the placement's own: the first
// section "Position"'s header and the first line of each of its four keys.
std::vector<std::string_view> OtherLines(std::string_view text) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    const auto end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  std::vector<std::string_view> other;
  int state = 0;  // 0 before the section, 1 in it, 2 after it
  std::array<bool, 4> seen{};
  static constexpr std::array<std::string_view, 4> kKeys = {"Left", "Top", "Width", "Height"};
  for (const std::string_view line : lines) {
    const std::string_view t = Trim(line);
    // A '[' first opens a section, or, without its ']' last, ends the one
    // before it and opens none.
    const bool header = !t.empty() && t.front() == '[';
    if (header) {
      if (state == 1) state = 2;
      if (state == 0 && t.size() >= 2 && t.back() == ']' &&
          Same(Trim(t.substr(1, t.size() - 2)), "Position")) {
        state = 1;
        continue;
      }
    }
    if (state == 1 && !header && !t.empty() && t.front() != ';' && t.front() != '#') {
      const auto eq = line.find('=');
      if (eq != std::string_view::npos) {
        const std::string_view name = Trim(line.substr(0, eq));
        bool mine = false;
        for (std::size_t k = 0; k < kKeys.size(); ++k) {
          if (!seen[k] && Same(name, kKeys[k])) seen[k] = mine = true;
        }
        if (mine) continue;
      }
    }
    other.push_back(line);
  }
  return other;
}

std::int32_t Int32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
      static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 17) return 0;
  const int shape = data[0] % 3;  // 0 the file, 1 a symbolic link, 2 hard-linked
  const std::array<std::int64_t, 4> values = {Int32(data + 1), Int32(data + 5), Int32(data + 9),
                                              Int32(data + 13)};
  const std::string_view before(reinterpret_cast<const char*>(data + 17), size - 17);

  const fs::path folder = Folder();
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder)) fs::remove(entry.path(), ignored);
  const fs::path name = folder / quillmere::kPlacementFileName;
  const fs::path held = shape == 0 ? name : folder / "held.ini";
  Write(held, before);
  if (shape == 1) fs::create_symlink("held.ini", name);
  if (shape == 2) fs::create_hard_link(held, name);

  const quillmere::SaveOutcome saved =
      quillmere::WritePlacementFile(name, values[0], values[1], values[2], values[3]);
  const std::string after = Read(held);
  const std::size_t names = static_cast<std::size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
  if (names != (shape == 0 ? 1u : 2u)) Fail("the folder holds " + std::to_string(names) + " names");
  if (shape == 1 && !fs::is_symlink(name)) Fail("the link is no longer a link");
  if (shape == 2 && fs::hard_link_count(held) != 2) Fail("the hard links were split");

  if (!saved.ok()) {
    // A NUL byte ends a text file's text: the rest was never read.
    if (before.size() + 256 <= quillmere::kMaxPlacementFileBytes &&
        before.find('\0') == std::string_view::npos) {
      Fail("refused: " + saved.message);
    }
    if (after != before) Fail("a refused save changed the file");
    return 0;
  }
  if (before.size() > quillmere::kMaxPlacementFileBytes) Fail("a file over the limit was written");

  const quillmere::PlacementRead back = quillmere::ReadPlacementFile(name);
  if (!back.read.ok()) Fail("the written file cannot be read: " + back.read.reason);
  const std::array<std::optional<std::int64_t>, 4> keys = {back.keys.left, back.keys.top,
                                                           back.keys.width, back.keys.height};
  for (std::size_t k = 0; k < keys.size(); ++k) {
    if (keys[k] != values[k]) Fail("key " + std::to_string(k) + " did not come back");
  }
  if (OtherLines(before) != OtherLines(after))
    Fail("a line of the user's file was lost or changed");
  if (before.starts_with(kByteOrderMark) != after.starts_with(kByteOrderMark))
    Fail("the byte-order mark was not kept as it was");
  return 0;
}
