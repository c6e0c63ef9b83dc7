#include "net/ip_info.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "net/test_network_adapters.h"

namespace vidideza {
namespace {

TEST(TAdapter, TakesTheRecordAndNeverHasEmptyLists) {
  AdapterRecord record;
  record.name = "eth0";
  record.description = "eth0 (02:fc:00:00:00:01)";
  record.hardwareAddress = {0x02, 0xFC, 0x00, 0x00, 0x00, 0x01};
  record.index = 4;
  record.type = kAdapterTypeEthernet;
  const TAdapter bare(record);
  EXPECT_EQ(bare.MACAddress, "02:FC:00:00:00:01");
  EXPECT_EQ(bare.MACAddressLength, 6);
  EXPECT_EQ(bare.AdapterIndex, 4);
  EXPECT_EQ(bare.IPAddressEntry(0).Address, "0.0.0.0");
  EXPECT_EQ(bare.IPAddressEntry(0).Mask, "0.0.0.0");
  EXPECT_EQ(bare.GatewayEntry(0).Address, "0.0.0.0");
  EXPECT_EQ(bare.CurrentIPAddress.Address, "");

  record.ipAddresses = {{"198.51.100.1", "255.255.255.0"}, {"198.51.100.2", "255.255.255.0"}};
  record.gateways = {{"198.51.100.254", "255.255.255.255"}};
  const TAdapter full(record);
  EXPECT_EQ(full.IPAddressEntry(1).Address, "198.51.100.2");
  EXPECT_EQ(full.GatewayEntry(0).Address, "198.51.100.254");
  EXPECT_EQ(full.CurrentIPAddress.Address, "198.51.100.1");
  try {
    (void)full.IPAddressEntry(2);
    FAIL() << "no error for index 2";
  } catch (const EListError& e) {
    EXPECT_STREQ(e.message(), "List index out of bounds (2)");
  }
  EXPECT_THROW((void)full.GatewayEntry(-1), EListError);
  EXPECT_EQ(TAdapter(AdapterRecord{}).MACAddress, "");
}

TEST(EOSError, NamesCodeAndText) {
  EXPECT_STREQ(EOSError(24, "Too many open files").message(),
               "System Error.  Code: 24.\r\nToo many open files");
}

// Run inside the namespace of scripts/with-adapter-network.
class AdapterListInTestNetwork : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<TestNetworkAdapters> adapters = AdaptersOfTestNetwork();
    if (!adapters) {
      GTEST_SKIP() << kNeedsTestNetwork;
    }
    first = adapters->first;
    second = adapters->second;
  }
  std::string first;
  std::string second;
};

TEST_F(AdapterListInTestNetwork, ListsEveryAdapterButLoopbackInInterfaceOrder) {
  const TIPInfo info;
  ASSERT_EQ(info.AdapterCount(), 2);
  const TAdapter& a = info.Adapter(0);
  const TAdapter& b = info.Adapter(1);
  EXPECT_EQ(a.AdapterName, first);
  EXPECT_EQ(b.AdapterName, second);
  EXPECT_LT(a.AdapterIndex, b.AdapterIndex);
  EXPECT_EQ(a.AdapterType, kAdapterTypeEthernet);
  EXPECT_EQ(a.MACAddressLength, 6);
  EXPECT_EQ(a.Description.rfind(first + " (", 0), 0U) << a.Description;
  EXPECT_NE(a.Description, b.Description);

  ASSERT_EQ(a.IPAddresses.size(), 2U);
  EXPECT_EQ(a.IPAddressEntry(0).Address, "198.51.100.1");
  EXPECT_EQ(a.IPAddressEntry(0).Mask, "255.255.255.0");
  EXPECT_EQ(a.IPAddressEntry(1).Address, "198.51.100.2");
  // Default routes only, lowest metric first.
  ASSERT_EQ(a.Gateways.size(), 2U);
  EXPECT_EQ(a.GatewayEntry(0).Address, "198.51.100.254");
  EXPECT_EQ(a.GatewayEntry(1).Address, "198.51.100.253");

  EXPECT_EQ(b.IPAddressEntry(0).Address, "203.0.113.1");
  // Its one route with a next hop leads to a network, not everywhere: no gateway.
  EXPECT_EQ(b.GatewayEntry(0).Address, "0.0.0.0");
  EXPECT_THROW((void)info.Adapter(2), EListError);
}

}  // namespace
}  // namespace vidideza
