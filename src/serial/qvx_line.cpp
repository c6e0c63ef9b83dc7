#include "serial/qvx_line.h"

namespace vidideza {

void SetQvxLineSettings(TComPort& port) {
  port.SetBaudRate(TBaudRate::br9600);
  port.SetDataBits(TDataBits::db8);
  port.SetParity(TParity::paNone);
  port.SetStopBits(TStopBits::sb2);
  port.FlowControl().SetDTR(TDTRFlowControl::dcDisable);
  port.FlowControl().SetRTS(TRTSFlowControl::rcDisable);
  port.FlowControl().SetXOnXOff(TXOnXOffFlowControl::xcDisable);
}

}  // namespace vidideza
