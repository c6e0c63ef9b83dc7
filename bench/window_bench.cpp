// The window's figures: start-up to the window shown, resident memory after start-up and
// after 1,000,000 lines in the response window, and the highest rate of UDP text replies shown
// and logged without loss, with how long the window takes to answer meanwhile.
// Usage: window_bench   (runs every measurement; children are this program again)
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/error_box_text.h"
#include "app/qt/program_icon.h"
#include "app/qt/qt_form1.h"
#include "app/qt/response_view.h"

namespace fs = std::filesystem;
using namespace vidideza;
using Clock = std::chrono::steady_clock;

namespace {

long long MonotonicNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0)
      return std::stol(line.substr(6));
  }
  return 0;
}

// Runs the event loop for a while, as the program's own loop would.
void RunFor(std::chrono::milliseconds span) {
  QEventLoop loop;
  QTimer::singleShot(span, &loop, &QEventLoop::quit);
  loop.exec();
}

class Dialogs final : public vidideza::Dialogs {
 public:
  void Notice(const std::string& text) override {
    std::fprintf(stderr, "notice: %s\n", text.c_str());
  }
  bool Confirm(const std::string&) override { return false; }
  void Error(const std::string& text) override {
    std::fprintf(stderr, "error: %s\n", text.c_str());
  }
};

int MemoLines(TResponseView* memo) {
  return static_cast<int>(memo->Lines().LineCount());
}

// Child: the program's start-up steps; prints when the window is shown, then optionally fills
// the response window with a million lines from a pseudo-terminal.
int StartupChild(int argc, char* argv[], bool million) {
  int master = -1, slave = -1;
  openpty(&master, &slave, nullptr, nullptr, nullptr);
  std::ofstream("VIDideza.ini") << "[Serial]\r\nCOMPort=" << ttyname(slave) << "\r\n";
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("Vidideza"));
  QApplication::setWindowIcon(ProgramIcon());
  TQtForm1 form(std::make_unique<Dialogs>());
  form.Form().FormCreate();
  form.show();
  if (!QTest::qWaitForWindowExposed(&form, 5000))
    return 1;
  std::printf("shown %lld %ld\n", MonotonicNs(), ResidentKilobytes());
  std::fflush(stdout);
  if (!million)
    return 0;

  auto* memo = form.findChild<TResponseView*>(QStringLiteral("Memo1"));
  while (!form.Form().ComPort1().Active())
    RunFor(std::chrono::milliseconds(10));
  constexpr int kLines = 1000000;
  // Lines of 20 bytes: "A000A,ST,T" and ten digits.
  const auto start = Clock::now();
  std::thread unit([master] {
    std::string block;
    char digits[16];
    for (int i = 0; i < kLines; ++i) {
      std::snprintf(digits, sizeof digits, "%010d", i);
      block += std::string("A000A,ST,T") + digits + "\n";
      if (block.size() > 60000 || i + 1 == kLines) {
        std::size_t done = 0;
        while (done < block.size()) {
          const ssize_t n = write(master, block.data() + done, block.size() - done);
          if (n > 0)
            done += static_cast<std::size_t>(n);
        }
        block.clear();
      }
    }
  });
  // Every line in the log: "RCV: ", the 20 bytes, CR LF.
  const std::uintmax_t logBytes = std::uintmax_t{kLines} * (5 + 20 + 2);
  std::error_code error;
  while (fs::file_size("Test.log", error) < logBytes)
    RunFor(std::chrono::milliseconds(5));
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  unit.join();
  RunFor(std::chrono::milliseconds(100));
  const long rss = ResidentKilobytes();
  // Scrolling with the million lines held: to the first line and back to the last, each as
  // the technician does it, painted.
  memo->setFocus();
  const auto jump = [memo](Qt::Key key) {
    const auto from = Clock::now();
    QTest::keyClick(memo, key, Qt::ControlModifier);
    memo->viewport()->repaint();
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
  };
  const double toFirst = jump(Qt::Key_Home);
  const bool atFirst = memo->TopLine() == 0;
  const double toLast = jump(Qt::Key_End);
  const bool atLast = memo->FollowsEnd() && MemoLines(memo) == kLines;
  std::printf("million %.2f %ld %.2f %.2f %d\n", seconds, rss, toFirst, toLast,
              atFirst && atLast ? 1 : 0);
  return 0;
}

