// The reader of the compiled help file and the parser of its table of
// contents: the help file the build compiles, files that are missing,
// foreign, cut short or damaged, and sitemaps that are malformed in every way
// a hand-edited or hostile file can be.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "chm_file.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;

const fs::path kHelpFile = QUILLMERE_HELP_FILE;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
}

// A scratch folder of the test's own, removed afterwards.
class Scratch {
 public:
  Scratch() {
    path_ = fs::temp_directory_path() /
            ("quillmere-help-test-" +
             std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~Scratch() { fs::remove_all(path_); }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

// Every entry's parent comes before it and is one level up.
void ExpectWellFormedTree(const std::vector<SitemapEntry>& entries) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const SitemapEntry& e = entries[i];
    ASSERT_LT(e.parent, static_cast<int>(i)) << "entry " << i;
    ASSERT_LT(e.depth, kSitemapMaxDepth) << "entry " << i;
    if (e.parent < 0) {
      ASSERT_EQ(e.depth, 0) << "entry " << i;
    } else {
      ASSERT_EQ(e.depth, entries[e.parent].depth + 1) << "entry " << i;
    }
  }
}

std::vector<std::string> Names(const std::vector<SitemapEntry>& entries) {
  std::vector<std::string> names;
  for (const SitemapEntry& e : entries) names.push_back(e.name);
  return names;
}

std::string Item(const std::string& name, const std::string& local) {
  return "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"" + name +
         "\"><param name=\"Local\" value=\"" + local + "\"></OBJECT>\n";
}

// ---------------------------------------------------------------------------
// The help file the build compiles.

class BuiltHelpFile : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = ChmFile::Open(kHelpFile, &error_);
    ASSERT_TRUE(file_) << error_.message;
  }
  ChmOpenError error_;
  std::unique_ptr<ChmFile> file_;
};

TEST_F(BuiltHelpFile, NamesItsContentsIndexDefaultTopicAndTitle) {
  EXPECT_EQ(error_.kind, ChmError::kNone);
  EXPECT_EQ(file_->ContentsPath(), "/contents.hhc");
  EXPECT_EQ(file_->IndexPath(), "/keywords.hhk");
  EXPECT_EQ(file_->DefaultTopic(), "index.html");
  EXPECT_EQ(file_->Title(), "Quillmere Help");
}

TEST_F(BuiltHelpFile, ListsItsPagesPicturesAndStyleSheet) {
  const std::vector<std::string>& objects = file_->Objects();
  for (const char* path : {"/index.html", "/Cloud maps.html", "/reference-atmosphere.html",
                           "/quillmere.css", "/images/window.png", "/images/eme-path.png"}) {
    EXPECT_NE(std::find(objects.begin(), objects.end(), path), objects.end()) << path;
  }
}

TEST_F(BuiltHelpFile, ReadsObjectsWholeAndAsCompiled) {
  // The compressed section gives back exactly the bytes that went in.
  const fs::path sources = fs::path(QUILLMERE_HELP_SOURCES);
  for (const char* name : {"index.html", "Cloud maps.html", "images/window.png",
                           "reference-atmosphere.html", "quillmere.css"}) {
    const std::optional<std::string> bytes = file_->Read(name);
    ASSERT_TRUE(bytes) << name;
    EXPECT_EQ(*bytes, ReadBytes(sources / name)) << name;
  }
}

struct ResolveCase {
  const char* what;
  const char* path;
  const char* stored;  // "" when there is no such object
};

TEST_F(BuiltHelpFile, ResolvesPathsAsLinksNameThem) {
  const ResolveCase cases[] = {
      {"relative", "index.html", "/index.html"},
      {"absolute", "/index.html", "/index.html"},
      {"other case", "INDEX.HTML", "/index.html"},
      {"other case with a blank", "cloud MAPS.html", "/Cloud maps.html"},
      {"in a folder", "images/window.png", "/images/window.png"},
      {"dot-dot", "images/../gas.html", "/gas.html"},
      {"dot and doubled slash", "./images//eme-path.png", "/images/eme-path.png"},
      {"backslashes", "\\images\\window.png", "/images/window.png"},
      {"above the root", "../../index.html", "/index.html"},
      {"internal object", "/#SYSTEM", "/#SYSTEM"},
      {"no such page", "nothere.html", ""},
      {"a folder", "images", ""},
      {"the root", "/", ""},
      {"empty", "", ""},
  };
  for (const ResolveCase& c : cases) EXPECT_EQ(file_->Resolve(c.path), c.stored) << c.what;
  EXPECT_FALSE(file_->Read("nothere.html"));
}

