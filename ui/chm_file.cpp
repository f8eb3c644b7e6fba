#include "chm_file.h"

#include <mspack.h>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "regular_file.h"

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

// ---------------------------------------------------------------------------
// The container, decoded by libmspack from the file's bytes in memory.
//
// libmspack reads and writes through an mspack_system of ours: reads come
// from the bytes read once from the help file (no second open of the path,
// so the file cannot be swapped in between), extracted objects go into a
// string of ours, and the library's own allocations are counted against a
// budget. libmspack checks the container itself (header, directory chunks,
// LZX control data, reset table); what it leaves to us is what this program
// relies on: how large an object we take, how much of the compressed section
// is ever inflated, how much memory the directory may take, and that an
// object's name is a clean path a link can reach.

// The memory libmspack may hold at once: the directory of a help file with
// kMaxObjects entries of long names, and the LZX window (at most 2 MiB).
constexpr std::size_t kMaxLibraryBytes = 64u << 20;

// The name the decoder is given for the help file; every open for reading is
// of these bytes, whatever name is asked for.
constexpr char kInputName[] = "help";
constexpr char kOutputName[] = "object";

// One file the library has open: the help file's bytes, or the object being
// extracted.
struct MemoryStream {
  const std::string* in = nullptr;
  std::size_t pos = 0;
  std::string* out = nullptr;
  std::size_t out_limit = 0;
};

MemoryStream* Stream(mspack_file* file) {
  return reinterpret_cast<MemoryStream*>(file);
}

}  // namespace

struct ChmFile::Decoder {
  mspack_system system{};  // first, so the library's pointer to it is ours
  std::string bytes;       // the whole help file
  std::string* output = nullptr;
  std::size_t output_limit = 0;
  std::size_t live = 0;  // bytes the library has allocated and not freed
  mschm_decompressor* decompressor = nullptr;
  mschmd_header* header = nullptr;
  std::vector<mschmd_file*> entries;  // beside ChmFile::units_, in its order

  Decoder();
  ~Decoder();
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
};

namespace {

ChmFile::Decoder* Owner(mspack_system* self) {
  return reinterpret_cast<ChmFile::Decoder*>(self);
}

// The decoder a call into the library is for. The library hands its LZX
// decoder a copy of our system, so an allocation cannot find its budget
// through the system pointer; every call into it is made, on this thread,
// under a CallInto.
thread_local ChmFile::Decoder* current_decoder = nullptr;

class CallInto {
 public:
  explicit CallInto(ChmFile::Decoder* d) : previous_(current_decoder) { current_decoder = d; }
  ~CallInto() { current_decoder = previous_; }
  CallInto(const CallInto&) = delete;
  CallInto& operator=(const CallInto&) = delete;

