#pragma once

#include <string>

namespace vidideza {

// "Set control unit": "PSCU=", the address in hexadecimal (at least two digits), the last
// interface-port address character. Example: 18 and '7' give "PSCU=127".
std::string ControlUnitCommand(int address, char lastPort);

// "Set interface port": "ALLLA,PSIP=A", the port address character, the code letter.
// Example: '3' and 'C' give "ALLLA,PSIP=A3C".
std::string InterfacePortCommand(char port, char code);

// The confirmation texts of the two setup buttons.
inline constexpr const char* kConfirmControlUnit = "Do you want to set control unit parameters ?";
inline constexpr const char* kConfirmInterfacePort =
    "Do you want to set interface port parameters ? It is possible when ONLY ONE INTERFACE PORT "
    "is connected !!!";

// Notices for a setup click while a selector is empty: nothing is sent then.
inline constexpr const char* kEmptyLastPort =
    "\"Last address of int. port\" is empty: choose 0 to F";
inline constexpr const char* kEmptyInterfacePort =
    "\"Interface port address\" is empty: choose 0 to F";

}  // namespace vidideza
