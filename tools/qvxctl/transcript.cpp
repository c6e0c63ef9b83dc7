#include "transcript.h"

#include <ostream>

#include "console/text_datagram.h"

namespace qvxctl {

Transcript::Transcript(std::ostream& out, const std::string& logPath, bool printLines)
    : out_(out), printLines_(printLines) {
  if (!logPath.empty()) {
    log_.OpenAt(logPath);
  }
}

Transcript::~Transcript() {
  if (log_.IsOpen()) {
    log_.Close();
  }
}

void Transcript::Emit(const std::string& text) {
  if (log_.IsOpen()) {
    log_.WriteLine(text);
  }
  if (printLines_) {
    out_ << text << '\n' << std::flush;
  }
}

void Transcript::Sent(const std::string& line) {
  sent_.push_back(line);
  Emit("SND: " + line);
}

void Transcript::Received(std::string_view line) {
  received_.emplace_back(line);
  Emit(vidideza::ReceivedLogText(line));
}

}  // namespace qvxctl
