// Fuzz target: any bytes as the help file and as its pages.
//  - As "Quillmere Attenuation.chm": opened, listed and read as the help
//    window does (the table of contents, the default topic, then every
//    object up to a budget), through libmspack and the reader's bounds.
//  - As a sitemap (.hhc contents, .hhk index): decoded by its declared
//    character set and parsed.
//  - As a page or style sheet: decoded to UTF-8; as a link: normalised.
// Every input takes both ways: a help file fails at once as a sitemap and the
// other way round.
//
// Beside the sanitizers' faults it stops on a result that breaks what the
// reader promises: text that is not UTF-8, a sitemap tree whose parents,
// depths or bounds do not hold, an object path that is not clean, a failure
// without a message, or an object longer than the reader's limit.
//
// libmspack itself is the system's library and is not instrumented: a fault
// inside it shows as a crash, or through the checked memcpy and memset; its
// reads and writes go through the reader's own (instrumented) callbacks.

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chm_file.h"
#include "memory_file.h"

namespace {

using quillmere::SitemapEntry;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz_help: %s\n", what.c_str());
  std::fflush(stderr);
  __builtin_trap();
}

// Well-formed UTF-8: shortest forms, no surrogates, nothing above U+10FFFF.
bool IsUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    std::uint32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      n = 2, cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      n = 3, cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      n = 4, cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      const auto t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = cp << 6 | (t & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += n;
  }
  return true;
}

void CheckText(const std::string& text, const char* what) {
  if (!IsUtf8(text)) Fail(std::string(what) + " is not UTF-8");
}

void CheckSitemap(const std::vector<SitemapEntry>& entries) {
  if (entries.size() > quillmere::kSitemapMaxEntries) Fail("more sitemap entries than the bound");
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const SitemapEntry& e = entries[i];
    const std::string at = "sitemap entry " + std::to_string(i);
    if (e.name.empty() && e.local.empty()) Fail(at + " has neither name nor page");
    if (e.name.size() > quillmere::kSitemapMaxText || e.local.size() > quillmere::kSitemapMaxText) {
      Fail(at + " has a text longer than the bound");
    }
    CheckText(e.name, "a sitemap name");
    CheckText(e.local, "a sitemap page");
    if (e.parent < -1 || e.parent >= static_cast<int>(i)) Fail(at + " has a parent after it");
    const int depth = e.parent < 0 ? 0 : entries[static_cast<std::size_t>(e.parent)].depth + 1;
    if (e.depth != depth) Fail(at + " has a depth that is not its parent's plus one");
    if (e.depth >= quillmere::kSitemapMaxDepth) Fail(at + " lies deeper than the bound");
  }
}

void CheckObjectPath(const std::string& path, std::string_view from) {
  const std::string what = "the object path of \"" + std::string(from.substr(0, 40)) + "\"";
  if (path.empty() || path[0] != '/') Fail(what + " is not absolute");
  if (path.find('\\') != std::string::npos) Fail(what + " keeps a backslash");
  if (path.size() > 1 && path.back() == '/') Fail(what + " ends in a slash");
  const std::string bounded = path == "/" ? path : path + "/";
  for (const char* bad : {"//", "/./", "/../"}) {
    if (bounded.find(bad) != std::string::npos) Fail(what + " keeps \"" + bad + "\"");
  }
  if (quillmere::NormaliseObjectPath(path) != path) Fail(what + " changes when cleaned again");
}

// The file the reader opens, by its /proc path.
const quillmere::fuzz::MemoryFile& Input() {
  static const quillmere::fuzz::MemoryFile file("Quillmere Attenuation.chm");
  return file;
}

// Bytes read out of one help file, beyond which the rest is left unread: a
// forged file can list many large objects, and libmspack inflates each.
constexpr std::size_t kReadBudget = 4u << 20;

void ReadHelpFile(const std::uint8_t* data, std::size_t size) {
  Input().Store(data, size);
  const std::filesystem::path path = Input().Path();
  quillmere::ChmOpenError error;
  const std::unique_ptr<quillmere::ChmFile> file = quillmere::ChmFile::Open(path, &error);
  if (!file) {
    if (error.kind == quillmere::ChmError::kNone || error.message.empty()) {
      Fail("a help file turned away without a reason");
    }
    return;
  }
  if (error.kind != quillmere::ChmError::kNone) Fail("an opened help file with an error");
  const std::vector<std::string>& objects = file->Objects();
  if (objects.empty() || objects.size() > quillmere::ChmFile::kMaxObjects) {
    Fail("a help file of " + std::to_string(objects.size()) + " objects");
  }
  for (const std::string* named : {&file->ContentsPath(), &file->IndexPath()}) {
    if (!named->empty() && std::find(objects.begin(), objects.end(), *named) == objects.end()) {
      Fail("the contents or index \"" + *named + "\" is not an object of the file");
    }
  }

  std::size_t budget = kReadBudget;
  const auto read = [&](const std::string& name) -> std::optional<std::string> {
    std::optional<std::string> bytes = file->Read(name);
    if (bytes && bytes->size() > quillmere::ChmFile::kMaxObjectBytes) {
      Fail("an object larger than the reader's limit");
    }
    budget -= std::min(budget, bytes ? bytes->size() : std::size_t{0});
    return bytes;
  };

  // As the help window shows the file: contents, then the pages they name.
  if (!file->ContentsPath().empty()) {
    if (const std::optional<std::string> hhc = read(file->ContentsPath())) {
      const std::vector<SitemapEntry> entries =
          quillmere::ParseSitemap(quillmere::DecodeHtml(*hhc));
      CheckSitemap(entries);
      for (const SitemapEntry& e : entries) {
        const std::string page = e.local.substr(0, e.local.find('#'));
        const std::string resolved = file->Resolve(page);
        if (!resolved.empty() &&
            std::find(objects.begin(), objects.end(), resolved) == objects.end()) {
          Fail("a page resolved to \"" + resolved + "\", which is not an object of the file");
        }
      }
    }
  }
  file->Resolve(file->DefaultTopic().substr(0, file->DefaultTopic().find('#')));
  for (const std::string& object : objects) {
    if (budget == 0) break;
    if (const std::optional<std::string> bytes = read(object)) {
      CheckText(quillmere::DecodeHtml(*bytes), "a page");
      CheckText(quillmere::DecodeText(*bytes), "a style sheet");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // A sitemap or page on its own.
  const std::string html = quillmere::DecodeHtml(bytes);
  CheckText(html, "a page");
  CheckText(quillmere::DecodeText(bytes), "a style sheet");
  CheckText(quillmere::Windows1252ToUtf8(bytes), "Windows-1252 text");
  CheckSitemap(quillmere::ParseSitemap(html));

  // A link as a page names it.
  const std::string_view link = bytes.substr(0, 512);
  CheckObjectPath(quillmere::NormaliseObjectPath(link), link);

  ReadHelpFile(data, size);
  return 0;
}
