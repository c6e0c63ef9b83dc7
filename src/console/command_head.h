#pragma once

#include <optional>
#include <string>

namespace vidideza {

// The hexadecimal form of the control-unit address: upper-case digits, at least two, no prefix
// (0 gives "00", 255 "FF", 300 "12C"); a negative value gives its 32-bit pattern.
std::string HexAddress(int address);

// What stamps the head of a command line: "A", two address digits, the interface-port
// character, the code letter, ",".
struct CommandHead {
  int address = 0;
  std::optional<char> port;  // nothing when the port selector is empty: the line keeps its own
  std::optional<char> code;  // nothing when no code is selected: the line keeps its own
};

// The command line with its first six characters stamped; a shorter line is padded with blanks
// first, and everything from the seventh character on stays as it is.
std::string StampCommandLine(std::string line, const CommandHead& head);

// The code letter "A" to "F" of the checked radio button 1 to 6; nothing for any other index.
std::optional<char> CodeLetter(int radioIndex);

}  // namespace vidideza
