#include "serial/remote_port_name.h"

#include <algorithm>
#include <cctype>

namespace vidideza {

namespace {

constexpr std::string_view kRfc2217Prefix = "rfc2217://";
constexpr std::string_view kSocketPrefix = "socket://";

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

std::optional<std::uint16_t> PortNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 5 || !std::all_of(digits.begin(), digits.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
      })) {
    return std::nullopt;
  }
  int value = 0;
  for (const char c : digits) {
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > 65535) {
    return std::nullopt;
  }
  return static_cast<std::uint16_t>(value);
}

// Letters, digits, dots, hyphens and underscores: what a host name or IPv4 address holds.
bool PlainHost(std::string_view host) {
  return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-' || c == '_';
  });
}

bool Ipv6Text(std::string_view host) {
  return host.find(':') != std::string_view::npos &&
         std::all_of(host.begin(), host.end(), [](char c) {
           return std::isxdigit(static_cast<unsigned char>(c)) != 0 || c == ':' || c == '.' ||
                  c == '%' || std::isalnum(static_cast<unsigned char>(c)) != 0;
         });
}

}  // namespace

bool IsRemotePortName(std::string_view name) {
  return StartsWithNoCase(name, kRfc2217Prefix) || StartsWithNoCase(name, kSocketPrefix);
}

std::optional<RemotePortName> ParseRemotePortName(std::string_view name, std::string& fault) {
  RemotePortName parsed;
  std::string_view rest;
  if (StartsWithNoCase(name, kRfc2217Prefix)) {
    parsed.kind = RemotePortName::Kind::kRfc2217;
    rest = name.substr(kRfc2217Prefix.size());
  } else if (StartsWithNoCase(name, kSocketPrefix)) {
    parsed.kind = RemotePortName::Kind::kRawSocket;
    rest = name.substr(kSocketPrefix.size());
  } else {
    fault = "not a network port name";
    return std::nullopt;
  }
  const std::size_t colon = rest.rfind(':');
  if (colon == std::string_view::npos) {
    fault = "the port number is missing: HOST:PORT";
    return std::nullopt;
  }
  std::string_view host = rest.substr(0, colon);
  const std::string_view port = rest.substr(colon + 1);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
    if (!Ipv6Text(host)) {
      fault = "the address in brackets is no IPv6 address";
      return std::nullopt;
    }
  } else if (!PlainHost(host)) {
    fault = host.empty() ? "the host is missing: HOST:PORT"
                         : "the host is no name or address (an IPv6 address goes in brackets)";
    return std::nullopt;
  }
  const std::optional<std::uint16_t> number = PortNumber(port);
  if (!number) {
    fault = "the port number is not 1 to 65535";
    return std::nullopt;
  }
  parsed.host = std::string(host);
  parsed.port = *number;
  fault.clear();
  return parsed;
}

}  // namespace vidideza
