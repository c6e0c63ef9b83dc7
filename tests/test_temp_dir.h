#pragma once

#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vidideza {

// A fresh directory that is the current directory for the test's lifetime.
class CurrentTempDir {
 public:
  CurrentTempDir() : previous_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vidideza-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
    std::filesystem::current_path(path_);
  }
  CurrentTempDir(const CurrentTempDir&) = delete;
  CurrentTempDir& operator=(const CurrentTempDir&) = delete;
  ~CurrentTempDir() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// A small tmpfs mounted on a folder (needs root); mounted() is false where that is refused.
class SmallTmpfs {
 public:
  SmallTmpfs(const std::filesystem::path& where, const std::string& options) : where_(where) {
    std::filesystem::create_directories(where_);
    mounted_ = ::mount("tmpfs", where_.c_str(), "tmpfs", 0, options.c_str()) == 0;
  }
  SmallTmpfs(const SmallTmpfs&) = delete;
  SmallTmpfs& operator=(const SmallTmpfs&) = delete;
  ~SmallTmpfs() {
    if (mounted_) {
      ::umount2(where_.c_str(), MNT_DETACH);
    }
  }
  bool mounted() const { return mounted_; }
  void RemountReadOnly() const {
    ::mount("tmpfs", where_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr);
  }

 private:
  std::filesystem::path where_;
  bool mounted_ = false;
};

inline std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFileText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace vidideza
