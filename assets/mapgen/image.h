#pragma once
// A plain 8-bit RGB raster and the few drawing operations the cloud maps
// need: filled rectangles, blended pixels and anti-aliased lines.

#include <cstdint>
#include <vector>

#include "state.h"

namespace quillmere::mapgen {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool Contains(int px, int py) const {
    return px >= x && px < x + width && py >= y && py < y + height;
  }
};

class Image {
 public:
  Image(int width, int height, Rgb fill);

  int width() const { return width_; }
  int height() const { return height_; }
  // Rows top to bottom, 3 bytes (R, G, B) per pixel.
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  std::vector<std::uint8_t>& bytes() { return bytes_; }

  Rgb Get(int x, int y) const;
  // Pixels outside the image are ignored.
  void Set(int x, int y, Rgb colour);
  // Mixes `colour` over the pixel with opacity `alpha` (0..1).
  void Blend(int x, int y, Rgb colour, Real alpha);
  void FillRect(const Rect& rect, Rgb colour);
  // One-pixel outline just inside `rect`.
  void StrokeRect(const Rect& rect, Rgb colour);

 private:
  int width_;
  int height_;
  std::vector<std::uint8_t> bytes_;
};

// How much of each pixel a layer of line work covers (0..1). Lines are
// drawn into it first and painted onto the image once, so that where the
// segments of a polyline meet, or two lines cross, a pixel is not darkened
// twice.
class Coverage {
 public:
  explicit Coverage(Rect clip);

  // Raises the pixel's coverage to `amount`; pixels outside the clip
  // rectangle are ignored.
  void Mark(int x, int y, Real amount);
  Real At(int x, int y) const;
  const Rect& clip() const { return clip_; }

  // Mixes `colour` over the image in proportion to the coverage.
  void PaintOnto(Image& image, Rgb colour) const;

 private:
  Rect clip_;
  std::vector<float> amount_;
};

// Anti-aliased line of one pixel width (Xiaolin Wu) between two points in
// pixel coordinates, where integer coordinates are pixel centres.
void DrawLine(Coverage& layer, Real x0, Real y0, Real x1, Real y1);

}  // namespace quillmere::mapgen
