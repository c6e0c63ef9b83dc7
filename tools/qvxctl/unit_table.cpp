#include "unit_table.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "arguments.h"
#include "net/address_parsing.h"

namespace qvxctl {

namespace {

// The separator, as the first line that is no comment shows it.
char SeparatorOf(std::string_view text) {
  while (!text.empty() && text.front() == '#') {
    const std::size_t end = text.find('\n');
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  const std::string_view firstLine = text.substr(0, text.find('\n'));
  return firstLine.find(';') != std::string_view::npos &&
                 firstLine.find(',') == std::string_view::npos
             ? ';'
             : ',';
}

bool IsBlank(const std::vector<std::string>& cells) {
  return std::all_of(cells.begin(), cells.end(),
                     [](const std::string& cell) { return vidideza::TrimmedText(cell).empty(); });
}

std::string Lower(std::string_view text) {
  std::string lower(vidideza::TrimmedText(text));
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

enum Column : std::size_t { kMac, kIp, kMask, kGateway, kServerIp, kServerPort, kColumnCount };
constexpr std::array<std::string_view, kColumnCount> kColumnNames = {
    "mac", "ip", "mask", "gateway", "server-ip", "server-port"};

using ColumnPlaces = std::array<std::optional<std::size_t>, kColumnCount>;

ColumnPlaces PlacesOf(const std::vector<std::string>& header) {
  ColumnPlaces places;
  for (std::size_t i = 0; i < header.size(); ++i) {
    const std::string name = Lower(header[i]);
    const auto known = std::find(kColumnNames.begin(), kColumnNames.end(), name);
    if (known == kColumnNames.end()) {
      throw UsageError("unit table: unknown column \"" + name +
                       "\" (the columns are mac, ip, mask, gateway, server-ip, server-port)");
    }
    auto& place = places[static_cast<std::size_t>(known - kColumnNames.begin())];
    if (place) {
      throw UsageError("unit table: column \"" + name + "\" named twice");
    }
    place = i;
  }
  for (const Column needed : {kMac, kIp}) {
    if (!places[needed]) {
      throw UsageError("unit table: the header has no \"" + std::string(kColumnNames[needed]) +
                       "\" column");
    }
  }
  return places;
}

}  // namespace

std::vector<CsvRow> ReadCsv(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") {
    text.remove_prefix(3);
  }
  const char separator = SeparatorOf(text);
  std::vector<CsvRow> rows;
  std::vector<std::string> cells(1);
  bool quoted = false;
  int line = 1;
  int rowLine = 1;
  bool lineStart = true;
  const auto endRow = [&] {
    if (!IsBlank(cells)) {
      rows.push_back({rowLine, std::move(cells)});
    }
    cells.assign(1, std::string());
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (lineStart && c == '#') {  // a comment: up to the line's end, which ends the empty row
      while (i + 1 < text.size() && text[i + 1] != '\n') {
        ++i;
      }
      continue;
    }
    lineStart = false;
    if (c == '\n') {
      ++line;
    }
    if (quoted) {
      if (c != '"') {
        cells.back() += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        cells.back() += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == separator) {
      cells.emplace_back();
    } else if (c == '\n') {
      endRow();
      rowLine = line;
      lineStart = true;
    } else if (c != '\r') {
      cells.back() += c;
    }
  }
  if (quoted) {
    throw UsageError("unit table: a quoted field is not closed");
  }
  endRow();
  return rows;
}

std::vector<UnitRow> ReadUnitTable(std::string_view csvText, const FieldDefaults& defaults) {
  const auto rows = ReadCsv(csvText);
  if (rows.empty()) {
    throw UsageError("unit table: empty (a header row and one row per unit are needed)");
  }
  const ColumnPlaces places = PlacesOf(rows.front().cells);
  const auto field = [&](const std::vector<std::string>& cells, Column column,
                         const std::string& fallback) {
    const auto place = places[column];
    const std::string_view cell =
        place && *place < cells.size() ? vidideza::TrimmedText(cells[*place]) : "";
    return cell.empty() ? fallback : std::string(cell);
  };
  std::vector<UnitRow> units;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const auto& cells = rows[i].cells;
    const int row = rows[i].line;
    if (cells.size() > rows.front().cells.size()) {
      throw UsageError("unit table: line " + std::to_string(row) +
                       " has more fields than the header names");
    }
    UnitRow unit;
    unit.row = row;
    unit.texts.mac = field(cells, kMac, "");
    unit.texts.unitIp = field(cells, kIp, "");
    unit.texts.mask = field(cells, kMask, defaults.mask);
    unit.texts.gateway = field(cells, kGateway, defaults.gateway);
    unit.texts.serverIp = field(cells, kServerIp, defaults.serverIp);
    unit.texts.serverPort = field(cells, kServerPort, defaults.serverPort);
    units.push_back(std::move(unit));
  }
  return units;
}

}  // namespace qvxctl
