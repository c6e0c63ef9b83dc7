// The tty records read from copies of /dev and /sys laid out as Linux lays them out: a USB FTDI
// adapter, a CDC-ACM board, on-board UARTs before and after serial-base (Linux 6.5), the
// placeholders the kernel makes for ports that may exist, virtual consoles and by-id links.
#include "serial/posix_tty_records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "test_temp_dir.h"

namespace vidideza {
namespace {

namespace fs = std::filesystem;

class TtyTrees : public ::testing::Test {
 protected:
  TtyTrees() {
    fs::create_directories(dev_ / "serial" / "by-id");
    fs::create_directories(sys_ / "class" / "tty");
    fs::create_directories(sys_ / "bus");
  }

  // A device node: a link to a real character device, so nothing needs mknod.
  void Node(const std::string& name) { fs::create_symlink("/dev/null", dev_ / name); }

  void ByIdLink(const std::string& name, const std::string& target) {
    fs::create_symlink("../../" + target, dev_ / "serial" / "by-id" / name);
  }

  // A device folder under /sys/devices, with the given attributes and the links sysfs gives it.
  fs::path Device(const std::string& path, const std::map<std::string, std::string>& attributes,
                  const std::string& subsystem = "", const std::string& driver = "") {
    const fs::path folder = sys_ / "devices" / path;
    fs::create_directories(folder);
    for (const auto& [name, value] : attributes) {
      WriteFileText(folder / name, value + "\n");
    }
    if (!subsystem.empty()) {
      fs::create_directories(sys_ / "bus" / subsystem / "drivers" / driver);
      fs::create_symlink(sys_ / "bus" / subsystem, folder / "subsystem");
      if (!driver.empty()) {
        fs::create_symlink(sys_ / "bus" / subsystem / "drivers" / driver, folder / "driver");
      }
    }
    return folder;
  }

  // The class entry of a tty, with its UART type where it has one and the device behind it.
  void Tty(const std::string& name, const fs::path& device, const std::string& type = "") {
    const fs::path entry = sys_ / "class" / "tty" / name;
    fs::create_directories(entry);
    if (!type.empty()) {
      WriteFileText(entry / "type", type + "\n");
    }
    if (!device.empty()) {
      fs::create_symlink(device, entry / "device");
    }
  }

  void LayOutAMachine() {
    const std::string usb = "pci0000:00/0000:00:14.0/usb1/";
    Device(usb + "1-1", {{"idVendor", "0403"},
                         {"idProduct", "6001"},
                         {"manufacturer", "FTDI"},
                         {"product", "FT232R USB UART"},
                         {"serial", "A9X1"}});
    Device(usb + "1-1/1-1:1.0", {}, "usb", "ftdi_sio");
    Tty("ttyUSB0", Device(usb + "1-1/1-1:1.0/ttyUSB0", {}, "usb-serial", "ftdi_sio"));
    Node("ttyUSB0");

    Device(usb + "1-2", {{"idVendor", "2341"}, {"idProduct", "0043"}, {"serial", "75830333"}});
    Tty("ttyACM0", Device(usb + "1-2/1-2:1.0", {}, "usb", "cdc_acm"));
    Node("ttyACM0");

    // Since Linux 6.5: the tty's device is a serial-base port under a controller.
    Device("pnp0/00:05", {}, "pnp", "serial");
    Device("pnp0/00:05/00:05:0", {}, "serial-base", "ctrl");
    Tty("ttyS0", Device("pnp0/00:05/00:05:0/00:05:0.0", {}, "serial-base", "port"), "4");
    Device("platform/serial8250", {}, "platform", "serial8250");
    Device("platform/serial8250/serial8250:0", {}, "serial-base", "ctrl");
    Tty("ttyS1",
        Device("platform/serial8250/serial8250:0/serial8250:0.1", {}, "serial-base", "port"), "0");
    // Before: the tty's device is the UART's, or the platform device for a placeholder.
    Tty("ttyS2", sys_ / "devices" / "platform" / "serial8250", "0");
    Tty("ttyS3", Device("pnp0/00:06", {}, "pnp", "serial"), "4");
    for (const char* name : {"ttyS0", "ttyS1", "ttyS2", "ttyS3"}) {
      Node(name);
    }

    Tty("tty1", {});
    Node("tty1");
    Node("tty");
    Node("console");
    WriteFileText(dev_ / "ttyUSB9", "");  // not a device: a file left behind
    ByIdLink("usb-FTDI_FT232R_USB_UART_A9X1-if00-port0", "ttyUSB0");
    fs::create_symlink("../../ttyUSB5", dev_ / "serial" / "by-id" / "usb-gone-if00-port0");
  }

