#include "net/win32_adapter_records.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/win32_error_text.h"
#include "net/ip_info.h"
#include "net/test_network_adapters.h"

namespace vidideza {
namespace {

template <std::size_t N>
void Put(char (&field)[N], const char* text) {
  std::strncpy(field, text, N);
}

void PutEntry(IP_ADDR_STRING& entry, const char* address, const char* mask) {
  Put(entry.IpAddress.String, address);
  Put(entry.IpMask.String, mask);
}

TEST(AdapterRecordsOf, FollowsEveryChainAndCutsTextsAtTheirFields) {
  IP_ADAPTER_INFO first{};
  IP_ADAPTER_INFO second{};
  IP_ADDR_STRING secondAddress{};
  first.Next = &second;

  Put(first.AdapterName, "{4D36E972-E325-11CE-BFC1-08002BE10318}");
  std::memset(first.Description, 'D', sizeof first.Description);  // no zero byte at all
  first.AddressLength = 6;
  const BYTE mac[6] = {0x02, 0xFC, 0x00, 0x00, 0x00, 0x0A};
  std::memcpy(first.Address, mac, sizeof mac);
  first.Index = 7;
  first.Type = MIB_IF_TYPE_ETHERNET;
  first.DhcpEnabled = 1;
  PutEntry(first.IpAddressList, "198.51.100.1", "255.255.255.0");
  first.IpAddressList.Next = &secondAddress;
  PutEntry(secondAddress, "198.51.100.2", "255.255.255.0");
  PutEntry(first.GatewayList, "198.51.100.254", "255.255.255.255");
  PutEntry(first.DhcpServer, "198.51.100.253", "255.255.255.255");
  first.HaveWins = 1;
  PutEntry(first.PrimaryWinsServer, "198.51.100.200", "255.255.255.255");
  first.CurrentIpAddress = &secondAddress;

  Put(second.AdapterName, "second");
  Put(second.Description, "Second adapter");
  second.AddressLength = 0;
  second.Index = 9;
  PutEntry(second.IpAddressList, "0.0.0.0", "0.0.0.0");
  PutEntry(second.GatewayList, "0.0.0.0", "");

  const std::vector<AdapterRecord> records = AdapterRecordsOf(&first);
  ASSERT_EQ(records.size(), 2U);
  const TAdapter a(records[0]);
  const TAdapter b(records[1]);

  EXPECT_EQ(a.AdapterName, "{4D36E972-E325-11CE-BFC1-08002BE10318}");
  EXPECT_EQ(a.Description, std::string(sizeof first.Description, 'D'));
  EXPECT_EQ(a.MACAddress, "02:FC:00:00:00:0A");
  EXPECT_EQ(a.AdapterIndex, 7);
  EXPECT_EQ(a.AdapterType, kAdapterTypeEthernet);
  EXPECT_TRUE(a.DHCPEnabled);
  ASSERT_EQ(a.IPAddresses.size(), 2U);
  EXPECT_EQ(a.IPAddressEntry(1).Address, "198.51.100.2");
  EXPECT_EQ(a.GatewayEntry(0).Address, "198.51.100.254");
  EXPECT_EQ(a.CurrentIPAddress.Address, "198.51.100.2");
  EXPECT_EQ(a.DHCPServer.Address, "198.51.100.253");
  EXPECT_TRUE(a.HaveWINS);
  EXPECT_EQ(a.PrimaryWINSServer.Address, "198.51.100.200");

  EXPECT_EQ(b.Description, "Second adapter");
  EXPECT_EQ(b.MACAddress, "");
  EXPECT_EQ(b.CurrentIPAddress.Address, "");  // the record points to none
  EXPECT_EQ(b.IPAddressEntry(0).Address, "0.0.0.0");
  EXPECT_EQ(b.GatewayEntry(0).Mask, "");
  EXPECT_FALSE(b.HaveWINS);
}

TEST(SystemErrorText, TheSystemsTextWithoutLineEndOrFinalPeriod) {
  const std::string text = SystemErrorText(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), '.');
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(SystemErrorText(0x2FFFFFFF), "");
}

// Run inside the namespace of scripts/with-adapter-network.
TEST(AdapterListInTestNetwork, TheIpHelperReportsTheNamespacesAdapters) {
  if (!AdaptersOfTestNetwork()) {
    GTEST_SKIP() << "needs the adapter test network: run through scripts/test-windows as root";
  }
  const TIPInfo info;
  ASSERT_EQ(info.AdapterCount(), 2);
  const TAdapter& a = info.Adapter(0);
  const TAdapter& b = info.Adapter(1);
  EXPECT_NE(a.Description, b.Description);
  EXPECT_EQ(a.MACAddressLength, 6);
  ASSERT_EQ(a.IPAddresses.size(), 2U);
  EXPECT_EQ(a.IPAddressEntry(0).Address, "198.51.100.1");
  EXPECT_EQ(a.IPAddressEntry(0).Mask, "255.255.255.0");
  EXPECT_EQ(a.IPAddressEntry(1).Address, "198.51.100.2");
  EXPECT_EQ(a.GatewayEntry(0).Address, "198.51.100.254");
  EXPECT_EQ(b.IPAddressEntry(0).Address, "203.0.113.1");
  EXPECT_THROW((void)info.Adapter(2), EListError);
}

}  // namespace
}  // namespace vidideza
