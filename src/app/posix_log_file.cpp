// The traffic log file on POSIX systems: appended with one write per line, locked against a
// second writer with flock, and each errno mapped onto the file error codes the tool reports.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "app/io_error.h"
#include "app/log_file.h"
#include "app/posix_fd.h"
#include "app/posix_write_protection.h"

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

// A log whose mode bits forbid writing is refused, as the settings file is, even for root.
UniqueFd OpenUnlessWriteProtected(const std::string& path) {
  if (IsWriteProtected(path)) {
    errno = EACCES;
    return UniqueFd();
  }
  return UniqueFd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
}

class PosixLogFile final : public LogFile {
 public:
  explicit PosixLogFile(const std::string& path) : fd_(OpenUnlessWriteProtected(path)) {
    if (!fd_.valid()) {
      RaiseFileError(errno);
    }
    if (::flock(fd_.get(), LOCK_EX | LOCK_NB) == -1) {
      RaiseFileError(errno);
    }
  }

  void Append(std::string_view bytes) override {
    const off_t before = ::lseek(fd_.get(), 0, SEEK_END);
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd_.get(), bytes.data(), bytes.size());
      if (n < 0) {
        if (errno == EINTR) {
          continue;
        }
        const int error = errno;
        // A half-written line would corrupt the log: take it back.
        if (before >= 0) {
          [[maybe_unused]] const int cut = ::ftruncate(fd_.get(), before);
        }
        RaiseFileError(error);
      }
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }

 private:
  UniqueFd fd_;
};

}  // namespace

std::unique_ptr<LogFile> OpenLogFile(const std::string& path) {
  return std::make_unique<PosixLogFile>(path);
}

}  // namespace vidideza
