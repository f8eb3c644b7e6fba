#pragma once
// INI text as the program's own INI files hold it (QuillmereS.ini,
// QuillmereStations.ini): lines of "[Section]" and "Key=Value", comment lines
// that begin with ';' or '#', blanks ignored around names and values, LF or
// CRLF line ends, and a UTF-8 byte-order mark before the first line, as some
// editors write one.
//
// Here the text is only cut into lines and each line said what it is; which
// sections and keys a file takes, in which case, and whether the first or
// the last of a repeated key wins, is its reader's business.

#include <string_view>
#include <vector>

namespace quillmere {

// A name or value without the blanks around it: spaces, tabs and the
// carriage return of a CRLF line end.
std::string_view TrimIniBlanks(std::string_view s);

struct IniLine {
  enum class Kind {
    kBlank,          // nothing but blanks
    kComment,        // ';' or '#' first
    kSection,        // "[name]", the brackets first and last
    kBrokenSection,  // '[' first but not ']' last: opens no section a reader knows
    kKey,            // "name=value"
    kOther,          // none of these
  };
  Kind kind = Kind::kBlank;
  std::string_view text;   // the line as written, without its '\n' ('\r' kept)
  std::string_view name;   // of the section or the key, without blanks
  std::string_view value;  // of the key, without blanks
};

// What one line (without its '\n') is.
IniLine ClassifyIniLine(std::string_view line);

struct IniText {
  std::string_view byte_order_mark;  // before the first line, when the text has one
  std::vector<IniLine> lines;        // line i + 1 of the text at i
  bool final_newline = false;        // the last line ends with '\n'
};

// The text cut into lines at '\n'. The text is rebuilt as it was from the
// byte-order mark, every line's text joined by '\n' and the final newline.
IniText SplitIniText(std::string_view text);

}  // namespace quillmere
