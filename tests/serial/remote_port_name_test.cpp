#include "serial/remote_port_name.h"

#include <gtest/gtest.h>

namespace vidideza {
namespace {

TEST(RemotePortName, BothFormsWithNamesAndAddresses) {
  using Kind = RemotePortName::Kind;
  struct Row {
    const char* name;
    Kind kind;
    const char* host;
    std::uint16_t port;
  };
  const Row rows[] = {
      {"rfc2217://198.51.100.7:2000", Kind::kRfc2217, "198.51.100.7", 2000},
      {"RFC2217://ser2net-hall-b.plant.example:4001", Kind::kRfc2217,
       "ser2net-hall-b.plant.example", 4001},
      {"socket://localhost:1", Kind::kRawSocket, "localhost", 1},
      {"Socket://[2001:db8::5]:65535", Kind::kRawSocket, "2001:db8::5", 65535},
      {"rfc2217://[::1]:2000", Kind::kRfc2217, "::1", 2000},
  };
  for (const Row& row : rows) {
    EXPECT_TRUE(IsRemotePortName(row.name)) << row.name;
    std::string fault = "stale";
    const std::optional<RemotePortName> parsed = ParseRemotePortName(row.name, fault);
    ASSERT_TRUE(parsed) << row.name << ": " << fault;
    EXPECT_EQ(parsed->kind, row.kind) << row.name;
    EXPECT_EQ(parsed->host, row.host) << row.name;
    EXPECT_EQ(parsed->port, row.port) << row.name;
    EXPECT_EQ(fault, "");
  }
}

TEST(RemotePortName, WhatIsWrongIsSaid) {
  struct Row {
    const char* name;
    const char* fault;
  };
  const Row rows[] = {
      {"rfc2217://", "the port number is missing: HOST:PORT"},
      {"rfc2217://unit-7", "the port number is missing: HOST:PORT"},  // typed half-way
      {"rfc2217://:2000", "the host is missing: HOST:PORT"},
      {"socket://host:0", "the port number is not 1 to 65535"},
      {"socket://host:65536", "the port number is not 1 to 65535"},
      {"socket://host:20x0", "the port number is not 1 to 65535"},
      {"socket://host:", "the port number is not 1 to 65535"},
      {"socket://2001:db8::5:2000",
       "the host is no name or address (an IPv6 address goes in brackets)"},
      {"socket://a b:2000", "the host is no name or address (an IPv6 address goes in brackets)"},
      {"socket://[zz]:2000", "the address in brackets is no IPv6 address"},
  };
  for (const Row& row : rows) {
    std::string fault;
    EXPECT_FALSE(ParseRemotePortName(row.name, fault)) << row.name;
    EXPECT_EQ(fault, row.fault) << row.name;
  }
}

TEST(RemotePortName, LocalNamesAreNoServers) {
  for (const char* name : {"COM1", "/dev/ttyUSB0", "ttyS0", "rfc2217:/x:1", "tcp://x:1", ""}) {
    EXPECT_FALSE(IsRemotePortName(name)) << name;
  }
}

}  // namespace
}  // namespace vidideza
