#include "serial/win32_line_settings.h"

namespace vidideza {

namespace {

// The enumerations list "default" first, then the values in the device's own numbering.
template <typename Enum>
DWORD DeviceValue(Enum value) {
  return static_cast<DWORD>(value) - 1;
}

DWORD Flag(std::uint32_t options, TComOption option) {
  return (options & option) != 0 ? 1 : 0;
}

}  // namespace

void ApplyToDcb(DCB& dcb, const LineSettings& s) {
  if (s.baudRate != 0) {
    dcb.BaudRate = static_cast<DWORD>(s.baudRate);
  }
  if (s.dataBits != TDataBits::dbDefault) {
    dcb.ByteSize = static_cast<BYTE>(DeviceValue(s.dataBits) + 4);
  }
  if (s.parity != TParity::paDefault) {
    dcb.Parity = static_cast<BYTE>(DeviceValue(s.parity));
  }
  if (s.stopBits != TStopBits::sbDefault) {
    dcb.StopBits = static_cast<BYTE>(DeviceValue(s.stopBits));
  }
  dcb.XonChar = static_cast<char>(s.xOnChar);
  dcb.XoffChar = static_cast<char>(s.xOffChar);
  dcb.ErrorChar = static_cast<char>(s.errorChar);
  dcb.EofChar = static_cast<char>(s.eofChar);
  dcb.EvtChar = static_cast<char>(s.eventChar);
  if (s.dtr != TDTRFlowControl::dcDefault) {
    dcb.fDtrControl = DeviceValue(s.dtr);
  }
  if (s.rts != TRTSFlowControl::rcDefault) {
    dcb.fRtsControl = DeviceValue(s.rts);
  }
  if (s.xOnXOff != TXOnXOffFlowControl::xcDefault) {
    dcb.fInX =
        s.xOnXOff == TXOnXOffFlowControl::xcInput || s.xOnXOff == TXOnXOffFlowControl::xcInputOutput
            ? 1
            : 0;
    dcb.fOutX = s.xOnXOff == TXOnXOffFlowControl::xcOutput ||
                        s.xOnXOff == TXOnXOffFlowControl::xcInputOutput
                    ? 1
                    : 0;
  }
  dcb.XonLim = s.xOnLimit;
  dcb.XoffLim = s.xOffLimit;
  dcb.fParity = Flag(s.options, opCheckParity);
  dcb.fOutxCtsFlow = Flag(s.options, opOutputCTSFlow);
  dcb.fOutxDsrFlow = Flag(s.options, opOutputDSRFlow);
  dcb.fDsrSensitivity = Flag(s.options, opDSRSensitivity);
  dcb.fTXContinueOnXoff = Flag(s.options, opTXContinueOnXOff);
  dcb.fErrorChar = Flag(s.options, opUseErrorChar);
  dcb.fNull = Flag(s.options, opDiscardNullBytes);
  dcb.fAbortOnError = Flag(s.options, opAbortOnError);
}

}  // namespace vidideza
