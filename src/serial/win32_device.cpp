// The serial device on Windows: the communications device opened for overlapped I/O, with one
// event per transfer and one for the receive thread's wait on device events.
#include <windows.h>

#include <algorithm>
#include <utility>

#include "base/win32_error_text.h"
#include "base/win32_handle.h"
#include "serial/com_error.h"
#include "serial/serial_device.h"
#include "serial/win32_device_path.h"
#include "serial/win32_line_settings.h"

namespace vidideza {

namespace {

// How long the receive thread rests after a device wait that ended without any event, so that
// a device that keeps ending them (as some drivers and emulations do) cannot make it spin: the
// rest doubles with each such wait in a row, up to a limit that bounds the delay of a reply.
constexpr DWORD kFirstEmptyWaitRestMs = 5;
constexpr DWORD kLongestEmptyWaitRestMs = 40;

[[noreturn]] void RaiseOsError(DWORD error) {
  ::SetLastError(0);
  throw EComError(SystemErrorText(error), static_cast<std::int32_t>(error));
}

// Every call to the device or to an event is tested alike: a failure raises the OS's error,
// except when there is none or the call has only started an overlapped operation.
void Check(BOOL succeeded) {
  if (!succeeded) {
    const DWORD error = ::GetLastError();
    if (error != 0 && error != ERROR_IO_PENDING) {
      RaiseOsError(error);
    }
  }
}

UniqueHandle CreateEventChecked(bool manualReset, bool signalled) {
  UniqueHandle event(::CreateEventA(nullptr, manualReset, signalled, nullptr));
  Check(event.valid());
  return event;
}

// One overlapped transfer: its record, its done-event (signalled while none is in progress) and
// whether a result is still to be collected.
class Transfer {
 public:
  Transfer() : done_(CreateEventChecked(true, true)) {}

  OVERLAPPED* Begin() {
    record_ = OVERLAPPED{};
    record_.hEvent = done_.get();
    Check(::ResetEvent(done_.get()));
    started_ = true;
    return &record_;
  }
  // A start that failed: there is no result to wait for.
  void Abandon() {
    started_ = false;
    ::SetEvent(done_.get());
  }
  bool InProgress() const { return ::WaitForSingleObject(done_.get(), 0) != WAIT_OBJECT_0; }

  // Waits for the transfer and returns the bytes it moved; raises the OS error that ended it.
  std::size_t Finish(HANDLE device) {
    if (!std::exchange(started_, false)) {
      return 0;
    }
    DWORD moved = 0;
    Check(::GetOverlappedResult(device, &record_, &moved, TRUE));
    return moved;
  }

 private:
  UniqueHandle done_;
  OVERLAPPED record_{};
  bool started_ = false;
};

class Win32SerialDevice final : public SerialDevice {
 public:
  explicit Win32SerialDevice(const std::string& deviceName)
      : eventWait_(CreateEventChecked(false, false)), wake_(CreateEventChecked(false, false)) {
    device_.Reset(::CreateFileA(Win32DevicePath(deviceName).c_str(), GENERIC_READ | GENERIC_WRITE,
                                0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr));
    Check(device_.valid());
  }
  Win32SerialDevice(const Win32SerialDevice&) = delete;
  Win32SerialDevice& operator=(const Win32SerialDevice&) = delete;

