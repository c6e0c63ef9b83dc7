#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "net/net_unit_settings.h"

namespace vidideza {

// The discovery and setup protocol of QVX-NET units on UDP port 30718: the packets the tool
// sends, byte for byte. Every packet starts with 00, 00 or 01, 00, opcode.

inline constexpr int kSetupPort = 30718;
inline constexpr const char* kBroadcastAddress = "255.255.255.255";

// Opcodes.
enum SetupOpcode : std::uint8_t {
  kFinish = 0x03,
  kBlockRequestFirst = 0xB2,  // 0xB2 ... 0xB7 from the unit
  kBlockRequestLast = 0xB7,
  kBlockFirst = 0xC2,  // 0xC2 ... 0xC7 to the unit
  kBlockLast = 0xC7,
  kSearchQuery = 0xF6,
  kSearchAnswer = 0xF7,
  kPortQuery = 0xF8,
  kPortAnswer = 0xF9,
  kSetupRecord = 0xFA,
  kSetupAcknowledgement = 0xFB,
  kAddressAnnouncement = 0xFC,
};

// Our values for what the unit does not check: the four ASCII digits at offsets 12 to 15 of
// the setup record, and the domain name of block 0xC6 (offsets 4 to 30, ended by 0x00).
inline constexpr const char* kSetupRecordDigits = "0000";
inline constexpr const char* kDomainName = "";
static_assert(std::char_traits<char>::length(kSetupRecordDigits) == 4);
static_assert(std::char_traits<char>::length(kDomainName) <= 26);

// 20 bytes to 255.255.255.255: "IP-SETUP", the MAC's last two bytes, the unit's new address.
std::string AddressAnnouncement(const NetUnitSettings& settings);

// 4 bytes to 255.255.255.255; P is pollTicks modulo 2.
std::string SearchQuery(std::int32_t pollTicks);

// 4 bytes to the unit: 00 00 00 F8.
std::string PortQuery();

// 124 bytes to the confirmed unit: address, subnet size, gateway, server port and address.
std::string SetupRecord(const NetUnitSettings& settings);

// 130 bytes to the confirmed unit, for opcodes 0xC2 to 0xC7.
std::string ConfigurationBlock(std::uint8_t opcode);

// 6 bytes to the confirmed unit: 00 00 00 03 "X5".
std::string FinishPacket();

}  // namespace vidideza
