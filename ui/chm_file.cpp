#include "chm_file.h"

#include <chm_lib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <system_error>
#include <utility>

namespace quillmere {
namespace {

// ---------------------------------------------------------------------------
// Small helpers over bytes.

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

bool EndsWithIgnoringCase(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() &&
         EqualsIgnoringCase(s.substr(s.size() - suffix.size()), suffix);
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::uint32_t Le32(const unsigned char* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

std::uint64_t Le64(const unsigned char* p) {
  return std::uint64_t{Le32(p)} | std::uint64_t{Le32(p + 4)} << 32;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

constexpr char32_t kReplacement = 0xFFFD;

// Length of the well-formed UTF-8 sequence at s[i] (shortest form, no
// surrogates, at most U+10FFFF), or 0 when there is none.
std::size_t Utf8SequenceAt(std::string_view s, std::size_t i) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  if (c < 0x80) return 1;
  std::size_t len;
  unsigned char lo = 0x80, hi = 0xBF;  // bounds of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  if (b(i + 1) < lo || b(i + 1) > hi) return 0;
  for (std::size_t k = 2; k < len; ++k) {
    if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
  }
  return len;
}

bool IsValidUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t len = Utf8SequenceAt(s, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

// UTF-8 with every ill-formed byte replaced by U+FFFD.
std::string SanitiseUtf8(std::string_view s) {
  if (IsValidUtf8(s)) return std::string(s);
  std::string out;
  out.reserve(s.size() + 16);
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t len = Utf8SequenceAt(s, i);
    if (len == 0) {
      AppendUtf8(out, kReplacement);
      ++i;
    } else {
      out.append(s.substr(i, len));
      i += len;
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::string_view bytes, bool big_endian) {
  std::string out;
  out.reserve(bytes.size());
  const auto unit = [&](std::size_t i) -> char16_t {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<char16_t>(big_endian ? (a << 8 | b) : (b << 8 | a));
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const char16_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
      const char16_t v = unit(i + 2);
      if (v >= 0xDC00 && v <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((char32_t{u} - 0xD800) << 10) + (char32_t{v} - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : char32_t{u});
  }
  return out;
}

// ---------------------------------------------------------------------------
// The container, checked before chmlib sees it. chmlib trusts what it reads:
// offsets past the end of the file, a directory chunk that points to itself,
// a zero window or block length (a division by zero) or a malformed entry
// would make it read out of bounds, loop for ever or crash. So the file's
// layout is walked here first, with every length and offset held against
// the bytes that are really there, and a file that does not hold together
// never reaches chmlib.
//
// ITSF header (all numbers little-endian): "ITSF", version (2 or 3), header
// length, ..., at 0x48 the directory's offset and length (64-bit), and in
// version 3 at 0x58 the offset of the uncompressed section (in version 2 it
// follows the directory). The directory is the ITSP header ("ITSP", version,
// length 0x54, ..., at 0x10 the chunk length, at 0x1C the index root chunk
// or -1, at 0x20 the first listing chunk, at 0x2C the number of chunks)
// followed by the chunks: listing chunks "PMGL" (free space at 4, next
// chunk at 0x10, entries from 0x14: name length, name, section, offset and
// length) and index chunks "PMGI" (free space at 4, entries from 8: name
// length, name, chunk number). The numbers inside entries are ENCINTs: seven
// bits a byte, most significant first, the high bit set on all but the last.

constexpr std::size_t kItsfV2Length = 0x58;
constexpr std::size_t kItsfV3Length = 0x60;
constexpr std::size_t kItspLength = 0x54;
constexpr std::uint32_t kNoChunk = 0xFFFFFFFFu;
// The whole directory is read into memory to be checked; help files have a
// few chunks of 4 KiB.
constexpr std::uint64_t kMaxDirectoryBytes = 16ull << 20;

enum class Check { kOk, kNotChm, kDamaged };

struct Layout {
  std::uint64_t size = 0;           // of the file
  std::uint64_t data_offset = 0;    // where the uncompressed section starts
  std::uint64_t chunks_offset = 0;  // where the first directory chunk starts
  std::uint32_t chunk_length = 0;
  std::uint32_t chunks = 0;
  std::uint32_t first_listing = 0;
  std::uint32_t index_root = kNoChunk;
};

struct DirectoryEntry {
  std::string name;
  std::uint64_t space = 0, start = 0, length = 0;
};

// Exactly `n` bytes at `offset`, or false.
bool ReadAt(std::FILE* f, std::uint64_t offset, void* out, std::size_t n) {
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<long>::max())) return false;
  return std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0 && std::fread(out, 1, n, f) == n;
}

Check ReadHeaders(std::FILE* f, std::uint64_t size, Layout& out) {
  out.size = size;
  std::array<unsigned char, kItsfV3Length> itsf{};
  const std::size_t got = std::fread(itsf.data(), 1, itsf.size(), f);
  if (got < 4 || std::memcmp(itsf.data(), "ITSF", 4) != 0) return Check::kNotChm;
  if (got < kItsfV2Length) return Check::kDamaged;
  const std::uint32_t version = Le32(&itsf[4]);
  if (version != 2 && version != 3) return Check::kNotChm;
  const std::size_t needed = version == 3 ? kItsfV3Length : kItsfV2Length;
  const std::uint32_t header_length = Le32(&itsf[8]);
  if (got < needed || header_length < needed || header_length > size) return Check::kDamaged;
  const std::uint64_t dir_offset = Le64(&itsf[0x48]);
  const std::uint64_t dir_length = Le64(&itsf[0x50]);
  if (dir_offset > size || dir_length > size - dir_offset || dir_length < kItspLength) {
    return Check::kDamaged;
  }
  out.data_offset = version == 3 ? Le64(&itsf[0x58]) : dir_offset + dir_length;
  if (out.data_offset > size) return Check::kDamaged;

  std::array<unsigned char, kItspLength> itsp{};
  if (!ReadAt(f, dir_offset, itsp.data(), itsp.size())) return Check::kDamaged;
  if (std::memcmp(itsp.data(), "ITSP", 4) != 0 || Le32(&itsp[4]) != 1 ||
      Le32(&itsp[8]) != kItspLength) {
    return Check::kDamaged;
  }
  out.chunks_offset = dir_offset + kItspLength;
  out.chunk_length = Le32(&itsp[0x10]);
  out.index_root = Le32(&itsp[0x1C]);
  out.first_listing = Le32(&itsp[0x20]);
  out.chunks = Le32(&itsp[0x2C]);
  // Chunks are 4 KiB in every file HTML Help writes; chmlib caches several.
  if (out.chunk_length < 0x20 || out.chunk_length > (1u << 16)) return Check::kDamaged;
  const std::uint64_t chunk_bytes = std::uint64_t{out.chunk_length} * out.chunks;
  if (out.chunks == 0 || chunk_bytes > dir_length - kItspLength ||
      chunk_bytes > kMaxDirectoryBytes) {
    return Check::kDamaged;
  }
  if (out.first_listing >= out.chunks ||
      (out.index_root != kNoChunk && out.index_root >= out.chunks)) {
    return Check::kDamaged;
  }
  return Check::kOk;
}

// An ENCINT at p, not reaching `end`; at most nine bytes (63 bits).
bool ReadEncInt(const unsigned char*& p, const unsigned char* end, std::uint64_t& value) {
  value = 0;
  for (int i = 0; i < 9 && p < end; ++i) {
    const unsigned char b = *p++;
    value = value << 7 | (b & 0x7F);
    if ((b & 0x80) == 0) return true;
  }
  return false;
}

// An entry's name: its length, then that many bytes, all before `end`.
bool ReadName(const unsigned char*& p, const unsigned char* end, std::string_view& name) {
  std::uint64_t length = 0;
  if (!ReadEncInt(p, end, length) || length > CHM_MAX_PATHLEN ||
      length > static_cast<std::uint64_t>(end - p)) {
    return false;
  }
  name = std::string_view(reinterpret_cast<const char*>(p), static_cast<std::size_t>(length));
  p += length;
  return true;
}

enum class ChunkKind : unsigned char { kOther, kListing, kIndex };

// Reads and checks every chunk of the directory, the chain of listing
// chunks that enumeration follows, and the index tree that lookups descend.
// Fills `entries` with every listing entry.
bool ReadDirectory(std::FILE* f, const Layout& layout, std::vector<DirectoryEntry>& entries) {
  const std::size_t length = layout.chunk_length;
  std::vector<unsigned char> directory(length * layout.chunks);
  if (!ReadAt(f, layout.chunks_offset, directory.data(), directory.size())) return false;

  std::vector<ChunkKind> kind(layout.chunks, ChunkKind::kOther);
  std::vector<std::int64_t> next(layout.chunks, -1);
  std::vector<std::vector<std::uint32_t>> children(layout.chunks);
  for (std::uint32_t c = 0; c < layout.chunks; ++c) {
    const unsigned char* chunk = directory.data() + std::size_t{c} * length;
    const bool listing = std::memcmp(chunk, "PMGL", 4) == 0;
    const bool index = std::memcmp(chunk, "PMGI", 4) == 0;
    if (!listing && !index) continue;
    const std::size_t header = listing ? 0x14 : 0x08;
    const std::uint32_t free_space = Le32(chunk + 4);
    if (free_space > length - header) return false;
    const unsigned char* p = chunk + header;
    const unsigned char* end = chunk + length - free_space;
    while (p < end) {
      std::string_view name;
      if (!ReadName(p, end, name)) return false;
      if (listing) {
        DirectoryEntry entry{std::string(name)};
        if (!ReadEncInt(p, end, entry.space) || !ReadEncInt(p, end, entry.start) ||
            !ReadEncInt(p, end, entry.length) || entry.space > 1) {
          return false;
        }
        if (entries.size() >= ChmFile::kMaxObjects * 2) return false;
        entries.push_back(std::move(entry));
      } else {
        std::uint64_t child = 0;
        if (!ReadEncInt(p, end, child) || child >= layout.chunks) return false;
        children[c].push_back(static_cast<std::uint32_t>(child));
      }
    }
    kind[c] = listing ? ChunkKind::kListing : ChunkKind::kIndex;
    if (listing) next[c] = static_cast<std::int32_t>(Le32(chunk + 0x10));
  }

  // The listing chain from the first listing chunk ends (-1), without a loop.
  std::int64_t c = layout.first_listing;
  for (std::uint32_t steps = 0; c != -1; ++steps) {
    if (c < 0 || c >= layout.chunks || kind[c] != ChunkKind::kListing || steps >= layout.chunks) {
      return false;
    }
    c = next[c];
  }

  // The index tree from its root reaches only index and listing chunks, and
  // never comes back to a chunk on the way down.
  if (layout.index_root != kNoChunk) {
    enum : unsigned char { kUnseen, kOnPath, kDone };
    std::vector<unsigned char> state(layout.chunks, kUnseen);
    std::vector<std::pair<std::uint32_t, std::size_t>> path{{layout.index_root, 0}};
    state[layout.index_root] = kOnPath;
    while (!path.empty()) {
      auto& [chunk, child] = path.back();
      if (kind[chunk] == ChunkKind::kOther) return false;
      if (child == children[chunk].size()) {
        state[chunk] = kDone;
        path.pop_back();
        continue;
      }
      const std::uint32_t to = children[chunk][child++];
      if (state[to] == kOnPath) return false;
      if (state[to] == kUnseen) {
        state[to] = kOnPath;
        path.emplace_back(to, 0);
      }
    }
  }
  return true;
}

const DirectoryEntry* FindEntry(const std::vector<DirectoryEntry>& entries, std::string_view name,
                                std::size_t from = 0) {
  for (std::size_t i = from; i < entries.size(); ++i) {
    if (EqualsIgnoringCase(entries[i].name, name)) return &entries[i];
  }
  return nullptr;
}

// The uncompressed object's bytes, `n` of them from its start.
bool ReadObjectHead(std::FILE* f, const Layout& layout, const DirectoryEntry& entry, void* out,
                    std::size_t n) {
  return entry.space == 0 && entry.length >= n &&
         ReadAt(f, layout.data_offset + entry.start, out, n);
}

constexpr std::string_view kContent = "::DataSpace/Storage/MSCompressed/Content";
constexpr std::string_view kControlData = "::DataSpace/Storage/MSCompressed/ControlData";
constexpr std::string_view kResetTable =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/"
    "InstanceData/ResetTable";
// LZX frames, and so the blocks of the reset table, are 32 KiB; chmlib
// refuses a compressed block longer than that plus 6 KiB.
constexpr std::uint64_t kLzxBlock = 0x8000;
constexpr std::uint64_t kMaxCompressedBlock = kLzxBlock + 6144;

// The compressed section: the LZX control data (window and reset interval)
// and the reset table (where each 32 KiB block starts in the compressed
// stream). Every copy of each, since chmlib may find any of them; their
// extents in the file have been checked before. Sets `uncompressed` to the
// section's length; without the three objects chmlib reads no compressed
// object, nothing is to be checked and `uncompressed` stays empty.
bool CheckCompression(std::FILE* f, const Layout& layout,
                      const std::vector<DirectoryEntry>& entries,
                      std::optional<std::uint64_t>& uncompressed) {
  uncompressed.reset();
  const DirectoryEntry* content = FindEntry(entries, kContent);
  if (!FindEntry(entries, kControlData) || !FindEntry(entries, kResetTable) || !content) {
    return true;
  }
  for (const DirectoryEntry* c = content; c;
       c = FindEntry(entries, kContent, (c - &entries[0]) + 1)) {
    if (c->space != 0) return false;
  }

  // Control data: dwords, "LZXC", version, reset interval, window size,
  // windows per reset; version 2 counts the two sizes in units of 32 KiB.
  for (const DirectoryEntry* e = FindEntry(entries, kControlData); e;
       e = FindEntry(entries, kControlData, (e - &entries[0]) + 1)) {
    std::array<unsigned char, 0x1C> lzxc{};
    if (!ReadObjectHead(f, layout, *e, lzxc.data(), lzxc.size())) return false;
    const std::uint32_t version = Le32(&lzxc[8]);
    if (std::memcmp(&lzxc[4], "LZXC", 4) != 0 || (version != 1 && version != 2)) return false;
    const std::uint64_t unit = version == 2 ? 0x8000 : 1;
    const std::uint64_t reset = Le32(&lzxc[0x0C]) * unit;
    const std::uint64_t window = Le32(&lzxc[0x10]) * unit;
    const std::uint64_t per_reset = Le32(&lzxc[0x14]);
    // LZX windows are 2^15 to 2^21 bytes.
    if (window < 0x8000 || window > 0x200000 || (window & (window - 1)) != 0) return false;
    if (reset == 0 || reset % (window / 2) != 0 || per_reset == 0 ||
        reset / (window / 2) * per_reset > 0x7FFFFFFF) {
      return false;
    }
  }

  // Reset table: version 2, block count, ?, table offset, uncompressed and
  // compressed length, block length; then the blocks' compressed offsets.
  for (const DirectoryEntry* e = FindEntry(entries, kResetTable); e;
       e = FindEntry(entries, kResetTable, (e - &entries[0]) + 1)) {
    std::array<unsigned char, 0x28> table{};
    if (!ReadObjectHead(f, layout, *e, table.data(), table.size())) return false;
    const std::uint64_t blocks = Le32(&table[4]);
    const std::uint64_t offset = Le32(&table[0x0C]);
    const std::uint64_t length = Le64(&table[0x10]);
    const std::uint64_t compressed = Le64(&table[0x18]);
    if (Le32(&table[0]) != 2 || Le64(&table[0x20]) != kLzxBlock) return false;
    if (blocks == 0 || length > (blocks * kLzxBlock) || offset > e->length ||
        blocks * 8 > e->length - offset) {
      return false;
    }
    for (const DirectoryEntry* c = content; c;
         c = FindEntry(entries, kContent, (c - &entries[0]) + 1)) {
      if (compressed > c->length) return false;
    }
    std::vector<unsigned char> starts(blocks * 8);
    if (!ReadAt(f, layout.data_offset + e->start + offset, starts.data(), starts.size())) {
      return false;
    }
    std::uint64_t previous = 0;
    for (std::uint64_t i = 0; i < blocks; ++i) {
      const std::uint64_t at = Le64(&starts[i * 8]);
      if ((i == 0 && at != 0) || at < previous || at - previous > kMaxCompressedBlock ||
          at > compressed) {
        return false;
      }
      previous = at;
    }
    if (compressed - previous > kMaxCompressedBlock) return false;
    uncompressed = std::max(uncompressed.value_or(0), length);
  }
  return true;
}

// Every stored object lies inside the file, or the file has been cut short.
bool CheckStoredExtents(const Layout& layout, const std::vector<DirectoryEntry>& entries) {
  const std::uint64_t limit = layout.size - layout.data_offset;
  for (const DirectoryEntry& e : entries) {
    if (e.space == 0 && (e.start > limit || e.length > limit - e.start)) return false;
  }
  return true;
}

// Every compressed object lies inside the compressed section, when chmlib
// will read that section at all.
bool CheckCompressedExtents(const std::vector<DirectoryEntry>& entries,
                            const std::optional<std::uint64_t>& uncompressed) {
  if (!uncompressed) return true;
  for (const DirectoryEntry& e : entries) {
    if (e.space == 1 && (e.start > *uncompressed || e.length > *uncompressed - e.start)) {
      return false;
    }
  }
  return true;
}

std::string Quoted(const std::filesystem::path& path) {
  return "\"" + path.string() + "\"";
}

struct ListContext {
  std::vector<ChmFile::Unit>* units;
  bool too_many = false;
};

int CollectObject(chmFile*, chmUnitInfo* ui, void* context) {
  auto& ctx = *static_cast<ListContext*>(context);
  if (ctx.units->size() >= ChmFile::kMaxObjects) {
    ctx.too_many = true;
    return CHM_ENUMERATOR_FAILURE;
  }
  const std::size_t length = strnlen(ui->path, CHM_MAX_PATHLEN);
  if (length > 0 && ui->path[length - 1] != '/') {
    ctx.units->push_back({std::string(ui->path, length), ui->start, ui->length, ui->space});
  }
  return CHM_ENUMERATOR_CONTINUE;
}

}  // namespace

// ---------------------------------------------------------------------------
// ChmFile

std::unique_ptr<ChmFile> ChmFile::Open(const std::filesystem::path& path, ChmOpenError* error) {
  ChmOpenError local;
  ChmOpenError& err = error ? *error : local;
  err = {};
  const auto fail = [&](ChmError kind, std::string message) {
    err.kind = kind;
    err.message = std::move(message);
    return nullptr;
  };

  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) {
    return fail(ChmError::kMissing, "The help file " + Quoted(path) + " was not found.");
  }
  if (!std::filesystem::is_regular_file(status)) {
    return fail(ChmError::kUnreadable,
                "The help file " + Quoted(path) + " cannot be read: it is not a file.");
  }
  const std::uint64_t size = std::filesystem::file_size(path, ec);
  std::FILE* f = ec ? nullptr : std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    const std::string reason = ec ? ec.message() : std::strerror(errno);
    return fail(ChmError::kUnreadable,
                "The help file " + Quoted(path) + " cannot be read: " + reason + ".");
  }
  Layout layout;
  std::vector<DirectoryEntry> entries;
  std::optional<std::uint64_t> uncompressed;  // the compressed section's length
  Check check = ReadHeaders(f, size, layout);
  if (check == Check::kOk &&
      !(ReadDirectory(f, layout, entries) && CheckStoredExtents(layout, entries) &&
        CheckCompression(f, layout, entries, uncompressed) &&
        CheckCompressedExtents(entries, uncompressed))) {
    check = Check::kDamaged;
  }
  std::fclose(f);
  if (check == Check::kNotChm) {
    return fail(ChmError::kNotChm, Quoted(path) + " is not a compiled HTML help file.");
  }
  const std::string damaged =
      "The help file " + Quoted(path) + " is damaged or cut short and cannot be shown.";
  if (check == Check::kDamaged) return fail(ChmError::kDamaged, damaged);

  std::unique_ptr<ChmFile> file(new ChmFile(path));
  file->handle_ = chm_open(path.c_str());
  if (file->handle_ == nullptr) return fail(ChmError::kDamaged, damaged);
  ListContext ctx{&file->units_};
  if (!chm_enumerate(file->handle_, CHM_ENUMERATE_ALL, &CollectObject, &ctx) || ctx.too_many ||
      file->units_.empty()) {
    return fail(ChmError::kDamaged, damaged);
  }
  file->objects_.reserve(file->units_.size());
  for (const Unit& unit : file->units_) file->objects_.push_back(unit.path);
  file->ReadSystem();
  return file;
}

ChmFile::~ChmFile() {
  if (handle_ != nullptr) chm_close(handle_);
}

std::string ChmFile::Resolve(std::string_view path) const {
  const Unit* unit = Find(path);
  return unit ? unit->path : std::string();
}

const ChmFile::Unit* ChmFile::Find(std::string_view path) const {
  const std::string wanted = NormaliseObjectPath(path);
  if (wanted.size() <= 1) return nullptr;
  const Unit* folded = nullptr;
  for (const Unit& unit : units_) {
    if (unit.path == wanted) return &unit;
    if (folded == nullptr && EqualsIgnoringCase(unit.path, wanted)) folded = &unit;
  }
  return folded;
}

std::optional<std::string> ChmFile::Read(std::string_view path) {
  // The object as the directory listed it, read without a second lookup.
  const Unit* unit = Find(path);
  if (unit == nullptr || unit->length > kMaxObjectBytes) return std::nullopt;
  chmUnitInfo ui{};
  ui.start = unit->start;
  ui.length = unit->length;
  ui.space = unit->space;
  std::snprintf(ui.path, sizeof ui.path, "%s", unit->path.c_str());
  std::string bytes(static_cast<std::size_t>(ui.length), '\0');
  std::uint64_t got = 0;
  while (got < ui.length) {
    const LONGINT64 n =
        chm_retrieve_object(handle_, &ui, reinterpret_cast<unsigned char*>(bytes.data() + got), got,
                            static_cast<LONGINT64>(ui.length - got));
    if (n <= 0) return std::nullopt;
    got += static_cast<std::uint64_t>(n);
  }
  return bytes;
}

void ChmFile::ReadSystem() {
  // #SYSTEM: a 32-bit version, then records of a 16-bit code, a 16-bit
  // length and that many bytes (zero-terminated text for the codes read
  // here): 0 contents file, 1 index file, 2 default topic, 3 title.
  std::string contents, index;
  if (const std::optional<std::string> system = Read("/#SYSTEM")) {
    const auto* p = reinterpret_cast<const unsigned char*>(system->data());
    const std::size_t size = system->size();
    std::size_t pos = 4;
    while (pos + 4 <= size) {
      const unsigned code = p[pos] | p[pos + 1] << 8;
      const std::size_t length = p[pos + 2] | p[pos + 3] << 8;
      pos += 4;
      if (length > size - pos) break;
      const std::string_view record(system->data() + pos, length);
      const std::string text(record.substr(0, record.find('\0')));
      switch (code) {
        case 0:
          contents = text;
          break;
        case 1:
          index = text;
          break;
        case 2:
          default_topic_ = text;
          break;
        case 3:
          title_ = text;
          break;
        default:
          break;
      }
      pos += length;
    }
  }
  contents_ = contents.empty() ? std::string() : Resolve(contents);
  if (contents_.empty()) contents_ = FindBySuffix(".hhc");
  index_ = index.empty() ? std::string() : Resolve(index);
  if (index_.empty()) index_ = FindBySuffix(".hhk");
}

std::string ChmFile::FindBySuffix(std::string_view suffix) const {
  // The help's own files, not the container's internals ("::DataSpace/...",
  // "/#SYSTEM", "/$OBJINST"); the one nearest the root wins.
  const std::string* best = nullptr;
  std::ptrdiff_t best_depth = 0;
  for (const std::string& object : objects_) {
    if (object.size() < 2 || object[0] != '/' || object[1] == '#' || object[1] == '$') continue;
    if (!EndsWithIgnoringCase(object, suffix)) continue;
    const std::ptrdiff_t depth = std::count(object.begin(), object.end(), '/');
    if (best == nullptr || depth < best_depth) {
      best = &object;
      best_depth = depth;
    }
  }
  return best ? *best : std::string();
}

std::string NormaliseObjectPath(std::string_view path) {
  std::vector<std::string_view> segments;
  std::string slashed(path);
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  const std::string_view s(slashed);
  std::size_t start = 0;
  while (start <= s.size()) {
    std::size_t end = s.find('/', start);
    if (end == std::string_view::npos) end = s.size();
    const std::string_view segment = s.substr(start, end - start);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    start = end + 1;
  }
  std::string out;
  for (const std::string_view segment : segments) {
    out += '/';
    out += segment;
  }
  return out.empty() ? "/" : out;
}

// ---------------------------------------------------------------------------
// Sitemap

namespace {

struct Attribute {
  std::string_view name, value;
};

// One tag: its name (without the "/" of a closing tag) and attributes.
struct Tag {
  std::string_view name;
  bool closing = false;
  std::array<Attribute, 8> attributes{};  // the first eight; a sitemap tag has two or three
  std::size_t count = 0;

