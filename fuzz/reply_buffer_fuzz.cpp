// Serial reply assembly fed arbitrary bytes cut into arbitrary chunks: the lines shown are
// exactly the non-empty lines of the whole stream, in order, and nothing is lost.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "console/reply_buffer.h"

using namespace vidideza;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  // The first byte sets the chunk sizes; the rest is the stream.
  const std::size_t chunk = 1 + data[0] % 17;
  const std::string stream(reinterpret_cast<const char*>(data) + 1, size - 1);

  SerialReplyBuffer buffer;
  std::vector<std::string> shown;
  for (std::size_t at = 0; at < stream.size(); at += chunk) {
    buffer.Append(std::string_view(stream).substr(at, chunk));
    bool failOnce = (at / chunk) % 3 == 1;  // a failing log write leaves the line for later
    while (const auto line = buffer.FirstLine()) {
      if (failOnce) {
        failOnce = false;
        break;
      }
      if (!line->empty()) {
        shown.emplace_back(*line);
      }
      buffer.DropLine();
    }
  }
  while (const auto line = buffer.FirstLine()) {
    if (!line->empty()) {
      shown.emplace_back(*line);
    }
    buffer.DropLine();
  }

  std::vector<std::string> expected;
  std::size_t start = 0;
  for (std::size_t newline = stream.find('\n'); newline != std::string::npos;
       newline = stream.find('\n', start)) {
    if (newline > start) {
      expected.push_back(stream.substr(start, newline - start));
    }
    start = newline + 1;
  }
  if (shown != expected || buffer.Content() != std::string_view(stream).substr(start)) {
    __builtin_trap();
  }
  return 0;
}
