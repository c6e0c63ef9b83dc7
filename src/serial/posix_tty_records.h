#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "serial/tty_selection.h"

namespace vidideza {

// Reading Linux's own records of its tty devices from the trees they live in ("/dev", "/sys"),
// so the same code reads a test's copy of them.

// The names under devRoot that are tty devices (character devices, or links to them) a serial
// port may be: tty* and rfcomm*.
std::vector<std::string> DevTtyNames(const std::filesystem::path& devRoot);

// The links of devRoot/serial/by-id and the device names they point to.
std::vector<ByIdLink> ReadByIdLinks(const std::filesystem::path& devRoot);

// What sysRoot/class/tty/<name> tells: the device behind it, its driver, the UART type of a
// serial-core port, and vendor, model, serial number and ids of the USB device it sits on.
// Nothing when sysfs has no such tty.
std::optional<TtyRecord> ReadSysfsTty(const std::filesystem::path& sysRoot,
                                      const std::string& name);

// What udev's records tell of a tty, by its name; empty where udev tells nothing.
using UdevLookup = std::function<std::map<std::string, std::string>(const std::string& ttyName)>;

// The serial ports present in those trees, in the order and with the identities the selector
// shows them: sysfs's records with udev's laid over them.
std::vector<PortListing> ReadTtyPorts(const std::filesystem::path& devRoot,
                                      const std::filesystem::path& sysRoot, const UdevLookup& udev);

}  // namespace vidideza