  std::optional<std::string_view> Get(std::string_view key) const {
    for (std::size_t i = 0; i < count; ++i) {
      if (EqualsIgnoringCase(attributes[i].name, key)) return attributes[i].value;
    }
    return std::nullopt;
  }
};

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Reads the tag whose "<" is at `lt` and returns the position after it. A
// quote opens a value only right after "=", as in HTML, so a stray
// apostrophe cannot swallow the rest of the file; an unclosed quoted value
// or tag runs to the end of the input.
std::size_t ReadTag(std::string_view html, std::size_t lt, Tag& tag) {
  const std::size_t n = html.size();
  std::size_t k = lt + 1;
  tag = Tag{};
  if (k < n && html[k] == '/') {
    tag.closing = true;
    ++k;
  }
  const std::size_t name_start = k;
  while (k < n && IsNameChar(html[k])) ++k;
  tag.name = html.substr(name_start, k - name_start);
  while (k < n) {
    while (k < n && (IsSpace(html[k]) || html[k] == '/')) ++k;
    if (k >= n) break;
    if (html[k] == '>') return k + 1;
    const std::size_t attr_start = k;
    while (k < n && !IsSpace(html[k]) && html[k] != '=' && html[k] != '>' && html[k] != '/') ++k;
    if (k == attr_start) ++k;  // a lone "=": step over it
    Attribute attribute{html.substr(attr_start, k - attr_start), {}};
    std::size_t after = k;
    while (after < n && IsSpace(html[after])) ++after;
    if (after < n && html[after] == '=') {
      k = after + 1;
      while (k < n && IsSpace(html[k])) ++k;
      if (k < n && (html[k] == '"' || html[k] == '\'')) {
        const char quote = html[k++];
        const std::size_t close = html.find(quote, k);
        const std::size_t end = close == std::string_view::npos ? n : close;
        attribute.value = html.substr(k, end - k);
        k = close == std::string_view::npos ? n : close + 1;
      } else {
        const std::size_t value_start = k;
        while (k < n && !IsSpace(html[k]) && html[k] != '>') ++k;
        attribute.value = html.substr(value_start, k - value_start);
      }
    }
    if (tag.count < tag.attributes.size()) tag.attributes[tag.count++] = attribute;
  }
  return n;
}

struct NamedEntity {
  std::string_view name;
  char32_t cp;
};
constexpr NamedEntity kEntities[] = {
    {"amp", U'&'},     {"lt", U'<'},      {"gt", U'>'},       {"quot", U'"'},   {"apos", U'\''},
    {"nbsp", 0xA0},    {"copy", 0xA9},    {"reg", 0xAE},      {"deg", 0xB0},    {"plusmn", 0xB1},
    {"sup2", 0xB2},    {"sup3", 0xB3},    {"micro", 0xB5},    {"middot", 0xB7}, {"times", 0xD7},
    {"ndash", 0x2013}, {"mdash", 0x2014}, {"hellip", 0x2026},
};

// Decodes character references in an attribute value, keeping at most
// kSitemapMaxText bytes. A reference that is not understood stays as it is.
std::string DecodeEntities(std::string_view s) {
  std::string out;
  // One byte past the bound, so that the cut below sees whether the bound
  // falls inside a character.
  for (std::size_t i = 0; i < s.size() && out.size() <= kSitemapMaxText;) {
    if (s[i] != '&') {
      out += s[i++];
      continue;
    }
    const std::size_t semi = s.find(';', i + 1);
    // Names and numbers are short; a far ";" belongs to something else.
    if (semi == std::string_view::npos || semi - i > 10) {
      out += s[i++];
      continue;
    }
    const std::string_view body = s.substr(i + 1, semi - i - 1);
    std::optional<char32_t> cp;
    if (body.size() >= 2 && body[0] == '#') {
      const bool hex = body[1] == 'x' || body[1] == 'X';
      const std::string_view digits = body.substr(hex ? 2 : 1);
      char32_t value = 0;
      bool ok = !digits.empty() && digits.size() <= 7;
      for (const char c : digits) {
        int d = -1;
        if (c >= '0' && c <= '9') d = c - '0';
        if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        if (d < 0) ok = false;
        if (ok) value = value * (hex ? 16 : 10) + static_cast<char32_t>(d);
      }
      if (ok) {
        const bool valid = value != 0 && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF);
        cp = valid ? value : kReplacement;
      }
    } else {
      for (const NamedEntity& e : kEntities) {
        if (body == e.name) cp = e.cp;
      }
    }
    if (cp) {
      AppendUtf8(out, *cp);
      i = semi + 1;
    } else {
      out += s[i++];
    }
  }
  if (out.size() > kSitemapMaxText) {
    // Do not leave half a character at the cut.
    std::size_t cut = kSitemapMaxText;
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
    out.resize(cut);
  }
  return out;
}

std::string Trimmed(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return std::string(s);
}

class SitemapBuilder {
 public:
  void OpenList() {
    FinishObject();
    ++lists_;
  }
  void CloseList() {
    FinishObject();
    if (lists_ > 0) --lists_;
  }
  void StartObject(bool sitemap) {
    FinishObject();
    in_object_ = sitemap;
  }
  void Param(std::string_view name, std::string_view value) {
    if (!in_object_) return;
    if (EqualsIgnoringCase(name, "Name") && entry_.name.empty()) {
      entry_.name = Trimmed(DecodeEntities(value));
    } else if (EqualsIgnoringCase(name, "Local") && entry_.local.empty()) {
      entry_.local = Trimmed(DecodeEntities(value));
    }
  }
  // An object ends at </OBJECT>, or, left open, at the next item or list.
  void FinishObject() {
    if (in_object_ && (!entry_.name.empty() || !entry_.local.empty())) Add();
    in_object_ = false;
    entry_ = {};
  }
  std::vector<SitemapEntry> Take() {
    FinishObject();
    return std::move(entries_);
  }

