#pragma once
// JPEG files of the cloud maps through libjpeg's C API. libjpeg's own error
// handler ends the process; here every fault returns to the caller as a
// std::runtime_error with libjpeg's message.

#include <filesystem>

#include "image.h"

namespace quillmere::mapgen {

// Baseline JPEG, quality 1..100, with full-resolution colour (4:4:4): the
// maps' one-pixel coastlines and small text keep their colour edges, which
// the usual halved chroma would smear.
void WriteJpeg(const Image& image, const std::filesystem::path& file, int quality);

// Decodes a JPEG file to RGB. A corrupt or truncated file, which libjpeg
// reports only as a warning and pads with grey, is an error here too.
Image ReadJpeg(const std::filesystem::path& file);

}  // namespace quillmere::mapgen
