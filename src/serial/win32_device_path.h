#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "serial/port_listing.h"

namespace vidideza {

// The file name under which Windows opens a port: the name as given, except that "COM10" and
// above (any case) need the device namespace prefix "\\.\", without which they cannot open.
std::string Win32DevicePath(std::string_view deviceName);

// The selector's port names: "COM1" to "COM9", then the other ports present in number order.
std::vector<std::string> SelectorPortNames(std::vector<std::string> present);

// The selector's list: its port names, each with the friendly name the system gives the device
// of that port ("USB Serial Port (COM7)"), where it gives one.
std::vector<PortListing> SelectorListingsWithFriendlyNames(
    std::vector<std::string> present, const std::map<std::string, std::string>& friendlyNames);

}  // namespace vidideza
