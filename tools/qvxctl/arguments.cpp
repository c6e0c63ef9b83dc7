#include "arguments.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "base/integer_parsing.h"

namespace qvxctl {

namespace {

const OptionSpec* FindSpec(std::string_view name, std::span<const OptionSpec> specs) {
  const auto found = std::find_if(specs.begin(), specs.end(),
                                  [&](const OptionSpec& spec) { return spec.name == name; });
  return found == specs.end() ? nullptr : &*found;
}

char Upper(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

}  // namespace

std::optional<std::string> Arguments::Value(std::string_view option) const {
  const auto found = values.find(option);
  if (found == values.end()) {
    return std::nullopt;
  }
  return found->second;
}

Arguments ParseCommandArguments(std::string command, std::span<const std::string> words,
                                std::span<const OptionSpec> specs) {
  Arguments arguments;
  arguments.command = std::move(command);
  const std::string prefix = "qvxctl " + arguments.command + ": ";
  bool optionsEnded = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (optionsEnded || word.size() < 2 || word.compare(0, 2, "--") != 0) {
      arguments.operands.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    const std::size_t equals = word.find('=');
    const std::string name = word.substr(0, equals);
    const OptionSpec* spec = FindSpec(name, specs);
    if (spec == nullptr) {
      std::string message = prefix;
      message.append("unknown option ").append(name).append(" (see qvxctl ");
      message.append(arguments.command).append(" --help)");
      throw UsageError(message);
    }
    if (!spec->takesValue) {
      if (equals != std::string::npos) {
        throw UsageError(prefix + name + " takes no value");
      }
      arguments.flags.insert(name);
      continue;
    }
    if (equals != std::string::npos) {
      arguments.values[name] = word.substr(equals + 1);
    } else if (i + 1 < words.size()) {
      arguments.values[name] = words[++i];
    } else {
      throw UsageError(prefix + name + " needs a value");
    }
  }
  return arguments;
}

void RefuseOperands(const Arguments& arguments) {
  if (!arguments.operands.empty()) {
    throw UsageError("qvxctl " + arguments.command + ": unexpected \"" +
                     arguments.operands.front() + "\"");
  }
}

int BoundedInteger(std::string_view option, std::string_view text, int minimum, int maximum) {
  const auto value = vidideza::TryParseInteger(text);
  if (!value || *value < minimum || *value > maximum) {
    throw UsageError(std::string(option) + ": \"" + std::string(text) + "\" is not a number from " +
                     std::to_string(minimum) + " to " + std::to_string(maximum));
  }
  return *value;
}

char PortAddressCharacter(std::string_view option, std::string_view text) {
  if (text.size() != 1 || !std::isxdigit(static_cast<unsigned char>(text[0]))) {
    throw UsageError(std::string(option) + ": \"" + std::string(text) +
                     "\" is not an interface-port address: choose 0 to F");
  }
  return Upper(text[0]);
}

char CodeCharacter(std::string_view option, std::string_view text) {
  const char code = text.size() == 1 ? Upper(text[0]) : '\0';
  if (code < 'A' || code > 'F') {
    throw UsageError(std::string(option) + ": \"" + std::string(text) +
                     "\" is not a code: choose A to F");
  }
  return code;
}

double WaitSeconds(std::string_view option, std::string_view text) {
  const std::string copy(text);
  char* end = nullptr;
  const double seconds = copy.empty() ? -1 : std::strtod(copy.c_str(), &end);
  if (copy.empty() || *end != '\0' || !std::isfinite(seconds) || seconds < 0 || seconds > 3600 ||
      copy.find_first_of("xXpPnN") != std::string::npos) {
    throw UsageError(std::string(option) + ": \"" + copy +
                     "\" is not a number of seconds from 0 to 3600");
  }
  return seconds;
}

}  // namespace qvxctl
