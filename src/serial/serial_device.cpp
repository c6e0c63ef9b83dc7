#include "serial/serial_device.h"

#include <algorithm>

#include "serial/com_error.h"
#include "serial/remote_port_name.h"
#include "serial/remote_serial_device.h"

namespace vidideza {

namespace {

constexpr auto kLocalReturnPace = std::chrono::milliseconds(250);
constexpr auto kLongestServerPace = std::chrono::seconds(4);

RemotePortName ParsedOrRaise(const std::string& deviceName) {
  std::string fault;
  std::optional<RemotePortName> parsed = ParseRemotePortName(deviceName, fault);
  if (!parsed) {
    throw EComError("\"" + deviceName + "\" is no network port name: " + fault, 0);
  }
  return *parsed;
}

}  // namespace

std::unique_ptr<SerialDevice> OpenSerialDevice(const std::string& deviceName) {
  if (IsRemotePortName(deviceName)) {
    return OpenRemoteSerialDevice(ParsedOrRaise(deviceName));
  }
  return OpenLocalSerialDevice(deviceName);
}

bool SerialDevicePresent(const std::string& deviceName) {
  if (IsRemotePortName(deviceName)) {
    std::string fault;
    const std::optional<RemotePortName> parsed = ParseRemotePortName(deviceName, fault);
    return parsed && RemoteSerialDevicePresent(*parsed);
  }
  return LocalSerialDevicePresent(deviceName);
}

std::chrono::milliseconds ReturnWatchPace(const std::string& deviceName, int looksSoFar) {
  if (!IsRemotePortName(deviceName) || looksSoFar < 4) {
    return kLocalReturnPace;
  }
  // A server that is down is asked again after 0.5, 1, 2, then every 4 seconds.
  const int doublings = std::min(looksSoFar - 3, 4);
  return std::min<std::chrono::milliseconds>(kLocalReturnPace * (1 << doublings),
                                             kLongestServerPace);
}

}  // namespace vidideza
