#include "net/setup_packets.h"

#include <gtest/gtest.h>

namespace vidideza {
namespace {

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (!text.empty())
      text += ' ';
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

NetUnitSettings Example() {
  NetUnitSettings s;
  s.UnitMac = {0x00, 0x20, 0x4A, 0xE0, 0x2C, 0xBE};
  s.UnitIp = {192, 168, 1, 10};
  s.SubnetMask = {255, 255, 255, 0};
  s.HostBits = 8;
  s.Gateway = {192, 168, 1, 254};
  s.ServerIp = {192, 168, 1, 100};
  s.ServerPort = 10100;
  return s;
}

TEST(SetupPackets, AddressAnnouncementAsTheExample) {
  EXPECT_EQ(Hex(AddressAnnouncement(Example())),
            "00 00 00 FC 49 50 2D 53 45 54 55 50 00 00 2C BE C0 A8 01 0A");
}

TEST(SetupPackets, SetupRecordOffsets) {
  const std::string record = SetupRecord(Example());
  ASSERT_EQ(record.size(), 124U);
  EXPECT_EQ(Hex(record.substr(0, 4)), "00 01 00 FA");
  EXPECT_EQ(Hex(record.substr(4, 8)), "C0 A8 01 0A 00 00 08 2D");
  EXPECT_EQ(record.substr(12, 4), "0000");
  EXPECT_EQ(Hex(record.substr(16, 16)), "C0 A8 01 FE 4C 02 00 00 11 27 74 27 C0 A8 01 64");
  EXPECT_EQ(Hex(record.substr(32, 7)), "CC 01 00 00 0A 00 80");
  EXPECT_EQ(record.substr(39), std::string(85, '\0'));
}

TEST(SetupPackets, QueriesAndFinish) {
  EXPECT_EQ(Hex(SearchQuery(1)), "00 01 00 F6");
  EXPECT_EQ(Hex(SearchQuery(2)), "00 00 00 F6");
  EXPECT_EQ(Hex(SearchQuery(7)), "00 01 00 F6");
  EXPECT_EQ(Hex(PortQuery()), "00 00 00 F8");
  EXPECT_EQ(Hex(FinishPacket()), "00 00 00 03 58 35");
}

// The body bytes that are not 0x00, as "offset:value" pairs.
std::string SetBytes(const std::string& block) {
  std::string text;
  for (std::size_t i = 4; i < block.size(); ++i) {
    if (block[i] != '\0') {
      text += std::to_string(i) + ":" + Hex(block.substr(i, 1)) + " ";
    }
  }
  return text;
}

TEST(SetupPackets, ConfigurationBlocks) {
  for (int opcode = 0xC2; opcode <= 0xC7; ++opcode) {
    const std::string block = ConfigurationBlock(static_cast<std::uint8_t>(opcode));
    ASSERT_EQ(block.size(), 130U);
    EXPECT_EQ(Hex(block.substr(0, 3)), "00 01 00");
    EXPECT_EQ(static_cast<unsigned char>(block[3]), opcode);
  }
  EXPECT_EQ(ConfigurationBlock(0xC2).substr(4), std::string(126, '\xFF'));
  EXPECT_EQ(SetBytes(ConfigurationBlock(0xC3)),
            "4:03 5:FA 79:0D 80:0D 82:78 83:05 104:58 105:02 114:50 116:19 ");
  EXPECT_EQ(SetBytes(ConfigurationBlock(0xC4)), "");
  EXPECT_EQ(ConfigurationBlock(0xC5).substr(106, 7), "QVX-NET");
  EXPECT_EQ(SetBytes(ConfigurationBlock(0xC5)).size(), std::string("106:51 ").size() * 7);
  const std::string c6 = ConfigurationBlock(0xC6);
  EXPECT_EQ(c6.substr(4, 27), std::string(27, '\0'));
  EXPECT_EQ(c6.substr(31, 4), "@OOK");
  EXPECT_EQ(c6.substr(65, 7), "@EError");
  EXPECT_EQ(c6.substr(99, 7), "@AAlarm");
  for (const std::size_t one : {57, 58, 91, 92, 125, 126}) {
    EXPECT_EQ(c6[one], '\x01') << one;
  }
  EXPECT_EQ(SetBytes(ConfigurationBlock(0xC7)), "4:04 5:06 6:08 11:80 13:80 15:80 ");
}

}  // namespace
}  // namespace vidideza