 private:
  void Add() {
    if (entries_.size() >= kSitemapMaxEntries) return;
    // The parent is the latest entry in an enclosing list: the one before
    // this in the nearest list further out. Below the deepest level kept,
    // entries become siblings at that level.
    while (!open_.empty() && open_.back().lists >= lists_) open_.pop_back();
    int parent = open_.empty() ? -1 : open_.back().index;
    if (parent >= 0 && entries_[parent].depth >= kSitemapMaxDepth - 1) {
      parent = entries_[parent].parent;
    }
    entry_.parent = parent;
    entry_.depth = parent < 0 ? 0 : entries_[parent].depth + 1;
    open_.push_back({static_cast<int>(entries_.size()), lists_});
    entries_.push_back(std::move(entry_));
  }

  struct Open {
    int index;          // of the entry
    std::size_t lists;  // lists open around it
  };
  std::vector<SitemapEntry> entries_;
  std::vector<Open> open_;  // the entries that later ones may nest in, outermost first
  std::size_t lists_ = 0;   // <UL> open now
  bool in_object_ = false;
  SitemapEntry entry_;
};

}  // namespace

std::vector<SitemapEntry> ParseSitemap(std::string_view html) {
  SitemapBuilder builder;
  Tag tag;
  std::size_t i = 0;
  while (i < html.size()) {
    const std::size_t lt = html.find('<', i);
    if (lt == std::string_view::npos) break;
    if (html.substr(lt, 4) == "<!--") {
      const std::size_t end = html.find("-->", lt + 4);
      i = end == std::string_view::npos ? html.size() : end + 3;
      continue;
    }
    i = ReadTag(html, lt, tag);
    if (EqualsIgnoringCase(tag.name, "ul")) {
      tag.closing ? builder.CloseList() : builder.OpenList();
    } else if (EqualsIgnoringCase(tag.name, "li")) {
      if (!tag.closing) builder.FinishObject();
    } else if (EqualsIgnoringCase(tag.name, "object")) {
      if (tag.closing) {
        builder.FinishObject();
      } else {
        const std::optional<std::string_view> type = tag.Get("type");
        builder.StartObject(type && EqualsIgnoringCase(Trimmed(*type), "text/sitemap"));
      }
    } else if (EqualsIgnoringCase(tag.name, "param") && !tag.closing) {
      builder.Param(tag.Get("name").value_or(""), tag.Get("value").value_or(""));
    }
  }
  return builder.Take();
}

// ---------------------------------------------------------------------------
// Text

std::string Windows1252ToUtf8(std::string_view bytes) {
  // 0x80..0x9F, eight to a row; the rest of the code page is ISO 8859-1.
  // clang-format off
  static constexpr char16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
  };
  // clang-format on
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    AppendUtf8(out, (c >= 0x80 && c <= 0x9F) ? char32_t{kHigh[c - 0x80]} : char32_t{c});
  }
  return out;
}

