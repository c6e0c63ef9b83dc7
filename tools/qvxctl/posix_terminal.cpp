#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "terminal.h"

namespace qvxctl {

bool StandardInputIsTerminal() {
  return ::isatty(STDIN_FILENO) == 1;
}

bool StandardErrorIsTerminal() {
  const char* term = std::getenv("TERM");
  return ::isatty(STDERR_FILENO) == 1 && term != nullptr && std::string_view(term) != "dumb";
}

}  // namespace qvxctl
