#pragma once

#include <optional>
#include <string_view>

namespace vidideza {

// The reply line a datagram carries when it is a text datagram: its first byte is "A" and its
// sixth "," (bytes beyond a short datagram read as 0), or its first byte is "@". The line is
// every byte but the last (the unit's terminator, whatever it is). Nothing for any other
// datagram.
std::optional<std::string_view> TextDatagramLine(std::string_view datagram);

}  // namespace vidideza
