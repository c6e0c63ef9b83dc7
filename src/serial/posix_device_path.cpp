#include "serial/posix_device_path.h"

#include "serial/com_port_name.h"

namespace vidideza {

std::string PosixDevicePath(std::string_view deviceName) {
  if (deviceName.find('/') != std::string_view::npos) {
    return std::string(deviceName);
  }
  if (const int com = ComPortNumber(deviceName); com > 0) {
    return "/dev/ttyS" + std::to_string(com - 1);
  }
  return "/dev/" + std::string(deviceName);
}

}  // namespace vidideza
