#pragma once

#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>

namespace vidideza {

// The two adapters that scripts/with-adapter-network makes, by their interface names, in order.
struct TestNetworkAdapters {
  std::string first;
  std::string second;
};

inline constexpr const char* kNeedsTestNetwork =
    "needs the adapter test network: run through scripts/with-adapter-network";

// Nothing outside that network: the machine's own adapters are never the subject of a test.
inline std::optional<TestNetworkAdapters> AdaptersOfTestNetwork() {
  const char* names = std::getenv("VIDIDEZA_TEST_ADAPTERS");
  if (names == nullptr) {
    return std::nullopt;
  }
  TestNetworkAdapters adapters;
  std::istringstream(names) >> adapters.first >> adapters.second;
  return adapters;
}

}  // namespace vidideza
