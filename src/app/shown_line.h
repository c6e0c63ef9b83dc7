#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vidideza {

// A reply line as the response window lays it out. A unit (or a noisy line) can send one line
// of megabytes; laying out all of it would hold the window for seconds or minutes, so only its
// first bytes are laid out, followed by a marker that tells its full length. The line itself is
// kept whole: the log has every byte, and copying it gives every byte.
inline constexpr std::size_t kMostShownBytes = 4096;

struct ShownLine {
  std::string_view head;  // the bytes laid out
  std::string marker;     // empty when the whole line is laid out
};

ShownLine ShownPartOf(std::string_view line);

// The byte of the line that a place in its shown text stands for: places in the marker stand
// for the line's end, so a selection into the marker takes the rest of the line.
std::size_t ByteAtShownColumn(std::string_view line, std::size_t column);

}  // namespace vidideza