 private:
  ChmFile::Decoder* previous_;
};

mspack_file* MemoryOpen(mspack_system* self, const char*, int mode) {
  ChmFile::Decoder* d = Owner(self);
  auto* stream = new (std::nothrow) MemoryStream;
  if (stream == nullptr) return nullptr;
  if (mode == MSPACK_SYS_OPEN_READ) {
    stream->in = &d->bytes;
  } else if (mode == MSPACK_SYS_OPEN_WRITE && d->output != nullptr) {
    stream->out = d->output;
    stream->out_limit = d->output_limit;
    stream->out->clear();
  } else {
    delete stream;
    return nullptr;
  }
  return reinterpret_cast<mspack_file*>(stream);
}

void MemoryClose(mspack_file* file) {
  delete Stream(file);
}

int MemoryRead(mspack_file* file, void* buffer, int bytes) {
  MemoryStream* s = Stream(file);
  if (s->in == nullptr || bytes < 0) return -1;
  const std::size_t left = s->in->size() - std::min(s->pos, s->in->size());
  const std::size_t n = std::min(left, static_cast<std::size_t>(bytes));
  std::memcpy(buffer, s->in->data() + s->pos, n);
  s->pos += n;
  return static_cast<int>(n);
}

int MemoryWrite(mspack_file* file, void* buffer, int bytes) {
  MemoryStream* s = Stream(file);
  // Never more than the directory promised for the object.
  if (s->out == nullptr || bytes < 0 ||
      static_cast<std::size_t>(bytes) > s->out_limit - s->out->size()) {
    return -1;
  }
  s->out->append(static_cast<const char*>(buffer), static_cast<std::size_t>(bytes));
  return bytes;
}

int MemorySeek(mspack_file* file, off_t offset, int mode) {
  MemoryStream* s = Stream(file);
  if (s->in == nullptr) return -1;
  const auto size = static_cast<off_t>(s->in->size());
  off_t base = 0;
  if (mode == MSPACK_SYS_SEEK_CUR) base = static_cast<off_t>(s->pos);
  if (mode == MSPACK_SYS_SEEK_END) base = size;
  if (offset < -base || offset > size - base) return -1;
  s->pos = static_cast<std::size_t>(base + offset);
  return 0;
}

off_t MemoryTell(mspack_file* file) {
  return static_cast<off_t>(Stream(file)->pos);
}

void MemoryMessage(mspack_file*, const char*, ...) {}

// Each block carries its owner and size ahead of it, so that a free (which
// the library calls without its system) gives the bytes back to the budget.
struct alignas(std::max_align_t) BlockHead {
  ChmFile::Decoder* owner;
  std::size_t size;
};

void* MemoryAlloc(mspack_system*, std::size_t bytes) {
  ChmFile::Decoder* d = current_decoder;
  if (d == nullptr || bytes > kMaxLibraryBytes - d->live) return nullptr;
  void* block = std::malloc(sizeof(BlockHead) + bytes);
  if (block == nullptr) return nullptr;
  auto* head = static_cast<BlockHead*>(block);
  head->owner = d;
  head->size = bytes;
  d->live += bytes;
  return head + 1;
}

void MemoryFree(void* ptr) {
  if (ptr == nullptr) return;
  BlockHead* head = static_cast<BlockHead*>(ptr) - 1;
  head->owner->live -= head->size;
  std::free(head);
}

void MemoryCopy(void* src, void* dest, std::size_t bytes) {
  std::memmove(dest, src, bytes);
}

// A name a link can reach: a clean absolute path ("/page.html"), or one of
// the container's own objects ("::DataSpace/..."), which the pages never
// name.
bool IsReachableName(std::string_view name) {
  if (name.empty() || name.size() > ChmFile::kMaxNameBytes || name.back() == '/') return false;
  if (name.substr(0, 2) == "::") return true;
  return NormaliseObjectPath(name) == name;
}

std::string Quoted(const std::filesystem::path& path) {
  return "\"" + path.string() + "\"";
}

}  // namespace

ChmFile::Decoder::Decoder() {
  system.open = &MemoryOpen;
  system.close = &MemoryClose;
  system.read = &MemoryRead;
  system.write = &MemoryWrite;
  system.seek = &MemorySeek;
  system.tell = &MemoryTell;
  system.message = &MemoryMessage;
  system.alloc = &MemoryAlloc;
  system.free = &MemoryFree;
  system.copy = &MemoryCopy;
  system.null_ptr = nullptr;
}

ChmFile::Decoder::~Decoder() {
  const CallInto call(this);
  if (decompressor != nullptr) {
    if (header != nullptr) decompressor->close(decompressor, header);
    mspack_destroy_chm_decompressor(decompressor);
  }
}

// ---------------------------------------------------------------------------
// ChmFile

std::unique_ptr<ChmFile> ChmFile::Open(const std::filesystem::path& path, ChmOpenError* error) {
  ChmOpenError local;
  ChmOpenError& err = error ? *error : local;
  err = {};
  // One read of the whole file, which must be a regular file of at most
  // 64 MiB: a FIFO, a device or a huge file of that name is refused before
  // a byte is read.
  std::string bytes;
  const FileReadResult read = ReadRegularFile(path, kMaxHelpFileBytes, bytes);
  if (read.status == FileReadResult::Status::kNotFound) {
    err = {ChmError::kMissing, "The help file " + Quoted(path) + " was not found."};
    return nullptr;
  }
  if (!read.ok()) {
    err = {ChmError::kUnreadable,
           "The help file " + Quoted(path) + " cannot be read: " + read.reason + "."};
    return nullptr;
  }
  return FromBytes(std::move(bytes), path, &err);
}

