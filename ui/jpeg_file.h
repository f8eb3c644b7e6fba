#pragma once
// Reading a cloud map: a JPEG file decoded to 8-bit RGB through libjpeg,
// whose errors come back as a message instead of ending the program.

#include <cstdint>
#include <string>
#include <vector>

namespace quillmere {

struct DecodedJpeg {
  bool ok = false;
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3, row by row
  std::string error;              // why not, when !ok
};

// Decodes the file at `path` (UTF-8). A file that cannot be opened gives
// "Cannot open file "<path>". <reason>" (the system's reason, or what the
// file is when it is not a regular file or is larger than a map may be,
// 32 MiB: neither is read); a file that is not a JPEG,
// is corrupt or is cut short (where libjpeg would only warn and fill the
// rest grey) gives a message naming the file and what is wrong, and no
// picture.
DecodedJpeg ReadJpegFile(const std::string& path);

// As ReadJpegFile, from bytes in memory (`name` only for the messages).
DecodedJpeg DecodeJpeg(const std::uint8_t* data, std::size_t size, const std::string& name);

}  // namespace quillmere
