#include "serial/posix_device_holders.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
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
bool LinksToDevice(const std::filesystem::path& link, const struct stat& device) {
  std::error_code error;
  const std::string target = std::filesystem::read_symlink(link, error).string();
  if (error || target.rfind("/dev/", 0) != 0) {
    return false;
  }
  struct stat st {};
  return ::stat(link.c_str(), &st) == 0 && IsSameCharacterDevice(st, device);
}

bool ProcessHoldsDevice(const std::filesystem::path& process, const struct stat& device) {
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

bool IsSameCharacterDevice(const struct stat& a, const struct stat& b) {
  if (!S_ISCHR(a.st_mode) || !S_ISCHR(b.st_mode) || a.st_rdev != b.st_rdev) {
    return false;
  }
  // Each devpts instance (a container's, a test's private /dev) numbers its pseudo-terminals
  // from 0: their numbers name the same terminal only within one instance.
  constexpr unsigned kFirstPtySlaveMajor = 136;
  constexpr unsigned kLastPtySlaveMajor = 143;
  const unsigned kind = major(a.st_rdev);
  const bool ptySlave = kind >= kFirstPtySlaveMajor && kind <= kLastPtySlaveMajor;
  return !ptySlave || a.st_dev == b.st_dev;
}

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
    if (IsProcessId(name) && name != self && ProcessHoldsDevice(it->path(), own)) {
      return true;
    }
  }
  return false;
}

}  // namespace vidideza
