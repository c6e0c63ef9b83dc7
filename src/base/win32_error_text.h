#pragma once

#include <string>

namespace vidideza {

// The system's message text for a Windows error number, without the line end and final period
// the system adds (the error box puts the period back); "" for a number it has no text for.
std::string SystemErrorText(unsigned long code);

}  // namespace vidideza
