// net-setup and batch: the QVX-NET page's "Set NET interface", for one unit or a table of them.
#include <cerrno>
#include <chrono>
#include <fstream>
#include <functional>
#include <iostream>
#include <ostream>
#include <sstream>
#include <system_error>

#include "app/error_box_text.h"
#include "commands.h"
#include "interrupts.h"
#include "net/ip_info.h"
#include "net_link.h"
#include "report_file.h"
#include "status_line.h"
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
// card fills the page. The server port starts as the page's 10100.
FieldDefaults DefaultsOf(const Arguments& arguments) {
  FieldDefaults defaults{arguments.Value("--mask").value_or(""),
                         arguments.Value("--gateway").value_or(""),
                         arguments.Value("--server-ip").value_or(""),
                         arguments.Value("--server-port").value_or("10100")};
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

constexpr const char* kNotConfirmedMessage =
    "Timeout error: the unit took its setup record but did not confirm; check it";

constexpr const char* kInterruptedMessage = "Interrupted before the unit was found";
constexpr const char* kInterruptedWritingMessage =
    "Interrupted after the unit took its setup record; check it";

// One unit set up: the field checks, then the run, given up when abandon() holds; the outcome
// and its message.
UnitOutcome SetUpUnit(
    const vidideza::NetFieldTexts& texts, bool verify, const std::string& prefix, Console& console,
    const std::function<bool()>& abandon = [] { return false; }) {
  UnitOutcome outcome;
  outcome.mac = texts.mac;
  outcome.ip = texts.unitIp;
  const auto start = std::chrono::steady_clock::now();
  vidideza::NetUnitSettings settings;
  if (const auto notice = vidideza::CheckNetFields(texts, settings)) {
    outcome.outcome = Outcome::kFieldError;
    outcome.message = *notice;
    console.err << prefix << *notice << '\n';
    return outcome;
  }
  try {
    EventLoop loop;
    StatusLine status(console.err, prefix);
    NetLink link(
        loop, texts.unitIp, settings.ServerPort, [](std::string_view) {},
        [&status](const std::string& caption) { status.Show(caption); });
    const bool set = link.SetUp(settings, verify, abandon);
    if (set) {
      outcome.outcome = Outcome::kDone;
      outcome.message = "Succesfully set";
    } else if (abandon()) {
      outcome.outcome = Outcome::kInterrupted;
      outcome.message = link.UnitTookRecord() ? kInterruptedWritingMessage : kInterruptedMessage;
      status.End();
      console.err << prefix << outcome.message << '\n';
    } else if (link.UnitTookRecord()) {
      outcome.outcome = Outcome::kNotConfirmed;
      outcome.message = kNotConfirmedMessage;
      console.err << prefix << kNotConfirmedMessage << '\n';
    } else {
      outcome.outcome = Outcome::kNotFound;
      outcome.message = "Timeout error";
    }
  } catch (const vidideza::Exception&) {
    outcome.outcome = Outcome::kLinkError;
    outcome.message = vidideza::ErrorBoxTextFor(std::current_exception()).value_or("");
    console.err << prefix << outcome.message << '\n';
  }
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return outcome;
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
  const vidideza::NetFieldTexts texts{arguments.Value("--mac").value_or(""),
                                      defaults.serverIp,
                                      arguments.Value("--ip").value_or(""),
                                      defaults.mask,
                                      defaults.gateway,
                                      defaults.serverPort};
  const UnitOutcome outcome = SetUpUnit(texts, arguments.Has("--verify"), "", console);
  if (outcome.outcome == Outcome::kDone) {
    console.out << outcome.message << '\n';
  }
  return static_cast<int>(outcome.outcome);
}

int RunBatch(const Arguments& arguments, Console& console) {
  if (arguments.operands.size() != 1) {
    throw UsageError("qvxctl batch: give one unit table (UNITS.csv)");
  }
  const auto units =
      ReadUnitTable(ReadUnitTableText(arguments.operands.front()), DefaultsOf(arguments));
  ReportFile report(arguments.Value("--report").value_or(""));
  std::vector<UnitOutcome> outcomes;
  // Ctrl-C begins no new unit and lets the one in flight end; a second stops it at once. Either
  // way every unit begun is in the report and the summary.
  const Interrupts interrupts;
  for (const UnitRow& unit : units) {
    if (interrupts.Count() > 0) {
      break;
    }
    const std::string prefix = "row " + std::to_string(unit.row) + " (" + unit.texts.mac + "): ";
    UnitOutcome outcome = SetUpUnit(unit.texts, arguments.Has("--verify"), prefix, console,
                                    [&interrupts] { return interrupts.Count() > 1; });
    outcome.row = unit.row;
    report.Add(outcome);
    outcomes.push_back(std::move(outcome));
  }
  report.Finish();
  console.out << (arguments.Has("--json") ? ReportJson(outcomes) : ReportSummary(outcomes)) << '\n';
  if (interrupts.Count() > 0) {
    console.err << "qvxctl batch: interrupted; " << units.size() - outcomes.size() << " of "
                << units.size() << " units not begun\n";
    return interrupts.ExitStatus();
  }
  return BatchExitStatus(outcomes);
}

}  // namespace qvxctl
