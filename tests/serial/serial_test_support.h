#pragma once

#include <string>

#include "serial/com_port.h"

namespace vidideza {

// The line as the tool configures it: 9600 baud, 8N2, no flow control, DTR and RTS off.
inline void ConfigureAsTool(TComPort& port, const std::string& device) {
  port.SetDeviceName(device);
  port.SetBaudRate(TBaudRate::br9600);
  port.SetDataBits(TDataBits::db8);
  port.SetParity(TParity::paNone);
  port.SetStopBits(TStopBits::sb2);
  port.FlowControl().SetDTR(TDTRFlowControl::dcDisable);
  port.FlowControl().SetRTS(TRTSFlowControl::rcDisable);
  port.FlowControl().SetXOnXOff(TXOnXOffFlowControl::xcDisable);
}

inline std::string AllByteValues() {
  std::string bytes;
  for (int i = 0; i < 256; ++i) {
    bytes.push_back(static_cast<char>(i));
  }
  return bytes;
}

}  // namespace vidideza
