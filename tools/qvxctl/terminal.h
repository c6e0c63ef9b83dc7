#pragma once

namespace qvxctl {

// Whether standard input is a terminal a person can answer on.
bool StandardInputIsTerminal();
// Whether standard error is a terminal that takes cursor movements (a progress display can be
// redrawn there in place).
bool StandardErrorIsTerminal();

}  // namespace qvxctl
