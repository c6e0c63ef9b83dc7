#pragma once

#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "failures.h"

namespace qvxctl {

// One option a command takes: with a value ("--address 18", "--address=18") or a flag.
struct OptionSpec {
  std::string_view name;  // with its dashes
  bool takesValue = true;
};

// The words of a command line sorted out: the options given (the last of a repeated option
// counts), the flags, and the operands in order.
struct Arguments {
  std::string command;
  std::map<std::string, std::string, std::less<>> values;
  std::set<std::string, std::less<>> flags;
  std::vector<std::string> operands;

  bool Has(std::string_view option) const {
    return values.contains(option) || flags.contains(option);
  }
  std::optional<std::string> Value(std::string_view option) const;
};

// The command's options as its spec lists them; "--" ends the options. Raises UsageError for
// an option the command does not take or one whose value is missing.
Arguments ParseCommandArguments(std::string command, std::span<const std::string> words,
                                std::span<const OptionSpec> specs);

// Raises UsageError when the command was given operands: it takes options only.
void RefuseOperands(const Arguments& arguments);

// A whole number within [minimum, maximum] as the window reads numbers (decimal, or hexadecimal
// after "$" or "0x"); raises UsageError naming the option otherwise.
int BoundedInteger(std::string_view option, std::string_view text, int minimum, int maximum);

// One of the interface-port address characters "0" to "F", in either case; upper case.
char PortAddressCharacter(std::string_view option, std::string_view text);

// The code letter "A" to "F", in either case; upper case.
char CodeCharacter(std::string_view option, std::string_view text);

// Seconds as a decimal number from 0 to 3600 ("1", "0.5").
double WaitSeconds(std::string_view option, std::string_view text);

}  // namespace qvxctl
