// The traffic log file on POSIX systems: appended with one write per line, locked against a
// second writer with flock, and each errno mapped onto the file error codes the tool reports.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <stdexcept>
#include <string>
#include <utility>

#include "app/io_error.h"
#include "app/log_file.h"
#include "app/posix_link_owner.h"
#include "app/posix_write_protection.h"
#include "base/posix_fd.h"

namespace vidideza {

namespace {

int FileErrorCode(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return 3;  // the file is created when missing, so it is the folder that is
    case EMFILE:
    case ENFILE:
      return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return 5;
    case EWOULDBLOCK:
      return 32;  // another copy holds the log
    case ENOSPC:
    case EDQUOT:
      return 112;
    default:
      return error;
  }
}

[[noreturn]] void RaiseFileError(int error) {
  throw EInOutError(FileErrorCode(error));
}

struct FolderAndName {
  std::string folder;
  std::string name;
};

FolderAndName SplitPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return {".", path};
  }
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

constexpr int kLogOpenFlags = O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

// The log's name as a file: opened as it is, or through a link of this user's (or root's), or
// made new without following anything. A link of another user's is refused: in a folder that
// user may write, it could lead into any file this program may write.
UniqueFd OpenLogName(int folder, const std::string& name) {
  constexpr int kTries = 3;  // the name may change between the steps
  for (int attempt = 0; attempt < kTries; ++attempt) {
    UniqueFd fd(::openat(folder, name.c_str(), kLogOpenFlags | O_NOFOLLOW));
    if (fd.valid()) {
      return fd;
    }
    if (errno == ENOENT) {
      fd = UniqueFd(
          ::openat(folder, name.c_str(), kLogOpenFlags | O_CREAT | O_EXCL | O_NOFOLLOW, 0666));
      if (fd.valid() || errno != EEXIST) {
        return fd;
      }
      continue;
    }
    if (errno != ELOOP) {
      return fd;
    }
    struct stat link {};
    if (::fstatat(folder, name.c_str(), &link, AT_SYMLINK_NOFOLLOW) != 0) {
      continue;
    }
    if (!S_ISLNK(link.st_mode) || !MayFollowLink(link)) {
      errno = EACCES;
      return fd;
    }
    fd = UniqueFd(::openat(folder, name.c_str(), kLogOpenFlags | O_CREAT, 0666));
    struct stat after {};
    if (!fd.valid() || (::fstatat(folder, name.c_str(), &after, AT_SYMLINK_NOFOLLOW) == 0 &&
                        after.st_ino == link.st_ino && after.st_dev == link.st_dev)) {
      return fd;
    }
    // The link was swapped while it was followed: what was opened is not known to be ours.
  }
  errno = EACCES;
  return UniqueFd();
}

// Opens the log by its name in the folder for appending. Only a regular file is a log: a FIFO,
// a device or a folder of that name is refused without waiting on it, and a file whose mode
// bits forbid writing is refused, as the settings file is, even for root.
UniqueFd OpenLogIn(int folder, const std::string& name) {
  struct stat st {};
  if (::fstatat(folder, name.c_str(), &st, 0) == 0 &&
      (!S_ISREG(st.st_mode) || ForbidsWriting(st.st_mode))) {
    RaiseFileError(EACCES);
  }
  UniqueFd fd = OpenLogName(folder, name);
  if (!fd.valid()) {
    RaiseFileError(errno == ENXIO ? EACCES : errno);  // ENXIO: a FIFO swapped in meanwhile
  }
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    RaiseFileError(EACCES);
  }
  ::fcntl(fd.get(), F_SETFL, O_APPEND);
  if (::flock(fd.get(), LOCK_EX | LOCK_NB) == -1) {
    RaiseFileError(errno);
  }
  return fd;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The log is held by its folder and name, not by the open file alone: when the file is removed
// or renamed while the program runs (by hand, by a log rotation), the next line goes into a
// new file of the log's name, so no line is written where nobody will find it. When the
// folder itself is gone, the write fails (code 3).
class PosixLogFile final : public LogFile {
 public:
  explicit PosixLogFile(const std::string& path) {
    FolderAndName where = SplitPath(path);
    folder_ = UniqueFd(::open(where.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder_.valid()) {
      RaiseFileError(errno == ENOENT || errno == ENOTDIR ? ENOENT : errno);
    }
    name_ = std::move(where.name);
    Open();
  }

  // Two system calls a line, the name's check and the write: a busy unit sends thousands.
  void Append(std::initializer_list<std::string_view> pieces) override {
    FollowTheName();
    // A line and its end: no allocation on a path every line takes.
    std::array<iovec, 4> left{};
    if (pieces.size() > left.size()) {
      throw std::length_error("a log line in more than four pieces");
    }
    auto end = left.begin();
    for (const std::string_view piece : pieces) {
      if (!piece.empty()) {
        *end++ = {const_cast<char*>(piece.data()), piece.size()};
      }
    }
    std::size_t written = 0;
    auto next = left.begin();
    while (next != end) {
      const ssize_t n = ::writev(fd_.get(), &*next, static_cast<int>(end - next));
      if (n < 0) {
        if (errno == EINTR) {
          continue;
        }
        const int error = errno;
        // A half-written line would corrupt the log: take it back.
        struct stat st {};
        if (written > 0 && ::fstat(fd_.get(), &st) == 0 &&
            st.st_size >= static_cast<off_t>(written)) {
          [[maybe_unused]] const int cut =
              ::ftruncate(fd_.get(), st.st_size - static_cast<off_t>(written));
        }
        RaiseFileError(error);
      }
      written += static_cast<std::size_t>(n);
      for (auto done = static_cast<std::size_t>(n); done > 0;) {
        const std::size_t step = std::min(done, next->iov_len);
        next->iov_base = static_cast<char*>(next->iov_base) + step;
        next->iov_len -= step;
        done -= step;
        if (next->iov_len == 0) {
          ++next;
        }
      }
    }
  }

 private:
  void Open() {
    UniqueFd fd = OpenLogIn(folder_.get(), name_);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
      RaiseFileError(errno);
    }
    fd_ = std::move(fd);
    opened_ = st;
  }

  // The open file keeps its identity: only the name is looked up again.
  void FollowTheName() {
    struct stat named {};
    if (::fstatat(folder_.get(), name_.c_str(), &named, 0) == 0 && SameFile(named, opened_)) {
      return;
    }
    Open();  // on failure the old file stays, unwritten
  }

  UniqueFd folder_;
  std::string name_;
  UniqueFd fd_;
  struct stat opened_ {};  // device and inode of fd_
};

}  // namespace

std::unique_ptr<LogFile> OpenLogFile(const std::string& path) {
  return std::make_unique<PosixLogFile>(path);
}

}  // namespace vidideza
