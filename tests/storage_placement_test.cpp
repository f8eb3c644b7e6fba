// The window placement file: reading the four keys of section "Position"
// from INI text, writing them back into the user's file without losing the
// rest of it, and what the close leaves alone.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <limits>
#include <string>

#include "placement_file.h"
#include "support/scratch_folder.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;
using testing::FileText;
using testing::ScratchFolder;
using testing::WriteText;

using Keys = std::array<std::optional<std::int64_t>, 4>;

Keys AsArray(const PlacementKeys& k) {
  return {k.left, k.top, k.width, k.height};
}

// --- Reading --------------------------------------------------------------------

struct ParseCase {
  const char* name;
  std::string text;
  Keys keys;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
  *os << c.name;
}

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

const ParseCase kParseCases[] = {
    {"as_the_program_writes_it",
     "[Position]\nLeft=30\nTop=40\nWidth=900\nHeight=700\n",
     {30, 40, 900, 700}},
    {"crlf_blanks_and_other_case",
     "[ position ]\r\n  LEFT = -5 \r\ntop=7\r\n",
     {-5, 7, std::nullopt, std::nullopt}},
    {"other_sections_are_not_read",
     "[Other]\nLeft=1\n[Position]\nTop=2\n[More]\nWidth=3\n",
     {std::nullopt, 2, std::nullopt, std::nullopt}},
    {"the_first_section_and_first_key_win",
     "[Position]\nLeft=1\nLeft=9\n[Position]\nTop=2\n",
     {1, std::nullopt, std::nullopt, std::nullopt}},
    {"comments_are_not_keys",
     "[Position]\n;Left=1\n#Top=2\nWidth=3\n",
     {std::nullopt, std::nullopt, 3, std::nullopt}},
    {"a_value_is_its_leading_integer",
     "[Position]\nLeft=12px\nTop=abc\nWidth=+8\nHeight=\n",
     {12, 0, 8, 0}},
    {"huge_values_are_held_at_the_int64_range",
     "[Position]\nLeft=99999999999999999999999\nTop=-99999999999999999999999\n"
     "Width=-9223372036854775808\n",
     {kMax, kMin, kMin, std::nullopt}},
    {"no_section_no_keys", "Left=1\n", {}},
    // The INI lines are those of every INI file the program reads (ini_text.h).
    {"a_byte_order_mark_before_the_section",
     "\xEF\xBB\xBF[Position]\nLeft=3\n",
     {3, std::nullopt, std::nullopt, std::nullopt}},
    {"an_unclosed_section_header_ends_the_section",
     "[Position]\nLeft=1\n[Other\nTop=2\n",
     {1, std::nullopt, std::nullopt, std::nullopt}},
    {"text_after_a_section_header_breaks_it", "[Position] old\nLeft=1\n", {}},
};

class ParsePlacementCase : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParsePlacementCase, TakesTheKeysAsTheProfileReaderDoes) {
  EXPECT_EQ(AsArray(ParsePlacement(GetParam().text)), GetParam().keys);
}

