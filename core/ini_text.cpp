#include "ini_text.h"

namespace quillmere {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

}  // namespace

std::string_view TrimIniBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

IniLine ClassifyIniLine(std::string_view line) {
  IniLine out;
  out.text = line;
  const std::string_view trimmed = TrimIniBlanks(line);
  if (trimmed.empty()) return out;
  if (trimmed.front() == ';' || trimmed.front() == '#') {
    out.kind = IniLine::Kind::kComment;
  } else if (trimmed.front() == '[') {
    // Anything after the closing bracket makes the header one a reader
    // cannot trust, rather than a comment to skip.
    if (trimmed.size() < 2 || trimmed.back() != ']') {
      out.kind = IniLine::Kind::kBrokenSection;
    } else {
      out.kind = IniLine::Kind::kSection;
      out.name = TrimIniBlanks(trimmed.substr(1, trimmed.size() - 2));
    }
  } else if (const auto equals = trimmed.find('='); equals != std::string_view::npos) {
    out.kind = IniLine::Kind::kKey;
    out.name = TrimIniBlanks(trimmed.substr(0, equals));
    out.value = TrimIniBlanks(trimmed.substr(equals + 1));
  } else {
    out.kind = IniLine::Kind::kOther;
  }
  return out;
}

IniText SplitIniText(std::string_view text) {
  IniText out;
  if (text.starts_with(kByteOrderMark)) {
    out.byte_order_mark = text.substr(0, kByteOrderMark.size());
    text.remove_prefix(kByteOrderMark.size());
  }
  while (!text.empty()) {
    const auto end = text.find('\n');
    out.lines.push_back(ClassifyIniLine(text.substr(0, end)));
    if (end == std::string_view::npos) return out;
    text.remove_prefix(end + 1);
    out.final_newline = text.empty();
  }
  return out;
}

}  // namespace quillmere
