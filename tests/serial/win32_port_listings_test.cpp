// The port selector's list on Windows: the ports the system lists at each reading, with their
// friendly names.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "port_listing_names.h"
#include "serial/serial_device.h"
#include "serial/win32_device_path.h"

namespace vidideza {
namespace {

bool Listed(const std::string& name) {
  const std::vector<std::string> names = Names(SerialPortListings());
  return std::count(names.begin(), names.end(), name) == 1;
}

TEST(Win32PortListings, FriendlyNamesGoWithTheirPorts) {
  const std::vector<PortListing> listings = SelectorListingsWithFriendlyNames(
      {"COM12", "COM3", "COM10"}, {{"COM3", "Communications Port (COM3)"},
                                   {"COM10", "USB Serial Port (COM10)"},
                                   {"COM44", "Not present (COM44)"}});
  const std::vector<PortListing> expected{{"COM1", ""},
                                          {"COM2", ""},
                                          {"COM3", "Communications Port (COM3)"},
                                          {"COM4", ""},
                                          {"COM5", ""},
                                          {"COM6", ""},
                                          {"COM7", ""},
                                          {"COM8", ""},
                                          {"COM9", ""},
                                          {"COM10", "USB Serial Port (COM10)"},
                                          {"COM12", ""}};
  EXPECT_EQ(listings, expected);
}

TEST(Win32PortListings, TheSystemsPortsFollowTheNineFixedNames) {
  const std::vector<std::string> names = Names(SerialPortListings());
  ASSERT_GE(names.size(), 9U);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 9),
            (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
                                      "COM8", "COM9"}));
  const char* mapped = std::getenv("VIDIDEZA_TEST_COM_LISTED");
  if (mapped == nullptr) {
    GTEST_SKIP() << "no port above COM9 is mapped for this run";
  }
  EXPECT_TRUE(Listed(mapped)) << mapped;
}

// A port that appears in the system's serial device map is listed at the next reading and gone
// at the one after it leaves. Writing the map needs an administrator (Wine's default user is).
TEST(Win32PortListings, APortThatComesAndGoesIsListedOnlyWhileItIsThere) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr,
                        REG_OPTION_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
    GTEST_SKIP() << "the serial device map cannot be written here";
  }
  const char* value = "\\Device\\VididezaTest";
  const char port[] = "COM23";
  ASSERT_FALSE(Listed(port));
  ASSERT_EQ(
      ::RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(port), sizeof port),
      ERROR_SUCCESS);
  const bool whilePresent = Listed(port);
  ::RegDeleteValueA(key, value);
  ::RegCloseKey(key);
  EXPECT_TRUE(whilePresent);
  EXPECT_FALSE(Listed(port));
}

}  // namespace
}  // namespace vidideza
