#include "net/posix_route_table.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vidideza {
namespace {

using Gateways = std::map<std::string, std::vector<std::string>>;

const char* const kHeader =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

Gateways FromTable(const std::string& rows) {
  std::istringstream table(kHeader + rows);
  return DefaultGateways(table);
}

TEST(DefaultGateways, AreTheNextHopsOfDefaultRoutesLowestMetricFirst) {
  const struct {
    const char* what;
    std::string rows;
    Gateways gateways;
  } cases[] = {
      {"one default route (198.51.100.254)",
       "eth0\t00000000\tFE6433C6\t0003\t0\t0\t0\t00000000\t0\t0\t0\n"
       "eth0\t006433C6\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n",
       {{"eth0", {"198.51.100.254"}}}},
      {"a route to a network via a next hop is no default gateway",
       "eth1\t807100CB\t027100CB\t0003\t0\t0\t0\t80FFFFFF\t0\t0\t0\n",
       {}},
      {"two default routes: the lower metric first, whatever the table order",
       "eth0\t00000000\tFD6433C6\t0003\t0\t0\t500\t00000000\t0\t0\t0\n"
       "eth0\t00000000\tFE6433C6\t0003\t0\t0\t100\t00000000\t0\t0\t0\n",
       {{"eth0", {"198.51.100.254", "198.51.100.253"}}}},
      {"a default route without a next hop (point to point)",
       "ppp0\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n",
       {}},
      {"a route that is down", "eth0\t00000000\tFE6433C6\t0002\t0\t0\t0\t00000000\t0\t0\t0\n", {}},
      {"each interface has its own",
       "eth0\t00000000\tFE6433C6\t0003\t0\t0\t0\t00000000\t0\t0\t0\n"
       "wlan0\t00000000\t017100CB\t0003\t0\t0\t600\t00000000\t0\t0\t0\n",
       {{"eth0", {"198.51.100.254"}}, {"wlan0", {"203.0.113.1"}}}},
      {"a cut line is skipped", "eth0\t00000000\tFE6433C6\t0003\n", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FromTable(c.rows), c.gateways) << c.what;
  }
}

}  // namespace
}  // namespace vidideza
