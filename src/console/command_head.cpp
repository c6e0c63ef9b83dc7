#include "console/command_head.h"

#include <cstdint>

namespace vidideza {

std::string HexAddress(int address) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  auto value = static_cast<std::uint32_t>(address);
  std::string hex;
  do {
    hex.insert(hex.begin(), kDigits[value % 16]);
    value /= 16;
  } while (value != 0);
  if (hex.size() < 2) {
    hex.insert(hex.begin(), '0');
  }
  return hex;
}

std::string StampCommandLine(std::string line, const CommandHead& head) {
  if (line.size() < 6) {
    line.resize(6, ' ');
  }
  const std::string hex = HexAddress(head.address);
  line[0] = 'A';
  line[1] = hex[0];
  line[2] = hex[1];
  if (head.port) {
    line[3] = *head.port;
  }
  if (head.code) {
    line[4] = *head.code;
  }
  line[5] = ',';
  return line;
}

std::optional<char> CodeLetter(int radioIndex) {
  if (radioIndex < 1 || radioIndex > 6) {
    return std::nullopt;
  }
  return static_cast<char>('A' + radioIndex - 1);
}

}  // namespace vidideza
