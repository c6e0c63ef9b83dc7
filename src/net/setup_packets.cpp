#include "net/setup_packets.h"

#include <cstring>
#include <initializer_list>
#include <utility>

namespace vidideza {

namespace {

std::string Header(std::uint8_t kind, std::uint8_t opcode, std::size_t size) {
  std::string packet(size, '\0');
  packet[1] = static_cast<char>(kind);
  packet[3] = static_cast<char>(opcode);
  return packet;
}

template <std::size_t N>
void Put(std::string& packet, std::size_t offset, const std::array<std::uint8_t, N>& bytes) {
  for (std::size_t i = 0; i < N; ++i) {
    packet[offset + i] = static_cast<char>(bytes[i]);
  }
}

void PutText(std::string& packet, std::size_t offset, const char* text) {
  std::memcpy(packet.data() + offset, text, std::strlen(text));
}

void PutBytes(std::string& packet,
              std::initializer_list<std::pair<std::size_t, std::uint8_t>> bytes) {
  for (const auto& [offset, value] : bytes) {
    packet[offset] = static_cast<char>(value);
  }
}

}  // namespace

std::string AddressAnnouncement(const NetUnitSettings& settings) {
  std::string packet = Header(0x00, kAddressAnnouncement, 20);
  PutText(packet, 4, "IP-SETUP");
  packet[14] = static_cast<char>(settings.UnitMac[4]);
  packet[15] = static_cast<char>(settings.UnitMac[5]);
  Put(packet, 16, settings.UnitIp);
  return packet;
}

std::string SearchQuery(std::int32_t pollTicks) {
  return Header(static_cast<std::uint8_t>(pollTicks % 2 != 0 ? 1 : 0), kSearchQuery, 4);
}

std::string PortQuery() {
  return Header(0x00, kPortQuery, 4);
}

std::string SetupRecord(const NetUnitSettings& settings) {
  std::string packet = Header(0x01, kSetupRecord, 124);
  Put(packet, 4, settings.UnitIp);
  packet[10] = static_cast<char>(settings.HostBits);
  packet[11] = '-';
  PutText(packet, 12, kSetupRecordDigits);
  Put(packet, 16, settings.Gateway);
  PutBytes(packet, {{20, 0x4C}, {21, 0x02}, {24, 0x11}, {25, 0x27}});
  packet[26] = static_cast<char>(settings.ServerPort & 0xFF);
  packet[27] = static_cast<char>((settings.ServerPort >> 8) & 0xFF);
  Put(packet, 28, settings.ServerIp);
  PutBytes(packet, {{32, 0xCC}, {33, 0x01}, {36, 0x0A}, {38, 0x80}});
  return packet;
}

std::string ConfigurationBlock(std::uint8_t opcode) {
  std::string block = Header(0x01, opcode, 130);
  switch (opcode) {
    case 0xC2:
      std::memset(block.data() + 4, 0xFF, 126);
      break;
    case 0xC3:
      PutBytes(block, {{4, 0x03},
                       {5, 0xFA},
                       {79, 0x0D},
                       {80, 0x0D},
                       {82, 0x78},
                       {83, 0x05},
                       {104, 0x58},
                       {105, 0x02},
                       {114, 0x50},
                       {116, 0x19}});
      break;
    case 0xC5:
      PutText(block, 106, "QVX-NET");
      break;
    case 0xC6:
      PutText(block, 4, kDomainName);
      PutText(block, 31, "@OOK");
      PutText(block, 65, "@EError");
      PutText(block, 99, "@AAlarm");
      PutBytes(block, {{57, 0x01}, {58, 0x01}, {91, 0x01}, {92, 0x01}, {125, 0x01}, {126, 0x01}});
      break;
    case 0xC7:
      PutBytes(block, {{4, 0x04}, {5, 0x06}, {6, 0x08}, {11, 0x80}, {13, 0x80}, {15, 0x80}});
      break;
    default:  // 0xC4: no byte set
      break;
  }
  return block;
}

std::string FinishPacket() {
  std::string packet = Header(0x00, kFinish, 6);
  PutText(packet, 4, "X5");
  return packet;
}

}  // namespace vidideza
