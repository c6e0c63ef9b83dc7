#include "serial/posix_device_path.h"

#include <gtest/gtest.h>

namespace vidideza {
namespace {

TEST(PosixDevicePath, MapsPortNamesToDeviceFiles) {
  const struct {
    const char* name;
    const char* path;
  } rows[] = {
      {"COM1", "/dev/ttyS0"},
      {"COM9", "/dev/ttyS8"},
      {"com12", "/dev/ttyS11"},
      {"COM256", "/dev/ttyS255"},
      {"COM257", "/dev/COM257"},
      {"COM0", "/dev/COM0"},
      {"COM01", "/dev/COM01"},
      {"COM", "/dev/COM"},
      {"COM1x", "/dev/COM1x"},
      {"ttyUSB0", "/dev/ttyUSB0"},
      {"/dev/pts/3", "/dev/pts/3"},
      {"./tty", "./tty"},
      {"", "/dev/"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(PosixDevicePath(row.name), row.path) << row.name;
  }
}

}  // namespace
}  // namespace vidideza
