#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "serial/com_settings.h"
#include "serial/port_listing.h"

namespace vidideza {

// What the receive thread's wait on the device saw.
enum class DeviceEvent { kCharsReceived, kWoken };

// One open serial device of the platform. Failing calls raise EComError with the OS's text
// and error number. Reads and writes are overlapped: Start* returns at once, Finish* waits for
// the transfer and returns how many bytes it moved.
class SerialDevice {
 public:
  virtual ~SerialDevice() = default;

  virtual void ApplyLineSettings(const LineSettings& settings) = 0;
  virtual void ApplyBufferSizes(const BufferSizeSettings& sizes) = 0;
  virtual void ApplyTimeouts(const TimeoutSettings& timeouts) = 0;

  virtual void PurgeInput() = 0;
  virtual void PurgeOutput() = 0;
  virtual std::int32_t InputCount() = 0;
  // Bytes written that the device has not sent on the line yet.
  virtual std::int32_t OutputCount() = 0;
  virtual std::uint32_t ModemStatus() = 0;

  virtual void StartRead(char* buffer, std::size_t count) = 0;
  virtual bool ReadInProgress() const = 0;
  virtual std::size_t FinishRead() = 0;
  // Reads at most count bytes of what waits now and never waits for more: another reader of
  // the same line may have taken bytes the input count still showed. Where the device is
  // exclusive the count holds, and the overlapped read serves.
  virtual std::size_t ReadWaiting(char* buffer, std::size_t count) {
    StartRead(buffer, count);
    return FinishRead();
  }

  virtual void StartWrite(std::string bytes) = 0;
  virtual bool WriteInProgress() const = 0;
  virtual std::size_t FinishWrite() = 0;

  // Receive thread: blocks until characters arrive (when watchInput) or WakeWait is called from
  // another thread; raises EComError when the device fails or goes away.
  virtual DeviceEvent WaitForEvent(bool watchInput) = 0;
  virtual void WakeWait() = 0;
};

// While a port is open the process may run at the priority class its setting names: sets that
// class and returns the one it replaced, or nothing when the process was left as it is.
std::optional<int> ChangeProcessPriority(TPriorityClass priority);
void RestoreProcessPriority(int saved);

// The receive thread runs at the highest priority the platform grants it.
void RaiseReceiveThreadPriority();

// Opens the named device exclusively, for reading and writing: a device of this machine, or a
// port at a serial device server ("rfc2217://HOST:PORT", "socket://HOST:PORT").
std::unique_ptr<SerialDevice> OpenSerialDevice(const std::string& deviceName);

// Whether a device of this name is there now, as cheaply as the platform tells (for a server:
// whether it takes a connection): a link whose device vanished looks for it again and again.
bool SerialDevicePresent(const std::string& deviceName);

// How long a link whose device vanished waits before its next look: four looks a second, and
// for a server, after the first second, ever longer pauses up to a few seconds.
std::chrono::milliseconds ReturnWatchPace(const std::string& deviceName, int looksSoFar);

// The platform's own devices, which the two above serve for every name that is no server's.
std::unique_ptr<SerialDevice> OpenLocalSerialDevice(const std::string& deviceName);
bool LocalSerialDevicePresent(const std::string& deviceName);

// The ports the selector offers, read anew on each call: "COM1" ... "COM9", then the serial
// devices present now, with what the system tells about each.
std::vector<PortListing> SerialPortListings();

}  // namespace vidideza