TEST_F(BuiltHelpFile, ContentsHaveTheHelpsChaptersInOrder) {
  const std::optional<std::string> hhc = file_->Read(file_->ContentsPath());
  ASSERT_TRUE(hhc);
  const std::vector<SitemapEntry> entries = ParseSitemap(DecodeHtml(*hhc));
  ExpectWellFormedTree(entries);
  std::vector<std::string> top;
  for (const SitemapEntry& e : entries) {
    if (e.depth == 0) top.push_back(e.name);
  }
  EXPECT_EQ(top,
            (std::vector<std::string>{"Quillmere Help", "Getting started", "The main window",
                                      "EME and terrestrial modes", "The Moon planner", "The models",
                                      "Data, settings and maps", "Troubleshooting", "References"}));
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries[0].local, "index.html");
  // Every page the contents name is in the file.
  for (const SitemapEntry& e : entries) {
    if (!e.local.empty()) {
      EXPECT_FALSE(file_->Resolve(e.local).empty()) << e.local;
    }
  }
}

// ---------------------------------------------------------------------------
// Files that cannot be shown.

TEST(HelpFileOpen, SaysWhyAFileCannotBeShown) {
  Scratch scratch;
  const std::string good = ReadBytes(kHelpFile);
  ASSERT_GT(good.size(), 4096u);
  std::mt19937 random(1);
  std::string noise(20000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  std::string itsf_then_noise = noise;
  itsf_then_noise.replace(0, 8, std::string("ITSF\x03\0\0\0", 8));  // signature, version 3

  enum Make { kBytes, kFolder, kFifo, kHuge };
  struct Case {
    const char* what;
    std::string name;
    std::string bytes;  // written when made of bytes
    Make make;
    ChmError kind;
  };
  const Case cases[] = {
      {"missing", "missing.chm", "", kBytes, ChmError::kMissing},
      {"a folder", "folder.chm", "", kFolder, ChmError::kUnreadable},
      // Opening a FIFO for reading would wait for a writer for ever.
      {"a FIFO", "fifo.chm", "", kFifo, ChmError::kUnreadable},
      // Sparse: 65 MiB on paper, refused before a byte is read.
      {"larger than 64 MiB", "huge.chm", "", kHuge, ChmError::kUnreadable},
      {"empty", "empty.chm", "", kBytes, ChmError::kNotChm},
      {"random bytes", "noise.chm", noise, kBytes, ChmError::kNotChm},
      {"a page renamed", "page.chm", "<html><body>not help</body></html>", kBytes,
       ChmError::kNotChm},
      {"signature, version and noise", "forged.chm", itsf_then_noise, kBytes, ChmError::kDamaged},
      {"header only", "header.chm", good.substr(0, 0x60), kBytes, ChmError::kDamaged},
      {"cut in the directory", "dir.chm", good.substr(0, 0x200), kBytes, ChmError::kDamaged},
      {"cut in half", "half.chm", good.substr(0, good.size() / 2), kBytes, ChmError::kDamaged},
      {"last byte missing", "short.chm", good.substr(0, good.size() - 1), kBytes,
       ChmError::kDamaged},
  };
  for (const Case& c : cases) {
    const fs::path path = scratch / c.name;
    if (c.make == kFolder) {
      fs::create_directories(path);
    } else if (c.make == kFifo) {
      ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << std::strerror(errno);
    } else if (c.make == kHuge) {
      WriteBytes(path, good);
      fs::resize_file(path, (65u << 20));
    } else if (c.kind != ChmError::kMissing) {
      WriteBytes(path, c.bytes);
    }
    ChmOpenError error;
    EXPECT_FALSE(ChmFile::Open(path, &error)) << c.what;
    EXPECT_EQ(error.kind, c.kind) << c.what;
    EXPECT_NE(error.message.find(path.string()), std::string::npos)
        << c.what << ": " << error.message;
  }
}

TEST(HelpFileOpen, EveryCutOfTheFileIsTurnedAway) {
  // Whatever the length at which a copy broke off, the reader says so
  // before anything is read from it.
  Scratch scratch;
  const std::string good = ReadBytes(kHelpFile);
  const fs::path path = scratch / "cut.chm";
  for (std::size_t length = 0; length < good.size(); length += 1 + length / 7) {
    WriteBytes(path, good.substr(0, length));
    ChmOpenError error;
    EXPECT_FALSE(ChmFile::Open(path, &error)) << "cut at " << length;
    EXPECT_NE(error.kind, ChmError::kNone) << "cut at " << length;
  }
}

TEST(HelpFileOpen, ForgedCompressionParametersGiveNoPage) {
  // The LZX control data ("LZXC": version, reset interval, window size) and
  // the reset table set how the compressed pages are inflated. Forged
  // values (a zero window, a division by zero in a careless decoder; a
  // window past 2 MiB; a reset table whose block offsets run backwards)
  // leave the file listed but every compressed page unreadable, never a
  // crash or a page of garbage passed off as the real one.
  Scratch scratch;
  const std::string good = ReadBytes(kHelpFile);
  const std::size_t lzxc = good.find("LZXC");
  ASSERT_NE(lzxc, std::string::npos);
  const auto put32 = [](std::string& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
  };
  struct Case {
    const char* what;
    std::size_t at;  // from the "LZXC" signature
    std::uint32_t value;
  };
  const Case cases[] = {
      {"zero reset interval", 8, 0},
      {"zero window", 12, 0},
      {"window of 4 GiB units", 12, 0xFFFFFFFFu},
      {"unknown control version", 4, 99},
  };
  const fs::path path = scratch / "forged.chm";
  for (const Case& c : cases) {
    std::string bad = good;
    put32(bad, lzxc + c.at, c.value);
    WriteBytes(path, bad);
    ChmOpenError error;
    const std::unique_ptr<ChmFile> file = ChmFile::Open(path, &error);
    if (!file) {
      EXPECT_EQ(error.kind, ChmError::kDamaged) << c.what;
      continue;
    }
    // The contents are in the compressed section.
    EXPECT_FALSE(file->Read(file->ContentsPath())) << c.what;
  }
}

TEST(HelpFileOpen, AResetTableThatDoesNotCoverTheCompressedSectionIsRefused) {
  // Without a reset point before an object, the decoder inflates the
  // section from its start for every read (a small file with pictures
  // behind hundreds of megabytes of zeros froze the help for minutes).
  Scratch scratch;
  const std::string good = ReadBytes(kHelpFile);
  const std::size_t lzxc = good.find("LZXC");
  // The reset table's header: version 2, entries, entry size 8, offset 0x28.
  const std::size_t table = good.find(std::string("\x08\0\0\0\x28\0\0\0", 8)) - 8;
  ASSERT_NE(lzxc, std::string::npos);
  ASSERT_EQ(good.compare(table, 4, std::string("\x02\0\0\0", 4)), 0);
  ASSERT_GT(static_cast<unsigned char>(good[table + 4]), 1);
  struct Case {
    const char* what;
    std::size_t at;
    char value;
  } cases[] = {
      {"one entry for a section of several reset intervals", table + 4, 1},
      {"reset points 4 MiB apart", lzxc + 8, static_cast<char>(128)},
  };
  const fs::path path = scratch / "forged.chm";
  for (const Case& c : cases) {
    std::string bad = good;
    bad[c.at] = c.value;
    WriteBytes(path, bad);
    ChmOpenError error;
    EXPECT_FALSE(ChmFile::Open(path, &error)) << c.what;
    EXPECT_EQ(error.kind, ChmError::kDamaged) << c.what;
  }
}

TEST(HelpFileOpen, DamagedCopiesNeverCrashTheReader) {
  // Bytes changed in the headers, the directory and the compressed pages:
  // each copy is either turned away or read without harm, whatever it holds.
  Scratch scratch;
  const std::string good = ReadBytes(kHelpFile);
  const fs::path path = scratch / "damaged.chm";
  std::mt19937 random(20240607);
  int opened = 0, refused = 0;
  for (int i = 0; i < 400; ++i) {
    std::string bad = good;
    const std::size_t region = (i % 2 == 0) ? std::min<std::size_t>(bad.size(), 8192) : bad.size();
    const int changes = 1 + static_cast<int>(random() % 12);
    for (int k = 0; k < changes; ++k) bad[random() % region] = static_cast<char>(random());
    WriteBytes(path, bad);
    ChmOpenError error;
    std::unique_ptr<ChmFile> file = ChmFile::Open(path, &error);
    if (!file) {
      ++refused;
      EXPECT_TRUE(error.kind == ChmError::kDamaged || error.kind == ChmError::kNotChm)
          << "copy " << i << ": " << error.message;
      continue;
    }
    ++opened;
    for (const std::string& object : file->Objects()) {
      const std::optional<std::string> bytes = file->Read(object);
      if (bytes) {
        EXPECT_LE(bytes->size(), ChmFile::kMaxObjectBytes);
      }
    }
    if (const std::optional<std::string> hhc = file->Read(file->ContentsPath())) {
      ExpectWellFormedTree(ParseSitemap(DecodeHtml(*hhc)));
    }
  }
  // Both kinds of outcome occur, so both paths were walked.
  EXPECT_GT(opened, 0);
  EXPECT_GT(refused, 0);
}

// ---------------------------------------------------------------------------
// The sitemap parser.

TEST(Sitemap, ReadsNestedListsIntoATree) {
  const std::string hhc =
      "<HTML><BODY><OBJECT type=\"text/site properties\">"
      "<param name=\"Window Styles\" value=\"0x800025\"></OBJECT>\n<UL>\n" +
      Item("Start", "index.html") + Item("Models", "models.html") + "<UL>\n" +
      Item("Gas", "gas.html#vapour") + Item("Rain", "rain.html") + "</UL>\n" +
      Item("End", "end.html") + "</UL></BODY></HTML>";
  const std::vector<SitemapEntry> entries = ParseSitemap(hhc);
  ASSERT_EQ(entries.size(), 5u);
  ExpectWellFormedTree(entries);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"Start", "Models", "Gas", "Rain", "End"}));
  EXPECT_EQ(entries[2].local, "gas.html#vapour");
  EXPECT_EQ(entries[2].parent, 1);
  EXPECT_EQ(entries[3].parent, 1);
  EXPECT_EQ(entries[4].parent, -1);
}

