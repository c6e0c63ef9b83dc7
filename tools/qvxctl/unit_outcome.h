#pragma once

#include <string>
#include <vector>

namespace qvxctl {

// How a run ended, by exit status: 0 all done, 1 a usage or field error, 2 the unit not found
// (no answer to the search: nothing was written into it), 3 a link or file error, 4 the unit
// not confirmed (it took its setup record, so it may be written in part or whole, but never
// confirmed: it needs a visit).
// A unit left in flight by a batch stopped at once (a second Ctrl-C) is "interrupted": its status
// is the program's, 130.
enum class Outcome {
  kDone = 0,
  kFieldError = 1,
  kNotFound = 2,
  kLinkError = 3,
  kNotConfirmed = 4,
  kInterrupted = 5,
};

// The report's word for an outcome: "set", "field error", "not found", "link error",
// "not confirmed", "interrupted".
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

// The batch's exit status: the gravest outcome of its units (a unit not confirmed over a link
// error over a unit not found over a field error); 0 when every unit was set.
int BatchExitStatus(const std::vector<UnitOutcome>& units);

}  // namespace qvxctl
