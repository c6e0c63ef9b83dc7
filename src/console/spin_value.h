#pragma once

#include <optional>
#include <string_view>

#include "base/integer_parsing.h"

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

// The characters a spin box takes, typed, pasted or dropped: the digits 0 to 9 and the signs.
// Anything else is refused with a beep, the box left as it was.
constexpr bool SpinAccepts(char32_t c) {
  return (c >= U'0' && c <= U'9') || c == U'+' || c == U'-';
}

// One step of the arrow keys and buttons, and one of Page Up and Page Down.
inline constexpr int kSpinLineStep = 1;
inline constexpr int kSpinPageStep = 10;

// The value one step of delta leads to from the box's text: the text's value plus delta, kept
// within the limits.
int SpinStepped(std::string_view text, int delta, int minimum, int maximum);

}  // namespace vidideza