struct SitemapCase {
  const char* what;
  std::string html;
  std::vector<std::string> names;
  std::vector<int> depths;
};

TEST(Sitemap, ToleratesWhatSitemapsGetWrong) {
  const SitemapCase cases[] = {
      {"unclosed objects end at the next item",
       "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A\">"
       "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"B\"></UL>",
       {"A", "B"},
       {0, 0}},
      {"unclosed lists and items",
       "<UL>" + Item("A", "a.html") + "<UL>" + Item("B", "b.html"),
       {"A", "B"},
       {0, 1}},
      {"stray closing lists are ignored",
       "</UL></UL>" + Item("A", "a.html") + "</UL></UL>" + Item("B", "b.html"),
       {"A", "B"},
       {0, 0}},
      {"a list after an item holds its children",
       Item("A", "a.html") + "<UL>" + Item("B", "b"),
       {"A", "B"},
       {0, 1}},
      {"an object without parameters is dropped",
       "<UL><LI><OBJECT type=\"text/sitemap\"></OBJECT>" + Item("A", "a.html") + "</UL>",
       {"A"},
       {0}},
      {"a page without a name is kept",
       "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Local\" value=\"p.html\"></OBJECT>",
       {""},
       {0}},
      {"a parameter without a value",
       "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\"><param value=\"x\">"
       "<param name=\"Local\" value=\"a.html\"></OBJECT>",
       {""},
       {0}},
      {"case, blanks and quotes of every kind",
       "<ul><li><object TYPE = 'Text/Sitemap' ><PARAM Name=name VALUE='A b'>"
       "<param name=\"LOCAL\" value=a.html></object>",
       {"A b"},
       {0}},
      {"the first of repeated names",
       "<UL><LI><OBJECT type=\"text/sitemap\">"
       "<param name=\"Name\" value=\"A\"><param name=\"Name\" value=\"B\"></OBJECT>",
       {"A"},
       {0}},
      {"other object types are skipped",
       "<OBJECT type=\"text/site properties\"><param name=\"Name\" value=\"X\"></OBJECT>"
       "<UL><LI><OBJECT type=\"application/x-oleobject\"><param name=\"Name\" value=\"Y\">"
       "</OBJECT>" +
           Item("A", "a.html"),
       {"A"},
       {0}},
      {"tags inside comments are not read",
       "<UL><!-- " + Item("Hidden", "h.html") + " -->" + Item("A", "a.html") + "</UL>",
       {"A"},
       {0}},
      {"an unterminated comment ends the file",
       "<UL>" + Item("A", "a.html") + "<!-- " + Item("B", "b.html"),
       {"A"},
       {0}},
      {"a quote left open takes in the text up to the next quote",
       "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A></OBJECT>" +
           Item("B", "b.html"),
       {"A></OBJECT><LI><OBJECT type="},
       {0}},
      {"an apostrophe in a value",
       "<UL>" + Item("Don't", "d.html") + Item("B", "b.html"),
       {"Don't", "B"},
       {0, 0}},
      {"a tag cut off at the end",
       "<UL>" + Item("A", "a.html") + "<LI><OBJECT type=\"text/sit",
       {"A"},
       {0}},
      {"character references",
       "<UL>" + Item("a &amp; b &lt;c&gt; 10&#176; 20&#xB0; &bogus; &#0;", "x.html"),
       {"a & b <c> 10\xC2\xB0 20\xC2\xB0 &bogus; \xEF\xBF\xBD"},
       {0}},
      {"no lists at all", Item("A", "a.html") + Item("B", "b.html"), {"A", "B"}, {0, 0}},
      {"nothing", "", {}, {}},
      {"a lone angle bracket", "<", {}, {}},
  };
  for (const SitemapCase& c : cases) {
    const std::vector<SitemapEntry> entries = ParseSitemap(c.html);
    ExpectWellFormedTree(entries);
    EXPECT_EQ(Names(entries), c.names) << c.what;
    std::vector<int> depths;
    for (const SitemapEntry& e : entries) depths.push_back(e.depth);
    EXPECT_EQ(depths, c.depths) << c.what;
  }
}

