// qvx-rs-sim: a simulated QVX-RS control unit on a pseudo-terminal.
//
// It stands in for the unit as the service tool sees it: command lines of ASCII text, each
// ended by LF, come in at 9600 8N2; reply lines of ASCII text ended by LF (or CR LF) go out.
// It keeps the unit's state (address, last interface-port address, each port's code), acts on
// console commands, "PSCU=" and "ALLLA,PSIP=A", and logs what it receives.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kHelp = R"(Usage: qvx-rs-sim [options]

Plays a QVX-RS control unit on a pseudo-terminal. Prints the terminal's path on standard
output (one line) and keeps a symbolic link to it (default ./qvx-rs.tty).

Options:
  --link PATH        symbolic link to the terminal (default ./qvx-rs.tty)
  --address N        the unit's address, 0 to 255 (default 0)
  --last-port C      last interface-port address, 0 to F (default 0)
  --crlf             end replies with CR LF instead of LF
  --status-rate N    send N unsolicited status lines a second (default 0)
  --log FILE         log every received line there (default: standard error)
  --help             this text

Commands the unit acts on (each ended by LF) and its replies:
  A<aa><p><c>,<cmd>  console command to unit <aa> (two hex digits), port <p>, code <c>.
                     Ignored when <aa> is not the unit's address. Replies, with the same head:
                       ON            -> A<aa><p><c>,ON,OK
                       OF            -> A<aa><p><c>,OF,OK
                       SV or SF      -> A<aa><p><c>,<cmd>,T21.5,OK
                       DUMP,<n>      -> n lines A<aa><p><c>,DUMP,<i> at full speed
                       anything else -> A<aa><p><c>,<cmd>,OK
                     A port beyond the last port:   A<aa><p><c>,ERR,PORT
                     A code other than the port's:  A<aa><p><c>,ERR,CODE
  PSCU=<aa><l>       sets address <aa> and last port <l>; reply A<aa>0<code of port 0>,PSCU,OK
  ALLLA,PSIP=A<p><c> sets port <p> to code <c>; reply A<aa><p><c>,PSIP,OK
  any other line     reply @ERR,UNKNOWN
Unsolicited status lines: A<aa><p><c>,ST,T21.5 for each port in turn.
)";

volatile std::sig_atomic_t stopRequested = 0;
void OnStop(int) { stopRequested = 1; }

struct Unit {
  int address = 0;
  int lastPort = 0;
  std::array<char, 16> codes{};
  Unit() { codes.fill('A'); }
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Hex2(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", value & 0xFF);
  return text;
}

class Simulator {
 public:
  Simulator(int master, bool crlf, FILE* log) : master_(master), crlf_(crlf), log_(log) {}
  Unit unit;

  void OnBytes(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      if (data[i] == '\n') {
        Handle(line_);
        line_.clear();
      } else {
        line_.push_back(data[i]);
      }
    }
  }

  void SendStatus() {
    const int port = statusPort_++ % (unit.lastPort + 1);
    Reply(Head(port, unit.codes[port]) + ",ST,T21.5");
  }

 private:
  std::string Head(int port, char code) const {
    return "A" + Hex2(unit.address) + "0123456789ABCDEF"[port] + code;
  }

  void Reply(const std::string& text) {
    std::string out = text + (crlf_ ? "\r\n" : "\n");
    std::size_t done = 0;
    while (done < out.size()) {
      const ssize_t n = ::write(master_, out.data() + done, out.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        return;
      } else {
        pollfd p{master_, POLLOUT, 0};
        ::poll(&p, 1, 100);
      }
    }
  }

