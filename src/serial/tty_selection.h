#pragma once

#include <map>
#include <string>
#include <vector>

#include "serial/port_listing.h"

namespace vidideza {

// What the system tells about one tty device (Linux: its sysfs entry, udev's records).
struct TtyRecord {
  bool hasDevice = false;  // a device stands behind it (not a console, pseudo-terminal...)
  std::string driver;      // the driver of that device: ftdi_sio, cdc_acm, serial, serial8250...
  int uartType = -1;       // serial-core ports: the UART type found, 0 when none; -1 unknown
  std::string usbId;       // "0403:6001" for a device on USB
  std::string vendor;
  std::string model;
  std::string serial;
};

// A name under /dev/serial/by-id and the device it points to ("ttyUSB0").
struct ByIdLink {
  std::string name;
  std::string target;
};

// The serial devices to offer, from the tty names present under /dev and the records of them:
// USB serial adapters (ttyUSB*, ttyACM*, any tty on USB), then on-board UARTs (ttyS* with a UART
// behind them, not the placeholders the kernel makes for ports that may exist), then other ttys
// with a serial driver (ttyAMA*, ttyO*, rfcomm*...), then the stable by-id names; each group in
// natural order. Listed names are as the port selector opens them: "ttyUSB0",
// "/dev/serial/by-id/...".
std::vector<PortListing> SelectTtyPorts(const std::vector<std::string>& devNames,
                                        const std::map<std::string, TtyRecord>& records,
                                        const std::vector<ByIdLink>& byId);

// What a record tells, in one line: "FTDI FT232R USB UART, serial A9X1, USB 0403:6001, driver
// ftdi_sio"; empty when it tells nothing.
std::string TtyIdentity(const TtyRecord& record);

// The record with udev's properties laid over it: the hardware database's vendor and model
// names (as device managers show them), the serial number and USB ids udev found.
TtyRecord WithUdevProperties(TtyRecord record,
                             const std::map<std::string, std::string>& properties);

}  // namespace vidideza