TEST(Sitemap, TenThousandLevelsOfNestingStayWithinTheDeepestLevel) {
  std::string html;
  for (int i = 0; i < 10000; ++i) html += "<UL>" + Item("L" + std::to_string(i), "p.html");
  const std::vector<SitemapEntry> entries = ParseSitemap(html);
  ASSERT_EQ(entries.size(), 10000u);
  ExpectWellFormedTree(entries);
  EXPECT_EQ(entries[kSitemapMaxDepth - 1].depth, kSitemapMaxDepth - 1);
  EXPECT_EQ(entries.back().depth, kSitemapMaxDepth - 1);
  EXPECT_EQ(entries.back().name, "L9999");
}

TEST(Sitemap, EmptyListsNestedDeepGiveNoInventedParents) {
  std::string html;
  for (int i = 0; i < 10000; ++i) html += "<UL>";
  html += Item("Deep", "d.html") + "</UL>" + Item("Next", "n.html");
  const std::vector<SitemapEntry> entries = ParseSitemap(html);
  ASSERT_EQ(entries.size(), 2u);
  ExpectWellFormedTree(entries);
  EXPECT_EQ(entries[0].depth, 0);
  EXPECT_EQ(entries[1].depth, 0);
}

TEST(Sitemap, KeepsItsBoundsOnEntriesAndText) {
  std::string many = "<UL>";
  for (std::size_t i = 0; i < kSitemapMaxEntries + 100; ++i) many += Item("x", "x.html");
  EXPECT_EQ(ParseSitemap(many).size(), kSitemapMaxEntries);

  const std::string long_name(kSitemapMaxText * 3, 'n');
  const std::vector<SitemapEntry> entries = ParseSitemap("<UL>" + Item(long_name, "x.html"));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name.size(), kSitemapMaxText);
}