std::string DecodeHtml(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return SanitiseUtf8(bytes.substr(3));
  if (bytes.substr(0, 2) == "\xFF\xFE") return Utf16ToUtf8(bytes.substr(2), false);
  if (bytes.substr(0, 2) == "\xFE\xFF") return Utf16ToUtf8(bytes.substr(2), true);

  // <meta charset="utf-8"> or <meta http-equiv="Content-Type"
  // content="text/html; charset=utf-8">, in the head.
  const std::string head = AsciiLower(bytes.substr(0, 1024));
  for (std::size_t meta = head.find("<meta"); meta != std::string::npos;
       meta = head.find("<meta", meta + 5)) {
    const std::size_t end = std::min(head.find('>', meta), head.size());
    const std::size_t at = head.find("charset", meta);
    if (at == std::string::npos || at > end) continue;
    std::size_t k = at + 7;
    while (k < end && (IsSpace(head[k]) || head[k] == '=' || head[k] == '"' || head[k] == '\'')) {
      ++k;
    }
    std::size_t stop = k;
    while (stop < end && (IsNameChar(head[stop]) || head[stop] == '-' || head[stop] == '_')) ++stop;
    const std::string_view charset = std::string_view(head).substr(k, stop - k);
    if (charset == "utf-8" || charset == "utf8") return SanitiseUtf8(bytes);
    break;
  }
  return Windows1252ToUtf8(bytes);
}

std::string DecodeText(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return IsValidUtf8(bytes) ? std::string(bytes) : Windows1252ToUtf8(bytes);
}

}  // namespace quillmere
