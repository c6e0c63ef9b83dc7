#include "console/setup_commands.h"

#include "console/command_head.h"

namespace vidideza {

std::string ControlUnitCommand(int address, char lastPort) {
  return "PSCU=" + HexAddress(address) + lastPort;
}

std::string InterfacePortCommand(char port, char code) {
  return std::string("ALLLA,PSIP=A") + port + code;
}

}  // namespace vidideza
