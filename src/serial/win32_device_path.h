#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vidideza {

// The file name under which Windows opens a port: the name as given, except that "COM10" and
// above (any case) need the device namespace prefix "\\.\", without which they cannot open.
std::string Win32DevicePath(std::string_view deviceName);

// The selector's port names: "COM1" to "COM9", then the other ports present in number order.
std::vector<std::string> SelectorPortNames(std::vector<std::string> present);

}  // namespace vidideza
