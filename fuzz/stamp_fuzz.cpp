// Address stamping of arbitrary command lines: exactly the first six characters change, as the
// head gives them, and the rest of the line stays byte for byte.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "console/command_head.h"
#include "fuzz_check.h"

using namespace vidideza;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 7) {
    return 0;
  }
  // Four bytes of address, a port byte (0: none), a code byte (its radio index), then the line.
  std::int32_t address = 0;
  std::memcpy(&address, data, 4);
  CommandHead head;
  head.address = data[0] & 1 ? address : data[1];  // mostly 0 to 255, as the spin box gives
  if (data[4] != 0) {
    head.port = static_cast<char>(data[4]);
  }
  head.code = CodeLetter(data[5] % 8);
  const std::string line(reinterpret_cast<const char*>(data) + 6, size - 6);

  const std::string stamped = StampCommandLine(line, head);
  const std::string hex = HexAddress(head.address);
  Check(stamped.size() == std::max<std::size_t>(line.size(), 6));
  Check(stamped.compare(6, std::string::npos, line.size() > 6 ? line.substr(6) : "") == 0);
  const auto old = [&](std::size_t i) { return i < line.size() ? line[i] : ' '; };
  Check(stamped[0] == 'A' && stamped[1] == hex[0] && stamped[2] == hex[1]);
  Check(stamped[3] == head.port.value_or(old(3)));
  Check(stamped[4] == head.code.value_or(old(4)));
  Check(stamped[5] == ',');
  if (head.address >= 0 && head.address <= 255) {
    Check(hex.size() == 2 && std::stoi(hex, nullptr, 16) == head.address);
  }
  return 0;
}
