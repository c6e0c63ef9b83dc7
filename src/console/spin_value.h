#pragma once

#include <optional>
#include <string_view>

namespace vidideza {

// The whole number a spin box's text holds (optional sign, decimal digits, 32-bit range), or
// nothing for any other text.
std::optional<int> SpinTextNumber(std::string_view text);

// The value of a spin box: its whole number, 0 for text that is not one.
inline int SpinTextValue(std::string_view text) {
  return SpinTextNumber(text).value_or(0);
}

}  // namespace vidideza
