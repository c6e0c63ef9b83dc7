#include "serial/port_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "port_listing_names.h"
#include "serial/tty_selection.h"

namespace vidideza {
namespace {

TEST(NaturalOrder, DigitRunsCompareByValue) {
  struct Case {
    const char* a;
    const char* b;
    bool less;
  };
  const Case cases[] = {
      {"ttyUSB2", "ttyUSB10", true}, {"ttyUSB10", "ttyUSB2", false},
      {"ttyUSB9", "ttyUSB9", false}, {"ttyACM0", "ttyUSB0", true},
      {"ttyS", "ttyS0", true},       {"ttyS0", "ttyS", false},
      {"COM9", "COM10", true},       {"COM01", "COM1", true},
      {"COM1", "COM01", false},      {"a99999999999999999999", "a100000000000000000000", true},
      {"x2y10", "x2y9", false},      {"x2y9", "x2y10", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NaturalLess(c.a, c.b), c.less) << c.a << " < " << c.b;
  }
}

TEST(NaturalOrder, SortsLikeACountingPerson) {
  std::vector<std::string> names{"ttyUSB10", "ttyUSB2", "ttyUSB1", "ttyUSB0", "ttyUSB100"};
  std::sort(names.begin(), names.end(), NaturalLess);
  EXPECT_EQ(names,
            (std::vector<std::string>{"ttyUSB0", "ttyUSB1", "ttyUSB2", "ttyUSB10", "ttyUSB100"}));
}

TEST(SelectorListings, ComPortsComeFirstAndEachNameOnce) {
  const std::vector<PortListing> listings = SelectorListings({{"ttyUSB0", "FTDI"},
                                                              {"COM3", "on the board"},
                                                              {"ttyUSB0", "again"},
                                                              {"COM12", "USB Serial Port (COM12)"},
                                                              {"COM03", ""}});
  EXPECT_EQ(Names(listings),
            (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
                                      "COM8", "COM9", "ttyUSB0", "COM12", "COM03"}));
  EXPECT_EQ(listings[2].identity, "on the board");  // COM3 keeps its place and takes the hint
  EXPECT_EQ(listings[9].identity, "FTDI");          // the first of a repeated name stands
  EXPECT_EQ(listings[0].identity, "");
}

TEST(SelectorListings, WithNothingPresentIsTheDesignList) {
  EXPECT_EQ(Names(SelectorListings({})),
            (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
                                      "COM8", "COM9"}));
}

TtyRecord UsbRecord(const char* driver) {
  TtyRecord record;
  record.hasDevice = true;
  record.driver = driver;
  record.usbId = "0403:6001";
  return record;
}

TtyRecord UartRecord(int type) {
  TtyRecord record;
  record.hasDevice = true;
  record.driver = "serial";
  record.uartType = type;
  return record;
}

TEST(TtySelection, GroupsThenNaturalOrderThenStableNames) {
  TtyRecord console;  // a virtual console: no device behind it
  TtyRecord bluetooth;
  bluetooth.hasDevice = true;
  bluetooth.driver = "hci_uart";
  const std::map<std::string, TtyRecord> records{
      {"ttyUSB10", UsbRecord("ftdi_sio")}, {"ttyS0", UartRecord(4)}, {"ttyS1", UartRecord(0)},
      {"ttyS4", UartRecord(-1)},           {"tty1", console},        {"ttyHS0", bluetooth},
      {"ttyGS0", UsbRecord("g_serial")},
  };
  const std::vector<std::string> dev{"tty",     "tty1",    "ttyS1",   "ttyS0",   "ttyUSB10",
                                     "ttyUSB2", "ttyACM0", "ttyAMA0", "rfcomm0", "ttyS2",
                                     "ttyS4",   "ttyHS0",  "ttyGS0",  "ttyUSB2", "ttyprintk"};
  const std::vector<ByIdLink> byId{{"usb-FTDI_B-if00-port0", "ttyUSB10"},
                                   {"usb-Arduino_A-if00", "ttyACM0"}};
  EXPECT_EQ(
      Names(SelectTtyPorts(dev, records, byId)),
      (std::vector<std::string>{
          // USB serial: by name or by sitting on USB
          "ttyACM0", "ttyGS0", "ttyUSB2", "ttyUSB10",
          // on-board UARTs that have one; the placeholder ttyS1 and the unknown ttyS2 not
          "ttyS0", "ttyS4",
          // other serial ports: by name, or a tty with a driver behind it
          "rfcomm0", "ttyAMA0", "ttyHS0",
          // the stable names
          "/dev/serial/by-id/usb-Arduino_A-if00", "/dev/serial/by-id/usb-FTDI_B-if00-port0"}));
}