  CurrentTempDir temp_;
  fs::path dev_ = temp_.path() / "dev";
  fs::path sys_ = temp_.path() / "sys";
};

std::vector<std::pair<std::string, std::string>> Pairs(const std::vector<PortListing>& ports) {
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const PortListing& port : ports) {
    pairs.emplace_back(port.name, port.identity);
  }
  return pairs;
}

const UdevLookup kNoUdev = [](const std::string&) { return std::map<std::string, std::string>(); };

TEST_F(TtyTrees, SysfsAloneTellsTheAdaptersAndTheRealUarts) {
  LayOutAMachine();
  using Pair = std::pair<std::string, std::string>;
  EXPECT_EQ(Pairs(ReadTtyPorts(dev_, sys_, kNoUdev)),
            (std::vector<Pair>{
                {"ttyACM0", "serial 75830333, USB 2341:0043, driver cdc_acm"},
                {"ttyUSB0", "FTDI FT232R USB UART, serial A9X1, USB 0403:6001, driver ftdi_sio"},
                {"ttyS0", "UART 16550A, driver serial"},
                {"ttyS3", "UART 16550A, driver serial"},
                {"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A9X1-if00-port0",
                 "-> ttyUSB0, FTDI FT232R USB UART, serial A9X1, USB 0403:6001, driver ftdi_sio"},
            }));
}

TEST_F(TtyTrees, UdevsHardwareDatabaseNamesTheDevices) {
  LayOutAMachine();
  std::vector<std::string> asked;
  const UdevLookup udev = [&asked](const std::string& name) {
    asked.push_back(name);
    std::map<std::string, std::string> properties;
    if (name == "ttyACM0") {
      properties = {{"ID_VENDOR_FROM_DATABASE", "Arduino SA"},
                    {"ID_MODEL_FROM_DATABASE", "Uno (CDC ACM)"}};
    }
    return properties;
  };
  const std::vector<PortListing> ports = ReadTtyPorts(dev_, sys_, udev);
  ASSERT_FALSE(ports.empty());
  EXPECT_EQ(ports[0].identity,
            "Arduino SA Uno (CDC ACM), serial 75830333, USB 2341:0043, driver cdc_acm");
  // udev is not asked about ttys without a device (the virtual console).
  EXPECT_EQ(std::count(asked.begin(), asked.end(), "tty1"), 0);
  EXPECT_EQ(std::count(asked.begin(), asked.end(), "ttyUSB0"), 1);
}

TEST_F(TtyTrees, ADeviceThatAppearsIsListedAtTheNextReading) {
  LayOutAMachine();
  const auto before = ReadTtyPorts(dev_, sys_, kNoUdev);
  Node("ttyUSB10");  // no sysfs entry: a USB name alone is enough to offer it
  Node("ttyUSB2");
  const auto after = ReadTtyPorts(dev_, sys_, kNoUdev);
  ASSERT_EQ(after.size(), before.size() + 2);
  EXPECT_EQ(after[1].name, "ttyUSB0");
  EXPECT_EQ(after[2].name, "ttyUSB2");
  EXPECT_EQ(after[3].name, "ttyUSB10");
  EXPECT_EQ(after[3].identity, "");
}

TEST_F(TtyTrees, MissingTreesListNothing) {
  EXPECT_TRUE(ReadTtyPorts(temp_.path() / "none", temp_.path() / "none", kNoUdev).empty());
  EXPECT_FALSE(ReadSysfsTty(sys_, "ttyUSB0").has_value());
  EXPECT_FALSE(ReadSysfsTty(sys_, "../class").has_value());
  EXPECT_FALSE(ReadSysfsTty(sys_, "").has_value());
}

TEST_F(TtyTrees, PlaceholdersHaveNoUartType) {
  LayOutAMachine();
  struct Case {
    const char* name;
    int type;
    const char* driver;
  };
  const Case cases[] = {
      {"ttyS0", 4, "serial"}, {"ttyS1", 0, "serial8250"},  {"ttyS2", 0, "serial8250"},
      {"ttyS3", 4, "serial"}, {"ttyUSB0", -1, "ftdi_sio"},
  };
  for (const Case& c : cases) {
    const auto record = ReadSysfsTty(sys_, c.name);
    ASSERT_TRUE(record.has_value()) << c.name;
    EXPECT_TRUE(record->hasDevice) << c.name;
    EXPECT_EQ(record->uartType, c.type) << c.name;
    EXPECT_EQ(record->driver, c.driver) << c.name;
  }
  const auto console = ReadSysfsTty(sys_, "tty1");
  ASSERT_TRUE(console.has_value());
  EXPECT_FALSE(console->hasDevice);
}

}  // namespace
}  // namespace vidideza
