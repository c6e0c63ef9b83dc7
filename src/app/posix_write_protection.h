#pragma once

#include <string>

namespace vidideza {

// Whether the file or folder at path exists with no write bit in its own mode. The settings
// file and the log judge write protection by this, so that it holds for root as well, whom
// the system lets write anything.
bool IsWriteProtected(const std::string& path);

// Whether a file mode has no write bit.
constexpr bool ForbidsWriting(unsigned mode) {
  return (mode & 0222U) == 0;
}

}  // namespace vidideza
