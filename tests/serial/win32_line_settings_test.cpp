#include "serial/win32_line_settings.h"

#include <gtest/gtest.h>

#include "serial/win32_device_path.h"

namespace vidideza {
namespace {

// A control block as a device might report it, every field set to something of its own.
DCB ReportedBlock() {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  dcb.BaudRate = 4800;
  dcb.ByteSize = 7;
  dcb.Parity = EVENPARITY;
  dcb.StopBits = ONE5STOPBITS;
  dcb.fBinary = TRUE;
  dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
  dcb.fRtsControl = RTS_CONTROL_TOGGLE;
  dcb.fOutX = TRUE;
  dcb.fInX = TRUE;
  dcb.fParity = TRUE;
  dcb.fNull = TRUE;
  dcb.XonLim = 100;
  dcb.XoffLim = 200;
  return dcb;
}

TEST(ApplyToDcb, TheToolsLine) {
  LineSettings s;
  s.baudRate = 9600;
  s.dataBits = TDataBits::db8;
  s.parity = TParity::paNone;
  s.stopBits = TStopBits::sb2;
  s.dtr = TDTRFlowControl::dcDisable;
  s.rts = TRTSFlowControl::rcDisable;
  s.xOnXOff = TXOnXOffFlowControl::xcDisable;
  DCB dcb = ReportedBlock();
  ApplyToDcb(dcb, s);
  EXPECT_EQ(dcb.BaudRate, 9600U);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
  EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
  EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
  EXPECT_EQ(dcb.fOutX, 0U);
  EXPECT_EQ(dcb.fInX, 0U);
  // The options and limits are always written; they are all off and 0 here.
  EXPECT_EQ(dcb.fParity, 0U);
  EXPECT_EQ(dcb.fNull, 0U);
  EXPECT_EQ(dcb.XonLim, 0);
  EXPECT_EQ(dcb.XoffLim, 0);
  EXPECT_EQ(dcb.XonChar, 0x11);
  EXPECT_EQ(dcb.XoffChar, 0x13);
  EXPECT_EQ(dcb.fBinary, 1U);  // no setting touches it
}

TEST(ApplyToDcb, DefaultsLeaveTheDevicesValues) {
  DCB dcb = ReportedBlock();
  ApplyToDcb(dcb, LineSettings{});
  const DCB reported = ReportedBlock();
  EXPECT_EQ(dcb.BaudRate, reported.BaudRate);
  EXPECT_EQ(dcb.ByteSize, reported.ByteSize);
  EXPECT_EQ(dcb.Parity, reported.Parity);
  EXPECT_EQ(dcb.StopBits, reported.StopBits);
  EXPECT_EQ(dcb.fDtrControl, reported.fDtrControl);
  EXPECT_EQ(dcb.fRtsControl, reported.fRtsControl);
  EXPECT_EQ(dcb.fOutX, reported.fOutX);
  EXPECT_EQ(dcb.fInX, reported.fInX);
}

TEST(ApplyToDcb, EveryEnumeratedValueInTheDevicesNumbering) {
  const struct {
    TDataBits dataBits;
    TParity parity;
    TStopBits stopBits;
    TDTRFlowControl dtr;
    TRTSFlowControl rts;
    TXOnXOffFlowControl xOnXOff;
    BYTE byteSize, parityValue, stopValue;
    DWORD dtrValue, rtsValue, inX, outX;
  } rows[] = {
      {TDataBits::db4, TParity::paOdd, TStopBits::sb1, TDTRFlowControl::dcEnable,
       TRTSFlowControl::rcEnable, TXOnXOffFlowControl::xcInput, 4, ODDPARITY, ONESTOPBIT,
       DTR_CONTROL_ENABLE, RTS_CONTROL_ENABLE, 1, 0},
      {TDataBits::db5, TParity::paEven, TStopBits::sb1_5, TDTRFlowControl::dcHandshake,
       TRTSFlowControl::rcHandshake, TXOnXOffFlowControl::xcOutput, 5, EVENPARITY, ONE5STOPBITS,
       DTR_CONTROL_HANDSHAKE, RTS_CONTROL_HANDSHAKE, 0, 1},
      {TDataBits::db6, TParity::paMark, TStopBits::sb2, TDTRFlowControl::dcDisable,
       TRTSFlowControl::rcToggle, TXOnXOffFlowControl::xcInputOutput, 6, MARKPARITY, TWOSTOPBITS,
       DTR_CONTROL_DISABLE, RTS_CONTROL_TOGGLE, 1, 1},
      {TDataBits::db7, TParity::paSpace, TStopBits::sb1, TDTRFlowControl::dcDisable,
       TRTSFlowControl::rcDisable, TXOnXOffFlowControl::xcDisable, 7, SPACEPARITY, ONESTOPBIT,
       DTR_CONTROL_DISABLE, RTS_CONTROL_DISABLE, 0, 0},
  };
  for (const auto& row : rows) {
    LineSettings s;
    s.dataBits = row.dataBits;
    s.parity = row.parity;
    s.stopBits = row.stopBits;
    s.dtr = row.dtr;
    s.rts = row.rts;
    s.xOnXOff = row.xOnXOff;
    DCB dcb = ReportedBlock();
    ApplyToDcb(dcb, s);
    EXPECT_EQ(dcb.ByteSize, row.byteSize);
    EXPECT_EQ(dcb.Parity, row.parityValue);
    EXPECT_EQ(dcb.StopBits, row.stopValue);
    EXPECT_EQ(dcb.fDtrControl, row.dtrValue);
    EXPECT_EQ(dcb.fRtsControl, row.rtsValue);
    EXPECT_EQ(dcb.fInX, row.inX);
    EXPECT_EQ(dcb.fOutX, row.outX);
  }
}

TEST(ApplyToDcb, EachOptionSetsItsOwnFlagOnly) {
  const TComOption options[] = {opCheckParity,      opOutputCTSFlow,    opOutputDSRFlow,
                                opDSRSensitivity,   opTXContinueOnXOff, opUseErrorChar,
                                opDiscardNullBytes, opAbortOnError};
  for (std::size_t i = 0; i < std::size(options); ++i) {
    LineSettings s;
    s.options = options[i];
    DCB dcb = ReportedBlock();
    ApplyToDcb(dcb, s);
    const DWORD flags[] = {dcb.fParity,         dcb.fOutxCtsFlow,      dcb.fOutxDsrFlow,
                           dcb.fDsrSensitivity, dcb.fTXContinueOnXoff, dcb.fErrorChar,
                           dcb.fNull,           dcb.fAbortOnError};
    for (std::size_t j = 0; j < std::size(flags); ++j) {
      EXPECT_EQ(flags[j], i == j ? 1U : 0U) << "option " << i << ", flag " << j;
    }
  }
}

TEST(Win32DevicePath, PortsFromTenOnNeedTheDeviceNamespace) {
  const struct {
    const char* name;
    const char* path;
  } rows[] = {{"COM1", "COM1"},
              {"COM9", "COM9"},
              {"COM10", "\\\\.\\COM10"},
              {"com256", "\\\\.\\com256"},
              {"COM", "COM"},
              {"COM1x", "COM1x"},
              {"\\\\.\\COM12", "\\\\.\\COM12"},
              {"", ""}};
  for (const auto& row : rows) {
    EXPECT_EQ(Win32DevicePath(row.name), row.path) << row.name;
  }
}

TEST(SelectorPortNames, NineFixedNamesThenThePresentOnesInNumberOrder) {
  const std::vector<std::string> names =
      SelectorPortNames({"COM12", "COM3", "COM10", "COM2", "COM12"});
  const std::vector<std::string> expected = {"COM1", "COM2", "COM3", "COM4",  "COM5", "COM6",
                                             "COM7", "COM8", "COM9", "COM10", "COM12"};
  EXPECT_EQ(names, expected);
}

}  // namespace
}  // namespace vidideza
