#include "jpeg_file.h"

#include <csetjmp>
#include <cstdio>

#include "regular_file.h"

// libjpeg's header needs size_t and FILE declared first.
#include <jpeglib.h>

namespace quillmere {
namespace {

// The largest picture we agree to decode: far beyond any map, small enough
// that a forged header cannot make us allocate gigabytes.
constexpr long kMaxPixels = 16L * 1024 * 1024;

// The most scans we read. Encoders write one, or about ten for a progressive
// picture; libjpeg-turbo puts the limit for untrusted files at 500. Each scan
// passes over the whole picture, so a file of thousands of tiny scans would
// otherwise keep the viewer busy for minutes.
constexpr int kMaxScans = 500;

struct ErrorManager {
  jpeg_error_mgr base;
  jpeg_progress_mgr progress;
  std::jmp_buf escape;
  std::string first_warning;
  std::string refusal;  // why we stopped libjpeg ourselves, if we did
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
  auto* mgr = reinterpret_cast<ErrorManager*>(cinfo->err);
  std::longjmp(mgr->escape, 1);
}

// Called by libjpeg as it works through the file.
void OnProgress(j_common_ptr cinfo) {
  auto* mgr = reinterpret_cast<ErrorManager*>(cinfo->err);
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
    mgr->refusal = "it has more than " + std::to_string(kMaxScans) + " scans";
    std::longjmp(mgr->escape, 1);
  }
}

// A corrupt-data warning (msg_level -1) means libjpeg carries on with made-up
// pixels; we remember the first and refuse the picture at the end.
void OnMessage(j_common_ptr cinfo, int msg_level) {
  auto* mgr = reinterpret_cast<ErrorManager*>(cinfo->err);
  if (msg_level < 0 && mgr->first_warning.empty()) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    mgr->first_warning = text;
  }
}

std::string Describe(j_common_ptr cinfo) {
  char text[JMSG_LENGTH_MAX];
  (*cinfo->err->format_message)(cinfo, text);
  return text;
}

std::string NotShowable(const std::string& name, JDIMENSION width, JDIMENSION height) {
  return "The map \"" + name + "\" is not a picture this viewer can show (" +
         std::to_string(width) + " x " + std::to_string(height) + ").";
}

}  // namespace

DecodedJpeg DecodeJpeg(const std::uint8_t* data, std::size_t size, const std::string& name) {
  DecodedJpeg out;
  jpeg_decompress_struct cinfo{};
  ErrorManager mgr{};
  cinfo.err = jpeg_std_error(&mgr.base);
  mgr.base.error_exit = OnError;
  mgr.base.emit_message = OnMessage;
  // Everything that must survive the longjmp lives outside this frame's
  // automatic variables that change after setjmp.
  std::vector<std::uint8_t>* rgb = &out.rgb;
  if (setjmp(mgr.escape)) {
    const std::string reason =
        mgr.refusal.empty() ? Describe(reinterpret_cast<j_common_ptr>(&cinfo)) : mgr.refusal;
    out.error = "The map \"" + name + "\" cannot be read: " + reason + ".";
    jpeg_destroy_decompress(&cinfo);
    rgb->clear();
    out.ok = false;
    return out;
  }
  jpeg_create_decompress(&cinfo);
  // Only now: creating the decompressor clears every field but the error manager.
  mgr.progress.progress_monitor = OnProgress;
  cinfo.progress = &mgr.progress;
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  // Judge the size the header claims before libjpeg starts: for a picture in
  // several scans (progressive, or one scan per colour) jpeg_start_decompress
  // already allocates the coefficients of the whole picture and reads every
  // scan into them.
  const long pixels = static_cast<long>(cinfo.image_width) * cinfo.image_height;
  if (pixels <= 0 || pixels > kMaxPixels) {
    out.error = NotShowable(name, cinfo.image_width, cinfo.image_height);
    jpeg_destroy_decompress(&cinfo);
    return out;
  }
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_components != 3) {
    out.error = NotShowable(name, cinfo.output_width, cinfo.output_height);
    jpeg_destroy_decompress(&cinfo);
    return out;
  }
  const std::size_t stride = static_cast<std::size_t>(cinfo.output_width) * 3;
  rgb->resize(stride * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = rgb->data() + stride * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  out.width = static_cast<int>(cinfo.output_width);
  out.height = static_cast<int>(cinfo.output_height);
  jpeg_destroy_decompress(&cinfo);
  if (!mgr.first_warning.empty()) {
    out.rgb.clear();
    out.width = out.height = 0;
    out.error = "The map \"" + name + "\" is damaged or cut short: " + mgr.first_warning + ".";
    return out;
  }
  out.ok = true;
  return out;
}

DecodedJpeg ReadJpegFile(const std::string& path) {
  // Bounded and without blocking: a FIFO named like a map, or a huge file,
  // is refused before a byte is read.
  std::string bytes;
  const FileReadResult read = ReadRegularFile(path, kMaxMapFileBytes, bytes);
  if (!read.ok()) {
    const bool describes = read.status == FileReadResult::Status::kNotRegular ||
                           read.status == FileReadResult::Status::kTooLarge;
    DecodedJpeg out;
    out.error = "Cannot open file \"" + path + "\". " + (describes ? "It " : "") + read.reason;
    if (describes) out.error += '.';
    return out;
  }
  return DecodeJpeg(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), path);
}

}  // namespace quillmere