  void Handle(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::fprintf(log_, "received: %s\n", line.c_str());
    std::fflush(log_);
    if (line.rfind("PSCU=", 0) == 0 && line.size() >= 8) {
      const int high = HexValue(line[5]), low = HexValue(line[6]), last = HexValue(line[7]);
      if (high >= 0 && low >= 0 && last >= 0) {
        unit.address = high * 16 + low;
        unit.lastPort = last;
        Reply(Head(0, unit.codes[0]) + ",PSCU,OK");
        return;
      }
    }
    if (line.rfind("ALLLA,PSIP=A", 0) == 0 && line.size() >= 14) {
      const int port = HexValue(line[12]);
      const char code = line[13];
      if (port >= 0 && code >= 'A' && code <= 'F') {
        unit.codes[port] = code;
        Reply(Head(port, code) + ",PSIP,OK");
        return;
      }
    }
    if (line.size() >= 6 && line[0] == 'A' && line[5] == ',') {
      const int high = HexValue(line[1]), low = HexValue(line[2]), port = HexValue(line[3]);
      if (high < 0 || low < 0 || high * 16 + low != unit.address) {
        return;  // addressed to another unit
      }
      const std::string head = line.substr(0, 5);
      const std::string command = line.substr(6);
      if (port < 0 || port > unit.lastPort) {
        Reply(head + ",ERR,PORT");
      } else if (line[4] != unit.codes[port]) {
        Reply(head + ",ERR,CODE");
      } else if (command.rfind("DUMP,", 0) == 0) {
        const long count = std::strtol(command.c_str() + 5, nullptr, 10);
        for (long i = 1; i <= count; ++i) Reply(head + ",DUMP," + std::to_string(i));
      } else if (command == "SV" || command == "SF") {
        Reply(head + "," + command + ",T21.5,OK");
      } else {
        Reply(head + "," + command + ",OK");
      }
      return;
    }
    Reply("@ERR,UNKNOWN");
  }

  int master_;
  bool crlf_;
  FILE* log_;
  std::string line_;
  int statusPort_ = 0;
};

}  // namespace

int main(int argc, char* argv[]) {
  std::string link = "./qvx-rs.tty";
  std::string logPath;
  bool crlf = false;
  double statusRate = 0;
  Unit initial;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "qvx-rs-sim: %s needs a value\n", arg.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (arg == "--help") {
      std::fputs(kHelp, stdout);
      return 0;
    } else if (arg == "--link") {
      link = value();
    } else if (arg == "--address") {
      initial.address = std::atoi(value().c_str()) & 0xFF;
    } else if (arg == "--last-port") {
      initial.lastPort = std::max(0, HexValue(value()[0]));
    } else if (arg == "--crlf") {
      crlf = true;
    } else if (arg == "--status-rate") {
      statusRate = std::atof(value().c_str());
    } else if (arg == "--log") {
      logPath = value();
    } else {
      std::fprintf(stderr, "qvx-rs-sim: unknown option %s (see --help)\n", arg.c_str());
      return 2;
    }
  }

  int master = -1;
  int slave = -1;
  if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
    std::perror("qvx-rs-sim: openpty");
    return 1;
  }
  termios raw{};
  ::tcgetattr(slave, &raw);
  ::cfmakeraw(&raw);
  ::tcsetattr(slave, TCSANOW, &raw);
  // The slave stays open here too, so the line does not hang up between the tool's opens.
  const std::string path = ::ttyname(slave);
  ::unlink(link.c_str());
  if (::symlink(path.c_str(), link.c_str()) != 0) {
    std::perror("qvx-rs-sim: symlink");
    return 1;
  }
  std::printf("%s\n", path.c_str());
  std::fflush(stdout);

  FILE* log = logPath.empty() ? stderr : std::fopen(logPath.c_str(), "a");
  if (log == nullptr) {
    std::perror("qvx-rs-sim: log");
    return 1;
  }
  std::signal(SIGTERM, OnStop);
  std::signal(SIGINT, OnStop);

  Simulator simulator(master, crlf, log);
  simulator.unit = initial;
  using Clock = std::chrono::steady_clock;
  const auto statusPeriod = statusRate > 0 ? std::chrono::duration<double>(1.0 / statusRate)
                                           : std::chrono::duration<double>(0);
  auto nextStatus = Clock::now() + std::chrono::duration_cast<Clock::duration>(statusPeriod);
  while (stopRequested == 0) {
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, 20) > 0 && (p.revents & POLLIN) != 0) {
      char buffer[4096];
      const ssize_t n = ::read(master, buffer, sizeof buffer);
      if (n > 0) simulator.OnBytes(buffer, static_cast<std::size_t>(n));
    }
    if (statusRate > 0 && Clock::now() >= nextStatus) {
      simulator.SendStatus();
      nextStatus += std::chrono::duration_cast<Clock::duration>(statusPeriod);
    }
  }
  ::unlink(link.c_str());
  return 0;
}
