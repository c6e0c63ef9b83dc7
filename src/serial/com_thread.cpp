#include "serial/com_thread.h"

#include <chrono>
#include <exception>
#include <thread>

#include "serial/com_error.h"
#include "serial/com_port.h"

namespace vidideza {

namespace {

// How long the thread rests when a handler left the waiting bytes unread, so that a device
// that stays readable cannot make it spin.
constexpr auto kIdlePace = std::chrono::milliseconds(20);

}  // namespace

TComThread::TComThread(TCustomComPort& port, SerialDevice& device, UiDispatcher& ui,
                       bool watchInput)
    : port_(port), device_(device), ui_(ui), watchInput_(watchInput) {
  thread_.emplace(ui_, [this] { Run(); });
}

TComThread::~TComThread() {
  Stop();
}

void TComThread::SetWatchInput(bool watch) {
  watchInput_ = watch;
  device_.WakeWait();
}

void TComThread::Stop() {
  stop_ = true;
  device_.WakeWait();
  if (thread_) {
    thread_->Join();
    thread_.reset();
  }
}

std::int32_t TComThread::WaitingBytes() const {
  try {
    return device_.InputCount();
  } catch (const EComError&) {
    return 0;  // the wait reports a failing device
  }
}

void TComThread::Run() {
  RaiseReceiveThreadPriority();
  bool deviceGone = false;
  std::uint64_t failuresSeen = port_.FailuresRaised();
  while (!stop_) {
    DeviceEvent event = DeviceEvent::kWoken;
    try {
      event = device_.WaitForEvent(watchInput_ && !deviceGone);
      failuresSeen = port_.FailuresRaised();
    } catch (const EComError& error) {
      // An unplugged adapter or a closed pseudo-terminal: report it once, unless a handler's
      // read or a send has already reported it, then wait only for the port to be closed.
      deviceGone = true;
      if (!stop_ && !port_.FailureRaisedSince(failuresSeen, error.code())) {
        // A close that began meanwhile has made the failure moot.
        ui_.Call([this, error] {
          if (!stop_) {
            throw error;
          }
        });
      }
      continue;
    }
    if (stop_) {
      break;
    }
    if (event == DeviceEvent::kCharsReceived) {
      const std::uint64_t readsBefore = port_.ReadCount();
      Dispatch();
      if (!stop_ && port_.ReadCount() == readsBefore && WaitingBytes() > 0) {
        std::this_thread::sleep_for(kIdlePace);
      }
    }
  }
}

void TComThread::Dispatch() {
  if (stop_) {
    return;
  }
  if (port_.SynchronizeEvents()) {
    ui_.Call([this] { port_.HandleDeviceEvents(); });
    return;
  }
  try {
    port_.HandleDeviceEvents();
  } catch (...) {
    ui_.Call([error = std::current_exception()] { std::rethrow_exception(error); });
  }
}

}  // namespace vidideza
