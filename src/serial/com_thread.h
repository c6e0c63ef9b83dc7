#pragma once

#include <atomic>
#include <optional>

#include "app/link_thread.h"
#include "app/ui_dispatcher.h"
#include "serial/serial_device.h"

namespace vidideza {

class TCustomComPort;

// The receive thread: waits on the device and hands every characters-received event to the
// UI thread, waiting there until the handler has run. Lives exactly while its port is open.
class TComThread {
 public:
  TComThread(TCustomComPort& port, SerialDevice& device, UiDispatcher& ui, bool watchInput);
  TComThread(const TComThread&) = delete;
  TComThread& operator=(const TComThread&) = delete;
  ~TComThread();

  // Attaching or detaching OnRxChar: wait for input, or only for the stop request.
  void SetWatchInput(bool watch);
  // UI thread: stops the thread and waits for it, serving its pending hand-over.
  void Stop();

 private:
  void Run();
  void Dispatch();
  std::int32_t WaitingBytes() const;

  TCustomComPort& port_;
  SerialDevice& device_;
  UiDispatcher& ui_;
  // Shared between the UI thread (writer) and the receive thread (reader).
  std::atomic<bool> stop_{false};
  std::atomic<bool> watchInput_;
  std::optional<LinkThread> thread_;
};

}  // namespace vidideza
