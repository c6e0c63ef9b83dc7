#pragma once

#include <sys/mount.h>

#include <filesystem>
#include <string>

namespace vidideza {

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

}  // namespace vidideza
