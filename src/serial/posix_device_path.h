#pragma once

#include <string>
#include <string_view>

namespace vidideza {

// The device file behind a port name on POSIX systems: a name with "/" is a path, "COM1" to
// "COM256" (any case) stand for /dev/ttyS0 to /dev/ttyS255, any other name lies under /dev.
std::string PosixDevicePath(std::string_view deviceName);

}  // namespace vidideza
