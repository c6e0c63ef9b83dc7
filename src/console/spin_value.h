#pragma once

#include <optional>
#include <string_view>

#include "net/integer_parsing.h"

namespace vidideza {

// The whole number a spin box's text holds, read by the system's one integer conversion; nothing
// for any other text.
inline std::optional<int> SpinTextNumber(std::string_view text) { return TryParseInteger(text); }

// The value of a spin box: its whole number, 0 for text that is not one.
inline int SpinTextValue(std::string_view text) { return ParseIntegerOr(text, 0); }

}  // namespace vidideza
