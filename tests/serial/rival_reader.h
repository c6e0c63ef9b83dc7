#pragma once

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vidideza {

// Another program reading the line, as minicom or a modem manager would: a child process that
// reads the slave side of the pseudo-terminal until it is killed.
class RivalReader {
 public:
  explicit RivalReader(int slave) {
    int ready[2];
    if (::pipe(ready) != 0) {
      return;
    }
    pid_ = ::fork();
    if (pid_ == -1) {
      ::close(ready[0]);
      ::close(ready[1]);
      return;
    }
    if (pid_ == 0) {
      // It holds the slave side only, as such a program does: not the test's master side.
      for (int fd = 3; fd < 1024; ++fd) {
        if (fd != slave && fd != ready[1]) {
          ::close(fd);
        }
      }
      const char started = 1;
      [[maybe_unused]] const ssize_t told = ::write(ready[1], &started, 1);
      char buffer[64];
      for (;;) {
        [[maybe_unused]] const ssize_t taken = ::read(slave, buffer, sizeof buffer);
      }
    }
    ::close(ready[1]);
    char started = 0;
    [[maybe_unused]] const ssize_t heard = ::read(ready[0], &started, 1);
    ::close(ready[0]);
  }
  RivalReader(const RivalReader&) = delete;
  RivalReader& operator=(const RivalReader&) = delete;
  ~RivalReader() { Stop(); }

  bool running() const { return pid_ > 0; }
  void Stop() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }

 private:
  pid_t pid_ = -1;
};

}  // namespace vidideza
