#include "serial/win32_device_path.h"

#include <algorithm>

#include "serial/com_port_name.h"

namespace vidideza {

std::string Win32DevicePath(std::string_view deviceName) {
  if (ComPortNumber(deviceName) >= 10) {
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
    const int number = ComPortNumber(name);
    return number >= 1 && number <= 9;
  });
  std::sort(present.begin(), present.end(), [](const std::string& a, const std::string& b) {
    return std::pair(ComPortNumber(a), a) < std::pair(ComPortNumber(b), b);
  });
  present.erase(std::unique(present.begin(), present.end()), present.end());
  names.insert(names.end(), present.begin(), present.end());
  return names;
}

std::vector<PortListing> SelectorListingsWithFriendlyNames(
    std::vector<std::string> present, const std::map<std::string, std::string>& friendlyNames) {
  std::vector<PortListing> listings;
  for (std::string& name : SelectorPortNames(std::move(present))) {
    const auto friendly = friendlyNames.find(name);
    listings.push_back(
        {std::move(name), friendly == friendlyNames.end() ? std::string() : friendly->second});
  }
  return listings;
}

}  // namespace vidideza
