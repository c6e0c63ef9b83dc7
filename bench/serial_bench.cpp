// Serial line latency and burst: a line written on the far side of a pseudo-terminal until it
// is in the subject's log file, for the tool, for the tool on the same line served by ser2net
// on loopback (RFC 2217 and raw TCP), for a minimal reader (the floor) and for picocom.
// Usage: serial_bench TOOL FLOOR_READER   (picocom and ser2net from PATH when installed)
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Subject {
  std::string name;
  std::vector<std::string> command;  // "{device}" and "{log}" are filled in
  std::string logName;
  bool needsTerminal = false;  // picocom wants a terminal on its standard input
  bool ini = false;            // the tool finds its port in VIDideza.ini
  std::string served;          // "rfc2217" or "socket": the line reached through ser2net
  bool charDelay = true;       // ser2net's wait of two characters' time before it sends on
};

struct Figures {
  bool ran = false;
  std::string why;
  double min = 0, median = 0, p99 = 0;  // ms
  double burstMs = 0;
  int burstLost = 0;
};

class LogWatch {
 public:
  explicit LogWatch(const fs::path& path) : path_(path), inotify_(inotify_init1(IN_CLOEXEC)) {}
  ~LogWatch() { close(inotify_); }
  // Waits until text has been appended after the current offset; false after the limit.
  bool WaitFor(const std::string& text, std::chrono::milliseconds limit) {
    if (watch_ < 0 && fs::exists(path_)) {
      watch_ = inotify_add_watch(inotify_, path_.c_str(), IN_MODIFY);
    }
    const auto deadline = Clock::now() + limit;
    for (;;) {
      if (Scan(text))
        return true;
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0)
        return false;
      if (watch_ < 0) {
        usleep(1000);
        if (fs::exists(path_))
          watch_ = inotify_add_watch(inotify_, path_.c_str(), IN_MODIFY);
        continue;
      }
      pollfd p{inotify_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(std::min<long>(left.count(), 50))) > 0) {
        char events[4096];
        [[maybe_unused]] const ssize_t drained = read(inotify_, events, sizeof events);
      }
    }
  }
  std::string All() {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  bool Scan(const std::string& text) {
    std::ifstream in(path_, std::ios::binary);
    if (!in)
      return false;
    in.seekg(static_cast<std::streamoff>(offset_));
    std::string fresh{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    pending_ += fresh;
    offset_ += fresh.size();
    const auto found = pending_.find(text);
    if (found == std::string::npos) {
      if (pending_.size() > text.size())
        pending_.erase(0, pending_.size() - text.size());
      return false;
    }
    pending_.erase(0, found + text.size());
    return true;
  }
  fs::path path_;
  int inotify_;
  int watch_ = -1;
  std::size_t offset_ = 0;
  std::string pending_;
};

// A TCP port of loopback that nothing listens on now.
int FreeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  close(fd);
  return ntohs(address.sin_port);
}

bool Listening(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool up = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return up;
}

// ser2net serving the line on loopback, in the form asked for; its pid, or -1.
pid_t StartSer2net(const fs::path& dir, const std::string& device, const std::string& form,
                   int port, bool charDelay) {
  const std::string accepter = form == "rfc2217" ? "telnet(rfc2217),tcp" : "tcp";
  std::ofstream(dir / "ser2net.yaml")
      << "connection: &unit\n  accepter: " << accepter << ",127.0.0.1," << port
      << "\n  connector: serialdev," << device << ",9600n82,local,nobreak\n"
      << "  options:\n    chardelay: " << (charDelay ? "true" : "false") << "\n";
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 1);
    dup2(null, 2);
    const std::string config = (dir / "ser2net.yaml").string();
    execlp("ser2net", "ser2net", "-n", "-c", config.c_str(), "-P", (dir / "ser2net.pid").c_str(),
           static_cast<char*>(nullptr));
    _exit(127);
  }
  for (int i = 0; i < 100 && !Listening(port); ++i) {
    usleep(50000);
  }
  return pid;
}

void WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0)
      done += static_cast<std::size_t>(n);
  }
}

