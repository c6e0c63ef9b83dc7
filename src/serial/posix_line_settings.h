#pragma once

#include <termios.h>

#include "serial/com_settings.h"

namespace vidideza {

// Programs the line settings into a terminal record read from the device: raw bytes always,
// and every setting that is not "default". Returns 0, or EINVAL for a setting this platform
// cannot express (a rate termios lacks, 4 data bits, DTR handshake, RTS toggle).
int ApplyToTermios(termios& t, const LineSettings& s);

}  // namespace vidideza
