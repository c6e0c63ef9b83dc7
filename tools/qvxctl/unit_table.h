#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "net/net_unit_settings.h"

namespace qvxctl {

// One row of a CSV text: the line it begins on (from 1) and its cells.
struct CsvRow {
  int line = 0;
  std::vector<std::string> cells;
  friend bool operator==(const CsvRow&, const CsvRow&) = default;
};

// The rows of a CSV text: fields split at the separator, quoted fields with doubled quotes and
// line breaks inside, LF or CR LF line ends, a leading byte-order mark left out, blank lines and
// lines starting with "#" (comments) skipped. The separator is "," or, where the first line
// holds ";" and no ",", ";" (as spreadsheets write it where the comma is the decimal sign).
std::vector<CsvRow> ReadCsv(std::string_view text);

// What an empty field of a unit row takes: the command line's value or the adapter's.
struct FieldDefaults {
  std::string mask;
  std::string gateway;
  std::string serverIp;
  std::string serverPort;
};

// One unit of a batch: the line of the table its row begins on (as an editor numbers them) and
// the field texts, as typed into the QVX-NET page.
struct UnitRow {
  int row = 0;
  vidideza::NetFieldTexts texts;
};

// The units of a batch table. Its header names the columns, in any order and in either case:
// "mac" and "ip" are needed, "mask", "gateway", "server-ip" and "server-port" may be left out.
// Raises UsageError for a table that cannot be read so.
std::vector<UnitRow> ReadUnitTable(std::string_view csvText, const FieldDefaults& defaults);

}  // namespace qvxctl
