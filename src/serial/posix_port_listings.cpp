// The port selector's list on Linux: the tty devices under /dev, told apart and named by sysfs
// and, where udev runs, by udev's records and hardware database.
#include "serial/posix_tty_records.h"
#include "serial/posix_udev.h"
#include "serial/serial_device.h"

namespace vidideza {

std::vector<PortListing> SerialPortListings() {
  const UdevRecords udev;
  return SelectorListings(
      ReadTtyPorts("/dev", "/sys", [&](const std::string& name) { return udev.Properties(name); }));
}

}  // namespace vidideza
