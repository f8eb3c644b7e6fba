#pragma once
// Text on the cloud maps, drawn with FreeType from a TrueType font file
// (the maps use Liberation Sans). Strings are UTF-8.

#include <filesystem>
#include <memory>
#include <string_view>

#include "image.h"

namespace quillmere::mapgen {

enum class Align { kLeft, kCentre, kRight };

class Typeface {
 public:
  // Throws std::runtime_error when FreeType cannot load the file.
  explicit Typeface(const std::filesystem::path& font_file);
  ~Typeface();
  Typeface(const Typeface&) = delete;
  Typeface& operator=(const Typeface&) = delete;

  // Advance width of `text` at a pixel size (the font's em in pixels).
  int Measure(std::string_view text, int pixel_size) const;

  // Draws `text` on the baseline `baseline_y`; `x` is its left end, centre
  // or right end after `align`. Glyphs are blended with their anti-aliased
  // coverage. Returns the advance width.
  int Draw(Image& image, int x, int baseline_y, std::string_view text, int pixel_size, Rgb colour,
           Align align = Align::kLeft) const;

 private:
  struct Face;
  std::unique_ptr<Face> face_;
};

}  // namespace quillmere::mapgen
