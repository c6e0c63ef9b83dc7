// send, setup-unit and setup-port: command lines to a unit over its serial or network link.
#include <chrono>
#include <optional>
#include <ostream>

#include "commands.h"
#include "console/command_head.h"
#include "console/setup_commands.h"
#include "json_text.h"
#include "transcript.h"
#include "unit_link.h"

namespace qvxctl {

namespace {

// The stamp of --address, --port-addr and --code, when any of them is given.
std::optional<vidideza::CommandHead> HeadOf(const Arguments& arguments) {
  if (!arguments.Has("--address") && !arguments.Has("--port-addr") && !arguments.Has("--code")) {
    return std::nullopt;
  }
  vidideza::CommandHead head;
  if (const auto address = arguments.Value("--address")) {
    head.address = BoundedInteger("--address", *address, 0, 255);
  }
  if (const auto port = arguments.Value("--port-addr")) {
    head.port = PortAddressCharacter("--port-addr", *port);
  }
  if (const auto code = arguments.Value("--code")) {
    head.code = CodeCharacter("--code", *code);
  }
  return head;
}

std::string Required(const Arguments& arguments, std::string_view option) {
  auto value = arguments.Value(option);
  if (!value) {
    throw UsageError("qvxctl " + arguments.command + ": " + std::string(option) + " is needed");
  }
  return *value;
}

std::string JsonArray(const std::vector<std::string>& lines) {
  std::string json = "[";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    json += (i == 0 ? "" : ", ") + JsonString(lines[i]);
  }
  return json + "]";
}

// Sends the lines, each logged and shown before it goes, then waits for the replies.
int SendLines(const Arguments& arguments, Console& console, const LinkTarget& target,
              const std::vector<std::string>& lines) {
  const double waitSeconds = WaitSeconds("--wait", arguments.Value("--wait").value_or("1"));
  const bool json = arguments.Has("--json");
  Transcript transcript(console.out, arguments.Value("--log").value_or(""), !json);
  EventLoop loop;
  StatusLine status(console.err, "");
  UnitLink link(
      loop, target, [&](std::string_view line) { transcript.Received(line); }, status);
  for (const std::string& line : lines) {
    transcript.Sent(line);
    link.Send(line + '\n');
    loop.RunFor(std::chrono::milliseconds(0));  // the replies so far, in the order they came
  }
  // Every line shown as sent is on the line before the port closes, however short the wait.
  link.Drain();
  loop.RunFor(std::chrono::duration_cast<EventLoop::Clock::duration>(
      std::chrono::duration<double>(waitSeconds)));
  if (json) {
    console.out << "{\"sent\": " << JsonArray(transcript.SentLines())
                << ", \"received\": " << JsonArray(transcript.ReceivedLines()) << "}\n";
  }
  return 0;
}

// The setup buttons' question, asked unless --yes answers it.
void Confirm(const Arguments& arguments, Console& console, const std::string& question) {
  if (arguments.Has("--yes")) {
    return;
  }
  const std::optional<bool> answer = console.confirm(question);
  if (!answer) {
    throw UsageError("qvxctl " + arguments.command +
                     ": no terminal to ask on; give --yes to set the unit without asking");
  }
  if (!*answer) {
    throw UsageError("qvxctl " + arguments.command + ": not confirmed; nothing was sent");
  }
}

}  // namespace

int RunSend(const Arguments& arguments, Console& console) {
  const auto head = HeadOf(arguments);
  if (arguments.operands.empty()) {
    throw UsageError("qvxctl send: give at least one command line");
  }
  std::vector<std::string> lines;
  for (const std::string& line : arguments.operands) {
    lines.push_back(head ? vidideza::StampCommandLine(line, *head) : line);
  }
  return SendLines(arguments, console, LinkTargetOf(arguments), lines);
}

int RunSetupUnit(const Arguments& arguments, Console& console) {
  RefuseOperands(arguments);
  const int address = BoundedInteger("--address", Required(arguments, "--address"), 0, 255);
  const char lastPort = PortAddressCharacter("--last-port", Required(arguments, "--last-port"));
  const LinkTarget target = LinkTargetOf(arguments);  // a wrong link is told before the question
  Confirm(arguments, console, vidideza::kConfirmControlUnit);
  return SendLines(arguments, console, target, {vidideza::ControlUnitCommand(address, lastPort)});
}

int RunSetupPort(const Arguments& arguments, Console& console) {
  RefuseOperands(arguments);
  const char port = PortAddressCharacter("--port-addr", Required(arguments, "--port-addr"));
  const char code = CodeCharacter("--code", Required(arguments, "--code"));
  const LinkTarget target = LinkTargetOf(arguments);
  Confirm(arguments, console, vidideza::kConfirmInterfacePort);
  return SendLines(arguments, console, target, {vidideza::InterfacePortCommand(port, code)});
}

}  // namespace qvxctl
