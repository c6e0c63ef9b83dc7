#include "table_check.h"

#include <cstdio>
#include <map>
#include <optional>
#include <utility>

#include "base/integer_parsing.h"
#include "net/address_parsing.h"

namespace qvxctl {

namespace {

std::string Rows(int first, int second) {
  return "rows " + std::to_string(first) + " and " + std::to_string(second);
}

std::string TailText(const vidideza::NetUnitSettings& settings) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X-%02X", settings.UnitMac[4], settings.UnitMac[5]);
  return text;
}

// The page takes the low eight bits of each part of an address ("198.51.100.300" reads as
// 198.51.100.44). A batch must never write an address other than the one typed: a part above
// 255 is a fault of the table.
bool PartsFitBytes(const std::string& address) {
  for (const std::string& part : vidideza::Split('.', address)) {
    const auto value = vidideza::TryParseInteger(part);
    if (value && (*value < 0 || *value > 255)) {
      return false;
    }
  }
  return true;
}

// The notice of the first address field whose parts do not fit in bytes, in the page's order.
std::optional<std::string> WrappedAddress(const vidideza::NetFieldTexts& texts) {
  const std::pair<const std::string*, const char*> fields[] = {
      {&texts.serverIp, "Wrong Server IP"},
      {&texts.unitIp, "Wrong IP address"},
      {&texts.mask, "Wrong Mask"},
      {&texts.gateway, "Wrong Gateway address"},
  };
  for (const auto& [text, notice] : fields) {
    if (!PartsFitBytes(*text)) {
      return std::string(notice) + " (" + *text + ": a part above 255)";
    }
  }
  return std::nullopt;
}

}  // namespace

std::string MacText(const vidideza::NetUnitSettings& settings) {
  char text[24];
  const auto& m = settings.UnitMac;
  std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", m[0], m[1], m[2], m[3], m[4],
                m[5]);
  return text;
}

bool ShareAnnouncement(const vidideza::NetUnitSettings& a, const vidideza::NetUnitSettings& b) {
  return a.UnitMac[4] == b.UnitMac[4] && a.UnitMac[5] == b.UnitMac[5];
}

TableCheck CheckUnitTable(const std::vector<UnitRow>& rows) {
  TableCheck check;
  for (const UnitRow& row : rows) {
    CheckedUnit unit{row.row, row.texts, {}, {}};
    auto notice = vidideza::CheckNetFields(row.texts, unit.settings);
    if (!notice) {
      notice = WrappedAddress(row.texts);
    }
    if (notice) {
      check.problems.push_back("row " + std::to_string(row.row) + ": " + *notice);
      continue;
    }
    unit.unitIp = vidideza::DottedText(unit.settings.UnitIp);
    check.units.push_back(std::move(unit));
  }
  // Each MAC, address and MAC end against the first row that gave it.
  std::map<std::string, int> macs;
  std::map<std::string, int> ips;
  std::map<std::string, int> tails;
  for (const CheckedUnit& unit : check.units) {
    const std::string mac = MacText(unit.settings);
    if (const auto [first, fresh] = macs.emplace(mac, unit.row); !fresh) {
      check.problems.push_back(Rows(first->second, unit.row) + ": the same MAC " + mac);
      continue;  // the same unit twice: its MAC end says nothing more
    }
    if (const auto [first, fresh] = ips.emplace(unit.unitIp, unit.row); !fresh) {
      check.problems.push_back(Rows(first->second, unit.row) + ": the same IP address " +
                               unit.unitIp);
    }
    const std::string tail = TailText(unit.settings);
    if (const auto [first, fresh] = tails.emplace(tail, unit.row); !fresh) {
      check.warnings.push_back(Rows(first->second, unit.row) +
                               ": MACs end in the same two bytes (" + tail +
                               "), which the address announcement carries alone; they are set "
                               "one after the other");
    }
  }
  return check;
}

}  // namespace qvxctl
