#include "unit_outcome.h"

#include <algorithm>
#include <cstdio>

#include "json_text.h"

namespace qvxctl {

namespace {

std::string OneDecimal(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", seconds);
  return text;
}

std::size_t SetCount(const std::vector<UnitOutcome>& units) {
  return static_cast<std::size_t>(
      std::count_if(units.begin(), units.end(),
                    [](const UnitOutcome& u) { return u.outcome == Outcome::kDone; }));
}

}  // namespace

const char* OutcomeWord(Outcome outcome) {
  switch (outcome) {
    case Outcome::kDone:
      return "set";
    case Outcome::kFieldError:
      return "field error";
    case Outcome::kNotFound:
      return "not found";
    case Outcome::kLinkError:
      return "link error";
    case Outcome::kNotConfirmed:
      return "not confirmed";
    case Outcome::kInterrupted:
      return "interrupted";
  }
  return "";
}

std::string ReportCsvHeader() {
  return "row,mac,ip,outcome,seconds,message\r\n";
}

std::string ReportCsvRow(const UnitOutcome& u) {
  return std::to_string(u.row) + ',' + CsvField(u.mac) + ',' + CsvField(u.ip) + ',' +
         OutcomeWord(u.outcome) + ',' + OneDecimal(u.seconds) + ',' + CsvField(u.message) + "\r\n";
}

std::string ReportCsv(const std::vector<UnitOutcome>& units) {
  std::string csv = ReportCsvHeader();
  for (const UnitOutcome& u : units) {
    csv += ReportCsvRow(u);
  }
  return csv;
}

std::string ReportJson(const std::vector<UnitOutcome>& units) {
  std::string json = "{\"units\": [";
  for (std::size_t i = 0; i < units.size(); ++i) {
    const UnitOutcome& u = units[i];
    json += i == 0 ? "\n  " : ",\n  ";
    json +=
        "{\"row\": " + std::to_string(u.row) + ", \"mac\": " + JsonString(u.mac) +
        ", \"ip\": " + JsonString(u.ip) + ", \"outcome\": " + JsonString(OutcomeWord(u.outcome)) +
        ", \"seconds\": " + OneDecimal(u.seconds) + ", \"message\": " + JsonString(u.message) + "}";
  }
  const std::size_t set = SetCount(units);
  json += units.empty() ? "]" : "\n]";
  json += ", \"set\": " + std::to_string(set) +
          ", \"failed\": " + std::to_string(units.size() - set) + "}";
  return json;
}

std::string ReportSummary(const std::vector<UnitOutcome>& units) {
  const std::size_t set = SetCount(units);
  std::string summary = std::to_string(units.size()) +
                        (units.size() == 1 ? " unit: " : " units: ") + std::to_string(set) +
                        " set, " + std::to_string(units.size() - set) + " failed";
  std::string failures;
  for (const UnitOutcome& u : units) {
    if (u.outcome != Outcome::kDone) {
      failures += (failures.empty() ? "" : "; ") + std::string("row ") + std::to_string(u.row) +
                  ": " + u.message.substr(0, u.message.find('\r'));
    }
  }
  return failures.empty() ? summary : summary + " (" + failures + ")";
}

int BatchExitStatus(const std::vector<UnitOutcome>& units) {
  int status = 0;
  for (const UnitOutcome& u : units) {
    status = std::max(status, static_cast<int>(u.outcome));
  }
  return status;
}

}  // namespace qvxctl
