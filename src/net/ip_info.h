#pragma once

#include <string>
#include <vector>

#include "base/exception.h"
#include "net/ip_helper.h"

namespace vidideza {

// An index outside a list: "List index out of bounds (<index>)".
class EListError : public Exception {
 public:
  explicit EListError(int index)
      : Exception("List index out of bounds (" + std::to_string(index) + ")") {}
};

// A failed call of the operating system: "System Error.  Code: <code>.", CR LF, its text.
class EOSError : public Exception {
 public:
  EOSError(int code, const std::string& text)
      : Exception("System Error.  Code: " + std::to_string(code) + ".\r\n" + text), code_(code) {}
  int ErrorCode() const noexcept { return code_; }

 private:
  int code_;
};

// One entry of an address list.
struct TInfoIPAddress {
  std::string Address;
  std::string Mask;
};

// One network adapter.
class TAdapter {
 public:
  explicit TAdapter(const AdapterRecord& record);

  std::string AdapterName;
  std::string Description;  // what the card selector shows
  int MACAddressLength = 0;
  std::string MACAddress;  // "02:FC:00:00:00:01"
  int AdapterIndex = 0;
  int AdapterType = 0;
  bool DHCPEnabled = false;
  TInfoIPAddress CurrentIPAddress;
  std::vector<TInfoIPAddress> IPAddresses;  // never empty
  std::vector<TInfoIPAddress> Gateways;     // never empty
  TInfoIPAddress DHCPServer;
  bool HaveWINS = false;
  TInfoIPAddress PrimaryWINSServer;
  TInfoIPAddress SecondaryWINSServer;

  // Raise EListError for an index outside the list.
  const TInfoIPAddress& IPAddressEntry(int index) const;
  const TInfoIPAddress& GatewayEntry(int index) const;
};

// The computer's network adapters, read once by the constructor.
class TIPInfo {
 public:
  TIPInfo();
  int AdapterCount() const { return static_cast<int>(adapters_.size()); }
  // Raises EListError for an index outside the list.
  const TAdapter& Adapter(int index) const;

 private:
  std::vector<TAdapter> adapters_;
};

}  // namespace vidideza
