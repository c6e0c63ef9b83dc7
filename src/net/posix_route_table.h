#pragma once

#include <istream>
#include <map>
#include <string>
#include <vector>

namespace vidideza {

// The default gateways of each interface in a table laid out as /proc/net/route: the next hops
// of its default routes, lowest metric first (table order among equals). A route to a network
// is no default gateway, whatever its next hop.
std::map<std::string, std::vector<std::string>> DefaultGateways(std::istream& table);

}  // namespace vidideza
