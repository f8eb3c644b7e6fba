#include "jpeg_file.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace quillmere::mapgen {
namespace {

// libjpeg calls error_exit on a fatal error and must not return to it; the
// handler jumps back to the setjmp in the function that started the work.
// Those functions hold no C++ objects with destructors between setjmp and
// the jump, so the jump skips nothing.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool warned;
};

void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings (level -1) are corrupt-data notices: keep the first one instead
// of printing it. Trace messages (level >= 0) are dropped.
void EmitMessage(j_common_ptr cinfo, int level) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  if (level < 0 && !err->warned) {
    (*cinfo->err->format_message)(cinfo, err->message);
    err->warned = true;
  }
}

void InitErrors(ErrorManager& err) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.emit_message = EmitMessage;
  err.message[0] = '\0';
  err.warned = false;
}

// Returns false with err.message set on failure.
bool Compress(const Image& image, std::FILE* out, int quality, ErrorManager& err) {
  jpeg_compress_struct cinfo;
  InitErrors(err);
  cinfo.err = &err.pub;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, out);
  cinfo.image_width = static_cast<JDIMENSION>(image.width());
  cinfo.image_height = static_cast<JDIMENSION>(image.height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  for (int c = 0; c < cinfo.num_components; ++c) {
    cinfo.comp_info[c].h_samp_factor = 1;
    cinfo.comp_info[c].v_samp_factor = 1;
  }
  cinfo.optimize_coding = TRUE;
  jpeg_start_compress(&cinfo, TRUE);
  const size_t stride = static_cast<size_t>(image.width()) * 3;
  while (cinfo.next_scanline < cinfo.image_height) {
    // libjpeg takes non-const rows but only reads them.
    JSAMPROW row = const_cast<JSAMPROW>(image.bytes().data() + cinfo.next_scanline * stride);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

// Where the decoder puts the picture: `allocate` is called once the size is
// known and returns room for width x height RGB pixels.
struct DecodeTarget {
  int width = 0;
  int height = 0;
  unsigned char* (*allocate)(void* context, int width, int height) = nullptr;
  void* context = nullptr;
};

// Returns false with err.message set on failure.
bool Decompress(std::FILE* in, DecodeTarget& target, ErrorManager& err) {
  jpeg_decompress_struct cinfo;
  InitErrors(err);
  cinfo.err = &err.pub;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, in);
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  target.width = static_cast<int>(cinfo.output_width);
  target.height = static_cast<int>(cinfo.output_height);
  unsigned char* pixels = target.allocate(target.context, target.width, target.height);
  const size_t stride = static_cast<size_t>(target.width) * 3;
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = pixels + cinfo.output_scanline * stride;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

struct FileCloser {
  std::FILE* file;
  ~FileCloser() {
    if (file) std::fclose(file);
  }
};

}  // namespace

void WriteJpeg(const Image& image, const std::filesystem::path& file, int quality) {
  FileCloser out{std::fopen(file.c_str(), "wb")};
  if (!out.file) {
    throw std::runtime_error(file.string() + ": cannot create: " + std::strerror(errno));
  }
  ErrorManager err;
  if (!Compress(image, out.file, quality, err)) {
    throw std::runtime_error(file.string() + ": JPEG encoding failed: " + err.message);
  }
  const bool flushed = std::fflush(out.file) == 0 && !std::ferror(out.file);
  const int closed = std::fclose(out.file);
  out.file = nullptr;
  if (!flushed || closed != 0) {
    throw std::runtime_error(file.string() + ": write error: " + std::strerror(errno));
  }
}

Image ReadJpeg(const std::filesystem::path& file) {
  FileCloser in{std::fopen(file.c_str(), "rb")};
  if (!in.file) {
    throw std::runtime_error(file.string() + ": cannot open: " + std::strerror(errno));
  }
  Image image(1, 1, Rgb{});
  DecodeTarget target;
  target.context = &image;
  target.allocate = [](void* context, int width, int height) {
    auto* img = static_cast<Image*>(context);
    *img = Image(width, height, Rgb{});
    return img->bytes().data();
  };
  ErrorManager err;
  if (!Decompress(in.file, target, err)) {
    throw std::runtime_error(file.string() + ": not a readable JPEG: " + err.message);
  }
  if (err.warned) {
    throw std::runtime_error(file.string() + ": corrupt JPEG data: " + err.message);
  }
  return image;
}

}  // namespace quillmere::mapgen