std::unique_ptr<ChmFile> ChmFile::FromBytes(std::string bytes, const std::filesystem::path& path,
                                            ChmOpenError* error) {
  ChmOpenError local;
  ChmOpenError& err = error ? *error : local;
  err = {};
  if (bytes.substr(0, 4) != "ITSF") {
    err = {ChmError::kNotChm, Quoted(path) + " is not a compiled HTML help file."};
    return nullptr;
  }
  const auto damaged = [&] {
    err = {ChmError::kDamaged,
           "The help file " + Quoted(path) + " is damaged or cut short and cannot be shown."};
    return nullptr;
  };

  // The ITSF header holds two class identifiers at 0x18 and 0x28, which
  // HTML Help itself never looks at. chmcmd (Free Pascal), which compiles
  // our help, writes the first one twice; libmspack insists on both. They
  // carry nothing, so our copy of the bytes gets the pair HTML Help writes.
  if (bytes.size() >= 0x38) {
    static constexpr unsigned char kGuids[32] = {0x10, 0xFD, 0x01, 0x7C, 0xAA, 0x7B, 0xD0, 0x11,
                                                 0x9E, 0x0C, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC,
                                                 0x11, 0xFD, 0x01, 0x7C, 0xAA, 0x7B, 0xD0, 0x11,
                                                 0x9E, 0x0C, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC};
    std::memcpy(bytes.data() + 0x18, kGuids, sizeof kGuids);
  }

  std::unique_ptr<ChmFile> file(new ChmFile(path));
  file->decoder_ = std::make_unique<Decoder>();
  Decoder& d = *file->decoder_;
  d.bytes = std::move(bytes);
  const CallInto call(&d);
  d.decompressor = mspack_create_chm_decompressor(&d.system);
  if (d.decompressor == nullptr) return damaged();
  d.header = d.decompressor->open(d.decompressor, kInputName);
  if (d.header == nullptr) return damaged();

  // The library lists the help's own files and the container's ("::...")
  // apart; both are objects of the file. Every object of the compressed
  // section must end within the part of it we are willing to inflate, so
  // that no read inflates more than kMaxInflatedBytes, whatever the file's
  // reset table says.
  const auto stored_offset = static_cast<std::uint64_t>(std::max<off_t>(d.header->sec0.offset, 0));
  const std::uint64_t stored =
      d.bytes.size() - std::min<std::uint64_t>(stored_offset, d.bytes.size());
  for (mschmd_file* list : {d.header->files, d.header->sysfiles}) {
    for (mschmd_file* f = list; f != nullptr; f = f->next) {
      if (f->filename == nullptr || f->section == nullptr || f->offset < 0 || f->length < 0) {
        return damaged();
      }
      const int space = static_cast<int>(f->section->id);
      const auto start = static_cast<std::uint64_t>(f->offset);
      const auto length = static_cast<std::uint64_t>(f->length);
      // libmspack reads only the directory here; a file cut short would
      // show as pages missing one by one. Every stored object (the
      // compressed section's own data among them) must lie in the file.
      if (space == 0 && (start > stored || length > stored - start)) return damaged();
      const std::string_view name(f->filename);
      if (!IsReachableName(name)) continue;
      if (space == 1 && (start > kMaxInflatedBytes || length > kMaxInflatedBytes - start)) {
        return damaged();
      }
      if (file->units_.size() >= kMaxObjects) return damaged();
      file->units_.push_back({std::string(name), start, length, space});
      d.entries.push_back(f);
    }
  }
  if (file->units_.empty()) return damaged();
  if (!file->ResetTableCovers()) return damaged();
  file->objects_.reserve(file->units_.size());
  for (const Unit& unit : file->units_) file->objects_.push_back(unit.path);
  file->ReadSystem();
  return file;
}

ChmFile::ChmFile(std::filesystem::path path) : path_(std::move(path)) {}

ChmFile::~ChmFile() = default;

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
  return ReadUnit(Find(path));
}

std::optional<std::string> ChmFile::ReadSystemObject(std::string_view name) {
  // The container's own objects are named as they are stored, not as paths.
  for (const Unit& unit : units_) {
    if (unit.path == name) return ReadUnit(&unit);
  }
  return std::nullopt;
}

std::optional<std::string> ChmFile::ReadUnit(const Unit* unit) {
  if (unit == nullptr || unit->length > kMaxObjectBytes) return std::nullopt;
  Decoder& d = *decoder_;
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(unit->length));
  const CallInto call(&d);
  d.output = &bytes;
  d.output_limit = static_cast<std::size_t>(unit->length);
  const int status =
      d.decompressor->extract(d.decompressor, d.entries[unit - units_.data()], kOutputName);
  d.output = nullptr;
  if (status != MSPACK_ERR_OK || bytes.size() != unit->length) return std::nullopt;
  return bytes;
}

