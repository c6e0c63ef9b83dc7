#pragma once

#include <optional>
#include <string_view>

#include "net/integer_parsing.h"

namespace vidideza {

// The whole number a spin box's text holds, read by the system's one integer conversion; nothing
// for any other text.
inline std::optional<int> SpinTextNumber(std::string_view text) {
  return TryParseInteger(text);
}

// The value a spin box's text is pulled to when the box loses the focus: the nearer limit for
// a whole number outside them, however many digits it has; nothing when the text stays.
std::optional<int> SpinCorrection(std::string_view text, int minimum, int maximum);

// The value of a spin box: its whole number, 0 for text that is not one.
inline int SpinTextValue(std::string_view text) {
  return ParseIntegerOr(text, 0);
}

}  // namespace vidideza
