#include "console/text_datagram.h"

namespace vidideza {

std::optional<std::string_view> TextDatagramLine(std::string_view datagram) {
  const auto byteAt = [&](std::size_t i) { return i < datagram.size() ? datagram[i] : '\0'; };
  const bool text = (byteAt(0) == 'A' && byteAt(5) == ',') || byteAt(0) == '@';
  if (!text) {
    return std::nullopt;
  }
  return datagram.substr(0, datagram.size() - 1);
}

std::string ReceivedLogText(std::string_view line) {
  constexpr std::string_view kMark = "RCV: ";
  std::string text(kMark);
  text.reserve(line.size() + kMark.size());
  for (const char c : line) {
    text += c;
    if (c == '\n') {
      text += kMark;
    }
  }
  return text;
}

}  // namespace vidideza
