#include "app/qt/termination_signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <utility>

namespace vidideza {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The one thing a signal handler may safely do here is write to a descriptor, so the handler
// needs it where it can reach it: the write end of a socket pair whose read end the UI thread
// watches. -1 when none is installed.
std::atomic<int> signalWriteEnd{-1};

// Never blocks: when the pair is full, an end is already on its way. send() rather than
// write(), so that a descriptor number reused by a file could never be written to, and
// without SIGPIPE. errno is the interrupted code's and stays as it was.
void OnSignal(int /*signal*/) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const auto sent =
      ::send(signalWriteEnd.load(), &byte, 1, MSG_DONTWAIT | MSG_NOSIGNAL);
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
  int pair[2] = {-1, -1};
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair) != 0) {
    return;
  }
  writeEnd_ = UniqueFd(pair[0]);
  readEnd_ = UniqueFd(pair[1]);
  signalWriteEnd = writeEnd_.get();
  notifier_ = new QSocketNotifier(readEnd_.get(), QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    // However many signals came, they ask for one thing.
    char bytes[256];
    while (::read(readEnd_.get(), bytes, sizeof bytes) > 0) {
    }
    onSignal_();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kSignals) {
    ::sigaction(signal, &action, nullptr);
  }
}

// The end is under way by now: a late request changes nothing and must not cut it short.
TerminationSignals::~TerminationSignals() {
  for (const int signal : kSignals) {
    ::signal(signal, SIG_IGN);
  }
  signalWriteEnd = -1;
  delete notifier_;  // before the descriptor it watches closes
}

}  // namespace vidideza
