#pragma once

#include <windows.h>

#include "serial/com_settings.h"

namespace vidideza {

// Programs the line settings into a device control block read from the device: every setting
// that is not "default", and the special characters, flow limits and option flags always.
// Every other field keeps the value the device reported.
void ApplyToDcb(DCB& dcb, const LineSettings& s);

}  // namespace vidideza
