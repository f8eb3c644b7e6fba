// The program's icon as pixels, rendered from its SVG when the program is
// built (program_icon_render.cpp), so that showing the first window needs
// no SVG renderer and no image decoder.
#pragma once

namespace quillmere {

// One square image, its rows of RGBA bytes (premultiplied alpha) in order.
struct IconPixels {
  int size;
  const unsigned char* rgba;
};

extern const IconPixels kProgramIconPixels[];
extern const int kProgramIconPixelsCount;

}  // namespace quillmere
