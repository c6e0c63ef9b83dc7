#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vidideza {

// The platform's record of one network adapter, the way the adapter list is built from it.
struct AdapterRecord {
  struct Address {
    std::string address;  // dotted text
    std::string mask;     // dotted text
  };
  std::string name;
  std::string description;
  std::vector<std::uint8_t> hardwareAddress;
  int index = 0;
  int type = 0;
  bool dhcpEnabled = false;
  std::vector<Address> ipAddresses;  // may be empty: the list then reports 0.0.0.0
  std::vector<Address> gateways;     // may be empty: the list then reports 0.0.0.0
  // Where the platform reports them; without a current address the first address stands in.
  std::optional<Address> currentAddress;
  Address dhcpServer;
  bool haveWins = false;
  Address primaryWinsServer;
  Address secondaryWinsServer;
};

// Adapter type numbers as the platform reports them.
inline constexpr int kAdapterTypeOther = 1;
inline constexpr int kAdapterTypeEthernet = 6;

// The computer's network adapters in a stable order; raises EOSError on failure.
std::vector<AdapterRecord> ReadAdapterRecords();

}  // namespace vidideza
