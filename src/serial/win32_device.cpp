// The serial device on Windows: the communications device opened for overlapped I/O, with one
// event per transfer and one for the receive thread's wait on device events.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

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
// How often a device wait in progress is checked against the input queue, and how long the end
// of a device wait is awaited before it is left in progress.
constexpr DWORD kMissedEventCheckMs = 20;
constexpr DWORD kWaitEndLimitMs = 200;
constexpr std::size_t kLostWaitsKept = 16;
// Refusals of a new device wait ("Invalid parameter.") taken for a wait the device has not yet
// let go of, though it reported it ended (Wine, under load), before one is reported: each one
// costs a look at the queue, kMissedEventCheckMs, so about half a second in all.
constexpr int kRefusedWaitsTaken = 25;

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

// The receive thread's wait on device events: its record, the events it reports and its
// done-event, which the device may signal before the record shows the wait complete.
struct DeviceWait {
  UniqueHandle done = CreateEventChecked(false, false);
  OVERLAPPED record{};
  DWORD events = 0;
  bool pending = false;

  void Begin() {
    record = OVERLAPPED{};
    record.hEvent = done.get();
    events = 0;
    // A signal left from a wait that completed at once must not end this one.
    ::ResetEvent(done.get());
    pending = true;
  }
  bool EndsWithin(DWORD limitMs) const {
    for (DWORD waited = 0; !HasOverlappedIoCompleted(&record); waited += kMissedEventCheckMs) {
      if (waited >= limitMs) {
        return false;
      }
      ::WaitForSingleObject(done.get(), kMissedEventCheckMs);
    }
    return true;
  }
};

