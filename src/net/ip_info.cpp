#include "net/ip_info.h"

#include <cstdio>

namespace vidideza {

namespace {

std::vector<TInfoIPAddress> Entries(const std::vector<AdapterRecord::Address>& list) {
  std::vector<TInfoIPAddress> entries;
  entries.reserve(list.size() + 1);
  for (const auto& entry : list) {
    entries.push_back({entry.address, entry.mask});
  }
  // The platform's list always holds its first entry, empty or not.
  if (entries.empty()) {
    entries.push_back({"0.0.0.0", "0.0.0.0"});
  }
  return entries;
}

template <typename T>
const T& At(const std::vector<T>& list, int index) {
  if (index < 0 || index >= static_cast<int>(list.size())) {
    throw EListError(index);
  }
  return list[static_cast<std::size_t>(index)];
}

std::string MacText(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  char pair[4];
  for (const std::uint8_t b : bytes) {
    std::snprintf(pair, sizeof pair, "%02X", b);
    if (!text.empty()) {
      text += ':';
    }
    text += pair;
  }
  return text;
}

}  // namespace

TAdapter::TAdapter(const AdapterRecord& record)
    : AdapterName(record.name),
      Description(record.description),
      MACAddressLength(static_cast<int>(record.hardwareAddress.size())),
      MACAddress(MacText(record.hardwareAddress)),
      AdapterIndex(record.index),
      AdapterType(record.type),
      DHCPEnabled(record.dhcpEnabled),
      IPAddresses(Entries(record.ipAddresses)),
      Gateways(Entries(record.gateways)),
      DHCPServer{record.dhcpServer.address, record.dhcpServer.mask},
      HaveWINS(record.haveWins),
      PrimaryWINSServer{record.primaryWinsServer.address, record.primaryWinsServer.mask},
      SecondaryWINSServer{record.secondaryWinsServer.address, record.secondaryWinsServer.mask} {
  if (record.currentAddress) {
    CurrentIPAddress = {record.currentAddress->address, record.currentAddress->mask};
  } else if (!record.ipAddresses.empty()) {
    CurrentIPAddress = IPAddresses.front();
  }
}

const TInfoIPAddress& TAdapter::IPAddressEntry(int index) const {
  return At(IPAddresses, index);
}

const TInfoIPAddress& TAdapter::GatewayEntry(int index) const {
  return At(Gateways, index);
}

TIPInfo::TIPInfo() {
  for (const auto& record : ReadAdapterRecords()) {
    adapters_.emplace_back(record);
  }
}

const TAdapter& TIPInfo::Adapter(int index) const {
  return At(adapters_, index);
}

}  // namespace vidideza
