#include "text_file.h"

#include <cstdio>
#include <vector>

namespace quillmere {
namespace {

// "\0QUILLMERE-SAVE <length, 16 hex> <FNV-1a 64 of the text, 16 hex>\n".
constexpr std::string_view kTag{"\0QUILLMERE-SAVE ", 16};
constexpr std::size_t kTrailerBytes = kTag.size() + 16 + 1 + 16 + 1;

std::uint64_t Fnv1a(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

std::string Trailer(std::uint64_t length, std::uint64_t hash) {
  char text[40];
  std::snprintf(text, sizeof text, "%016llx %016llx\n", static_cast<unsigned long long>(length),
                static_cast<unsigned long long>(hash));
  return std::string(kTag) + text;
}

// A whole file may hold the old text and the new one; two reads of room for
// the new one's growth and its trailer.
constexpr int kReadAttempts = 8;

FileReadResult TooLarge(std::uint64_t size, std::uint64_t max_bytes) {
  return {FileReadResult::Status::kTooLarge,
          "is " + std::to_string(size) + " bytes, more than the " + std::to_string(max_bytes) +
              " such a file may have"};
}

}  // namespace

std::string PendingTextBlock(std::string_view text) {
  std::string block(1, '\0');
  block += text;
  block += Trailer(text.size(), Fnv1a(text));
  return block;
}

std::optional<std::string_view> PendingText(std::string_view bytes) {
  if (bytes.size() < kTrailerBytes + 1) return std::nullopt;
  const std::string_view trailer = bytes.substr(bytes.size() - kTrailerBytes);
  if (trailer.substr(0, kTag.size()) != kTag) return std::nullopt;
  unsigned long long length = 0, hash = 0;
  const std::string digits(trailer.substr(kTag.size()));
  if (std::sscanf(digits.c_str(), "%16llx %16llx", &length, &hash) != 2) return std::nullopt;
  if (length > bytes.size() - kTrailerBytes - 1) return std::nullopt;
  const std::size_t start = bytes.size() - kTrailerBytes - static_cast<std::size_t>(length);
  const std::string_view text = bytes.substr(start, static_cast<std::size_t>(length));
  // The check is over the whole block: its NUL, its text and its trailer.
  if (bytes[start - 1] != '\0' || trailer != Trailer(length, hash) || Fnv1a(text) != hash)
    return std::nullopt;
  return text;
}

std::string_view SavedText(std::string_view bytes) {
  if (const auto pending = PendingText(bytes)) return *pending;
  return bytes.substr(0, bytes.find('\0'));
}

FileReadResult ReadTextFile(const std::filesystem::path& path, std::uint64_t max_bytes,
                            std::string& contents, bool* cut_at_nul) {
  contents.clear();
  if (cut_at_nul != nullptr) *cut_at_nul = false;
  // During a save the file holds the old text, the new one and a trailer.
  const std::uint64_t room = 2 * max_bytes + kTrailerBytes + 1;
  FileReadResult failure;
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    RegularFile file;
    failure = RegularFile::Open(path, room, file);
    if (failure.status == FileReadResult::Status::kTooLarge) {
      return {failure.status,
              "is more than the " + std::to_string(max_bytes) + " bytes such a file may have"};
    }
    if (!failure.ok()) return failure;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(room) + 1);
    std::size_t got = 0;
    failure = file.ReadWholeOnce(bytes.size(), bytes.data(), got);
    if (!failure.ok()) continue;
    const std::string_view whole(reinterpret_cast<const char*>(bytes.data()), got);
    const std::string_view text = SavedText(whole);
    if (cut_at_nul != nullptr) *cut_at_nul = !PendingText(whole) && text.size() < got;
    if (text.size() > max_bytes) return TooLarge(text.size(), max_bytes);
    contents.assign(text);
    return {};
  }
  return failure;
}

}  // namespace quillmere
