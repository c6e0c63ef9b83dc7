#pragma once

#include <functional>
#include <iosfwd>
#include <span>
#include <string>

#include "arguments.h"

namespace qvxctl {

// Where a command reads and writes: its results, its progress and errors, and the terminal it
// may ask on.
struct Console {
  std::ostream& out;
  std::ostream& err;
  // Asks a yes/no question; nothing when no terminal is there to ask on.
  std::function<std::optional<bool>(const std::string& question)> confirm;
  // err is a terminal where progress can be redrawn in place.
  bool errIsTerminal = false;
};

// Each command with its arguments, after its name. Returns the exit status; raises UsageError,
// TimeoutFailure, FileFailure and the system's errors.
int RunPorts(const Arguments& arguments, Console& console);
int RunSend(const Arguments& arguments, Console& console);
int RunSetupUnit(const Arguments& arguments, Console& console);
int RunSetupPort(const Arguments& arguments, Console& console);
int RunNetSetup(const Arguments& arguments, Console& console);
int RunBatch(const Arguments& arguments, Console& console);

// The whole command line after the program's name: the command chosen, --help and --version,
// every failure turned into its message on standard error and its exit status.
int RunCommandLine(std::span<const std::string> words, Console& console);

}  // namespace qvxctl