  // A transfer still running would write into freed memory: abort it and collect it first.
  ~Win32SerialDevice() override {
    ::PurgeComm(device_.get(), PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
    for (Transfer* transfer : {&read_, &write_}) {
      try {
        transfer->Finish(device_.get());
      } catch (const EComError&) {
      }
    }
  }

  void ApplyLineSettings(const LineSettings& settings) override {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    Check(::GetCommState(device_.get(), &dcb));
    ApplyToDcb(dcb, settings);
    Check(::SetCommState(device_.get(), &dcb));
  }

  void ApplyBufferSizes(const BufferSizeSettings& sizes) override {
    Check(::SetupComm(device_.get(), static_cast<DWORD>(sizes.input),
                      static_cast<DWORD>(sizes.output)));
  }

  void ApplyTimeouts(const TimeoutSettings& t) override {
    COMMTIMEOUTS timeouts{};
    Check(::GetCommTimeouts(device_.get(), &timeouts));
    timeouts.ReadIntervalTimeout = static_cast<DWORD>(t.readInterval);
    timeouts.ReadTotalTimeoutMultiplier = static_cast<DWORD>(t.readMultiplier);
    timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(t.readConstant);
    timeouts.WriteTotalTimeoutMultiplier = static_cast<DWORD>(t.writeMultiplier);
    timeouts.WriteTotalTimeoutConstant = static_cast<DWORD>(t.writeConstant);
    Check(::SetCommTimeouts(device_.get(), &timeouts));
  }

  void PurgeInput() override { Check(::PurgeComm(device_.get(), PURGE_RXABORT | PURGE_RXCLEAR)); }
  void PurgeOutput() override { Check(::PurgeComm(device_.get(), PURGE_TXABORT | PURGE_TXCLEAR)); }

  std::int32_t InputCount() override {
    DWORD errors = 0;
    COMSTAT status{};
    Check(::ClearCommError(device_.get(), &errors, &status));
    return static_cast<std::int32_t>(status.cbInQue);
  }

  std::uint32_t ModemStatus() override {
    DWORD status = 0;
    Check(::GetCommModemStatus(device_.get(), &status));
    return status & (msCTS | msDSR | msRing | msRLSD);
  }

  void StartRead(char* buffer, std::size_t count) override {
    OVERLAPPED* record = read_.Begin();
    Start(read_, ::ReadFile(device_.get(), buffer, static_cast<DWORD>(count), nullptr, record));
  }
  bool ReadInProgress() const override { return read_.InProgress(); }
  std::size_t FinishRead() override { return read_.Finish(device_.get()); }

  void StartWrite(std::string bytes) override {
    // The bytes must outlive the transfer; the port finishes a write before starting the next.
    writeBytes_ = std::move(bytes);
    OVERLAPPED* record = write_.Begin();
    Start(write_, ::WriteFile(device_.get(), writeBytes_.data(),
                              static_cast<DWORD>(writeBytes_.size()), nullptr, record));
  }
  bool WriteInProgress() const override { return write_.InProgress(); }
  std::size_t FinishWrite() override { return write_.Finish(device_.get()); }

  DeviceEvent WaitForEvent(bool watchInput) override {
    const DWORD wanted = watchInput ? EV_RXCHAR : 0;
    if (wanted != mask_) {
      mask_ = wanted;
      // Clearing the mask only stops events nobody waits for: a device that is gone may refuse
      // it without a second report.
      const BOOL set = ::SetCommMask(device_.get(), wanted);
      if (wanted != 0) {
        Check(set);
      }
    }
    if (wanted == 0) {
      ::WaitForSingleObject(wake_.get(), INFINITE);
      return DeviceEvent::kWoken;
    }
    DWORD events = 0;
    waitRecord_ = OVERLAPPED{};
    waitRecord_.hEvent = eventWait_.get();
    // A signal left from a wait that completed at once must not end this one.
    ::ResetEvent(eventWait_.get());
    if (::WaitCommEvent(device_.get(), &events, &waitRecord_)) {
      return Outcome(events);
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_IO_PENDING) {
      Check(FALSE);
      return DeviceEvent::kWoken;  // a failure without an error number
    }
    const HANDLE waits[2] = {eventWait_.get(), wake_.get()};
    for (;;) {
      if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
        // Setting the mask ends the device wait, which must be over before its record is reused.
        ::SetCommMask(device_.get(), mask_);
        DWORD ignored = 0;
        ::GetOverlappedResult(device_.get(), &waitRecord_, &ignored, TRUE);
        return DeviceEvent::kWoken;
      }
      // The event can be signalled while the wait is still pending: that is no failure. It is
      // reset and the wait goes on, unless the wait completed meanwhile.
      if (!HasOverlappedIoCompleted(&waitRecord_)) {
        ::ResetEvent(eventWait_.get());
        if (!HasOverlappedIoCompleted(&waitRecord_)) {
          continue;
        }
      }
      break;
    }
    DWORD ignored = 0;
    if (!::GetOverlappedResult(device_.get(), &waitRecord_, &ignored, FALSE)) {
      const DWORD error = ::GetLastError();
      if (error != ERROR_OPERATION_ABORTED && error != ERROR_IO_INCOMPLETE) {
        Check(FALSE);
      }
      events = 0;
    }
    return Outcome(events);
  }

  void WakeWait() override { ::SetEvent(wake_.get()); }

 private:
  DeviceEvent Outcome(DWORD events) {
    // A wait can end without an event while bytes wait, or because the device is gone: asking
    // for the device's state tells which, and a gone device raises its error here.
    if ((events & EV_RXCHAR) != 0 || InputCount() > 0) {
      emptyWaitRestMs_ = 0;
      return DeviceEvent::kCharsReceived;
    }
    emptyWaitRestMs_ =
        std::clamp<DWORD>(emptyWaitRestMs_ * 2, kFirstEmptyWaitRestMs, kLongestEmptyWaitRestMs);
    ::WaitForSingleObject(wake_.get(), emptyWaitRestMs_);  // a wake-up cuts the rest short
    return DeviceEvent::kWoken;
  }

  static void Start(Transfer& transfer, BOOL started) {
    if (!started && ::GetLastError() != ERROR_IO_PENDING) {
      transfer.Abandon();
      Check(FALSE);
    }
  }

  UniqueHandle eventWait_;
  UniqueHandle wake_;
  Transfer read_;
  Transfer write_;
  UniqueHandle device_;
  OVERLAPPED waitRecord_{};
  DWORD mask_ = 0;
  DWORD emptyWaitRestMs_ = 0;
  std::string writeBytes_;
};

}  // namespace

std::optional<int> ChangeProcessPriority(TPriorityClass priority) {
  static constexpr DWORD kClasses[] = {0, IDLE_PRIORITY_CLASS, NORMAL_PRIORITY_CLASS,
                                       HIGH_PRIORITY_CLASS, REALTIME_PRIORITY_CLASS};
  const HANDLE process = ::GetCurrentProcess();
  const DWORD before = ::GetPriorityClass(process);
  Check(::SetPriorityClass(process, kClasses[static_cast<int>(priority)]));
  return static_cast<int>(before);
}

void RestoreProcessPriority(int saved) {
  ::SetPriorityClass(::GetCurrentProcess(), static_cast<DWORD>(saved));
}

void RaiseReceiveThreadPriority() {
  ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
}

std::unique_ptr<SerialDevice> OpenSerialDevice(const std::string& deviceName) {
  return std::make_unique<Win32SerialDevice>(deviceName);
}

bool SerialDevicePresent(const std::string& deviceName) {
  std::string name = deviceName;
  if (name.rfind("\\\\.\\", 0) == 0) {
    name.erase(0, 4);
  }
  // A name with a long list of targets is there all the same.
  char target[1024];
  return !name.empty() && (::QueryDosDeviceA(name.c_str(), target, sizeof target) != 0 ||
                           ::GetLastError() == ERROR_INSUFFICIENT_BUFFER);
}

}  // namespace vidideza
