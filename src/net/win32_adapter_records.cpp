#include "net/win32_adapter_records.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace vidideza {

namespace {

template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
  return std::string(field, ::strnlen(field, N));
}

AdapterRecord::Address EntryOf(const IP_ADDR_STRING& entry) {
  return {FieldText(entry.IpAddress.String), FieldText(entry.IpMask.String)};
}

// Every entry of an address chain; the first is part of the record itself.
std::vector<AdapterRecord::Address> ChainOf(const IP_ADDR_STRING& first) {
  std::vector<AdapterRecord::Address> entries;
  for (const IP_ADDR_STRING* entry = &first; entry != nullptr; entry = entry->Next) {
    entries.push_back(EntryOf(*entry));
  }
  return entries;
}

}  // namespace

std::vector<AdapterRecord> AdapterRecordsOf(const IP_ADAPTER_INFO* first) {
  std::vector<AdapterRecord> records;
  for (const IP_ADAPTER_INFO* info = first; info != nullptr; info = info->Next) {
    AdapterRecord record;
    record.name = FieldText(info->AdapterName);
    record.description = FieldText(info->Description);
    const std::size_t length = std::min<std::size_t>(info->AddressLength, sizeof info->Address);
    record.hardwareAddress.assign(info->Address, info->Address + length);
    record.index = static_cast<int>(info->Index);
    record.type = static_cast<int>(info->Type);
    record.dhcpEnabled = info->DhcpEnabled != 0;
    record.currentAddress = info->CurrentIpAddress != nullptr ? EntryOf(*info->CurrentIpAddress)
                                                              : AdapterRecord::Address{};
    record.ipAddresses = ChainOf(info->IpAddressList);
    record.gateways = ChainOf(info->GatewayList);
    record.dhcpServer = EntryOf(info->DhcpServer);
    record.haveWins = info->HaveWins != 0;
    record.primaryWinsServer = EntryOf(info->PrimaryWinsServer);
    record.secondaryWinsServer = EntryOf(info->SecondaryWinsServer);
    records.push_back(std::move(record));
  }
  return records;
}

}  // namespace vidideza
