// A sentinel for the machine's own serial ports or consoles while the test suite runs: a
// pseudo-terminal that scripts/with-device-sentinels mounts over /dev/ttyS* (or /dev/console and
// the virtual consoles /dev/ttyN) in the suite's mount namespace. Whoever opens one of those
// opens this terminal instead: the sentinel notes every open and every byte written to it in
// the report, and the wrapper fails the suite when the report is not empty.
//
// Usage: device_sentinel WHAT REPORT READY   (WHAT names the nodes it stands for in the report;
// writes the terminal's path into READY once it watches, and runs until SIGTERM)
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

std::string Printable(const char* bytes, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte >= 0x20 && byte < 0x7F) {
      text += static_cast<char>(byte);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      text += escaped;
    }
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: device_sentinel WHAT REPORT READY\n");
    return 2;
  }
  const std::string what = argv[1];
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
    std::fprintf(stderr, "device_sentinel: no pseudo-terminal: %s\n", std::strerror(errno));
    return 1;
  }
  const std::string slavePath = ::ptsname(master);
  // Held open by the sentinel itself, so the master never reads as hung up.
  const int slave = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  const int opens = ::inotify_init1(IN_CLOEXEC);
  if (slave < 0 || opens < 0 || ::inotify_add_watch(opens, slavePath.c_str(), IN_OPEN) < 0) {
    std::fprintf(stderr, "device_sentinel: cannot watch %s: %s\n", slavePath.c_str(),
                 std::strerror(errno));
    return 1;
  }
  sigset_t ending;
  sigemptyset(&ending);
  sigaddset(&ending, SIGTERM);
  sigaddset(&ending, SIGINT);
  sigprocmask(SIG_BLOCK, &ending, nullptr);
  const int signals = ::signalfd(-1, &ending, SFD_CLOEXEC);
  std::ofstream report(argv[2], std::ios::app);
  std::ofstream(argv[3]) << slavePath << "\n";

  for (;;) {
    pollfd fds[3] = {{opens, POLLIN, 0}, {master, POLLIN, 0}, {signals, POLLIN, 0}};
    if (::poll(fds, 3, -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      return 1;
    }
    if ((fds[0].revents & POLLIN) != 0) {
      alignas(inotify_event) char events[4096];
      const ssize_t n = ::read(opens, events, sizeof events);
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events + at);
        report << "opened: " << what << std::endl;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    if ((fds[1].revents & POLLIN) != 0) {
      char bytes[4096];
      const ssize_t n = ::read(master, bytes, sizeof bytes);
      if (n > 0) {
        report << "written to " << what << ": " << Printable(bytes, static_cast<std::size_t>(n))
               << std::endl;
      }
    }
    if ((fds[2].revents & POLLIN) != 0) {
      return 0;
    }
  }
}