TEST(TtySelection, StableNamesTellTheDeviceTheyPointTo) {
  TtyRecord ftdi = UsbRecord("ftdi_sio");
  ftdi.vendor = "FTDI";
  const std::vector<PortListing> ports = SelectTtyPorts(
      {"ttyUSB0"}, {{"ttyUSB0", ftdi}}, {{"usb-FTDI-port0", "ttyUSB0"}, {"gone", "ttyUSB3"}});
  ASSERT_EQ(ports.size(), 3U);
  EXPECT_EQ(ports[1].identity, "-> ttyUSB3");
  EXPECT_EQ(ports[2].identity, "-> ttyUSB0, FTDI, USB 0403:6001, driver ftdi_sio");
}

TEST(TtyIdentity, TellsWhatTheRecordHoldsInOneLine) {
  TtyRecord full = UsbRecord("ftdi_sio");
  full.vendor = "FTDI";
  full.model = "FT232R USB UART";
  full.serial = "A9X1";
  TtyRecord modelOnly;
  modelOnly.model = "CP2102";
  struct Case {
    TtyRecord record;
    const char* identity;
  };
  const Case cases[] = {
      {full, "FTDI FT232R USB UART, serial A9X1, USB 0403:6001, driver ftdi_sio"},
      {modelOnly, "CP2102"},
      {UartRecord(4), "UART 16550A, driver serial"},
      {UartRecord(1), "UART 8250, driver serial"},
      {UartRecord(95), "UART type 95, driver serial"},
      {UartRecord(-1), "driver serial"},
      {TtyRecord{}, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TtyIdentity(c.record), c.identity);
  }
}

TEST(TtyIdentity, UdevNamesAndIdsOverSysfs) {
  TtyRecord sysfs = UsbRecord("cdc_acm");
  sysfs.vendor = "Arduino (www.arduino.cc)";
  sysfs.model = "";
  sysfs.serial = "7583";
  const TtyRecord merged = WithUdevProperties(sysfs, {{"ID_VENDOR_FROM_DATABASE", "Arduino SA"},
                                                      {"ID_MODEL_FROM_DATABASE", "Uno (CDC ACM)"},
                                                      {"ID_SERIAL_SHORT", "75830333"},
                                                      {"ID_USB_DRIVER", "usb_driver_udev_saw"},
                                                      {"ID_VENDOR_ID", "2341"},
                                                      {"ID_MODEL_ID", "0043"}});
  EXPECT_EQ(TtyIdentity(merged),
            "Arduino SA Uno (CDC ACM), serial 75830333, USB 2341:0043, driver cdc_acm");
  // Without udev's records, sysfs's reading stands as it is.
  EXPECT_EQ(TtyIdentity(WithUdevProperties(sysfs, {})), TtyIdentity(sysfs));
  // A vendor id without its product id does not replace the pair sysfs read.
  EXPECT_EQ(WithUdevProperties(sysfs, {{"ID_VENDOR_ID", "ffff"}}).usbId, "0403:6001");
  // The driver udev names is taken only where sysfs found none.
  TtyRecord noDriver;
  EXPECT_EQ(WithUdevProperties(noDriver, {{"ID_USB_DRIVER", "pl2303"}}).driver, "pl2303");
}

}  // namespace
}  // namespace vidideza
