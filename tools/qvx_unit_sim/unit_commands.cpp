#include "unit_commands.h"

#include <cstdio>
#include <cstdlib>

namespace qvxsim {

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  return -1;
}

std::string ReplyHead(const UnitState& unit, int port) {
  char text[8];
  std::snprintf(text, sizeof text, "A%02X%c%c", unit.address & 0xFF, "0123456789ABCDEF"[port & 15],
                unit.codes[static_cast<std::size_t>(port & 15)]);
  return text;
}

std::vector<std::string> AnswerCommand(UnitState& unit, std::string line) {
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
  if (line.rfind("PSCU=", 0) == 0 && line.size() >= 8) {
    const int high = HexValue(line[5]), low = HexValue(line[6]), last = HexValue(line[7]);
    if (high >= 0 && low >= 0 && last >= 0) {
      unit.address = high * 16 + low;
      unit.lastPort = last;
      return {ReplyHead(unit, 0) + ",PSCU,OK"};
    }
  }
  if (line.rfind("ALLLA,PSIP=A", 0) == 0 && line.size() >= 14) {
    const int port = HexValue(line[12]);
    const char code = line[13];
    if (port >= 0 && code >= 'A' && code <= 'F') {
      unit.codes[static_cast<std::size_t>(port)] = code;
      return {ReplyHead(unit, port) + ",PSIP,OK"};
    }
  }
  if (line.size() >= 6 && line[0] == 'A' && line[5] == ',') {
    const int high = HexValue(line[1]), low = HexValue(line[2]), port = HexValue(line[3]);
    if (high < 0 || low < 0 || high * 16 + low != unit.address) {
      return {};  // addressed to another unit
    }
    const std::string head = line.substr(0, 5);
    const std::string command = line.substr(6);
    if (port < 0 || port > unit.lastPort)
      return {head + ",ERR,PORT"};
    if (line[4] != unit.codes[static_cast<std::size_t>(port)])
      return {head + ",ERR,CODE"};
    if (command.rfind("DUMP,", 0) == 0) {
      std::vector<std::string> lines;
      const long count = std::strtol(command.c_str() + 5, nullptr, 10);
      for (long i = 1; i <= count; ++i)
        lines.push_back(head + ",DUMP," + std::to_string(i));
      return lines;
    }
    if (command == "SV" || command == "SF")
      return {head + "," + command + ",T21.5,OK"};
    return {head + "," + command + ",OK"};
  }
  return {"@ERR,UNKNOWN"};
}

std::string StatusLine(const UnitState& unit, int& nextPort) {
  const int port = nextPort++ % (unit.lastPort + 1);
  return ReplyHead(unit, port) + ",ST,T21.5";
}

}  // namespace qvxsim
