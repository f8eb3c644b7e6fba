#include "placement_file.h"

#include <array>
#include <limits>
#include <vector>

#include "text_file.h"

namespace quillmere {
namespace {

constexpr std::array<const char*, 4> kKeys = {"Left", "Top", "Width", "Height"};

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
  };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The section a line opens, when it opens one.
std::optional<std::string_view> SectionOf(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const auto close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

// Which of the four keys a line sets (and its value), or -1.
int KeyOf(std::string_view line, std::string_view* value = nullptr) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') return -1;
  const auto eq = line.find('=');
  if (eq == std::string_view::npos) return -1;
  const std::string_view name = Trim(line.substr(0, eq));
  for (std::size_t k = 0; k < kKeys.size(); ++k) {
    if (SameName(name, kKeys[k])) {
      if (value) *value = Trim(line.substr(eq + 1));
      return static_cast<int>(k);
    }
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

// The text cut into lines at '\n'; each line keeps a '\r' before it.
struct Lines {
  std::vector<std::string_view> lines;
  bool final_newline = false;
};

Lines Split(std::string_view text) {
  Lines out;
  std::size_t start = 0;
  while (start < text.size()) {
    const auto end = text.find('\n', start);
    if (end == std::string_view::npos) {
      out.lines.push_back(text.substr(start));
      return out;
    }
    out.lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  out.final_newline = !text.empty();
  return out;
}

// Where the first section "Position" begins (its header line) and ends (one
// past its last line), in line numbers; begin == npos when there is none.
struct SectionSpan {
  std::size_t begin = std::string_view::npos, end = 0;
};

SectionSpan FindPosition(const std::vector<std::string_view>& lines) {
  SectionSpan span;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto section = SectionOf(lines[i]);
    if (!section) continue;
    if (span.begin != std::string_view::npos) {
      span.end = i;
      return span;
    }
    if (SameName(*section, "Position")) span.begin = i;
  }
  span.end = lines.size();
  return span;
}

}  // namespace

PlacementKeys ParsePlacement(std::string_view text) {
  PlacementKeys keys;
  const Lines split = Split(text);
  const SectionSpan span = FindPosition(split.lines);
  if (span.begin == std::string_view::npos) return keys;
  std::array<std::optional<std::int64_t>*, 4> slots = {&keys.left, &keys.top, &keys.width,
                                                       &keys.height};
  for (std::size_t i = span.begin + 1; i < span.end; ++i) {
    std::string_view value;
    const int k = KeyOf(split.lines[i], &value);
    if (k >= 0 && !*slots[k]) *slots[k] = LeadingInteger(value);
  }
  return keys;
}

std::string UpdatePlacement(std::string_view text, std::int64_t left, std::int64_t top,
                            std::int64_t width, std::int64_t height) {
  const std::array<std::int64_t, 4> values = {left, top, width, height};
  const Lines split = Split(text);
  // New lines end as the file's first line does.
  const bool crlf =
      !split.lines.empty() && !split.lines.front().empty() && split.lines.front().back() == '\r';
  const std::string eol = crlf ? "\r" : "";
  const auto key_line = [&](std::size_t k) {
    return std::string(kKeys[k]) + "=" + std::to_string(values[k]);
  };

  std::vector<std::string> out(split.lines.begin(), split.lines.end());
  SectionSpan span = FindPosition(split.lines);
  const bool header_added = span.begin == std::string_view::npos;
  if (header_added) {
    out.push_back("[Position]" + eol);
    span.begin = out.size() - 1;
    span.end = out.size();
  }
  std::array<bool, 4> written{};
  for (std::size_t i = span.begin + 1; i < span.end; ++i) {
    const int k = KeyOf(split.lines[i]);
    if (k < 0 || written[k]) continue;
    const bool cr = !out[i].empty() && out[i].back() == '\r';
    out[i] = key_line(static_cast<std::size_t>(k)) + (cr ? "\r" : "");
    written[k] = true;
  }
  // Missing keys go after the section's last line that is not blank.
  std::size_t at = span.end;
  while (at > span.begin + 1 && Trim(out[at - 1]).empty()) --at;
  std::vector<std::string> added;
  for (std::size_t k = 0; k < kKeys.size(); ++k) {
    if (!written[k]) added.push_back(key_line(k) + eol);
  }
  out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());

  std::string result;
  for (std::size_t i = 0; i < out.size(); ++i) {
    result += out[i];
    if (i + 1 < out.size()) result += '\n';
  }
  // A line added at the very end ends with a line break.
  const bool added_last = header_added || (!added.empty() && at + added.size() == out.size());
  if (split.final_newline || added_last) result += '\n';
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
