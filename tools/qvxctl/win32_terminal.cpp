#include <io.h>
#include <windows.h>

#include <cstdio>

#include "terminal.h"

namespace qvxctl {

bool StandardInputIsTerminal() {
  return ::_isatty(::_fileno(stdin)) != 0;
}

bool StandardErrorIsTerminal() {
  // A console takes the cursor movements only once asked to.
  const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  return ::GetConsoleMode(err, &mode) != 0 &&
         ::SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace qvxctl
