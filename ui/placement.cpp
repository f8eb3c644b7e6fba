#include "placement.h"

#include <unistd.h>

#include <QGuiApplication>
#include <QScreen>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace quillmere {
namespace {

// The largest coordinate or size taken from the file: as large as Qt lets a
// window be (QWIDGETSIZE_MAX). QRect keeps its edges as int, and its own
// arithmetic (the right edge, an intersection) adds to them and subtracts
// from them, so values near the int limits overflow, and a rectangle far off
// every screen can then seem to cover one.
constexpr int kFarthest = (1 << 24) - 1;

// A placement must show at least a grip of the window on some screen;
// otherwise (a monitor since removed, a hand-edited file) the window would
// open out of reach.
bool Reachable(const QRect& r) {
  if (r.width() < 100 || r.height() < 50) return false;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect visible = screen->availableGeometry().intersected(r);
    if (visible.width() >= 100 && visible.height() >= 50) return true;
  }
  return false;
}

bool Within(std::int64_t value) {
  return value >= -kFarthest && value <= kFarthest;
}

// The placement file is a few lines long; more is not read.
constexpr std::streamsize kLargestFile = 64 * 1024;

std::string_view Trimmed(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

// The whole number of `key` in section [Position] of the INI text.
std::optional<std::int64_t> Value(std::string_view text, std::string_view key) {
  bool in_position = false;
  while (!text.empty()) {
    const auto end = text.find('\n');
    const std::string_view line = Trimmed(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (line.starts_with('[')) {
      in_position = line == "[Position]";
      continue;
    }
    const auto eq = line.find('=');
    if (!in_position || eq == std::string_view::npos || Trimmed(line.substr(0, eq)) != key) {
      continue;
    }
    const std::string_view digits = Trimmed(line.substr(eq + 1));
    std::int64_t value = 0;
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc{} || ptr != digits.data() + digits.size()) return std::nullopt;
    return value;
  }
  return std::nullopt;
}

}  // namespace

QRect ReadPlacement(const std::filesystem::path& ini_path) {
  // Only a regular file of a plausible size is read: a FIFO would block the
  // window in open(), and a huge file is no placement.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(ini_path, ec)) return kDefaultPlacement;
  if (std::filesystem::file_size(ini_path, ec) > static_cast<std::uintmax_t>(kLargestFile)) {
    return kDefaultPlacement;
  }
  std::string text;
  if (std::ifstream in{ini_path, std::ios::binary}) {
    text.resize(kLargestFile);
    in.read(text.data(), kLargestFile);
    text.resize(static_cast<std::size_t>(in.gcount()));
  }
  const auto read = [&](std::string_view key, int fallback) -> std::int64_t {
    return Value(text, key).value_or(fallback);
  };
  const std::int64_t left = read("Left", kDefaultPlacement.left());
  const std::int64_t top = read("Top", kDefaultPlacement.top());
  const std::int64_t width = read("Width", kDefaultPlacement.width());
  const std::int64_t height = read("Height", kDefaultPlacement.height());
  if (!Within(left) || !Within(top) || !Within(width) || !Within(height)) {
    return kDefaultPlacement;
  }
  const QRect r(static_cast<int>(left), static_cast<int>(top), static_cast<int>(width),
                static_cast<int>(height));
  return Reachable(r) ? r : kDefaultPlacement;
}

bool WritePlacement(const std::filesystem::path& ini_path, const QRect& outer) {
  const std::string text = "[Position]\nLeft=" + std::to_string(outer.left()) +
                           "\nTop=" + std::to_string(outer.top()) +
                           "\nWidth=" + std::to_string(outer.width()) +
                           "\nHeight=" + std::to_string(outer.height()) + "\n";
  // A link is followed, so that the file it names gets the placement and
  // the link stays; a device, FIFO or folder in the file's place is never
  // written over.
  std::error_code ec;
  std::filesystem::path target = ini_path;
  if (std::filesystem::is_symlink(ini_path, ec)) {
    target = std::filesystem::weakly_canonical(ini_path, ec);
    if (ec) return false;
  }
  const std::filesystem::file_status status = std::filesystem::status(target, ec);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) return false;
  std::filesystem::path temporary = target;
  temporary += ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out{temporary, std::ios::binary | std::ios::trunc};
    out << text;
    out.close();
    if (!out) {
      std::filesystem::remove(temporary, ec);
      return false;
    }
  }
  std::filesystem::rename(temporary, target, ec);
  if (!ec) return true;
  std::error_code ignored;
  std::filesystem::remove(temporary, ignored);
  return false;
}

}  // namespace quillmere
