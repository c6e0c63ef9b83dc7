#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/exception.h"

namespace vidideza {

// A text that is no whole number.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// The one conversion of text to a 32-bit whole number: leading spaces, at most one sign, then
// decimal digits (within the 32-bit signed range) or, after "$", "x", "X", "0x" or "0X",
// hexadecimal digits (at most a 32-bit pattern, read as signed) up to the end of the text.
std::optional<std::int32_t> TryParseInteger(std::string_view text);

// As TryParseInteger; raises EConvertError for any other text.
std::int32_t ParseInteger(std::string_view text);

// As TryParseInteger, with a default for any other text.
std::int32_t ParseIntegerOr(std::string_view text, std::int32_t fallback);

}  // namespace vidideza
