#pragma once
// Reading the program's help file: a compiled HTML Help file (.chm, the ITSF
// container of Microsoft HTML Help) decoded by libmspack from the file's
// bytes in memory, and the sitemap of
// its table of contents (.hhc). Of Qt only the text decoders of Qt Core;
// the help window sits on top.
//
// Everything read from the file is treated as untrusted: a damaged, cut-short
// or forged file gives a message or an empty result, never a crash, and no
// size taken from the file makes us allocate more than a fixed bound.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

// ---------------------------------------------------------------------------
// The compiled help file.

enum class ChmError {
  kNone,
  kMissing,     // no file of that name
  kUnreadable,  // there, but cannot be read (a folder, no permission, I/O error)
  kNotChm,      // readable, but not a compiled HTML Help file
  kDamaged,     // a help file whose directory or contents do not hold together
};

struct ChmOpenError {
  ChmError kind = ChmError::kNone;
  std::string message;  // for the user, naming the file
};

class ChmFile {
 public:
  // The largest object we read out of a file: far beyond any help page or
  // picture, small enough that a forged length cannot exhaust memory.
  static constexpr std::uint64_t kMaxObjectBytes = 32ull << 20;
  // The most objects we list; a help file has tens to a few thousand.
  static constexpr std::size_t kMaxObjects = 65536;
  // The longest object name we keep; HTML Help's own names are far shorter.
  static constexpr std::size_t kMaxNameBytes = 1024;
  // How far into the compressed section any object may reach: no read
  // inflates more than this, whatever a forged reset table says.
  static constexpr std::uint64_t kMaxInflatedBytes = 256ull << 20;

  // Opens the help file at `path`: read once, whole, when it is a regular
  // file of at most 64 MiB. On failure returns nullptr and, when `error` is
  // given, says why.
  static std::unique_ptr<ChmFile> Open(const std::filesystem::path& path,
                                       ChmOpenError* error = nullptr);
  // The same from bytes already read; `path` names the file in messages.
  static std::unique_ptr<ChmFile> FromBytes(std::string bytes, const std::filesystem::path& path,
                                            ChmOpenError* error = nullptr);
  ~ChmFile();
  ChmFile(const ChmFile&) = delete;
  ChmFile& operator=(const ChmFile&) = delete;

  const std::filesystem::path& Path() const { return path_; }

  // Every file object in the help file, by its path ("/index.html",
  // "/images/window.png", "/#SYSTEM", "::DataSpace/...", ...): the help's
  // own files in the directory's order, then the container's. A name that
  // is not a clean path (so no link could reach it) is left out.
  const std::vector<std::string>& Objects() const { return objects_; }

  // The stored path of the object `path` names: the path made absolute and
  // cleaned ("a/../b.html" is "/b.html", backslashes are slashes), matched
  // exactly, else without regard to the case of ASCII letters, as HTML Help
  // itself does. Empty when there is no such object.
  std::string Resolve(std::string_view path) const;

  // The bytes of the object `path` names (see Resolve), or nothing when
  // there is no such object, it is larger than kMaxObjectBytes, or it cannot
  // be read whole.
  std::optional<std::string> Read(std::string_view path);

  // The table of contents (.hhc): the one the file's #SYSTEM names, else the
  // first .hhc in the file. Empty when there is none.
  const std::string& ContentsPath() const { return contents_; }
  // The keyword index (.hhk), found the same way; may be empty.
  const std::string& IndexPath() const { return index_; }
  // The page to show when nothing else is asked for (#SYSTEM), as stored
  // there: relative, perhaps with an anchor. May be empty.
  const std::string& DefaultTopic() const { return default_topic_; }
  // The help file's title (#SYSTEM); may be empty.
  const std::string& Title() const { return title_; }

  // An object as the file's directory lists it: where it lies in which
  // section (0 stored, 1 compressed).
  struct Unit {
    std::string path;
    std::uint64_t start = 0, length = 0;
    int space = 0;
  };

  // The library's state over the file's bytes (chm_file.cpp).
  struct Decoder;

 private:
  explicit ChmFile(std::filesystem::path path);
  const Unit* Find(std::string_view path) const;
  // Whether the LZX reset table has an entry for every object of the
  // compressed section, and its reset points lie at most 2 MiB apart, so
  // that no read inflates more than that before its object.
  bool ResetTableCovers();
  std::optional<std::string> ReadUnit(const Unit* unit);
  std::optional<std::string> ReadSystemObject(std::string_view name);
  void ReadSystem();
  std::string FindBySuffix(std::string_view suffix) const;

  std::filesystem::path path_;
  std::unique_ptr<Decoder> decoder_;
  std::vector<Unit> units_;
  std::vector<std::string> objects_;
  std::string contents_, index_, default_topic_, title_;
};

// An object path made absolute and cleaned: "\" becomes "/", "." and empty
// segments go, ".." removes the one before it (never above the root).
// "page.html" and "/page.html" both give "/page.html". The path is taken as
// it stands: a link's anchor must be split off before ("#" begins the names
// of the file's own objects, "/#SYSTEM").
std::string NormaliseObjectPath(std::string_view path);

// ---------------------------------------------------------------------------
// The table of contents.

// One entry of a sitemap (.hhc contents or .hhk index), in document order.
struct SitemapEntry {
  std::string name;   // the "Name" parameter (UTF-8, entities decoded)
  std::string local;  // the "Local" parameter: a page in the file, maybe with "#anchor"
  int parent = -1;    // index of the enclosing entry in the list, -1 at the top
  int depth = 0;      // 0 at the top, parent's depth + 1 below
};

// Bounds of the sitemap parser. Entries nested deeper than kSitemapMaxDepth
// are kept as siblings at the deepest level; entries past kSitemapMaxEntries
// and text past kSitemapMaxText bytes are dropped.
inline constexpr int kSitemapMaxDepth = 32;
inline constexpr std::size_t kSitemapMaxEntries = 20000;
inline constexpr std::size_t kSitemapMaxText = 2048;

// Parses the sitemap of a .hhc or .hhk file: nested <UL> lists whose <LI>
// items each hold an <OBJECT type="text/sitemap"> with <param name="Name"
// value="..."> and <param name="Local" value="...">. `html` is UTF-8 (see
// DecodeHtml). Tolerates what hand-written and generated sitemaps get wrong:
// tags and attribute names in any case, unquoted or single-quoted values,
// unclosed <OBJECT>, <LI> and <UL>, stray </UL>, comments. Objects of other
// types (the "text/site properties" header) are skipped, and an entry with
// neither name nor page is dropped. Runs in one pass without recursion.
std::vector<SitemapEntry> ParseSitemap(std::string_view html);

// ---------------------------------------------------------------------------
// Text of the pages.

// Windows-1252 bytes as UTF-8. The five bytes that code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of
// the same number, as web browsers map them (Qt's decoder, through ICU).
std::string Windows1252ToUtf8(std::string_view bytes);

// An HTML page (or sitemap) as UTF-8, by the character set it declares: a
// byte-order mark, else a <meta> charset in its first 1024 bytes ("utf-8",
// "utf8"). Any other declaration, and no declaration at all, means
// Windows-1252, the code page HTML Help assumes for Western pages.
std::string DecodeHtml(std::string_view bytes);

// A style sheet or other text as UTF-8: kept as it is when it is valid UTF-8
// (a byte-order mark is dropped), else read as Windows-1252.
std::string DecodeText(std::string_view bytes);

}  // namespace quillmere