// Found by fuzz_help: a text cut at the bound in the middle of a character
// (the two bytes of an e with acute accent straddle it) kept the first byte
// alone, which is no UTF-8.
TEST(Sitemap, TextCutAtTheBoundKeepsWholeCharacters) {
  std::string long_name = "a";
  while (long_name.size() < kSitemapMaxText * 2) long_name += "\u00e9";
  const std::vector<SitemapEntry> entries = ParseSitemap("<UL>" + Item(long_name, "x.html"));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name.size(), kSitemapMaxText - 1);
  EXPECT_EQ(entries[0].name.substr(kSitemapMaxText - 3), "\u00e9");  // whole, last
}

TEST(Sitemap, RandomBytesGiveAWellFormedTree) {
  // Sitemap fragments shuffled with noise: whatever comes out is a tree.
  const char* pieces[] = {"<UL>",
                          "</UL>",
                          "<LI>",
                          "<OBJECT type=\"text/sitemap\">",
                          "</OBJECT>",
                          "<param name=\"Name\" value=\"",
                          "<param name=\"Local\" value=\"",
                          "\">",
                          "\"",
                          "'",
                          "<",
                          ">",
                          "<!--",
                          "-->",
                          "&#",
                          ";",
                          "=",
                          " "};
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    std::string html;
    const int count = static_cast<int>(random() % 400);
    for (int i = 0; i < count; ++i) {
      if (random() % 4 == 0) {
        html += static_cast<char>(random());
      } else {
        html += pieces[random() % std::size(pieces)];
      }
    }
    ExpectWellFormedTree(ParseSitemap(html));
  }
}

