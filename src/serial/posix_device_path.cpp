#include "serial/posix_device_path.h"

#include <cctype>

namespace vidideza {

namespace {

// The number n of "COMn" when it is 1 to 256 without leading zeros, otherwise 0.
int ComNumber(std::string_view name) {
  if (name.size() < 4 || name.size() > 6) {
    return 0;
  }
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) {
      return 0;
    }
  }
  const std::string_view digits = name.substr(3);
  if (digits.front() == '0') {
    return 0;
  }
  int number = 0;
  for (const char c : digits) {
    if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
      return 0;
    }
    number = number * 10 + (c - '0');
  }
  return number <= 256 ? number : 0;
}

}  // namespace

std::string PosixDevicePath(std::string_view deviceName) {
  if (deviceName.find('/') != std::string_view::npos) {
    return std::string(deviceName);
  }
  if (const int com = ComNumber(deviceName); com > 0) {
    return "/dev/ttyS" + std::to_string(com - 1);
  }
  return "/dev/" + std::string(deviceName);
}

}  // namespace vidideza
