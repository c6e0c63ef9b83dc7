#pragma once

#include <string_view>

namespace vidideza {

// The number n of a port name "COMn" (any case) when it is 1 to 256 without leading zeros,
// otherwise 0.
int ComPortNumber(std::string_view name);

}  // namespace vidideza
