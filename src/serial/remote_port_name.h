#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vidideza {

// A serial port at a serial device server: "rfc2217://HOST:PORT" (Telnet with the port's
// settings made at the far end) or "socket://HOST:PORT" (raw TCP, the settings fixed at the
// server). HOST is a name, an IPv4 address or an IPv6 address in brackets.
struct RemotePortName {
  enum class Kind { kRfc2217, kRawSocket };
  Kind kind = Kind::kRfc2217;
  std::string host;
  std::uint16_t port = 0;
};

// Whether the name has one of the two forms' prefixes (in any case): such a name is never a
// local device.
bool IsRemotePortName(std::string_view name);

// The parts of a remote port name; nothing, with what is wrong in `fault`, for a name that
// has the prefix but not HOST:PORT after it.
std::optional<RemotePortName> ParseRemotePortName(std::string_view name, std::string& fault);

}  // namespace vidideza
