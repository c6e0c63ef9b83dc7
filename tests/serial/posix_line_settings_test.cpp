#include "serial/posix_line_settings.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace vidideza {
namespace {

// A record as some other program may have left the device: cooked, 4800 7O1, both flow
// controls on.
termios CookedRecord() {
  termios t{};
  t.c_iflag = ICRNL | IXON | IXOFF | INPCK;
  t.c_oflag = OPOST | ONLCR;
  t.c_lflag = ICANON | ECHO | ISIG;
  t.c_cflag = CS7 | PARENB | PARODD | CRTSCTS;
  cfsetspeed(&t, B4800);
  return t;
}

LineSettings ToolSettings() {
  LineSettings s;
  s.baudRate = 9600;
  s.dataBits = TDataBits::db8;
  s.parity = TParity::paNone;
  s.stopBits = TStopBits::sb2;
  s.dtr = TDTRFlowControl::dcDisable;
  s.rts = TRTSFlowControl::rcDisable;
  s.xOnXOff = TXOnXOffFlowControl::xcDisable;
  return s;
}

TEST(ApplyToTermios, ToolSettingsGiveRaw9600EightNoneTwoWithoutFlowControl) {
  termios t = CookedRecord();
  ASSERT_EQ(ApplyToTermios(t, ToolSettings()), 0);
  EXPECT_EQ(cfgetospeed(&t), B9600);
  EXPECT_EQ(cfgetispeed(&t), B9600);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), 0U);
  EXPECT_NE(t.c_cflag & CSTOPB, 0U);
  EXPECT_EQ(t.c_cflag & CRTSCTS, 0U);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | INPCK | ICRNL), 0U);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0U);
  EXPECT_EQ(t.c_oflag & OPOST, 0U);
  EXPECT_NE(t.c_cflag & CLOCAL, 0U);
}

TEST(ApplyToTermios, DefaultValuesLeaveTheRecordsSettingsAlone) {
  termios t = CookedRecord();
  ASSERT_EQ(ApplyToTermios(t, LineSettings{}), 0);
  EXPECT_EQ(cfgetospeed(&t), B4800);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
  EXPECT_EQ(t.c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB | PARODD));
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
}

TEST(ApplyToTermios, EachSettingMapsToItsFlags) {
  const struct {
    const char* what;
    LineSettings settings;
    tcflag_t cflagMask, cflag, iflagMask, iflag;
  } rows[] = {
      {"odd", {.parity = TParity::paOdd}, PARENB | PARODD | CMSPAR, PARENB | PARODD, 0, 0},
      {"even", {.parity = TParity::paEven}, PARENB | PARODD | CMSPAR, PARENB, 0, 0},
      {"mark",
       {.parity = TParity::paMark},
       PARENB | PARODD | CMSPAR,
       PARENB | PARODD | CMSPAR,
       0,
       0},
      {"space", {.parity = TParity::paSpace}, PARENB | PARODD | CMSPAR, PARENB | CMSPAR, 0, 0},
      {"5 bits", {.dataBits = TDataBits::db5}, CSIZE, CS5, 0, 0},
      {"1 stop", {.stopBits = TStopBits::sb1}, CSTOPB, 0, 0, 0},
      {"1.5 stop", {.stopBits = TStopBits::sb1_5}, CSTOPB, CSTOPB, 0, 0},
      {"xon in", {.xOnXOff = TXOnXOffFlowControl::xcInput}, 0, 0, IXON | IXOFF, IXOFF},
      {"xon out", {.xOnXOff = TXOnXOffFlowControl::xcOutput}, 0, 0, IXON | IXOFF, IXON},
      {"rts handshake", {.rts = TRTSFlowControl::rcHandshake}, CRTSCTS, CRTSCTS, 0, 0},
      {"cts option", {.options = opOutputCTSFlow}, CRTSCTS, CRTSCTS, 0, 0},
      {"parity check", {.options = opCheckParity}, 0, 0, INPCK, INPCK},
  };
  for (const auto& row : rows) {
    termios t{};
    cfsetspeed(&t, B9600);
    ASSERT_EQ(ApplyToTermios(t, row.settings), 0) << row.what;
    EXPECT_EQ(t.c_cflag & row.cflagMask, row.cflag) << row.what;
    EXPECT_EQ(t.c_iflag & row.iflagMask, row.iflag) << row.what;
  }
}

TEST(ApplyToTermios, SettingsThePlatformCannotExpressAreRefused) {
  const LineSettings refused[] = {
      {.baudRate = 14400},
      {.baudRate = 256000},
      {.dataBits = TDataBits::db4},
      {.dtr = TDTRFlowControl::dcHandshake},
      {.rts = TRTSFlowControl::rcToggle},
  };
  for (const auto& settings : refused) {
    termios t{};
    EXPECT_EQ(ApplyToTermios(t, settings), EINVAL);
  }
}

}  // namespace
}  // namespace vidideza
