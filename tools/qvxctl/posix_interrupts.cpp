#include <atomic>
#include <csignal>

#include "interrupts.h"

namespace qvxctl {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM};

// A signal handler reaches only what is static; lock-free atomics are safe to touch there.
std::atomic<int> requests{0};
std::atomic<int> firstSignal{SIGINT};

void OnSignal(int signal) {
  if (requests.fetch_add(1) == 0) {
    firstSignal = signal;
  }
}

}  // namespace

Interrupts::Interrupts() {
  requests = 0;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kSignals) {
    ::sigaction(signal, &action, nullptr);
  }
}

Interrupts::~Interrupts() {
  for (const int signal : kSignals) {
    ::signal(signal, SIG_DFL);
  }
}

int Interrupts::Count() const {
  return requests.load();
}

int Interrupts::ExitStatus() const {
  return 128 + firstSignal.load();
}

}  // namespace qvxctl
