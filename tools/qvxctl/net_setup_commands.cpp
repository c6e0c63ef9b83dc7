// net-setup and batch: the QVX-NET page's "Set NET interface", for one unit or a table of them.
#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iostream>
#include <ostream>
#include <sstream>
#include <system_error>

#include "batch_progress.h"
#include "batch_run.h"
#include "commands.h"
#include "dry_run.h"
#include "interrupts.h"
#include "net/ip_info.h"
#include "net/net_setup_endpoint.h"
#include "report_file.h"
#include "table_check.h"
#include "unit_outcome.h"
#include "unit_table.h"

namespace qvxctl {

namespace {

// The adapter named by --adapter, by its name or by what the card selector shows for it.
const vidideza::TAdapter& NamedAdapter(const vidideza::TIPInfo& info, const std::string& name) {
  std::string known;
  for (int i = 0; i < info.AdapterCount(); ++i) {
    const vidideza::TAdapter& adapter = info.Adapter(i);
    if (adapter.AdapterName == name || adapter.Description == name) {
      return adapter;
    }
    known += "\n  " + adapter.Description;
  }
  throw UsageError(
      "--adapter: no network adapter \"" + name + "\"" +
      (known.empty() ? std::string(" (this computer has none)") : "; the adapters are:" + known));
}

// The options' values for the fields; what they leave empty the adapter fills, as choosing a
// card fills the page. The server port starts as the page's.
FieldDefaults DefaultsOf(const Arguments& arguments) {
  FieldDefaults defaults{
      arguments.Value("--mask").value_or(""), arguments.Value("--gateway").value_or(""),
      arguments.Value("--server-ip").value_or(""),
      arguments.Value("--server-port").value_or(std::to_string(vidideza::kDefaultServerPort))};
  if (const auto name = arguments.Value("--adapter")) {
    const vidideza::TIPInfo info;
    const vidideza::TAdapter& adapter = NamedAdapter(info, *name);
    const auto fill = [](std::string& field, const std::string& value) {
      if (field.empty()) {
        field = value;
      }
    };
    fill(defaults.serverIp, adapter.IPAddressEntry(0).Address);
    fill(defaults.mask, adapter.IPAddressEntry(0).Mask);
    fill(defaults.gateway, adapter.GatewayEntry(0).Address);
  }
  return defaults;
}

// A batch's events, each told to its progress display.
BatchEvents ProgressEvents(BatchProgress& progress) {
  return {[&progress](const CheckedUnit& unit) { progress.Begun(unit); },
          [&progress](const CheckedUnit& unit, const std::string& caption) {
            progress.Status(unit, caption);
          },
          [&progress](const UnitOutcome& outcome) { progress.Ended(outcome); }};
}

// The unit table, from the file or, for "-", from standard input; a file that cannot be read
// is named with the system's reason.
std::string ReadUnitTableText(const std::string& path) {
  std::ostringstream text;
  if (path == "-") {
    text << std::cin.rdbuf();
    if (std::cin.bad()) {
      throw FileFailure("qvxctl batch: cannot read the unit table from standard input");
    }
    return text.str();
  }
  errno = 0;
  std::ifstream file(path, std::ios::binary);
  const int opened = errno;
  if (!file.is_open()) {
    throw FileFailure("qvxctl batch: cannot read " + path + ": " +
                      std::generic_category().message(opened != 0 ? opened : EIO));
  }
  errno = 0;
  text << file.rdbuf();
  if (file.bad() || (text.fail() && errno != 0)) {
    throw FileFailure("qvxctl batch: cannot read " + path + ": " +
                      std::generic_category().message(errno != 0 ? errno : EIO));
  }
  return text.str();
}

}  // namespace

int RunNetSetup(const Arguments& arguments, Console& console) {
  RefuseOperands(arguments);
  const FieldDefaults defaults = DefaultsOf(arguments);
  // What nothing can fill is asked for by its option, not by the page's notice on a blank field.
  for (const char* option : {"--mac", "--ip"}) {
    if (!arguments.Has(option)) {
      throw UsageError(std::string("qvxctl net-setup: ") + option + " is needed");
    }
  }
  if (defaults.mask.empty()) {
    throw UsageError("qvxctl net-setup: --mask is needed (or --adapter, whose mask it takes)");
  }
  const UnitRow row{
      0,
      {arguments.Value("--mac").value_or(""), defaults.serverIp,
       arguments.Value("--ip").value_or(""), defaults.mask, defaults.gateway, defaults.serverPort}};
  const TableCheck check = CheckUnitTable({row});
  if (check.units.empty()) {
    // The page's notice alone: "Wrong Mask".
    const std::string& problem = check.problems.front();
    console.err << problem.substr(problem.find(": ") + 2) << '\n';
    return static_cast<int>(Outcome::kFieldError);
  }
  std::vector<UnitOutcome> outcomes;
  {
    BatchProgress progress(console.err, BatchProgress::Style::kGrowing, 1, false);
    BatchLimits limits;
    limits.parallel = 1;
    limits.verify = arguments.Has("--verify");
    outcomes = RunBatch(check.units, limits, ProgressEvents(progress));
  }
  const UnitOutcome& outcome = outcomes.front();
  if (outcome.outcome == Outcome::kDone) {
    console.out << outcome.message << '\n';
  }
  return static_cast<int>(outcome.outcome);
}

namespace {

constexpr int kMostParallel = 256;

// The table's problems and warnings on standard error; true when it may be used.
bool TellTableCheck(const TableCheck& check, Console& console) {
  for (const std::string& warning : check.warnings) {
    console.err << "qvxctl batch: warning: " << warning << '\n';
  }
  if (check.problems.empty()) {
    return true;
  }
  console.err << "qvxctl batch: the unit table is not used, nothing was sent:\n";
  for (const std::string& problem : check.problems) {
    console.err << "  " << problem << '\n';
  }
  return false;
}

}  // namespace

int RunBatch(const Arguments& arguments, Console& console) {
  if (arguments.operands.size() != 1) {
    throw UsageError("qvxctl batch: give one unit table (UNITS.csv)");
  }
  const std::size_t parallel = static_cast<std::size_t>(
      BoundedInteger("--parallel", arguments.Value("--parallel").value_or("16"), 1, kMostParallel));
  const auto rows =
      ReadUnitTable(ReadUnitTableText(arguments.operands.front()), DefaultsOf(arguments));
  const TableCheck check = CheckUnitTable(rows);
  if (!TellTableCheck(check, console)) {
    return static_cast<int>(Outcome::kFieldError);
  }
  if (arguments.Has("--dry-run")) {
    console.out << (arguments.Has("--json") ? DryRunJson(check.units, check.warnings) + '\n'
                                            : DryRunText(check.units));
    return 0;
  }
  ReportFile report(arguments.Value("--report").value_or(""));
  std::vector<UnitOutcome> outcomes;
  // Ctrl-C begins no new unit and lets those in flight end; a second stops them at once. Either
  // way every unit begun is in the report and the summary.
  const Interrupts interrupts;
  {
    const auto style = parallel == 1           ? BatchProgress::Style::kGrowing
                       : console.errIsTerminal ? BatchProgress::Style::kLive
                                               : BatchProgress::Style::kEnded;
    BatchProgress progress(console.err, style, check.units.size());
    BatchEvents events = ProgressEvents(progress);
    events.ended = [&progress, &report](const UnitOutcome& outcome) {
      progress.Ended(outcome);
      report.Add(outcome);
    };
    BatchLimits limits;
    limits.parallel = parallel;
    limits.verify = arguments.Has("--verify");
    limits.beginNoMore = [&interrupts] { return interrupts.Count() > 0; };
    limits.stopNow = [&interrupts] { return interrupts.Count() > 1; };
    outcomes = RunBatch(check.units, limits, events);
  }
  report.Finish();
  // The report and the summary list the units in table order, however they ended.
  std::sort(outcomes.begin(), outcomes.end(),
            [](const UnitOutcome& a, const UnitOutcome& b) { return a.row < b.row; });
  console.out << (arguments.Has("--json") ? ReportJson(outcomes) : ReportSummary(outcomes)) << '\n';
  if (interrupts.Count() > 0) {
    console.err << "qvxctl batch: interrupted; " << check.units.size() - outcomes.size() << " of "
                << check.units.size() << " units not begun\n";
    return interrupts.ExitStatus();
  }
  return BatchExitStatus(outcomes);
}

}  // namespace qvxctl
