#pragma once

#include <array>
#include <string>
#include <vector>

namespace qvxsim {

// What a QVX control unit keeps: its address, its last interface-port address and each port's
// code letter.
struct UnitState {
  int address = 0;
  int lastPort = 0;
  std::array<char, 16> codes{};
  UnitState() { codes.fill('A'); }
};

int HexValue(char c);

// The head of a reply line: "A", the address in two hex digits, the port, the code.
std::string ReplyHead(const UnitState& unit, int port);

// The unit's reply lines (without line ends) to one command line (without its LF).
std::vector<std::string> AnswerCommand(UnitState& unit, std::string line);

// The lines an unsolicited status report sends, one port per call.
std::string StatusLine(const UnitState& unit, int& nextPort);

}  // namespace qvxsim
