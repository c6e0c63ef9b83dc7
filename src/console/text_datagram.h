#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vidideza {

// The reply line a datagram carries when it is a text datagram: its first byte is "A" and its
// sixth "," (bytes beyond a short datagram read as 0), or its first byte is "@". The line is
// every byte but the last (the unit's terminator, whatever it is). Nothing for any other
// datagram.
std::optional<std::string_view> TextDatagramLine(std::string_view datagram);

// The traffic log's text for a received line: "RCV: " and the line, with "RCV: " again after
// each line feed inside it, so that a datagram cannot put a line of its own making into the
// log. The bytes themselves stay as they are.
std::string ReceivedLogText(std::string_view line);

}  // namespace vidideza
