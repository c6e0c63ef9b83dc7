#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "base/link_thread.h"
#include "base/ui_dispatcher.h"
#include "serial/com_error.h"
#include "serial/serial_device.h"

namespace vidideza {

class TCustomComPort;

// The receive thread: waits on the device and hands every characters-received event to the
// UI thread, waiting there until the handler has run. When the device fails (an adapter
// unplugged), it reports that once and watches for a device of the same name to come back,
// for the port to reopen it. Lives exactly while its port is open.
class TComThread {
 public:
  TComThread(TCustomComPort& port, SerialDevice& device, UiDispatcher& ui, bool watchInput);
  TComThread(const TComThread&) = delete;
  TComThread& operator=(const TComThread&) = delete;
  ~TComThread();

  // Attaching or detaching OnRxChar: wait for input, or only for the stop request.
  void SetWatchInput(bool watch);
  // UI thread, inside this thread's hand-over: the port reopened the device as another one.
  void Rebind(SerialDevice& device) { device_ = &device; }
  // UI thread: stops the thread and waits for it, serving its pending hand-over.
  void Stop();

 private:
  void Run();
  void Dispatch();
  void ReportFailure(const EComError& error, std::uint64_t failuresSeen);
  // Until the port has reopened the device (true) or a stop was asked for (false).
  bool WatchForReturn();
  std::int32_t WaitingBytes() const;

  TCustomComPort& port_;
  // Changed only on the UI thread while this thread waits in a hand-over.
  SerialDevice* device_;
  UiDispatcher& ui_;
  const std::string deviceName_;
  std::optional<std::chrono::steady_clock::time_point> revivedAt_;
  // Shared between the UI thread (writer) and the receive thread (reader).
  std::atomic<bool> stop_{false};
  std::atomic<bool> watchInput_;
  std::mutex stopMutex_;
  std::condition_variable stopAsked_;
  std::optional<LinkThread> thread_;
};

}  // namespace vidideza
