// The default-gateway reading of a /proc/net/route table on arbitrary text: every gateway it
// gives is an address of a line of its own interface, and a well-formed default route added at
// the end is found as it is.
#include <arpa/inet.h>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_check.h"
#include "net/posix_route_table.h"

using namespace vidideza;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::size_t lines = 0;
  for (const char c : text)
    lines += c == '\n' ? 1 : 0;

  std::istringstream table(text);
  const auto gateways = DefaultGateways(table);
  std::size_t listed = 0;
  for (const auto& [name, list] : gateways) {
    Check(!name.empty() && text.find(name) != std::string::npos);
    for (const auto& address : list) {
      in_addr parsed{};
      Check(::inet_pton(AF_INET, address.c_str(), &parsed) == 1);
      ++listed;
    }
  }
  Check(listed <= lines);

  // 192.168.1.1 as the kernel writes it (network order, hexadecimal), flags UP | GATEWAY.
  const std::string probe = "vfuzzprobe0";
  std::istringstream extended(text + "\n" + probe +
                              "\t00000000\t0101A8C0\t0003\t0\t0\t7\t00000000\t0\t0\t0\n");
  const auto withProbe = DefaultGateways(extended);
  if (text.find(probe) == std::string::npos) {
    const auto found = withProbe.find(probe);
    Check(found != withProbe.end() && found->second == std::vector<std::string>{"192.168.1.1"});
    for (const auto& [name, list] : gateways)
      Check(withProbe.count(name) == 1 && withProbe.at(name) == list);
  }
  return 0;
}
