#include <io.h>

#include <cstdio>

#include "terminal.h"

namespace qvxctl {

bool StandardInputIsTerminal() {
  return ::_isatty(::_fileno(stdin)) != 0;
}

}  // namespace qvxctl
