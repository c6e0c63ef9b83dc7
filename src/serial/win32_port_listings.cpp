// The port selector's list on Windows: the ports the registry's serial device map lists, with
// the friendly names the Ports device class gives them.
#include <windows.h>

#include <setupapi.h>

// The Ports class's GUID is defined here, not looked for in a library.
#include <initguid.h>

#include <devguid.h>

#include <map>
#include <memory>
#include <type_traits>

#include "serial/serial_device.h"
#include "serial/win32_device_path.h"

namespace vidideza {

namespace {

struct KeyClose {
  void operator()(HKEY key) const { ::RegCloseKey(key); }
};
using KeyOwner = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyClose>;

struct DeviceListDestroy {
  void operator()(HDEVINFO list) const { ::SetupDiDestroyDeviceInfoList(list); }
};
using DeviceListOwner = std::unique_ptr<std::remove_pointer_t<HDEVINFO>, DeviceListDestroy>;

// A string value of an open key; empty when it has none.
std::string StringValue(HKEY key, const char* name) {
  char data[256];
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return {};
  }
  data[size] = '\0';
  return data;
}

// The ports the system knows of, as the registry lists them.
std::vector<std::string> PresentPortNames() {
  std::vector<std::string> names;
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ,
                      &opened) != ERROR_SUCCESS) {
    return names;
  }
  const KeyOwner key(opened);
  for (DWORD i = 0;; ++i) {
    char valueName[256];
    DWORD valueNameSize = sizeof valueName;
    char data[256];
    DWORD dataSize = sizeof data - 1;
    DWORD type = 0;
    if (::RegEnumValueA(key.get(), i, valueName, &valueNameSize, nullptr, &type,
                        reinterpret_cast<BYTE*>(data), &dataSize) != ERROR_SUCCESS) {
      break;
    }
    if (type == REG_SZ && dataSize > 0) {
      data[dataSize] = '\0';
      names.emplace_back(data);
    }
  }
  return names;
}

// Port name to friendly name, for the present devices of the Ports class that have both.
std::map<std::string, std::string> FriendlyPortNames() {
  std::map<std::string, std::string> names;
  const HDEVINFO made =
      ::SetupDiGetClassDevsA(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
  if (made == INVALID_HANDLE_VALUE) {
    return names;
  }
  const DeviceListOwner list(made);
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD i = 0; ::SetupDiEnumDeviceInfo(list.get(), i, &device); ++i) {
    const HKEY opened =
        ::SetupDiOpenDevRegKey(list.get(), &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (opened == INVALID_HANDLE_VALUE) {
      continue;
    }
    const KeyOwner key(opened);
    const std::string port = StringValue(key.get(), "PortName");
    char friendly[256];
    DWORD type = 0;
    if (!port.empty() &&
        ::SetupDiGetDeviceRegistryPropertyA(list.get(), &device, SPDRP_FRIENDLYNAME, &type,
                                            reinterpret_cast<BYTE*>(friendly), sizeof friendly - 1,
                                            nullptr) &&
        type == REG_SZ) {
      friendly[sizeof friendly - 1] = '\0';
      names[port] = friendly;
    }
  }
  return names;
}

}  // namespace

std::vector<PortListing> SerialPortListings() {
  return SelectorListingsWithFriendlyNames(PresentPortNames(), FriendlyPortNames());
}

}  // namespace vidideza
