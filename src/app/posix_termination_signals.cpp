#include "app/termination_signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>
#include <utility>

namespace vidideza {

namespace {

// The signal handler may only write to a descriptor; the UI thread reads the other end.
int signalPipe[2] = {-1, -1};

void OnSignal(int /*signal*/) {
  const char byte = 1;
  [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
    return;
  }
  notifier_ = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    char byte = 0;
    [[maybe_unused]] const auto got = ::read(signalPipe[1], &byte, 1);
    onSignal_();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    ::sigaction(signal, &action, nullptr);
  }
}

TerminationSignals::~TerminationSignals() {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    ::signal(signal, SIG_DFL);
  }
  for (int& fd : signalPipe) {
    if (fd >= 0) {
      ::close(fd);
      fd = -1;
    }
  }
}

}  // namespace vidideza