class Win32SerialDevice final : public SerialDevice {
 public:
  explicit Win32SerialDevice(const std::string& deviceName)
      : wake_(CreateEventChecked(false, false)) {
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
    ::SetCommMask(device_.get(), 0);
    device_.Reset();
    // A wait the device may still complete keeps its record and event: they are left to it
    // rather than freed under it. The ones set aside were lost already and are not waited for.
    if (wait_->pending && !wait_->EndsWithin(kWaitEndLimitMs)) {
      static_cast<void>(wait_.release());
    }
    for (std::unique_ptr<DeviceWait>& lost : lostWaits_) {
      if (!lost->EndsWithin(0)) {
        static_cast<void>(lost.release());
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

  std::int32_t OutputCount() override {
    DWORD errors = 0;
    COMSTAT status{};
    Check(::ClearCommError(device_.get(), &errors, &status));
    return static_cast<std::int32_t>(status.cbOutQue);
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
    if (!wait_->pending) {
      wait_->Begin();
      if (::WaitCommEvent(device_.get(), &wait_->events, &wait_->record)) {
        wait_->pending = false;
        refusedWaits_ = 0;
        return Outcome(wait_->events);
      }
      const DWORD error = ::GetLastError();
      // A wait set aside that the device still holds makes it refuse another one ("Invalid
      // parameter."), and so, for a moment, does one it reported ended: the queue is looked at
      // instead until that wait is let go.
      if (error == ERROR_INVALID_PARAMETER &&
          (LostWaitPending() || ++refusedWaits_ <= kRefusedWaitsTaken)) {
        wait_->pending = false;
        return LookAtTheQueue();
      }
      refusedWaits_ = 0;
      if (error != ERROR_IO_PENDING) {
        wait_->pending = false;
        if (error != 0) {
          RaiseOsError(error);  // the error of the wait, not of the look at the lost waits
        }
        return DeviceEvent::kWoken;  // a failure without an error number
      }
    }
    return AwaitDeviceWait();
  }

  void WakeWait() override { ::SetEvent(wake_.get()); }

 private:
  // Waits for the device wait in progress, for a wake-up, or for bytes the device wait missed:
  // a device can leave its wait pending with bytes in the input queue (Wine does, now and then,
  // after signalling the wait's event early), so the queue is looked at every few milliseconds
  // and such bytes are reported all the same.
  // The queue is looked at on a clock, not only when the wait times out: a wait whose event
  // is signalled again and again while its record stays pending would otherwise hide the bytes.
  DeviceEvent AwaitDeviceWait() {
    const HANDLE waits[2] = {wait_->done.get(), wake_.get()};
    DWORD lookedAt = ::GetTickCount();
    for (;;) {
      const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, kMissedEventCheckMs);
      if (woke == WAIT_OBJECT_0 + 1) {
        EndDeviceWait();
        return DeviceEvent::kWoken;
      }
      if (HasOverlappedIoCompleted(&wait_->record)) {
        break;
      }
      const DWORD now = ::GetTickCount();
      if (woke == WAIT_OBJECT_0 && now - lookedAt < kMissedEventCheckMs) {
        continue;
      }
      lookedAt = now;
      if (InputCount() > 0) {
        LeaveLostWait();
        emptyWaitRestMs_ = 0;
        return DeviceEvent::kCharsReceived;
      }
    }
    wait_->pending = false;
    DWORD ignored = 0;
    if (!::GetOverlappedResult(device_.get(), &wait_->record, &ignored, FALSE)) {
      const DWORD error = ::GetLastError();
      if (error != ERROR_OPERATION_ABORTED && error != ERROR_IO_INCOMPLETE) {
        Check(FALSE);
      }
      wait_->events = 0;
    }
    return Outcome(wait_->events);
  }

  // A device wait that missed bytes may never end, not even when the mask is set or the wait
  // is cancelled (Wine loses one so now and then): it is set aside, its record left to the
  // device, and the next wait starts afresh. Past a few such waits the queue is only looked at.
  void LeaveLostWait() {
    ::SetCommMask(device_.get(), mask_);
    if (wait_->EndsWithin(kMissedEventCheckMs)) {
      return;  // it was late, not lost: collected by the next call
    }
    if (lostWaits_.size() < kLostWaitsKept) {
      lostWaits_.push_back(std::exchange(wait_, std::make_unique<DeviceWait>()));
    }
  }

  // Whether a wait set aside is still held by the device; the ones that ended are let go.
  bool LostWaitPending() {
    std::erase_if(lostWaits_, [](const std::unique_ptr<DeviceWait>& lost) {
      return HasOverlappedIoCompleted(&lost->record);
    });
    return !lostWaits_.empty();
  }

  // Waits a few milliseconds for a wake-up, then reports the bytes the queue holds.
  DeviceEvent LookAtTheQueue() {
    if (::WaitForSingleObject(wake_.get(), kMissedEventCheckMs) == WAIT_OBJECT_0) {
      return DeviceEvent::kWoken;
    }
    if (InputCount() > 0) {
      emptyWaitRestMs_ = 0;
      return DeviceEvent::kCharsReceived;
    }
    return DeviceEvent::kWoken;
  }

  // Setting the mask ends the device wait; one that does not end soon stays in progress, its
  // record untouched until it does.
  void EndDeviceWait() {
    ::SetCommMask(device_.get(), mask_);
    wait_->pending = !wait_->EndsWithin(kWaitEndLimitMs);
  }

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

  std::unique_ptr<DeviceWait> wait_ = std::make_unique<DeviceWait>();
  std::vector<std::unique_ptr<DeviceWait>> lostWaits_;
  UniqueHandle wake_;
  Transfer read_;
  Transfer write_;
  UniqueHandle device_;
  DWORD mask_ = 0;
  DWORD emptyWaitRestMs_ = 0;
  int refusedWaits_ = 0;  // device waits refused in a row, with no wait set aside
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

std::unique_ptr<SerialDevice> OpenLocalSerialDevice(const std::string& deviceName) {
  return std::make_unique<Win32SerialDevice>(deviceName);
}

bool LocalSerialDevicePresent(const std::string& deviceName) {
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
