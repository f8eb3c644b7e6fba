#pragma once
// A scratch folder for tests of files, and a scope that runs as an ordinary
// user so that file permissions mean something when the tests run as root.

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <system_error>

namespace quillmere::testing {

// A fresh folder, open to every user, removed with its content afterwards.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string name =
        (std::filesystem::temp_directory_path() / "quillmere-storage-XXXXXX").string();
    if (::mkdtemp(name.data()) == nullptr) throw std::system_error(errno, std::system_category());
    path_ = name;
    std::filesystem::permissions(path_, std::filesystem::perms::all);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

 private:
  std::filesystem::path path_;
};

// Runs the scope as an ordinary user, so that file permissions apply even
// when the tests run as root (who may write into a read-only folder).
class AsOrdinaryUser {
 public:
  AsOrdinaryUser() {
    if (::geteuid() == 0) {
      switched_ = ::seteuid(65534) == 0;  // nobody
      failed_ = !switched_;
    }
  }
  AsOrdinaryUser(const AsOrdinaryUser&) = delete;
  AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;
  ~AsOrdinaryUser() {
    if (switched_) (void)::seteuid(0);
  }
  bool failed() const { return failed_; }

 private:
  bool switched_ = false;
  bool failed_ = false;
};

inline std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

}  // namespace quillmere::testing
