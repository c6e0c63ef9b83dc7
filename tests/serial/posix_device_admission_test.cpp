#include "serial/posix_device_admission.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <optional>
#include <string>

namespace vidideza {
namespace {

TEST(DeviceRefusal, AdmitsOnlyCharacterDevicesThatAreNotOwnTerminals) {
  const dev_t pts3 = makedev(136, 3);
  const dev_t usb0 = makedev(188, 0);
  const struct {
    mode_t mode;
    dev_t device;
    int refusal;
  } rows[] = {
      {S_IFCHR | 0660, usb0, 0},    {S_IFCHR | 0620, pts3, EBUSY}, {S_IFDIR | 0755, 0, ENOENT},
      {S_IFREG | 0644, 0, ENOTTY},  {S_IFIFO | 0600, 0, ENOTTY},   {S_IFBLK | 0660, usb0, ENOTTY},
      {S_IFSOCK | 0600, 0, ENOTTY},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(DeviceRefusal(row.mode, row.device, {pts3}), row.refusal) << row.mode;
  }
}

TEST(ControllingTerminalOf, ReadsTheTtyFieldOfAProcessStatLine) {
  const struct {
    std::string line;
    std::optional<dev_t> terminal;
  } rows[] = {
      // pts/3: major 136, minor 3.
      {"4242 (vidideza) S 1 4242 4242 34819 4242 4194560 ...", makedev(136, 3)},
      // A name with spaces and parentheses; ttyS0 (4, 64).
      {"77 (a) b (c) S 1 77 77 1088 77 0", makedev(4, 64)},
      // A minor above 255 is split across the field: pts/300.
      {"5 (x) S 1 5 5 " + std::to_string((136 << 8) | (300 & 0xff) | ((300 & ~0xff) << 12)) + " 5",
       makedev(136, 300)},
      {"1 (init) S 0 1 1 0 -1 4194560", std::nullopt},  // no controlling terminal
      {"1 (init) S 0 1", std::nullopt},                 // cut short
      {"garbage", std::nullopt},
      {"1 (x) S 0 1 1 12ab 1", std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ControllingTerminalOf(row.line), row.terminal) << row.line;
  }
}

}  // namespace
}  // namespace vidideza