// ---------------------------------------------------------------------------
// Text of the pages.

TEST(HelpText, Windows1252BytesBecomeTheirCharacters) {
  EXPECT_EQ(Windows1252ToUtf8("plain"), "plain");
  EXPECT_EQ(Windows1252ToUtf8("15\xB0"
                              "c"),
            "15\xC2\xB0"
            "c");  // degree sign
  EXPECT_EQ(Windows1252ToUtf8("m\xB2 m\xB3"), "m\xC2\xB2 m\xC2\xB3");
  EXPECT_EQ(Windows1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(Windows1252ToUtf8("\x96"), "\xE2\x80\x93");  // en dash
  EXPECT_EQ(Windows1252ToUtf8("\x81"), "\xC2\x81");      // undefined: the control
  EXPECT_EQ(Windows1252ToUtf8("\xFF"), "\xC3\xBF");
}

struct DecodeCase {
  const char* what;
  std::string bytes;
  std::string text;
};

TEST(HelpText, PagesAreDecodedByTheCharacterSetTheyDeclare) {
  const DecodeCase cases[] = {
      {"no declaration: Windows-1252", "<p>30\xB0</p>", "<p>30\xC2\xB0</p>"},
      {"meta charset utf-8", "<meta charset=\"utf-8\"><p>30\xC2\xB0</p>",
       "<meta charset=\"utf-8\"><p>30\xC2\xB0</p>"},
      {"http-equiv, other case",
       "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\xC2\xB2",
       "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\xC2\xB2"},
      {"declared Windows-1252", "<meta charset=windows-1252>\xB2",
       "<meta charset=windows-1252>\xC2\xB2"},
      {"a charset outside a meta tag does not count", "<p>charset=utf-8 \xB0</p>",
       "<p>charset=utf-8 \xC2\xB0</p>"},
      {"byte-order mark", "\xEF\xBB\xBF<p>\xC2\xB0</p>", "<p>\xC2\xB0</p>"},
      {"UTF-16 with its mark", std::string("\xFF\xFE<\0p\0>\0\xB0\0", 10), "<p>\xC2\xB0"},
      {"broken UTF-8 is replaced", "<meta charset=utf-8>\xC3(",
       "<meta charset=utf-8>\xEF\xBF\xBD("},
  };
  for (const DecodeCase& c : cases) EXPECT_EQ(DecodeHtml(c.bytes), c.text) << c.what;
}

TEST(HelpText, StyleSheetsAreUtf8WhenTheyCanBe) {
  EXPECT_EQ(DecodeText("p { content: \"\xC2\xB0\"; }"), "p { content: \"\xC2\xB0\"; }");
  EXPECT_EQ(DecodeText("\xEF\xBB\xBF"
                       "body {}"),
            "body {}");
  EXPECT_EQ(DecodeText("p { content: \"\xB0\"; }"), "p { content: \"\xC2\xB0\"; }");
}

}  // namespace
}  // namespace quillmere
