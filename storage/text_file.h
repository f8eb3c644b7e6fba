#pragma once
// The text files the program keeps (the stations, the window placement, an
// exported table), read so that a save under way is never seen half done.
//
// A text file with several hard links cannot be replaced by a new file (its
// other names would keep the old one), so the writer updates it where it is
// (safe_write.h), the way a hard-linked data file takes its new record after
// the old one before the old one goes. The new text first goes after the
// old, behind a NUL byte (which no text of ours holds) and followed by a
// trailer with its length and checksum; then it is written at the front,
// and the file is cut to it. A reader that finds a whole trailer at the end
// takes the text it vouches for; otherwise it takes the text before the
// first NUL byte, which is the old text while the new one is still being
// added. So at every moment, and after the save is killed at any point, a
// reader sees the old text or the new one whole.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "regular_file.h"

namespace quillmere {

// What the writer adds after the old text: a NUL byte, `text` and its
// trailer. `text` holds no NUL byte.
std::string PendingTextBlock(std::string_view text);

// The new text of a save that added its pending block whole, when `bytes`
// (a whole file) ends in one; nothing otherwise.
std::optional<std::string_view> PendingText(std::string_view bytes);

// The text a reader takes from the bytes of a whole file: the pending text
// when there is one, else the bytes before the first NUL byte.
std::string_view SavedText(std::string_view bytes);

// Reads the text file at path through the bounded reader (regular_file.h)
// in one read, again when its size changed meanwhile, and gives SavedText
// of it when that is at most max_bytes long. `cut_at_nul`, when given, says
// whether the text was cut at a NUL byte that no whole pending text
// vouches for: a save killed while it added its text, or a file someone
// else wrote with a NUL in it, whose rest a rewrite would lose.
FileReadResult ReadTextFile(const std::filesystem::path& path, std::uint64_t max_bytes,
                            std::string& contents, bool* cut_at_nul = nullptr);

}  // namespace quillmere
