#include "console/spin_value.h"

#include <algorithm>

namespace vidideza {

namespace {

// A sign and decimal digits only: the shape of a number too long for the conversion.
bool IsDecimalNumeral(std::string_view text) {
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    text.remove_prefix(1);
  }
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::optional<int> SpinCorrection(std::string_view text, int minimum, int maximum) {
  if (const auto number = SpinTextNumber(text)) {
    if (*number < minimum || *number > maximum) {
      return std::clamp(*number, minimum, maximum);
    }
    return std::nullopt;
  }
  if (IsDecimalNumeral(text)) {
    return text.front() == '-' ? minimum : maximum;
  }
  return std::nullopt;
}

int SpinStepped(std::string_view text, int delta, int minimum, int maximum) {
  const long long stepped = static_cast<long long>(SpinTextValue(text)) + delta;
  return static_cast<int>(std::clamp<long long>(stepped, minimum, maximum));
}

}  // namespace vidideza
