#include "serial/com_port_name.h"

#include <cctype>

namespace vidideza {

int ComPortNumber(std::string_view name) {
  if (name.size() < 4 || name.size() > 6) {
    return 0;
  }
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) {
      return 0;
    }
  }
  const std::string_view digits = name.substr(3);
  if (digits.front() == '0') {
    return 0;
  }
  int number = 0;
  for (const char c : digits) {
    if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
      return 0;
    }
    number = number * 10 + (c - '0');
  }
  return number <= 256 ? number : 0;
}

}  // namespace vidideza
