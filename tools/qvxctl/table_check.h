#pragma once

#include <string>
#include <vector>

#include "net/net_unit_settings.h"
#include "unit_table.h"

namespace qvxctl {

// A unit row whose fields passed the page's checks, with the values they give.
struct CheckedUnit {
  int row = 0;
  vidideza::NetFieldTexts texts;
  vidideza::NetUnitSettings settings;
  // The unit's address as the unit answers from it: four plain decimal numbers.
  std::string unitIp;
};

// The whole table looked at before any unit is written.
struct TableCheck {
  std::vector<CheckedUnit> units;
  // What makes the table bad: a field the page would refuse ("row 4: Wrong Mask") or would read
  // as another address (a part above 255), a MAC or an address two rows give ("rows 3 and 9:
  // the same MAC 00-20-4A-E0-2C-BE").
  std::vector<std::string> problems;
  // Rows whose MACs end in the same two bytes: the address announcement carries only those, so
  // both units would take it. They are set one after the other, never at the same time.
  std::vector<std::string> warnings;
};

TableCheck CheckUnitTable(const std::vector<UnitRow>& rows);

// The address announcement of one would be taken by the other's unit too.
bool ShareAnnouncement(const vidideza::NetUnitSettings& a, const vidideza::NetUnitSettings& b);

// "00-20-4A-E0-2C-BE", as the checks read it.
std::string MacText(const vidideza::NetUnitSettings& settings);

}  // namespace qvxctl
