#pragma once

#include <cstdint>

namespace vidideza {

// The first value of every enumeration leaves the device's (or process's) own value alone.
enum class TBaudRate {
  brDefault,
  br50,
  br75,
  br110,
  br150,
  br300,
  br600,
  br1200,
  br1800,
  br2000,
  br2400,
  br3600,
  br4800,
  br7200,
  br9600,
  br10400,
  br14400,
  br15625,
  br19200,
  br28800,
  br38400,
  br56000,
  br57600,
  br115200,
  br128000,
  br256000,
  brCustom
};
enum class TDataBits { dbDefault, db4, db5, db6, db7, db8 };
enum class TParity { paDefault, paNone, paOdd, paEven, paMark, paSpace };
enum class TStopBits { sbDefault, sb1, sb1_5, sb2 };
enum class TDTRFlowControl { dcDefault, dcDisable, dcEnable, dcHandshake };
enum class TRTSFlowControl { rcDefault, rcDisable, rcEnable, rcHandshake, rcToggle };
enum class TXOnXOffFlowControl { xcDefault, xcDisable, xcInput, xcOutput, xcInputOutput };
enum class TPriorityClass { pcDefault, pcIdle, pcNormal, pcHigh, pcRealTime };
enum class TComAction { caFail, caAbort };

// Options, one bit each, in the order in which they are applied.
enum TComOption : std::uint32_t {
  opCheckParity = 1U << 0,
  opOutputCTSFlow = 1U << 1,
  opOutputDSRFlow = 1U << 2,
  opDSRSensitivity = 1U << 3,
  opTXContinueOnXOff = 1U << 4,
  opUseErrorChar = 1U << 5,
  opDiscardNullBytes = 1U << 6,
  opAbortOnError = 1U << 7,
};

// Modem status bits as the device reports them.
enum TModemStatusBit : std::uint32_t { msCTS = 0x10, msDSR = 0x20, msRing = 0x40, msRLSD = 0x80 };

// Baud rate of a named value; 0 for brDefault and brCustom.
int BaudRateValue(TBaudRate rate);

// Everything that "applying the line settings" programs into an open device.
struct LineSettings {
  int baudRate = 0;  // 0: leave alone
  TDataBits dataBits = TDataBits::dbDefault;
  TParity parity = TParity::paDefault;
  TStopBits stopBits = TStopBits::sbDefault;
  TDTRFlowControl dtr = TDTRFlowControl::dcDefault;
  TRTSFlowControl rts = TRTSFlowControl::rcDefault;
  TXOnXOffFlowControl xOnXOff = TXOnXOffFlowControl::xcDefault;
  std::uint16_t xOnLimit = 0;
  std::uint16_t xOffLimit = 0;
  std::uint8_t xOnChar = 0x11;
  std::uint8_t xOffChar = 0x13;
  std::uint8_t errorChar = 0;
  std::uint8_t eofChar = 0;
  std::uint8_t eventChar = 0;
  std::uint32_t options = 0;
};

struct BufferSizeSettings {
  std::int32_t input = 4096;
  std::int32_t output = 2048;
};

struct TimeoutSettings {
  std::int32_t readInterval = 0;
  std::int32_t readMultiplier = 0;
  std::int32_t readConstant = 0;
  std::int32_t writeMultiplier = 0;
  std::int32_t writeConstant = 0;
};

}  // namespace vidideza