namespace {

std::uint64_t Little(const std::string& bytes, std::size_t at, int size) {
  std::uint64_t value = 0;
  for (int i = size - 1; i >= 0; --i) {
    value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  }
  return value;
}

}  // namespace

bool ChmFile::ResetTableCovers() {
  // Where the last object of the compressed section starts: the library
  // inflates from the reset point before an object's start, and from the
  // section's very start when the reset table has no entry for it, so a
  // table that stops short would make every read inflate all that lies
  // before (hundreds of megabytes of zeros, again for every picture).
  std::uint64_t last_start = 0;
  bool compressed = false;
  for (const Unit& unit : units_) {
    if (unit.space != 1) continue;
    compressed = true;
    last_start = std::max(last_start, unit.start);
  }
  if (!compressed) return true;
  // The LZX control data: "LZXC", its version, the reset interval and the
  // window (in 32 KiB frames from version 2 on, in bytes before).
  constexpr std::uint64_t kFrame = 0x8000;
  const std::optional<std::string> control =
      ReadSystemObject("::DataSpace/Storage/MSCompressed/ControlData");
  if (!control || control->size() < 0x18 || control->compare(4, 4, "LZXC") != 0) return false;
  std::uint64_t interval = Little(*control, 0x0C, 4);
  if (Little(*control, 0x08, 4) == 2) interval *= kFrame;
  // At most the largest LZX window between reset points: what one read
  // inflates before its object.
  if (interval == 0 || interval % kFrame != 0 || interval > (2u << 20)) return false;
  // The reset table: entry count, entry size and the table's offset, then
  // the frame length, which the library takes only when it is 32 KiB, and
  // at most 1 000 000 bytes, past which the library ignores the table.
  const std::optional<std::string> table = ReadSystemObject(
      "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/"
      "InstanceData/ResetTable");
  if (!table || table->size() < 0x28 || table->size() > 1000000 ||
      Little(*table, 0x20, 8) != kFrame) {
    return false;
  }
  const std::uint64_t entries = Little(*table, 0x04, 4), entry_size = Little(*table, 0x08, 4);
  const std::uint64_t offset = Little(*table, 0x0C, 4);
  // The entry the library looks up for the last object, as it counts.
  const std::uint64_t wanted = last_start / interval * (interval / kFrame);
  return (entry_size == 4 || entry_size == 8) && wanted < entries && offset <= table->size() &&
         (table->size() - offset) / entry_size > wanted;
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
// Text, through Qt's decoders.

namespace {

// Stateless: a sequence cut off at the end is replaced, not held back for
// input that never comes.
constexpr auto kWhole = QStringDecoder::Flag::Stateless;

// The bytes through decoder, as UTF-8. Bytes that are not of the decoder's
// encoding become U+FFFD; error tells whether there were any.
std::string Decoded(QStringDecoder decoder, std::string_view bytes, bool* error = nullptr) {
  const QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
  if (error) *error = decoder.hasError();
  const QByteArray utf8 = text.toUtf8();
  return std::string(utf8.constData(), std::size_t(utf8.size()));
}

// UTF-8 with every ill-formed sequence replaced; a byte-order mark is dropped.
std::string SanitiseUtf8(std::string_view bytes) {
  return Decoded(QStringDecoder(QStringDecoder::Utf8, kWhole), bytes);
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view bytes) {
  // Qt knows the code page through ICU; without it, ISO 8859-1, which
  // differs from it only in 0x80..0x9F, is the nearest.
  QStringDecoder decoder("windows-1252", kWhole);
  if (!decoder.isValid()) decoder = QStringDecoder(QStringDecoder::Latin1, kWhole);
  return Decoded(std::move(decoder), bytes);
}

std::string DecodeHtml(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return SanitiseUtf8(bytes);
  if (bytes.substr(0, 2) == "\xFF\xFE") {
    return Decoded(QStringDecoder(QStringDecoder::Utf16LE, kWhole), bytes.substr(2));
  }
  if (bytes.substr(0, 2) == "\xFE\xFF") {
    return Decoded(QStringDecoder(QStringDecoder::Utf16BE, kWhole), bytes.substr(2));
  }
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
  bool error = false;
  std::string text = Decoded(QStringDecoder(QStringDecoder::Utf8, kWhole), bytes, &error);
  return error ? Windows1252ToUtf8(bytes) : text;
}

}  // namespace quillmere
