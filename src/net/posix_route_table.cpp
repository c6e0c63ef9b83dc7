#include "net/posix_route_table.h"

#include <arpa/inet.h>
#include <net/route.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <utility>

namespace vidideza {

namespace {

std::string Dotted(std::uint32_t networkOrder) {
  in_addr address{};
  address.s_addr = networkOrder;
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &address, text, sizeof text);
  return text;
}

}  // namespace

std::map<std::string, std::vector<std::string>> DefaultGateways(std::istream& table) {
  std::map<std::string, std::vector<std::pair<std::uint32_t, std::string>>> routes;
  std::string line;
  std::getline(table, line);  // column names
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string name;
    std::uint32_t destination = 0;
    std::uint32_t gateway = 0;
    unsigned int flags = 0;
    unsigned int refCount = 0;
    unsigned int use = 0;
    std::uint32_t metric = 0;
    std::uint32_t mask = 0;
    fields >> name >> std::hex >> destination >> gateway >> flags >> std::dec >> refCount >> use >>
        metric >> std::hex >> mask;
    const bool isDefault = destination == 0 && mask == 0;
    if (!fields || !isDefault || (flags & RTF_GATEWAY) == 0 || (flags & RTF_UP) == 0) {
      continue;
    }
    // The table holds addresses as the kernel stores them, in network order.
    routes[name].emplace_back(metric, Dotted(gateway));
  }
  std::map<std::string, std::vector<std::string>> gateways;
  for (auto& [name, list] : routes) {
    std::stable_sort(list.begin(), list.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [metric, address] : list) {
      gateways[name].push_back(std::move(address));
    }
  }
  return gateways;
}

}  // namespace vidideza
