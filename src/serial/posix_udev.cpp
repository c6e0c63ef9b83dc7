#include "serial/posix_udev.h"

#include <libudev.h>

namespace vidideza {

namespace {

struct DeviceUnref {
  void operator()(udev_device* device) const { udev_device_unref(device); }
};

}  // namespace

void UdevRecords::Unref::operator()(udev* context) const {
  udev_unref(context);
}

UdevRecords::UdevRecords() : context_(udev_new()) {}

UdevRecords::~UdevRecords() = default;

std::map<std::string, std::string> UdevRecords::Properties(const std::string& ttyName) const {
  std::map<std::string, std::string> properties;
  if (!context_) {
    return properties;
  }
  const std::unique_ptr<udev_device, DeviceUnref> device(
      udev_device_new_from_subsystem_sysname(context_.get(), "tty", ttyName.c_str()));
  // Without udev's database a device is not initialized and its properties are sysfs's alone.
  if (!device || udev_device_get_is_initialized(device.get()) <= 0) {
    return properties;
  }
  for (udev_list_entry* entry = udev_device_get_properties_list_entry(device.get());
       entry != nullptr; entry = udev_list_entry_get_next(entry)) {
    const char* value = udev_list_entry_get_value(entry);
    properties[udev_list_entry_get_name(entry)] = value == nullptr ? "" : value;
  }
  return properties;
}

}  // namespace vidideza
