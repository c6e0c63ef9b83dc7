#include "serial/win32_device_path.h"

#include <algorithm>
#include <cctype>

namespace vidideza {

namespace {

// The number of a "COMn" name, 0 for any other name.
int ComNumber(std::string_view name) {
  if (name.size() < 4 || name.size() > 6) {
    return 0;
  }
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) {
      return 0;
    }
  }
  int number = 0;
  for (const char c : name.substr(3)) {
    if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
      return 0;
    }
    number = number * 10 + (c - '0');
  }
  return number;
}

}  // namespace

std::string Win32DevicePath(std::string_view deviceName) {
  if (ComNumber(deviceName) >= 10) {
    return "\\\\.\\" + std::string(deviceName);
  }
  return std::string(deviceName);
}

std::vector<std::string> SelectorPortNames(std::vector<std::string> present) {
  std::vector<std::string> names;
  for (int i = 1; i <= 9; ++i) {
    names.push_back("COM" + std::to_string(i));
  }
  std::erase_if(present, [](const std::string& name) {
    const int number = ComNumber(name);
    return number >= 1 && number <= 9;
  });
  std::sort(present.begin(), present.end(), [](const std::string& a, const std::string& b) {
    return std::pair(ComNumber(a), a) < std::pair(ComNumber(b), b);
  });
  present.erase(std::unique(present.begin(), present.end()), present.end());
  names.insert(names.end(), present.begin(), present.end());
  return names;
}

}  // namespace vidideza
