#pragma once
// What a file that is not a regular file is, in the user's words, for the
// messages of the reader and the writer. POSIX only; included by the two
// POSIX files alone.

#include <sys/stat.h>

namespace quillmere {

inline const char* DescribeFileKind(mode_t mode) {
  if (S_ISDIR(mode)) return "is a folder, not a file";
  if (S_ISFIFO(mode)) return "is a FIFO (named pipe), not a file";
  if (S_ISSOCK(mode)) return "is a socket, not a file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a file";
  return "is not a regular file";
}

}  // namespace quillmere
