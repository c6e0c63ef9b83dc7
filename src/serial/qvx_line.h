#pragma once

#include "serial/com_port.h"

namespace vidideza {

// The line of a QVX-RS unit: 9600 baud, 8 data bits, no parity, 2 stop bits, no flow control,
// DTR and RTS held off.
void SetQvxLineSettings(TComPort& port);

}  // namespace vidideza
