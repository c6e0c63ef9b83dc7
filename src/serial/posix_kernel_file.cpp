#include "serial/posix_kernel_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "base/posix_fd.h"

namespace vidideza {

std::optional<std::string> ReadKernelFile(const std::filesystem::path& file) {
  // Plain reads rather than a stream: a stream's buffer throws when a read fails.
  const UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    return std::nullopt;
  }
  constexpr std::size_t kLimit = 1 << 16;  // the kernel's attribute files are a page or less
  // Built in place and returned as it stands: g++ 12 at -O2 warns, wrongly, of an overflow when
  // a local string is moved into the optional.
  std::optional<std::string> text(std::in_place);
  char buffer[4096];
  while (text->size() < kLimit) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n == 0) {
      break;
    }
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return std::nullopt;
    }
    text->append(buffer, static_cast<std::size_t>(n));
  }
  return text;
}

}  // namespace vidideza