struct UdpFigures {
  int rate = 0;
  int sent = 0;
  int shown = 0;
  long kernelDrops = 0;
  double p99Ms = 0;
  double maxMs = 0;
};

// The datagrams the kernel dropped at a full receive buffer of the UDP socket bound to port.
long KernelDrops(int port) {
  std::ifstream table("/proc/net/udp");
  std::string line;
  std::getline(table, line);  // the heading
  char local[64];
  while (std::getline(table, line)) {
    unsigned address = 0, localPort = 0;
    if (std::sscanf(line.c_str(), " %*d: %63s", local) != 1 ||
        std::sscanf(local, "%X:%X", &address, &localPort) != 2 ||
        static_cast<int>(localPort) != port)
      continue;
    std::istringstream fields(line);
    std::string field, last;
    while (fields >> field)
      last = field;
    return std::stol(last);
  }
  return 0;
}

// A text reply of size bytes, the line feed included, numbered i.
std::string TextReply(std::size_t size, int i) {
  std::string line = "A000A,UDP," + std::to_string(i) + ",";
  line.resize(size - 1, 'x');
  return line + "\n";
}

// Sends text replies of size bytes at rate per second for the span and counts what the window
// showed.
UdpFigures UdpRun(TQtForm1& form, std::size_t size, int rate, std::chrono::seconds span) {
  auto* memo = form.findChild<TResponseView*>(QStringLiteral("Memo1"));
  memo->Clear();
  const int port = form.Form().IdUDPServer1().Bindings().front()->Port;
  std::atomic<bool> done{false};
  std::atomic<int> sent{0};
  const long dropsBefore = KernelDrops(port);
  std::thread unit([&] {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const auto start = Clock::now();
    const auto end = start + span;
    for (int i = 0; Clock::now() < end; ++i) {
      const auto due = start + std::chrono::nanoseconds(1000000000LL * i / rate);
      while (Clock::now() < due)
        std::this_thread::yield();
      const std::string line = TextReply(size, i);
      sendto(fd, line.data(), line.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
      ++sent;
    }
    close(fd);
    done = true;
  });
  std::vector<double> answers;
  while (!done) {
    const auto asked = Clock::now();
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
      answers.push_back(std::chrono::duration<double, std::milli>(Clock::now() - asked).count());
      QTimer::singleShot(50, &loop, &QEventLoop::quit);
    });
    loop.exec();
  }
  unit.join();
  // Let what is queued arrive.
  int last = -1;
  while (MemoLines(memo) != last) {
    last = MemoLines(memo);
    RunFor(std::chrono::milliseconds(300));
  }
  std::sort(answers.begin(), answers.end());
  UdpFigures f;
  f.rate = rate;
  f.sent = sent;
  f.shown = MemoLines(memo);
  f.kernelDrops = KernelDrops(port) - dropsBefore;
  f.p99Ms = answers.empty() ? 0 : answers[answers.size() * 99 / 100];
  f.maxMs = answers.empty() ? 0 : answers.back();
  return f;
}

int UdpChild(int argc, char* argv[], int seconds) {
  // The serial page opens a pseudo-terminal of our own, never a real port of this machine.
  int master = -1, slave = -1;
  openpty(&master, &slave, nullptr, nullptr, nullptr);
  std::ofstream("VIDideza.ini") << "[Serial]\r\nCOMPort=" << ttyname(slave) << "\r\n";
  QApplication app(argc, argv);
  TQtForm1 form(std::make_unique<Dialogs>());
  form.Form().FormCreate();
  form.show();
  if (!QTest::qWaitForWindowExposed(&form))
    return 1;
  for (const char* field : {"Edit8", "Edit9", "Edit12"}) {
    form.findChild<QLineEdit*>(QLatin1String(field))->setText(QStringLiteral("127.0.0.1"));
  }
  form.findChild<QLineEdit*>(QStringLiteral("Edit11"))->setText(QStringLiteral("0"));
  form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
  const struct {
    std::size_t size;
    std::vector<int> rates;
  } series[] = {{40, {10000, 20000, 30000, 40000, 50000, 60000}},
                {8192, {1000, 2000, 4000, 6000, 8000, 12000}}};
  for (const auto& s : series) {
    std::printf(
        "\n| %zu-byte replies, offered rate | sent | shown and logged | lost | of which "
        "dropped by the kernel | window answers, p99 | max |\n",
        s.size);
    std::printf("|---|---|---|---|---|---|---|\n");
    for (const int rate : s.rates) {
      const UdpFigures f = UdpRun(form, s.size, rate, std::chrono::seconds(seconds));
      std::printf("| %d/s | %d | %d | %d | %ld | %.1f ms | %.1f ms |\n", f.rate, f.sent, f.shown,
                  f.sent - f.shown, f.kernelDrops, f.p99Ms, f.maxMs);
      std::fflush(stdout);
      if (f.shown < f.sent)
        break;
    }
  }
  return 0;
}

