#include "serial/posix_device_admission.h"
#include "serial/posix_device_holders.h"

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

TEST(IsSameCharacterDevice, PseudoTerminalsOfAnotherDevptsInstanceAreOtherTerminals) {
  const auto node = [](mode_t type, unsigned major, unsigned minor, dev_t filesystem) {
    struct stat st {};
    st.st_mode = type | 0620;
    st.st_rdev = makedev(major, minor);
    st.st_dev = filesystem;
    return st;
  };
  const dev_t hostPts = makedev(0, 25);
  const dev_t privatePts = makedev(0, 90);
  const dev_t devtmpfs = makedev(0, 5);
  const dev_t privateDev = makedev(0, 91);
  const struct {
    struct stat a;
    struct stat b;
    bool same;
  } rows[] = {
      // a pseudo-terminal is known by its number within its own instance only
      {node(S_IFCHR, 136, 0, hostPts), node(S_IFCHR, 136, 0, hostPts), true},
      {node(S_IFCHR, 136, 0, hostPts), node(S_IFCHR, 136, 0, privatePts), false},
      {node(S_IFCHR, 143, 7, hostPts), node(S_IFCHR, 143, 7, privatePts), false},
      {node(S_IFCHR, 136, 0, hostPts), node(S_IFCHR, 136, 1, hostPts), false},
      // a real adapter is the same hardware through any node that names it
      {node(S_IFCHR, 188, 0, devtmpfs), node(S_IFCHR, 188, 0, privateDev), true},
      {node(S_IFCHR, 166, 0, devtmpfs), node(S_IFCHR, 166, 0, devtmpfs), true},
      {node(S_IFCHR, 188, 0, devtmpfs), node(S_IFCHR, 188, 1, devtmpfs), false},
      {node(S_IFCHR, 4, 64, devtmpfs), node(S_IFBLK, 4, 64, devtmpfs), false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(IsSameCharacterDevice(row.a, row.b), row.same)
        << major(row.a.st_rdev) << ":" << minor(row.a.st_rdev) << " on " << row.a.st_dev << " and "
        << major(row.b.st_rdev) << ":" << minor(row.b.st_rdev) << " on " << row.b.st_dev;
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

TEST(PtyIndexInFdInfo, ReadsTheIndexOfAMastersFdInfo) {
  const struct {
    const char* text;
    std::optional<unsigned> index;
  } rows[] = {
      {"pos:\t0\nflags:\t0100002\nmnt_id:\t30\nino:\t2\ntty-index:\t3\n", 3U},
      {"pos:\t0\ntty-index:\t4095", 4095U},
      {"pos:\t0\nflags:\t02\nmnt_id:\t30\n", std::nullopt},  // no master
      {"tty-index:\t\n", std::nullopt},
      {"tty-index:\t-1\n", std::nullopt},
      {"tty-index:\t7x\n", std::nullopt},
      {"xtty-index:\t7\n", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(PtyIndexInFdInfo(row.text), row.index) << row.text;
  }
  EXPECT_EQ(PtySlaveIndex(makedev(136, 5)), 5U);
  EXPECT_EQ(PtySlaveIndex(makedev(137, 2)), 258U);
}

}  // namespace
}  // namespace vidideza
