#include "placement_file.h"

#include <array>
#include <limits>
#include <vector>

#include "ini_text.h"
#include "text_file.h"

namespace quillmere {
namespace {

constexpr std::array<const char*, 4> kKeys = {"Left", "Top", "Width", "Height"};

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Which of the four keys a line sets, or -1.
int KeyOf(const IniLine& line) {
  if (line.kind != IniLine::Kind::kKey) return -1;
  for (std::size_t k = 0; k < kKeys.size(); ++k) {
    if (SameName(line.name, kKeys[k])) return static_cast<int>(k);
  }
  return -1;
}

std::int64_t LeadingInteger(std::string_view s) {
  bool negative = false;
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  // Accumulated towards the sign's side, so the int64 minimum is reachable.
  std::int64_t value = 0;
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    const int digit = s[i] - '0';
    if (negative) {
      value = value < (kMin + digit) / 10 ? kMin : value * 10 - digit;
    } else {
      value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
  }
  return value;
}

// Where the first section "Position" begins (its header line) and ends (one
// past its last line), in line numbers; begin == npos when there is none.
struct SectionSpan {
  std::size_t begin = std::string_view::npos, end = 0;
};

SectionSpan FindPosition(const std::vector<IniLine>& lines) {
  SectionSpan span;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const IniLine& line = lines[i];
    if (line.kind != IniLine::Kind::kSection && line.kind != IniLine::Kind::kBrokenSection) {
      continue;
    }
    // A broken header ends the section too: what follows it belongs to no
    // section the program knows.
    if (span.begin != std::string_view::npos) {
      span.end = i;
      return span;
    }
    if (line.kind == IniLine::Kind::kSection && SameName(line.name, "Position")) span.begin = i;
  }
  span.end = lines.size();
  return span;
}

}  // namespace

PlacementKeys ParsePlacement(std::string_view text) {
  PlacementKeys keys;
  const IniText ini = SplitIniText(text);
  const SectionSpan span = FindPosition(ini.lines);
  if (span.begin == std::string_view::npos) return keys;
  std::array<std::optional<std::int64_t>*, 4> slots = {&keys.left, &keys.top, &keys.width,
                                                       &keys.height};
  for (std::size_t i = span.begin + 1; i < span.end; ++i) {
    const int k = KeyOf(ini.lines[i]);
    if (k >= 0 && !*slots[k]) *slots[k] = LeadingInteger(ini.lines[i].value);
  }
  return keys;
}

std::string UpdatePlacement(std::string_view text, std::int64_t left, std::int64_t top,
                            std::int64_t width, std::int64_t height) {
  const std::array<std::int64_t, 4> values = {left, top, width, height};
  const IniText ini = SplitIniText(text);
  // New lines end as the file's first line does.
  const bool crlf = !ini.lines.empty() && ini.lines.front().text.ends_with('\r');
  const std::string eol = crlf ? "\r" : "";
  const auto key_line = [&](std::size_t k) {
    return std::string(kKeys[k]) + "=" + std::to_string(values[k]);
  };

  std::vector<std::string> out;
  for (const IniLine& line : ini.lines) out.emplace_back(line.text);
  SectionSpan span = FindPosition(ini.lines);
  const bool header_added = span.begin == std::string_view::npos;
  if (header_added) {
    out.push_back("[Position]" + eol);
    span.begin = out.size() - 1;
    span.end = out.size();
  }
  std::array<bool, 4> written{};
  for (std::size_t i = span.begin + 1; i < span.end; ++i) {
    const int k = KeyOf(ini.lines[i]);
    if (k < 0 || written[k]) continue;
    const bool cr = !out[i].empty() && out[i].back() == '\r';
    out[i] = key_line(static_cast<std::size_t>(k)) + (cr ? "\r" : "");
    written[k] = true;
  }
  // Missing keys go after the section's last line that is not blank.
  std::size_t at = span.end;
  while (at > span.begin + 1 && TrimIniBlanks(out[at - 1]).empty()) --at;
  std::vector<std::string> added;
  for (std::size_t k = 0; k < kKeys.size(); ++k) {
    if (!written[k]) added.push_back(key_line(k) + eol);
  }
  out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());

  std::string result(ini.byte_order_mark);
  for (std::size_t i = 0; i < out.size(); ++i) {
    result += out[i];
    if (i + 1 < out.size()) result += '\n';
  }
  // A line added at the very end ends with a line break.
  const bool added_last = header_added || (!added.empty() && at + added.size() == out.size());
  if (ini.final_newline || added_last) result += '\n';
  return result;
}

PlacementRead ReadPlacementFile(const std::filesystem::path& path) {
  PlacementRead out;
  std::string text;
  out.read = ReadTextFile(path, kMaxPlacementFileBytes, text);
  if (out.read.ok()) out.keys = ParsePlacement(text);
  return out;
}

SaveOutcome WritePlacementFile(const std::filesystem::path& path, std::int64_t left,
                               std::int64_t top, std::int64_t width, std::int64_t height) {
  std::string text;
  bool cut_at_nul = false;
  const FileReadResult read = ReadTextFile(path, kMaxPlacementFileBytes, text, &cut_at_nul);
  if (!read.ok() && read.status != FileReadResult::Status::kNotFound) {
    return NotReadAtStart(path, read.reason);
  }
  // What follows a NUL byte was never read, and would be lost.
  if (cut_at_nul) return NotReadAtStart(path, "it holds a NUL byte, which a text file does not");
  const std::string updated = UpdatePlacement(text, left, top, width, height);
  // A file the next start would not read is not worth writing.
  if (updated.size() > kMaxPlacementFileBytes) {
    SaveOutcome refused;
    refused.fault = SaveOutcome::Fault::kFile;
    refused.reason = "it would be larger than such a file may be";
    refused.message = "Could not save " + path.string() + ": " + refused.reason;
    return refused;
  }
  return ReplaceFileContents(path, updated);
}

}  // namespace quillmere
