#include "image.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace quillmere::mapgen {

Image::Image(int width, int height, Rgb fill)
    : width_(width), height_(height), bytes_(static_cast<size_t>(width) * height * 3) {
  FillRect({0, 0, width, height}, fill);
}

Rgb Image::Get(int x, int y) const {
  const size_t i = (static_cast<size_t>(y) * width_ + x) * 3;
  return {bytes_[i], bytes_[i + 1], bytes_[i + 2]};
}

void Image::Set(int x, int y, Rgb colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  const size_t i = (static_cast<size_t>(y) * width_ + x) * 3;
  bytes_[i] = colour.r;
  bytes_[i + 1] = colour.g;
  bytes_[i + 2] = colour.b;
}

void Image::Blend(int x, int y, Rgb colour, Real alpha) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  alpha = std::clamp(alpha, 0.0L, 1.0L);
  const size_t i = (static_cast<size_t>(y) * width_ + x) * 3;
  const std::uint8_t src[3] = {colour.r, colour.g, colour.b};
  for (int c = 0; c < 3; ++c) {
    const Real mixed = bytes_[i + c] + alpha * (src[c] - bytes_[i + c]);
    bytes_[i + c] = static_cast<std::uint8_t>(std::lround(mixed));
  }
}

void Image::FillRect(const Rect& rect, Rgb colour) {
  for (int y = std::max(rect.y, 0); y < std::min(rect.y + rect.height, height_); ++y) {
    for (int x = std::max(rect.x, 0); x < std::min(rect.x + rect.width, width_); ++x) {
      Set(x, y, colour);
    }
  }
}

void Image::StrokeRect(const Rect& rect, Rgb colour) {
  FillRect({rect.x, rect.y, rect.width, 1}, colour);
  FillRect({rect.x, rect.y + rect.height - 1, rect.width, 1}, colour);
  FillRect({rect.x, rect.y, 1, rect.height}, colour);
  FillRect({rect.x + rect.width - 1, rect.y, 1, rect.height}, colour);
}

Coverage::Coverage(Rect clip)
    : clip_(clip), amount_(static_cast<size_t>(clip.width) * clip.height, 0.0f) {}

void Coverage::Mark(int x, int y, Real amount) {
  if (!clip_.Contains(x, y)) return;
  float& a = amount_[static_cast<size_t>(y - clip_.y) * clip_.width + (x - clip_.x)];
  a = std::max(a, static_cast<float>(std::clamp(amount, 0.0L, 1.0L)));
}

Real Coverage::At(int x, int y) const {
  if (!clip_.Contains(x, y)) return 0;
  return amount_[static_cast<size_t>(y - clip_.y) * clip_.width + (x - clip_.x)];
}

void Coverage::PaintOnto(Image& image, Rgb colour) const {
  for (int y = clip_.y; y < clip_.y + clip_.height; ++y) {
    for (int x = clip_.x; x < clip_.x + clip_.width; ++x) {
      const Real a = At(x, y);
      if (a > 0) image.Blend(x, y, colour, a);
    }
  }
}

void DrawLine(Coverage& layer, Real x0, Real y0, Real x1, Real y1) {
  // Xiaolin Wu's algorithm: step along the major axis one pixel at a time
  // and share each step's coverage between the two pixels that straddle the
  // line on the minor axis.
  const bool steep = std::fabs(y1 - y0) > std::fabs(x1 - x0);
  if (steep) {
    std::swap(x0, y0);
    std::swap(x1, y1);
  }
  if (x0 > x1) {
    std::swap(x0, x1);
    std::swap(y0, y1);
  }
  auto plot = [&](long major, long minor, Real coverage) {
    const int x = static_cast<int>(steep ? minor : major);
    const int y = static_cast<int>(steep ? major : minor);
    layer.Mark(x, y, coverage);
  };

  const Real dx = x1 - x0;
  const Real gradient = dx == 0 ? 0 : (y1 - y0) / dx;
  // End points count as whole pixels: the segments of a polyline share
  // them, and the coverage layer keeps the larger amount, not the sum.
  const long first = std::lround(x0);
  const long last = std::lround(x1);
  for (long major = first; major <= last; ++major) {
    const Real y = y0 + gradient * (major - x0);
    const long minor = static_cast<long>(std::floor(y));
    const Real f = y - minor;
    plot(major, minor, 1 - f);
    plot(major, minor + 1, f);
  }
}

}  // namespace quillmere::mapgen
