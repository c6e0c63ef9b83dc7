#include "base/integer_parsing.h"

namespace vidideza {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

// The length of a hexadecimal prefix at the start of text, or 0.
std::size_t HexPrefixLength(std::string_view text) {
  if (!text.empty() && (text[0] == '$' || text[0] == 'x' || text[0] == 'X')) {
    return 1;
  }
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    return 2;
  }
  return 0;
}

}  // namespace

std::optional<std::int32_t> TryParseInteger(std::string_view text) {
  if (text.empty()) {
    return std::nullopt;
  }
  while (!text.empty() && text.front() == ' ') {
    text.remove_prefix(1);
  }
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (const std::size_t prefix = HexPrefixLength(text); prefix > 0) {
    text.remove_prefix(prefix);
    if (text.empty()) {
      return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const char c : text) {
      const int digit = HexDigit(c);
      if (digit < 0 || value > 0x0FFFFFFFU) {
        return std::nullopt;
      }
      value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    // The 32-bit pattern read as signed; negating wraps as the machine does.
    return static_cast<std::int32_t>(negative ? 0U - value : value);
  }
  if (text.empty()) {
    return std::nullopt;
  }
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    value = value * 10 + (c - '0');
    if (value > std::int64_t{INT32_MAX} + 1) {
      return std::nullopt;
    }
  }
  if (negative) {
    value = -value;
  }
  if (value > INT32_MAX) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

std::int32_t ParseInteger(std::string_view text) {
  if (const auto value = TryParseInteger(text)) {
    return *value;
  }
  throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

std::int32_t ParseIntegerOr(std::string_view text, std::int32_t fallback) {
  return TryParseInteger(text).value_or(fallback);
}

}  // namespace vidideza
