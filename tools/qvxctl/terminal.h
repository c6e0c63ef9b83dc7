#pragma once

namespace qvxctl {

// Whether standard input is a terminal a person can answer on.
bool StandardInputIsTerminal();

}  // namespace qvxctl
