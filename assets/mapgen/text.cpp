#include "text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillmere::mapgen {

struct Typeface::Face {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~Face() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

namespace {

// Code points of a UTF-8 string; a malformed byte stands for itself (the
// map texts are plain ASCII but for the superscript two of kg/m² and the
// degree sign).
std::vector<char32_t> CodePoints(std::string_view text) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t extra = 0;
    char32_t cp = lead;
    if ((lead & 0xE0) == 0xC0) extra = 1, cp = lead & 0x1F;
    if ((lead & 0xF0) == 0xE0) extra = 2, cp = lead & 0x0F;
    if ((lead & 0xF8) == 0xF0) extra = 3, cp = lead & 0x07;
    if (i + extra >= text.size()) extra = 0, cp = lead;
    for (size_t k = 1; k <= extra; ++k) {
      cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    out.push_back(cp);
    i += 1 + extra;
  }
  return out;
}

}  // namespace

Typeface::Typeface(const std::filesystem::path& font_file) : face_(std::make_unique<Face>()) {
  if (FT_Init_FreeType(&face_->library) != 0) {
    throw std::runtime_error("FreeType could not be initialised");
  }
  if (FT_New_Face(face_->library, font_file.c_str(), 0, &face_->face) != 0) {
    throw std::runtime_error(font_file.string() + ": FreeType cannot load this font file");
  }
}

Typeface::~Typeface() = default;

int Typeface::Measure(std::string_view text, int pixel_size) const {
  FT_Face face = face_->face;
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_size));
  FT_Pos pen = 0;  // 26.6 fixed point
  FT_UInt previous = 0;
  for (char32_t cp : CodePoints(text)) {
    const FT_UInt glyph = FT_Get_Char_Index(face, cp);
    if (previous && glyph && FT_HAS_KERNING(face)) {
      FT_Vector kern;
      FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kern);
      pen += kern.x;
    }
    if (FT_Load_Glyph(face, glyph, FT_LOAD_TARGET_LIGHT) == 0) pen += face->glyph->advance.x;
    previous = glyph;
  }
  return static_cast<int>((pen + 32) >> 6);
}

int Typeface::Draw(Image& image, int x, int baseline_y, std::string_view text, int pixel_size,
                   Rgb colour, Align align) const {
  const int width = Measure(text, pixel_size);
  if (align == Align::kCentre) x -= width / 2;
  if (align == Align::kRight) x -= width;

  FT_Face face = face_->face;
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_size));
  FT_Pos pen = static_cast<FT_Pos>(x) << 6;
  FT_UInt previous = 0;
  for (char32_t cp : CodePoints(text)) {
    const FT_UInt glyph = FT_Get_Char_Index(face, cp);
    if (previous && glyph && FT_HAS_KERNING(face)) {
      FT_Vector kern;
      FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kern);
      pen += kern.x;
    }
    previous = glyph;
    if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) continue;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    const int left = static_cast<int>((pen + 32) >> 6) + slot->bitmap_left;
    const int top = baseline_y - slot->bitmap_top;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
      for (unsigned row = 0; row < bitmap.rows; ++row) {
        const unsigned char* line = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
        for (unsigned col = 0; col < bitmap.width; ++col) {
          if (line[col] == 0) continue;
          image.Blend(left + static_cast<int>(col), top + static_cast<int>(row), colour,
                      line[col] / 255.0L);
        }
      }
    }
    pen += slot->advance.x;
  }
  return width;
}

}  // namespace quillmere::mapgen
