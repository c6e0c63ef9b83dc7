#include "app/traffic_log.h"

#include <string>

#include "app/io_error.h"
#include "app/profile.h"

namespace vidideza {

void TrafficLog::Open() {
  OpenAt(PathInCurrentDirectory(kTrafficLogFileName));
}

void TrafficLog::OpenAt(const std::string& path) {
  file_ = OpenLogFile(path);
}

void TrafficLog::WriteLine(std::string_view text) {
  if (!file_) {
    throw EInOutError(kIoFileNotOpenForOutput);
  }
  constexpr std::string_view kLineEnd = "\r\n";
  // An ordinary line goes in one write, so a forced end never leaves it without its end.
  constexpr std::size_t kCopiedLine = std::size_t{64} << 10;
  if (text.size() > kCopiedLine) {
    file_->Append({text, kLineEnd});
    return;
  }
  std::string line;
  line.reserve(text.size() + kLineEnd.size());
  line.append(text).append(kLineEnd);
  file_->Append({line});
}

void TrafficLog::Close() {
  if (!file_) {
    throw EInOutError(kIoFileNotOpen);
  }
  file_.reset();
}

}  // namespace vidideza
