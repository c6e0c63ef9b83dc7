// The QVX-RS unit on a pseudo-terminal: command lines ended by LF in, reply lines out.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>

#include "options.h"

namespace qvxsim {

namespace {

void WriteLine(int master, const std::string& text, bool crlf) {
  const std::string out = text + (crlf ? "\r\n" : "\n");
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t n = ::write(master, out.data() + done, out.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      return;
    }
  }
}

}  // namespace

int RunSerialUnit(const Options& options, FILE* log) {
  int master = -1;
  int slave = -1;
  if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
    std::perror("qvx-unit-sim: openpty");
    return 1;
  }
  termios raw{};
  ::tcgetattr(slave, &raw);
  ::cfmakeraw(&raw);
  ::tcsetattr(slave, TCSANOW, &raw);
  // The slave side is left to the tool alone: the tool refuses a line another process holds.
  const std::string path = ::ttyname(slave);
  ::close(slave);
  ::unlink(options.link.c_str());
  if (::symlink(path.c_str(), options.link.c_str()) != 0) {
    std::perror("qvx-unit-sim: symlink");
    return 1;
  }
  std::printf("%s\n", path.c_str());
  std::fflush(stdout);

  UnitState unit = options.unit;
  std::string line;
  int statusPort = 0;
  using Clock = std::chrono::steady_clock;
  const auto period = std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>(options.statusRate > 0 ? 1.0 / options.statusRate : 0));
  auto nextStatus = Clock::now() + period;
  while (!StopRequested()) {
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, 20) > 0) {
      char buffer[4096];
      const ssize_t n = (p.revents & POLLIN) != 0 ? ::read(master, buffer, sizeof buffer) : -1;
      if (n <= 0) {
        // No one has the line open: the master reads as hung up until the tool opens it.
        ::usleep(20000);
      }
      for (ssize_t i = 0; i < n; ++i) {
        if (buffer[i] != '\n') {
          line.push_back(buffer[i]);
          continue;
        }
        std::fprintf(log, "received: %s\n", line.c_str());
        std::fflush(log);
        for (const auto& reply : AnswerCommand(unit, line))
          WriteLine(master, reply, options.crlf);
        line.clear();
      }
    }
    if (options.statusRate > 0 && Clock::now() >= nextStatus) {
      WriteLine(master, StatusLine(unit, statusPort), options.crlf);
      nextStatus += period;
    }
  }
  ::unlink(options.link.c_str());
  return 0;
}

}  // namespace qvxsim
