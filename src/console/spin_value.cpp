#include "console/spin_value.h"

#include <cstdint>

namespace vidideza {

std::optional<int> SpinTextNumber(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) {
    return std::nullopt;
  }
  std::int64_t magnitude = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > std::int64_t{INT32_MAX} + 1) {
      return std::nullopt;
    }
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > INT32_MAX) {
    return std::nullopt;
  }
  return static_cast<int>(value);
}

}  // namespace vidideza
