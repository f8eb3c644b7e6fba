#include "placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cstdint>

#include "placement_file.h"

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

}  // namespace

QRect ReadPlacement(const std::filesystem::path& ini_path) {
  const PlacementKeys keys = ReadPlacementFile(ini_path).keys;
  const std::int64_t left = keys.left.value_or(kDefaultPlacement.left());
  const std::int64_t top = keys.top.value_or(kDefaultPlacement.top());
  const std::int64_t width = keys.width.value_or(kDefaultPlacement.width());
  const std::int64_t height = keys.height.value_or(kDefaultPlacement.height());
  if (!Within(left) || !Within(top) || !Within(width) || !Within(height)) {
    return kDefaultPlacement;
  }
  const QRect r(static_cast<int>(left), static_cast<int>(top), static_cast<int>(width),
                static_cast<int>(height));
  return Reachable(r) ? r : kDefaultPlacement;
}

QRect FitInto(const QRect& outer, const QRect& available) {
  if (available.isEmpty()) return outer;
  const int width = std::min(outer.width(), available.width());
  const int height = std::min(outer.height(), available.height());
  // After shrinking, the window fits, so these clamps have a valid range.
  const int left =
      std::clamp(outer.left(), available.left(), available.left() + available.width() - width);
  const int top =
      std::clamp(outer.top(), available.top(), available.top() + available.height() - height);
  return QRect(left, top, width, height);
}

QRect AvailableAreaFor(const QRect& outer) {
  const QScreen* best = QGuiApplication::primaryScreen();
  long long most = 0;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect shown = screen->geometry().intersected(outer);
    const long long area = (long long)shown.width() * shown.height();
    if (area > most) {
      most = area;
      best = screen;
    }
  }
  return best ? best->availableGeometry() : QRect();
}

std::optional<QMargins> KnownFrame(const QWindow* window) {
  if (window == nullptr) return std::nullopt;
  const QMargins m = window->frameMargins();
  if (m.isNull() || m.left() < 0 || m.top() < 0 || m.right() < 0 || m.bottom() < 0) {
    return std::nullopt;
  }
  return m;
}

}  // namespace quillmere
