#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "base/posix_fd.h"

namespace vidideza {

// A pseudo-terminal standing in for a serial line: the port opens path(), the test plays the
// unit on master().
class PseudoTerminal {
 public:
  PseudoTerminal() {
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0) {
      master_.Reset(master);
      path_ = ::ttyname(slave);
      // Keep the slave side open so the line stays up while the port opens and closes.
      slave_.Reset(slave);
    }
  }
  bool ok() const { return master_.valid(); }
  const std::string& path() const { return path_; }
  int master() const { return master_.get(); }
  int slave() const { return slave_.get(); }
  // Leaves the slave side to a program started by the test: the tool refuses a line that
  // another process holds open.
  void ReleaseSlave() { slave_.Reset(); }
  // The other side goes away, as an unplugged adapter does.
  void Vanish() {
    slave_.Reset();
    master_.Reset();
  }

  void Send(const std::string& bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(master(), bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      }
    }
  }

  // Reads until count bytes came or the time is up.
  std::string Receive(std::size_t count,
                      std::chrono::milliseconds limit = std::chrono::milliseconds(3000)) const {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
      pollfd p{master(), POLLIN, 0};
      if (::poll(&p, 1, 50) > 0 && (p.revents & POLLIN) != 0) {
        char buffer[65536];
        const ssize_t n = ::read(master(), buffer, sizeof buffer);
        if (n > 0) {
          got.append(buffer, static_cast<std::size_t>(n));
        }
      }
    }
    return got;
  }

 private:
  UniqueFd master_;
  UniqueFd slave_;
  std::string path_;
};

}  // namespace vidideza
