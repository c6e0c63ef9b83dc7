#include "serial/com_thread.h"

#include <exception>
#include <thread>

#include "serial/com_error.h"
#include "serial/com_port.h"

namespace vidideza {

namespace {

// How long the thread rests when a handler left the waiting bytes unread, so that a device
// that stays readable cannot make it spin.
constexpr auto kIdlePace = std::chrono::milliseconds(20);
// A reopened device that fails again this soon, before it gave anything, is taken as the same
// unplug (a plug that bounces), not a new one.
constexpr auto kReturnSettling = std::chrono::seconds(1);

}  // namespace

TComThread::TComThread(TCustomComPort& port, SerialDevice& device, UiDispatcher& ui,
                       bool watchInput)
    : port_(port),
      device_(&device),
      ui_(ui),
      deviceName_(port.DeviceName()),
      watchInput_(watchInput) {
  thread_.emplace(ui_, [this] { Run(); });
}

TComThread::~TComThread() {
  Stop();
}

void TComThread::SetWatchInput(bool watch) {
  watchInput_ = watch;
  device_->WakeWait();
}

void TComThread::Stop() {
  {
    const std::lock_guard lock(stopMutex_);
    stop_ = true;
  }
  stopAsked_.notify_all();
  device_->WakeWait();
  if (thread_) {
    thread_->Join();
    thread_.reset();
  }
}

std::int32_t TComThread::WaitingBytes() const {
  try {
    return device_->InputCount();
  } catch (const EComError&) {
    return 0;  // the wait reports a failing device
  }
}

void TComThread::Run() {
  RaiseReceiveThreadPriority();
  std::uint64_t failuresSeen = port_.FailuresRaised();
  while (!stop_) {
    DeviceEvent event = DeviceEvent::kWoken;
    try {
      event = device_->WaitForEvent(watchInput_);
      failuresSeen = port_.FailuresRaised();
      revivedAt_.reset();  // the device is back for good
    } catch (const EComError& error) {
      // An unplugged adapter or a closed pseudo-terminal.
      ReportFailure(error, failuresSeen);
      if (!WatchForReturn()) {
        break;
      }
      failuresSeen = port_.FailuresRaised();
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

void TComThread::ReportFailure(const EComError& error, std::uint64_t failuresSeen) {
  // Not when a handler's read or a send has reported it already, nor for a device that failed
  // again right after it came back.
  const bool settling =
      revivedAt_ && std::chrono::steady_clock::now() - *revivedAt_ < kReturnSettling;
  if (stop_ || settling || port_.FailureRaisedSince(failuresSeen, error.code())) {
    return;
  }
  ui_.Call([this, error] {
    if (!stop_) {  // a close that began meanwhile has made the failure moot
      throw error;
    }
  });
}

bool TComThread::WatchForReturn() {
  for (int looks = 0;; ++looks) {
    {
      std::unique_lock lock(stopMutex_);
      if (stopAsked_.wait_for(lock, ReturnWatchPace(deviceName_, looks),
                              [this] { return stop_.load(); })) {
        return false;
      }
    }
    if (!SerialDevicePresent(deviceName_)) {
      continue;
    }
    bool reopened = false;
    ui_.Call([this, &reopened] { reopened = !stop_ && port_.ReopenDevice(); });
    if (reopened) {
      revivedAt_ = std::chrono::steady_clock::now();
      return true;
    }
  }
}

void TComThread::Dispatch() {
  if (stop_) {
    return;
  }
  ui_.Call([this] { port_.HandleDeviceEvents(); });
}

}  // namespace vidideza
