#include "base/posix_fd.h"

#include <sys/eventfd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

namespace vidideza {

WakeChannel::WakeChannel() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  if (!fd_.valid()) {
    throw std::runtime_error(std::string("eventfd: ") + std::strerror(errno));
  }
}

void WakeChannel::Signal() const {
  const std::uint64_t one = 1;
  // A full counter already means "signalled"; nothing to do on failure.
  [[maybe_unused]] const auto written = ::write(fd_.get(), &one, sizeof one);
}

void WakeChannel::Clear() const {
  std::uint64_t value = 0;
  [[maybe_unused]] const auto got = ::read(fd_.get(), &value, sizeof value);
}

}  // namespace vidideza
