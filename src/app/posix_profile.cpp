// Settings file access on POSIX systems. A write replaces the file through a temporary file
// and a rename, so a crash or a full disk never leaves a cut settings file behind; a link is
// followed to the file it leads to, and the file keeps its owner, group and mode.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <optional>
#include <vector>

#include "app/ini_text.h"
#include "app/posix_link_owner.h"
#include "app/posix_write_protection.h"
#include "app/profile.h"
#include "base/posix_fd.h"

namespace vidideza {

namespace {

// Only a regular file holds settings. A FIFO, a device or a folder of that name reads as
// empty and is never written; the open does not wait on a FIFO nor take a terminal.
constexpr int kOpenNeverWaiting = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

bool IsRegularFile(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

// The file a path leads to: a settings file that is a symbolic link (into a shared folder, a
// version-controlled set) is written where it points, and the link stays. Only links of this
// user's or root's are followed; nothing when the way leads through another user's.
std::optional<std::string> FileBehind(std::string path) {
  constexpr int kMostLinks = 40;  // as the system allows
  for (int hop = 0; hop < kMostLinks; ++hop) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      return path;
    }
    if (!MayFollowLink(st)) {
      return std::nullopt;
    }
    std::vector<char> target(static_cast<std::size_t>(PATH_MAX) + 1);
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size() - 1);
    if (n <= 0) {
      return path;
    }
    const std::string next(target.data(), static_cast<std::size_t>(n));
    path = next.front() == '/' ? next : FolderOf(path).append("/").append(next);
  }
  return path;
}

// The whole file; nothing when it cannot be read, "" when it does not exist or is not a
// regular file.
std::optional<std::string> ReadWholeFile(const std::string& linkedPath) {
  const std::optional<std::string> path = FileBehind(linkedPath);
  if (!path) {
    return std::nullopt;
  }
  const UniqueFd fd(::open(path->c_str(), O_RDONLY | O_NOFOLLOW | kOpenNeverWaiting));
  if (!fd.valid()) {
    return errno == ENOENT || errno == ENXIO ? std::optional<std::string>("") : std::nullopt;
  }
  if (!IsRegularFile(fd.get())) {
    return "";
  }
  std::string text;
  char buffer[8192];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n == 0) {
      return text;
    }
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return std::nullopt;
    }
    text.append(buffer, static_cast<std::size_t>(n));
  }
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Writes in place, for a file whose owner a replacement could not keep; not crash safe, but
// the file stays the owner's.
bool RewriteInPlace(const std::string& path, std::string_view content) {
  const UniqueFd fd(::open(path.c_str(), O_WRONLY | O_NOFOLLOW | kOpenNeverWaiting));
  return fd.valid() && IsRegularFile(fd.get()) && ::ftruncate(fd.get(), 0) == 0 &&
         WriteAll(fd.get(), content) && ::fsync(fd.get()) == 0;
}

// Whether the file behind the path may be written: not through another user's link, not when
// the file or its folder is write-protected, and only into a regular file.
std::optional<std::string> WritableFileBehind(const std::string& linkedPath) {
  std::optional<std::string> path = FileBehind(linkedPath);
  if (!path || IsWriteProtected(*path) || IsWriteProtected(FolderOf(*path))) {
    return std::nullopt;
  }
  struct stat st {};
  if (::lstat(path->c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    return std::nullopt;
  }
  return path;
}

bool ReplaceFile(const std::string& linkedPath, std::string_view content) {
  const std::optional<std::string> writable = WritableFileBehind(linkedPath);
  if (!writable) {
    return false;
  }
  const std::string& path = *writable;
  const std::string folder = FolderOf(path);
  struct stat old {};
  const bool existed = ::lstat(path.c_str(), &old) == 0;
  std::string temp = path + ".XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  const UniqueFd fd(::mkstemp(name.data()));
  if (!fd.valid()) {
    return false;
  }
  temp = name.data();
  mode_t mode = 0666;
  if (existed) {
    mode = old.st_mode & 07777;
    // The file keeps its owner and group; where this user cannot give them, it is written in
    // place instead.
    if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
        ::fchown(fd.get(), old.st_uid, old.st_gid) != 0) {
      ::unlink(temp.c_str());
      return RewriteInPlace(path, content);
    }
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  const bool written = ::fchmod(fd.get(), mode) == 0 && WriteAll(fd.get(), content) &&
                       ::fsync(fd.get()) == 0 && ::rename(temp.c_str(), path.c_str()) == 0;
  if (!written) {
    ::unlink(temp.c_str());
    return false;
  }
  const UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) {
    ::fsync(dir.get());
  }
  return true;
}

}  // namespace

std::string CurrentDirectory() {
  std::vector<char> buffer(PATH_MAX);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) {
      return "";
    }
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

std::string PathInCurrentDirectory(std::string_view fileName, std::string_view whenGone) {
  std::string dir = CurrentDirectory();
  if (dir.empty()) {
    dir = whenGone.empty() ? "." : std::string(whenGone);
  }
  if (dir.empty() || dir.back() != '/') {
    dir += '/';
  }
  return dir.append(fileName);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view fallback, const std::string& path) {
  const auto text = ReadWholeFile(path);
  if (text) {
    if (auto value = IniRead(*text, section, key)) {
      return *value;
    }
  }
  return std::string(fallback.substr(0, kMaxProfileValue));
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path) {
  const auto text = ReadWholeFile(path);
  if (!text) {
    return false;  // what other programs wrote there could not be kept
  }
  const std::string written = IniWrite(*text, section, key, value);
  if (written == *text) {
    // Nothing changes: the file stays byte for byte, but a file that could not take a change
    // is still refused, so the technician learns that settings cannot be saved there.
    return WritableFileBehind(path).has_value();
  }
  return ReplaceFile(path, written);
}

}  // namespace vidideza