Figures Measure(const Subject& subject) {
  Figures figures;
  int master = -1, slave = -1;
  openpty(&master, &slave, nullptr, nullptr, nullptr);
  const std::string device = ttyname(slave);
  termios raw{};
  tcgetattr(slave, &raw);
  cfmakeraw(&raw);  // no echo filling the line before the subject has it
  tcsetattr(slave, TCSANOW, &raw);
  char pattern[] = "/tmp/vidideza-bench-XXXXXX";
  const fs::path dir = mkdtemp(pattern);
  const fs::path log = dir / subject.logName;
  pid_t server = -1;
  std::string port = device;
  if (!subject.served.empty()) {
    const int tcpPort = FreeLoopbackPort();
    server = StartSer2net(dir, device, subject.served, tcpPort, subject.charDelay);
    port = subject.served + "://127.0.0.1:" + std::to_string(tcpPort);
  }
  if (subject.ini) {
    std::ofstream(dir / "VIDideza.ini") << "[Serial]\r\nCOMPort=" << port << "\r\n";
  }
  int termMaster = -1, termSlave = -1;
  if (subject.needsTerminal)
    openpty(&termMaster, &termSlave, nullptr, nullptr, nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    close(slave);
    close(master);
    if (chdir(dir.c_str()) != 0) {
      _exit(127);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (subject.needsTerminal) {
      setsid();
      dup2(termSlave, 0);
      dup2(termSlave, 1);
      dup2(termSlave, 2);
    } else {
      const int null = open("/dev/null", O_RDWR);
      dup2(null, 1);
      dup2(null, 2);
    }
    std::vector<std::string> args;
    for (auto arg : subject.command) {
      if (arg == "{device}")
        arg = device;
      if (arg == "{log}")
        arg = log.string();
      args.push_back(arg);
    }
    std::vector<char*> argv;
    for (auto& a : args)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  // The line's far end is the subject's alone: the tool refuses a line that another process
  // holds open, as it would be with a terminal program on the same port.
  close(slave);
  slave = -1;
  // Whatever the subject prints on its terminal is read away, so it never blocks on it.
  std::atomic<bool> draining{subject.needsTerminal};
  std::thread drain([&] {
    char sink[4096];
    while (draining) {
      pollfd p{termMaster, POLLIN, 0};
      if (poll(&p, 1, 50) > 0) [[maybe_unused]]
        const ssize_t drained = read(termMaster, sink, sizeof sink);
    }
  });
  LogWatch watch(log);
  // Ready when a probe line comes through.
  bool ready = false;
  for (int i = 0; i < 100 && !ready; ++i) {
    const std::string probe = "A000A,PROBE," + std::to_string(i) + ",END";
    WriteAll(master, probe + "\n");
    ready = watch.WaitFor(probe, std::chrono::milliseconds(100));
  }
  if (!ready) {
    figures.why = "did not log a line within 10 s";
  } else {
    // Drain the probes still in flight.
    WriteAll(master, "A000A,SYNC,END\n");
    watch.WaitFor("A000A,SYNC,END", std::chrono::seconds(5));
    std::vector<double> ms;
    for (int i = 0; i < 2000; ++i) {
      const std::string line = "A000A,LAT," + std::to_string(i) + ",END";
      const auto start = Clock::now();
      WriteAll(master, line + "\n");
      if (!watch.WaitFor(line, std::chrono::seconds(5)))
        break;
      ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    if (ms.size() == 2000) {
      figures.ran = true;
      figures.min = ms.front();
      figures.median = ms[ms.size() / 2];
      figures.p99 = ms[ms.size() * 99 / 100];
      std::string burst;
      for (int i = 0; i < 10000; ++i)
        burst += "A000A,BURST," + std::to_string(i) + ",END\n";
      const auto start = Clock::now();
      WriteAll(master, burst);
      const bool all = watch.WaitFor("A000A,BURST,9999,END", std::chrono::seconds(60));
      figures.burstMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
      const std::string text = watch.All();
      int found = 0;
      std::size_t at = 0;
      for (int i = 0; i < 10000; ++i) {
        const auto next = text.find("A000A,BURST," + std::to_string(i) + ",END", at);
        if (next != std::string::npos) {
          ++found;
          at = next;
        }
      }
      figures.burstLost = 10000 - found;
      if (!all)
        figures.why = "burst not complete within 60 s";
    } else {
      figures.why = "a line did not arrive within 5 s";
    }
  }
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  if (server > 0) {
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
  }
  draining = false;
  drain.join();
  close(master);
  if (termMaster >= 0)
    close(termMaster), close(termSlave);
  fs::remove_all(dir);
  return figures;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: serial_bench TOOL FLOOR_READER\n");
    return 2;
  }
  const std::string tool = fs::absolute(argv[1]).string();
  const std::string floor = fs::absolute(argv[2]).string();
  std::vector<Subject> subjects = {
      {"VIDideza (this tool)", {tool}, "Test.log", false, true, "", true},
      {"floor: minimal C reader",
       {floor, "{device}", "{log}"},
       "floor.log",
       false,
       false,
       "",
       true},
  };
  if (system("command -v ser2net >/dev/null 2>&1") == 0) {
    for (const bool charDelay : {true, false}) {
      for (const std::string form : {"rfc2217", "socket"}) {
        subjects.push_back({"VIDideza through ser2net, " + form + "://127.0.0.1" +
                                (charDelay ? "" : ", chardelay: false"),
                            {tool},
                            "Test.log",
                            false,
                            true,
                            form,
                            charDelay});
      }
    }
  }
  if (system("command -v picocom >/dev/null 2>&1") == 0) {
    subjects.push_back({"picocom --logfile",
                        {"picocom", "-q", "-b", "9600", "-d", "8", "-y", "n", "-p", "2", "-f", "n",
                         "--noreset", "--logfile", "{log}", "{device}"},
                        "picocom.log",
                        true,
                        false,
                        "",
                        true});
  }
  std::printf("| subject | latency min | median | p99 | 10,000-line burst | lost |\n");
  std::printf("|---|---|---|---|---|---|\n");
  std::fflush(stdout);
  for (const auto& subject : subjects) {
    const Figures f = Measure(subject);
    if (!f.ran) {
      std::printf("| %s | not measured: %s | | | | |\n", subject.name.c_str(), f.why.c_str());
      continue;
    }
    std::printf("| %s | %.3f ms | %.3f ms | %.3f ms | %.0f ms | %d |\n", subject.name.c_str(),
                f.min, f.median, f.p99, f.burstMs, f.burstLost);
    std::fflush(stdout);
  }
  return 0;
}
