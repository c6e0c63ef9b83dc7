#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "table_check.h"

namespace qvxctl {

// What a batch would send each unit, told without sending it: the settings written, then the
// address announcement (to 255.255.255.255) and the setup record (to the unit), which alone
// differ from unit to unit; the search queries, the six configuration blocks and the finish
// packet are the same for every unit.
std::string DryRunText(const std::vector<CheckedUnit>& units);
// {"units": [{"row", "mac", "ip", "mask", "gateway", "server_ip", "server_port",
//   "announcement", "setup_record"}], "warnings": [...]}, the packets in hexadecimal.
std::string DryRunJson(const std::vector<CheckedUnit>& units,
                       const std::vector<std::string>& warnings);

// Bytes as upper-case hexadecimal pairs, without separators.
std::string HexText(std::string_view bytes);

}  // namespace qvxctl