std::string RunChild(const char* self, const std::vector<std::string>& args, long long* started) {
  int out[2];
  if (pipe(out) != 0) {
    std::perror("pipe");
    std::exit(1);
  }
  *started = MonotonicNs();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    std::vector<std::string> all = {self};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(self, argv.data());
    _exit(127);
  }
  close(out[1]);
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = read(out[0], buffer, sizeof buffer)) > 0)
    text.append(buffer, static_cast<std::size_t>(n));
  close(out[0]);
  waitpid(pid, nullptr, 0);
  return text;
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "startup-child")
    return StartupChild(argc, argv, false);
  if (mode == "million-child")
    return StartupChild(argc, argv, true);
  if (mode == "udp-child")
    return UdpChild(argc, argv, argc > 2 ? std::atoi(argv[2]) : 20);

  char pattern[] = "/tmp/vidideza-bench-XXXXXX";
  const fs::path dir = mkdtemp(pattern);
  fs::current_path(dir);
  const std::string self = fs::canonical("/proc/self/exe").string();

  std::vector<double> startMs;
  long startRss = 0;
  for (int i = 0; i < 5; ++i) {
    long long started = 0;
    const std::string out = RunChild(self.c_str(), {"startup-child"}, &started);
    long long shown = 0;
    if (std::sscanf(out.c_str(), "shown %lld %ld", &shown, &startRss) == 2) {
      startMs.push_back(static_cast<double>(shown - started) / 1e6);
    }
  }
  std::sort(startMs.begin(), startMs.end());
  std::printf("| start-up to window shown (median of %zu) | resident memory after start-up |\n",
              startMs.size());
  std::printf("|---|---|\n");
  std::printf("| %.0f ms | %.1f MB |\n\n", startMs.empty() ? -1.0 : startMs[startMs.size() / 2],
              startRss / 1024.0);

  long long started = 0;
  const std::string million = RunChild(self.c_str(), {"million-child"}, &started);
  double seconds = 0, toFirst = 0, toLast = 0;
  long shownRss = 0, rss = 0;
  long long shown = 0;
  int scrolled = 0;
  std::sscanf(million.c_str(), "shown %lld %ld\nmillion %lf %ld %lf %lf %d", &shown, &shownRss,
              &seconds, &rss, &toFirst, &toLast, &scrolled);
  const double perLine = static_cast<double>(rss - shownRss) * 1024.0 / 1e6;
  std::printf(
      "| 1,000,000 serial lines of 20 bytes | until all are in Test.log | resident "
      "memory after | memory per line over its 20 bytes |\n");
  std::printf("|---|---|---|---|\n");
  std::printf(
      "| into the running program | %.2f s | %.1f MB (%.1f MB at start-up) | %.1f bytes |\n\n",
      seconds, rss / 1024.0, shownRss / 1024.0, perLine - 20);
  std::printf("| scrolling with 1,000,000 lines held | time, painted |\n|---|---|\n");
  std::printf("| to the first line (Ctrl+Home) | %.2f ms |\n", toFirst);
  std::printf("| back to the last line (Ctrl+End) | %.2f ms%s |\n\n", toLast,
              scrolled ? "" : " (did not arrive)");
  std::fflush(stdout);

  const char* seconds20 = std::getenv("BENCH_UDP_SECONDS");
  std::printf(
      "%s", RunChild(self.c_str(), {"udp-child", seconds20 ? seconds20 : "20"}, &started).c_str());
  fs::current_path("/");
  fs::remove_all(dir);
  return 0;
}
