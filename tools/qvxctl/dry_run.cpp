#include "dry_run.h"

#include "json_text.h"
#include "net/address_parsing.h"
#include "net/setup_packets.h"

namespace qvxctl {

namespace {

std::string Settings(const CheckedUnit& unit) {
  const vidideza::NetUnitSettings& s = unit.settings;
  return unit.unitIp + ", mask " + vidideza::DottedText(s.SubnetMask) + ", gateway " +
         vidideza::DottedText(s.Gateway) + ", server " + vidideza::DottedText(s.ServerIp) + ':' +
         std::to_string(s.ServerPort);
}

}  // namespace

std::string HexText(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

std::string DryRunText(const std::vector<CheckedUnit>& units) {
  std::string text;
  for (const CheckedUnit& unit : units) {
    text += "row " + std::to_string(unit.row) + " (" + MacText(unit.settings) +
            "): " + Settings(unit) + '\n';
    text += "  to " + std::string(vidideza::kBroadcastAddress) + ": address announcement " +
            HexText(vidideza::AddressAnnouncement(unit.settings)) + '\n';
    text += "  to " + unit.unitIp + ": setup record " +
            HexText(vidideza::SetupRecord(unit.settings)) + '\n';
  }
  text += std::to_string(units.size()) + (units.size() == 1 ? " unit" : " units") +
          " checked; nothing was sent\n";
  return text;
}

std::string DryRunJson(const std::vector<CheckedUnit>& units,
                       const std::vector<std::string>& warnings) {
  std::string json = "{\"units\": [";
  for (std::size_t i = 0; i < units.size(); ++i) {
    const CheckedUnit& u = units[i];
    const vidideza::NetUnitSettings& s = u.settings;
    json += i == 0 ? "\n  " : ",\n  ";
    json += "{\"row\": " + std::to_string(u.row) + ", \"mac\": " + JsonString(MacText(s)) +
            ", \"ip\": " + JsonString(u.unitIp) +
            ", \"mask\": " + JsonString(vidideza::DottedText(s.SubnetMask)) +
            ", \"gateway\": " + JsonString(vidideza::DottedText(s.Gateway)) +
            ", \"server_ip\": " + JsonString(vidideza::DottedText(s.ServerIp)) +
            ", \"server_port\": " + std::to_string(s.ServerPort) +
            ", \"announcement\": " + JsonString(HexText(vidideza::AddressAnnouncement(s))) +
            ", \"setup_record\": " + JsonString(HexText(vidideza::SetupRecord(s))) + "}";
  }
  json += units.empty() ? "]" : "\n]";
  json += ", \"warnings\": [";
  for (std::size_t i = 0; i < warnings.size(); ++i) {
    json += (i == 0 ? "" : ", ") + JsonString(warnings[i]);
  }
  return json + "]}";
}

}  // namespace qvxctl
