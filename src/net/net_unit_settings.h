#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vidideza {

// The values typed on the QVX-NET page, after checking. Byte arrays keep the written order.
struct NetUnitSettings {
  std::array<std::uint8_t, 6> UnitMac{};
  std::array<std::uint8_t, 4> UnitIp{};
  std::array<std::uint8_t, 4> ServerIp{};
  std::array<std::uint8_t, 4> SubnetMask{};
  std::int32_t HostBits = 0;
  std::array<std::uint8_t, 4> Gateway{};
  std::int32_t ServerPort = 0;
};

// The texts of the QVX-NET page's fields.
struct NetFieldTexts {
  std::string mac;         // Edit2
  std::string serverIp;    // Edit9
  std::string unitIp;      // Edit8
  std::string mask;        // Edit10
  std::string gateway;     // Edit12
  std::string serverPort;  // Edit11
};

// The seven checks of "Set NET interface", in order, each writing its field as it converts.
// The notice of the first failure ("Wrong MAC address", "Wrong Server IP", "Wrong IP address",
// "Wrong Mask", "Wrong Gateway address", "Wrong Server port"), or nothing when all pass.
std::optional<std::string> CheckNetFields(const NetFieldTexts& texts, NetUnitSettings& settings);

// The unit-IP check when the IP field loses the focus: "Wrong IP address", or nothing.
std::optional<std::string> CheckUnitIp(const std::string& text, NetUnitSettings& settings);

}  // namespace vidideza
