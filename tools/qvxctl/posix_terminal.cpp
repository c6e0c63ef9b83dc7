#include <unistd.h>

#include "terminal.h"

namespace qvxctl {

bool StandardInputIsTerminal() {
  return ::isatty(STDIN_FILENO) == 1;
}

}  // namespace qvxctl
