#include "serial/posix_device_holders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace vidideza {

namespace {

bool IsProcessId(const std::string& name) {
  return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
}

// Only links into /dev are looked at, so no stat() ever touches a file on a slow mount.
bool LinksToDevice(const std::filesystem::path& link, dev_t device) {
  std::error_code error;
  const std::string target = std::filesystem::read_symlink(link, error).string();
  if (error || target.rfind("/dev/", 0) != 0) {
    return false;
  }
  struct stat st {};
  return ::stat(link.c_str(), &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == device;
}

bool ProcessHoldsDevice(const std::filesystem::path& process, dev_t device) {
  std::error_code error;
  for (std::filesystem::directory_iterator it(process / "fd", error), end; !error && it != end;
       it.increment(error)) {
    if (LinksToDevice(it->path(), device)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool AnotherProcessHoldsDevice(int fd) {
  struct stat own {};
  if (::fstat(fd, &own) != 0 || !S_ISCHR(own.st_mode)) {
    return false;
  }
  const std::string self = std::to_string(::getpid());
  std::error_code error;
  for (std::filesystem::directory_iterator it("/proc", error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (IsProcessId(name) && name != self && ProcessHoldsDevice(it->path(), own.st_rdev)) {
      return true;
    }
  }
  return false;
}

}  // namespace vidideza
