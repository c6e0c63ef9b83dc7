#include <windows.h>

#include <atomic>

#include "interrupts.h"

namespace qvxctl {

namespace {

// The console's handler runs on a thread of its own; it reaches only what is static.
std::atomic<int> requests{0};

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
    requests.fetch_add(1);
    return TRUE;
  }
  return FALSE;  // closing the console or the session ends the program as it always did
}

}  // namespace

Interrupts::Interrupts() {
  requests = 0;
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

Interrupts::~Interrupts() {
  ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
}

int Interrupts::Count() const {
  return requests.load();
}

int Interrupts::ExitStatus() const {
  return 130;  // as for Ctrl-C elsewhere
}

}  // namespace qvxctl
