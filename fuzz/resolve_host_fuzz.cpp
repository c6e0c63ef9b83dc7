// Host texts as the unit-IP field may hold them: LOCALHOST in any case is the loopback, a
// dotted address is taken as it is without a look-up (and agrees with the system's own reading
// where that accepts the text), and anything else is handed to the look-up unchanged.
#include <arpa/inet.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "net/udp_server.h"

using namespace vidideza;

namespace {

bool Canonical(const std::string& dotted) {
  in_addr address{};
  char back[INET_ADDRSTRLEN] = {};
  return ::inet_pton(AF_INET, dotted.c_str(), &address) == 1 &&
         ::inet_ntop(AF_INET, &address, back, sizeof back) != nullptr && dotted == back;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string host(reinterpret_cast<const char*>(data), size);
  std::string askedFor;
  bool asked = false;
  const std::string resolved = ResolveHost(host, [&](const std::string& name) {
    asked = true;
    askedFor = name;
    return std::string("looked up");
  });
  std::string upper = host;
  for (char& c : upper)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper == "LOCALHOST") {
    Check(!asked && resolved == "127.0.0.1");
    return 0;
  }
  in_addr address{};
  if (::inet_pton(AF_INET, host.c_str(), &address) == 1 &&
      host.size() == std::strlen(host.c_str())) {
    Check(!asked && resolved == host);  // the system's strict form is its own canonical text
  }
  if (asked) {
    Check(askedFor == host && resolved == "looked up");
  } else {
    Check(Canonical(resolved));
    Check(host.find('.') != std::string::npos);
  }
  return 0;
}
