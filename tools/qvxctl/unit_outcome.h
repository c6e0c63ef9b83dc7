#pragma once

#include <string>
#include <vector>

namespace qvxctl {

// How a run ended, by exit status: 0 all done, 1 a usage or field error, 2 a timeout, 3 a link
// or file error.
enum class Outcome { kDone = 0, kFieldError = 1, kTimeout = 2, kLinkError = 3 };

// The report's word for an outcome: "set", "field error", "timeout", "link error".
const char* OutcomeWord(Outcome outcome);

// What became of one unit of a batch.
struct UnitOutcome {
  int row = 0;
  std::string mac;
  std::string ip;
  Outcome outcome = Outcome::kDone;
  double seconds = 0;
  std::string message;  // "Succesfully set", the notice, "Timeout error" or the error's text
};

// The batch report: a header row, then one row per unit (row, mac, ip, outcome, seconds with one
// decimal, message), CR LF as spreadsheets write it.
std::string ReportCsv(const std::vector<UnitOutcome>& units);
// Its header row and one unit's row, each with its CR LF.
std::string ReportCsvHeader();
std::string ReportCsvRow(const UnitOutcome& unit);

// The same as one JSON object: {"units": [...], "set": N, "failed": N}.
std::string ReportJson(const std::vector<UnitOutcome>& units);

// The summary line: "5 units: 4 set, 1 failed (row 3: Timeout error)".
std::string ReportSummary(const std::vector<UnitOutcome>& units);

// The batch's exit status: the gravest outcome of its units (a link error over a timeout over a
// field error); 0 when every unit was set.
int BatchExitStatus(const std::vector<UnitOutcome>& units);

}  // namespace qvxctl
