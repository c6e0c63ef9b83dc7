#include "app/shown_line.h"

#include <algorithm>

namespace vidideza {

ShownLine ShownPartOf(std::string_view line) {
  if (line.size() <= kMostShownBytes) {
    return {line, {}};
  }
  return {line.substr(0, kMostShownBytes),
          " [... " + std::to_string(line.size()) + " bytes in all]"};
}

std::size_t ByteAtShownColumn(std::string_view line, std::size_t column) {
  return line.size() <= kMostShownBytes || column <= kMostShownBytes ? std::min(column, line.size())
                                                                     : line.size();
}

}  // namespace vidideza
