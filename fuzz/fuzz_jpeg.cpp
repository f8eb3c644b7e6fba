// Fuzz target: any bytes as a cloud map, decoded as the viewer decodes the
// JPEG file it reads. The decoder must come back with a picture or a message,
// never crash, leak or take more memory than its pixel limit implies (run
// with -rss_limit_mb; -malloc_limit_mb defaults to the same).
//
// Beside the sanitizers' faults it stops on an answer that does not hold
// together: a picture whose buffer is not width x height x 3, a picture
// together with an error, or a failure without a message.

#include <cstdint>
#include <cstdio>
#include <string>

#include "jpeg_file.h"

namespace {

[[noreturn]] void Fail(const char* what, const quillmere::DecodedJpeg& out) {
  std::fprintf(stderr, "fuzz_jpeg: %s (ok %d, %d x %d, %zu bytes, error \"%s\")\n", what,
               out.ok ? 1 : 0, out.width, out.height, out.rgb.size(), out.error.c_str());
  std::fflush(stderr);
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const quillmere::DecodedJpeg out = quillmere::DecodeJpeg(data, size, "fuzz.jpg");
  if (out.ok) {
    if (out.width <= 0 || out.height <= 0) Fail("a picture without pixels", out);
    if (out.rgb.size() != static_cast<std::size_t>(out.width) * out.height * 3) {
      Fail("the pixel buffer does not match the size", out);
    }
    if (!out.error.empty()) Fail("a picture with an error", out);
  } else {
    if (out.error.empty()) Fail("a failure without a message", out);
    if (!out.rgb.empty() || out.width != 0 || out.height != 0) {
      Fail("a failure that still hands out pixels", out);
    }
  }
  return 0;
}
