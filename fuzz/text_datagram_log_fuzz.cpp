// Arbitrary datagrams through the text display rule and into the log's text: every line the
// log gets begins with "RCV: ", taking the marks out gives the shown line back byte for byte,
// and a datagram that is not shown gives no line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "console/text_datagram.h"
#include "fuzz_check.h"

using namespace vidideza;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string datagram(reinterpret_cast<const char*>(data), size);
  const auto line = TextDatagramLine(datagram);
  const bool text =
      size > 0 && (datagram[0] == '@' || (datagram[0] == 'A' && size > 5 && datagram[5] == ','));
  Check(line.has_value() == text);
  if (!line) {
    return 0;
  }
  Check(*line == datagram.substr(0, size - 1));
  const std::string logged = ReceivedLogText(*line);
  std::string back;
  std::size_t start = 0;
  for (;;) {
    Check(logged.compare(start, 5, "RCV: ") == 0);
    const std::size_t feed = logged.find('\n', start);
    back.append(logged, start + 5,
                feed == std::string::npos ? std::string::npos : feed + 1 - (start + 5));
    if (feed == std::string::npos) {
      break;
    }
    start = feed + 1;
  }
  Check(back == *line);
  return 0;
}
