#include "serial/posix_tty_records.h"

#include <sys/stat.h>

#include <algorithm>

#include "serial/posix_kernel_file.h"

namespace vidideza {

namespace fs = std::filesystem;

namespace {

// A sysfs attribute's text without its line end; empty when it cannot be read.
std::string Attribute(const fs::path& file) {
  std::string text = ReadKernelFile(file).value_or(std::string());
  text.erase(std::min(text.find('\n'), text.size()));
  while (!text.empty() && (text.back() == ' ' || text.back() == '\r')) {
    text.pop_back();
  }
  return text;
}

std::string LinkName(const fs::path& link) {
  std::error_code error;
  const fs::path target = fs::read_symlink(link, error);
  return error ? std::string() : target.filename().string();
}

bool IsCharacterDevice(const fs::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

// The driver of a port's device. Since Linux 6.5 a serial-core port's device is a "serial-base"
// port under a controller, whose drivers ("port", "ctrl") say nothing: the driver that tells is
// that of the device they sit on.
std::string DriverOf(const fs::path& top, fs::path device) {
  while (LinkName(device / "subsystem") == "serial-base" && device.has_parent_path() &&
         device.parent_path() != top && device.parent_path() != device) {
    device = device.parent_path();
  }
  return LinkName(device / "driver");
}

// The USB device a port sits on: the nearest folder above it with a vendor id.
std::optional<fs::path> UsbDeviceAbove(const fs::path& top, fs::path folder) {
  for (; !folder.empty() && folder != folder.root_path() && folder != top;
       folder = folder.parent_path()) {
    std::error_code error;
    if (fs::exists(folder / "idVendor", error)) {
      return folder;
    }
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::string> DevTtyNames(const fs::path& devRoot) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(devRoot, error)) {
    const std::string name = entry.path().filename().string();
    const bool ttyName =
        (name.rfind("tty", 0) == 0 && name.size() > 3) || name.rfind("rfcomm", 0) == 0;
    if (ttyName && IsCharacterDevice(entry.path())) {
      names.push_back(name);
    }
  }
  return names;
}

std::vector<ByIdLink> ReadByIdLinks(const fs::path& devRoot) {
  std::vector<ByIdLink> links;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(devRoot / "serial" / "by-id", error)) {
    const std::string target = LinkName(entry.path());
    if (!target.empty() && IsCharacterDevice(entry.path())) {
      links.push_back({entry.path().filename().string(), target});
    }
  }
  return links;
}

std::optional<TtyRecord> ReadSysfsTty(const fs::path& sysRoot, const std::string& name) {
  const fs::path tty = sysRoot / "class" / "tty" / name;
  std::error_code error;
  if (name.empty() || name.find('/') != std::string::npos || !fs::exists(tty, error)) {
    return std::nullopt;
  }
  TtyRecord record;
  if (const std::string type = Attribute(tty / "type"); !type.empty()) {
    record.uartType = type.find_first_not_of("0123456789") == std::string::npos && type.size() < 6
                          ? std::stoi(type)
                          : -1;
  }
  const fs::path device = fs::canonical(tty / "device", error);
  if (error) {
    return record;
  }
  record.hasDevice = true;
  // The device folder is a real path: so must be the top it is compared with.
  const fs::path top = fs::weakly_canonical(sysRoot / "devices", error);
  record.driver = DriverOf(top, device);
  if (const auto usb = UsbDeviceAbove(top, device)) {
    record.usbId = Attribute(*usb / "idVendor") + ":" + Attribute(*usb / "idProduct");
    record.vendor = Attribute(*usb / "manufacturer");
    record.model = Attribute(*usb / "product");
    record.serial = Attribute(*usb / "serial");
  }
  return record;
}

std::vector<PortListing> ReadTtyPorts(const fs::path& devRoot, const fs::path& sysRoot,
                                      const UdevLookup& udev) {
  const std::vector<std::string> names = DevTtyNames(devRoot);
  std::map<std::string, TtyRecord> records;
  for (const std::string& name : names) {
    if (auto record = ReadSysfsTty(sysRoot, name)) {
      // udev is asked only about ttys with a device behind them: the many virtual consoles have
      // none, and the list is read on the UI thread each time it opens.
      records[name] = record->hasDevice ? WithUdevProperties(std::move(*record), udev(name))
                                        : std::move(*record);
    }
  }
  return SelectTtyPorts(names, records, ReadByIdLinks(devRoot));
}

}  // namespace vidideza
