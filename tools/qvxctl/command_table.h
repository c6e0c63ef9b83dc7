#pragma once

#include <span>
#include <string_view>

#include "arguments.h"
#include "commands.h"

namespace qvxctl {

// One command: its name, what it does, its help text, its options and its runner.
struct CommandSpec {
  std::string_view name;
  std::string_view summary;
  std::string_view help;
  std::span<const OptionSpec> options;
  int (*run)(const Arguments&, Console&);
};

std::span<const CommandSpec> Commands();

// The help text of the whole tool.
std::string_view ToolHelp();

}  // namespace qvxctl
