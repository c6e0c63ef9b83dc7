// qvxctl: scripted commissioning of QVX units from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "terminal.h"

namespace {

// "y" or "yes" in either case is yes; anything else, or the end of input, is no.
std::optional<bool> AskOnTerminal(const std::string& question) {
  if (!qvxctl::StandardInputIsTerminal()) {
    return std::nullopt;
  }
  std::cerr << question << " [y/N] " << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) {
    return false;
  }
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv + 1, argv + argc);
  qvxctl::Console console{std::cout, std::cerr, AskOnTerminal, qvxctl::StandardErrorIsTerminal()};
  const int status = qvxctl::RunCommandLine(words, console);
  std::cout.flush();
  return std::cout ? status : 3;
}