INSTANTIATE_TEST_SUITE_P(ReadPlacement, ParsePlacementCase, ::testing::ValuesIn(kParseCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Writing the text -----------------------------------------------------------

struct UpdateCase {
  const char* name;
  std::string before;
  std::string after;  // with Left 1, Top 2, Width 3, Height 4
};

void PrintTo(const UpdateCase& c, std::ostream* os) {
  *os << c.name;
}

const UpdateCase kUpdateCases[] = {
    {"an_empty_file_gets_the_section", "", "[Position]\nLeft=1\nTop=2\nWidth=3\nHeight=4\n"},
    {"the_keys_are_replaced_in_place",
     "; mine\n[Position]\nHeight=9\nLeft=8\nTop=7\nWidth=6\n[Other]\nx=1\n",
     "; mine\n[Position]\nHeight=4\nLeft=1\nTop=2\nWidth=3\n[Other]\nx=1\n"},
    {"missing_keys_go_to_the_end_of_the_section", "[Position]\nTop=7\nColour=red\n\n[Other]\nx=1",
     "[Position]\nTop=2\nColour=red\nLeft=1\nWidth=3\nHeight=4\n\n[Other]\nx=1"},
    {"a_missing_section_is_added_after_the_text", "[Other]\nx=1",
     "[Other]\nx=1\n[Position]\nLeft=1\nTop=2\nWidth=3\nHeight=4\n"},
    {"crlf_lines_stay_crlf", "[Position]\r\nLeft=0\r\n",
     "[Position]\r\nLeft=1\r\nTop=2\r\nWidth=3\r\nHeight=4\r\n"},
    {"a_plain_text_file_keeps_its_lines", "dear diary\nno ini here\n",
     "dear diary\nno ini here\n[Position]\nLeft=1\nTop=2\nWidth=3\nHeight=4\n"},
    {"a_byte_order_mark_stays_before_the_section", "\xEF\xBB\xBF[Position]\nLeft=0\n",
     "\xEF\xBB\xBF[Position]\nLeft=1\nTop=2\nWidth=3\nHeight=4\n"},
};

class UpdatePlacementCase : public ::testing::TestWithParam<UpdateCase> {};

TEST_P(UpdatePlacementCase, SetsTheFourKeysAndKeepsEveryOtherLine) {
  const std::string after = UpdatePlacement(GetParam().before, 1, 2, 3, 4);
  EXPECT_EQ(after, GetParam().after);
  EXPECT_EQ(AsArray(ParsePlacement(after)), (Keys{1, 2, 3, 4}));
}

INSTANTIATE_TEST_SUITE_P(WritePlacement, UpdatePlacementCase, ::testing::ValuesIn(kUpdateCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Writing the file at close ----------------------------------------------------

TEST(WritePlacementFile, ALinkToATextFileStaysALinkAndTheTextKeepsItsLines) {
  ScratchFolder folder;
  const fs::path notes = folder.path() / "notes.txt";
  const fs::path ini = folder.path() / kPlacementFileName;
  WriteText(notes, "shopping: milk\n");
  fs::create_symlink("notes.txt", ini);
  ASSERT_TRUE(WritePlacementFile(ini, 20, 30, 640, 480).ok());
  EXPECT_TRUE(fs::is_symlink(ini));
  EXPECT_EQ(FileText(notes),
            "shopping: milk\n[Position]\nLeft=20\nTop=30\nWidth=640\nHeight=480\n");
}

TEST(WritePlacementFile, ALinkToAFifoOrDeviceIsNeverWritten) {
  ScratchFolder folder;
  const fs::path fifo = folder.path() / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
  for (const char* target : {"pipe", "/dev/null"}) {
    const fs::path ini = folder.path() / kPlacementFileName;
    fs::remove(ini);
    fs::create_symlink(target, ini);
    const fs::file_type type = fs::status(ini).type();
    const SaveOutcome saved = WritePlacementFile(ini, 20, 30, 640, 480);
    EXPECT_FALSE(saved.ok()) << target;
    EXPECT_TRUE(fs::is_symlink(ini));
    EXPECT_EQ(fs::status(ini).type(), type) << target;
  }
}

// A placement file larger than any the program writes: the window takes the
// defaults, and the close leaves the file as it is rather than read it.
TEST(WritePlacementFile, AFileOverItsLimitGivesNoKeysAndIsLeftAlone) {
  ScratchFolder folder;
  const fs::path ini = folder.path() / kPlacementFileName;
  const std::uint64_t size = 300ull << 20;
  {
    const int fd = ::open(ini.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
    ASSERT_EQ(::pwrite(fd, "[Position]\nLeft=1\n", 18, 0), 18);
    ::close(fd);
  }
  const PlacementRead read = ReadPlacementFile(ini);
  EXPECT_EQ(read.read.status, FileReadResult::Status::kTooLarge);
  EXPECT_EQ(AsArray(read.keys), Keys{});
  EXPECT_FALSE(WritePlacementFile(ini, 20, 30, 640, 480).ok());
  EXPECT_EQ(fs::file_size(ini), size);
}

// A NUL byte ends a text file's text (what a killed save leaves): a file
// with one is read up to it and never rewritten, which would lose the rest.
TEST(WritePlacementFile, AFileHoldingANulByteIsReadUpToItAndLeftAlone) {
  ScratchFolder folder;
  const fs::path ini = folder.path() / kPlacementFileName;
  const std::string text = std::string("[Position]\nLeft=7\n\0[Mine]\nKept=1\n", 31);
  testing::WriteText(ini, text);
  EXPECT_EQ(ReadPlacementFile(ini).keys.left, 7);
  EXPECT_FALSE(WritePlacementFile(ini, 20, 30, 640, 480).ok());
  EXPECT_EQ(testing::FileText(ini), text);
}

TEST(WritePlacementFile, AFifoIsReadAsNoKeysWithoutWaiting) {
  ScratchFolder folder;
  const fs::path ini = folder.path() / kPlacementFileName;
  ASSERT_EQ(::mkfifo(ini.c_str(), 0666), 0);
  const PlacementRead read = ReadPlacementFile(ini);
  EXPECT_EQ(read.read.status, FileReadResult::Status::kNotRegular);
  EXPECT_EQ(AsArray(read.keys), Keys{});
}

}  // namespace
}  // namespace quillmere
