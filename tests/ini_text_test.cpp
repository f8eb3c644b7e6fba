// The INI lines of every INI file the program reads: what each line is, and
// the text cut into lines so that it can be written back as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ini_text.h"

namespace quillmere {
namespace {

using Kind = IniLine::Kind;

struct LineCase {
  const char* what;
  const char* line;
  Kind kind;
  const char* name;
  const char* value;
};

TEST(ClassifyIniLine, SaysWhatEachLineIs) {
  const LineCase cases[] = {
      {"empty", "", Kind::kBlank, "", ""},
      {"blanks and a CR", " \t\r", Kind::kBlank, "", ""},
      {"semicolon comment", "  ;Left=1", Kind::kComment, "", ""},
      {"hash comment", "#[Home]", Kind::kComment, "", ""},
      {"section", "[Home]", Kind::kSection, "Home", ""},
      {"section with blanks inside and out, CRLF", " [ DX ] \r", Kind::kSection, "DX", ""},
      {"empty section name", "[]", Kind::kSection, "", ""},
      {"unclosed section", "[Home", Kind::kBrokenSection, "", ""},
      {"a bracket alone", "[", Kind::kBrokenSection, "", ""},
      {"text after the section's bracket", "[Position] old", Kind::kBrokenSection, "", ""},
      {"key and value, blanks around both", "  Left = -5 \r", Kind::kKey, "Left", "-5"},
      {"the first '=' splits", "Mask=a=b", Kind::kKey, "Mask", "a=b"},
      {"empty value", "Height=", Kind::kKey, "Height", ""},
      {"form feed is no blank", "\fLeft=1", Kind::kKey, "\fLeft", "1"},
      {"neither", "Location JO22", Kind::kOther, "", ""},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.what);
    const IniLine line = ClassifyIniLine(c.line);
    EXPECT_EQ(line.kind, c.kind);
    EXPECT_EQ(line.name, c.name);
    EXPECT_EQ(line.value, c.value);
    EXPECT_EQ(line.text, c.line);
  }
}

struct SplitCase {
  const char* what;
  std::string text;
  std::string byte_order_mark;
  std::vector<std::string> lines;
  bool final_newline;
};

TEST(SplitIniText, CutsAtLineFeedsAndRebuildsTheTextAsItWas) {
  const SplitCase cases[] = {
      {"empty text", "", "", {}, false},
      {"one line without a line end", "[Home]", "", {"[Home]"}, false},
      {"CRLF lines keep their CR", "[DX]\r\nName=X\r\n", "", {"[DX]\r", "Name=X\r"}, true},
      {"blank lines count", "a=1\n\n\nb=2", "", {"a=1", "", "", "b=2"}, false},
      {"a line end alone", "\n", "", {""}, true},
      {"byte-order mark before the first line",
       "\xEF\xBB\xBF[Home]\n",
       "\xEF\xBB\xBF",
       {"[Home]"},
       true},
      {"a byte-order mark later is text", "a=1\n\xEF\xBB\xBF", "", {"a=1", "\xEF\xBB\xBF"}, false},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.what);
    const IniText ini = SplitIniText(c.text);
    EXPECT_EQ(ini.byte_order_mark, c.byte_order_mark);
    EXPECT_EQ(ini.final_newline, c.final_newline);
    std::vector<std::string> lines;
    std::string rebuilt(ini.byte_order_mark);
    for (std::size_t i = 0; i < ini.lines.size(); ++i) {
      lines.emplace_back(ini.lines[i].text);
      rebuilt += std::string(ini.lines[i].text) + (i + 1 < ini.lines.size() ? "\n" : "");
    }
    if (ini.final_newline) rebuilt += '\n';
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(rebuilt, c.text);
  }
}

TEST(SplitIniText, TheFirstLineAfterAByteOrderMarkIsReadAsAnyOther) {
  const IniText ini = SplitIniText("\xEF\xBB\xBF[Home]\nName=A\n");
  ASSERT_EQ(ini.lines.size(), 2u);
  EXPECT_EQ(ini.lines[0].kind, Kind::kSection);
  EXPECT_EQ(ini.lines[0].name, "Home");
}

}  // namespace
}  // namespace quillmere
