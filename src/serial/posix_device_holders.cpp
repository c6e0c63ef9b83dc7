#include "serial/posix_device_holders.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <string>
#include <system_error>

#include "serial/posix_kernel_file.h"

namespace vidideza {

namespace {

bool IsProcessId(const std::string& name) {
  return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
}

constexpr unsigned kFirstPtySlaveMajor = 136;
constexpr unsigned kLastPtySlaveMajor = 143;
constexpr unsigned kMinorsPerMajor = 256;

bool IsPtySlave(const struct stat& st) {
  const unsigned kind = major(st.st_rdev);
  return S_ISCHR(st.st_mode) && kind >= kFirstPtySlaveMajor && kind <= kLastPtySlaveMajor;
}

// Only links into /dev are looked at, so no stat() ever touches a file on a slow mount.
bool LinksToDevice(const std::filesystem::path& link, const std::string& target,
                   const struct stat& device) {
  struct stat st {};
  return target.rfind("/dev/", 0) == 0 && ::stat(link.c_str(), &st) == 0 &&
         IsSameCharacterDevice(st, device);
}

// The pseudo-terminal whose master side an open file is ("/dev/ptmx" or "/dev/pts/ptmx"), as
// the process's fdinfo tells it.
std::optional<unsigned> MasterIndexOf(const std::filesystem::path& process,
                                      const std::filesystem::path& link,
                                      const std::string& target) {
  if (target != "/dev/ptmx" && !target.ends_with("/pts/ptmx")) {
    return std::nullopt;
  }
  // A descriptor closed while it is looked at has no master side to tell.
  const std::optional<std::string> text = ReadKernelFile(process / "fdinfo" / link.filename());
  return text ? PtyIndexInFdInfo(*text) : std::nullopt;
}

// A process holds the device as a second user of the line, or as the provider of a
// pseudo-terminal: one that holds its master side too (socat's virtual null-modem, a bridge to
// a network serial server) feeds the line rather than reading from it.
bool ProcessHoldsDevice(const std::filesystem::path& process, const struct stat& device) {
  const bool pty = IsPtySlave(device);
  const unsigned ownIndex = pty ? PtySlaveIndex(device.st_rdev) : 0;
  bool holdsSlave = false;
  std::error_code error;
  for (std::filesystem::directory_iterator it(process / "fd", error), end; !error && it != end;
       it.increment(error)) {
    std::error_code unreadable;
    const std::string target = std::filesystem::read_symlink(it->path(), unreadable).string();
    if (unreadable) {
      continue;
    }
    if (pty && MasterIndexOf(process, it->path(), target) == ownIndex) {
      return false;
    }
    if (!holdsSlave && LinksToDevice(it->path(), target, device)) {
      holdsSlave = true;
      if (!pty) {
        return true;
      }
    }
  }
  return holdsSlave;
}

}  // namespace

bool IsSameCharacterDevice(const struct stat& a, const struct stat& b) {
  if (!S_ISCHR(a.st_mode) || !S_ISCHR(b.st_mode) || a.st_rdev != b.st_rdev) {
    return false;
  }
  // Each devpts instance (a container's, a test's private /dev) numbers its pseudo-terminals
  // from 0: their numbers name the same terminal only within one instance.
  return !IsPtySlave(a) || a.st_dev == b.st_dev;
}

unsigned PtySlaveIndex(dev_t device) {
  return (major(device) - kFirstPtySlaveMajor) * kMinorsPerMajor + minor(device);
}

std::optional<unsigned> PtyIndexInFdInfo(std::string_view fdinfo) {
  constexpr std::string_view kKey = "tty-index:";
  for (std::size_t at = 0; at < fdinfo.size();) {
    const std::size_t end = std::min(fdinfo.find('\n', at), fdinfo.size());
    std::string_view line = fdinfo.substr(at, end - at);
    at = end + 1;
    if (!line.starts_with(kKey)) {
      continue;
    }
    line.remove_prefix(kKey.size());
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    unsigned index = 0;
    const auto [stop, failure] = std::from_chars(line.data(), line.data() + line.size(), index);
    if (failure != std::errc() || stop != line.data() + line.size()) {
      return std::nullopt;
    }
    return index;
  }
  return std::nullopt;
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
