#include <algorithm>
#include <ostream>

#include "app/error_box_text.h"
#include "command_table.h"
#include "commands.h"

namespace qvxctl {

namespace {

// The error box's text as lines of a terminal.
std::string TerminalLines(std::string text) {
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
    text.erase(at, 1);
  }
  return text;
}

int RunCommand(std::span<const std::string> words, Console& console) {
  if (words.empty()) {
    throw UsageError("qvxctl: give a command (qvxctl --help lists them)");
  }
  const std::string& name = words.front();
  if (name == "--help" || name == "-h" || name == "help") {
    console.out << ToolHelp();
    return 0;
  }
  if (name == "--version") {
    console.out << "qvxctl " << VIDIDEZA_VERSION << '\n';
    return 0;
  }
  const auto commands = Commands();
  const auto command = std::find_if(commands.begin(), commands.end(),
                                    [&](const CommandSpec& spec) { return spec.name == name; });
  if (command == commands.end()) {
    throw UsageError("qvxctl: unknown command \"" + name + "\" (qvxctl --help lists them)");
  }
  const Arguments arguments = ParseCommandArguments(name, words.subspan(1), command->options);
  if (arguments.Has("--help")) {
    console.out << command->help;
    return 0;
  }
  return command->run(arguments, console);
}

}  // namespace

int RunCommandLine(std::span<const std::string> words, Console& console) {
  try {
    return RunCommand(words, console);
  } catch (const UsageError& error) {
    console.err << error.what() << '\n';
    return 1;
  } catch (const TimeoutFailure&) {
    return 2;  // the status caption, shown as it changed, has told it
  } catch (const FileFailure& error) {
    console.err << error.what() << '\n';
    return 3;
  } catch (...) {
    if (const auto text = vidideza::ErrorBoxTextFor(std::current_exception())) {
      console.err << TerminalLines(*text) << '\n';
    }
    return 3;
  }
}

}  // namespace qvxctl
