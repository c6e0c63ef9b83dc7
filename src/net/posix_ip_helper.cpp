// The adapter list on Linux: interfaces and their IPv4 addresses from getifaddrs, default
// gateways from the kernel's routing table. The loopback interface is no adapter.
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <netpacket/packet.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>

#include "net/ip_helper.h"
#include "net/ip_info.h"
#include "net/posix_route_table.h"

namespace vidideza {

namespace {

std::string Dotted(const sockaddr* address) {
  char text[INET_ADDRSTRLEN] = "0.0.0.0";
  if (address != nullptr && address->sa_family == AF_INET) {
    ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text,
                sizeof text);
  }
  return text;
}

std::string DescriptionOf(const std::string& name, const std::vector<std::uint8_t>& hardware) {
  if (hardware.empty()) {
    return name;
  }
  std::string text = name + " (";
  char pair[4];
  for (std::size_t i = 0; i < hardware.size(); ++i) {
    std::snprintf(pair, sizeof pair, "%02x", hardware[i]);
    text += (i > 0 ? ":" : "") + std::string(pair);
  }
  return text + ")";
}

}  // namespace

std::vector<AdapterRecord> ReadAdapterRecords() {
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) {
    const int error = errno;
    throw EOSError(error, std::strerror(error));
  }
  std::map<std::string, AdapterRecord> byName;
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if ((entry->ifa_flags & IFF_LOOPBACK) != 0) {
      continue;
    }
    AdapterRecord& record = byName[entry->ifa_name];
    record.name = entry->ifa_name;
    record.index = static_cast<int>(::if_nametoindex(entry->ifa_name));
    if (entry->ifa_addr == nullptr) {
      continue;
    }
    if (entry->ifa_addr->sa_family == AF_PACKET) {
      const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
      record.hardwareAddress.assign(link->sll_addr, link->sll_addr + link->sll_halen);
      record.type = link->sll_hatype == ARPHRD_ETHER ? kAdapterTypeEthernet : kAdapterTypeOther;
    } else if (entry->ifa_addr->sa_family == AF_INET) {
      record.ipAddresses.push_back({Dotted(entry->ifa_addr), Dotted(entry->ifa_netmask)});
    }
  }
  ::freeifaddrs(list);

  std::ifstream table("/proc/net/route");
  const auto gateways = DefaultGateways(table);
  std::vector<AdapterRecord> records;
  for (auto& [name, record] : byName) {
    if (const auto found = gateways.find(name); found != gateways.end()) {
      for (const std::string& gateway : found->second) {
        record.gateways.push_back({gateway, "255.255.255.255"});
      }
    }
    record.description = DescriptionOf(name, record.hardwareAddress);
    records.push_back(std::move(record));
  }
  std::sort(records.begin(), records.end(),
            [](const AdapterRecord& a, const AdapterRecord& b) { return a.index < b.index; });
  return records;
}

}  // namespace vidideza
