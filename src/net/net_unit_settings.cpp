#include "net/net_unit_settings.h"

#include "base/integer_parsing.h"
#include "net/address_parsing.h"

namespace vidideza {

std::optional<std::string> CheckNetFields(const NetFieldTexts& texts, NetUnitSettings& settings) {
  if (!ParseMacAddress(texts.mac, settings.UnitMac)) {
    return "Wrong MAC address";
  }
  if (!ParseDottedAddress(texts.serverIp, settings.ServerIp)) {
    return "Wrong Server IP";
  }
  if (!ParseDottedAddress(texts.unitIp, settings.UnitIp)) {
    return "Wrong IP address";
  }
  if (!ParseDottedAddress(texts.mask, settings.SubnetMask)) {
    return "Wrong Mask";
  }
  const auto hostBits = MaskToHostBits(settings.SubnetMask);
  if (!hostBits) {
    return "Wrong Mask";
  }
  settings.HostBits = *hostBits;
  if (!ParseDottedAddress(texts.gateway, settings.Gateway)) {
    return "Wrong Gateway address";
  }
  // The whole text, neither split nor trimmed.
  const auto port = TryParseInteger(texts.serverPort);
  if (!port) {
    return "Wrong Server port";
  }
  settings.ServerPort = *port;  // stays, like every converted value, when the range check fails
  if (*port < 0 || *port > 65535) {
    return "Wrong Server port";
  }
  return std::nullopt;
}

std::optional<std::string> CheckUnitIp(const std::string& text, NetUnitSettings& settings) {
  if (!ParseDottedAddress(text, settings.UnitIp)) {
    return "Wrong IP address";
  }
  return std::nullopt;
}

}  // namespace vidideza
