#include "app/traffic_log.h"

#include <string>

#include "app/io_error.h"
#include "app/profile.h"

namespace vidideza {

void TrafficLog::Open() {
  file_ = OpenLogFile(PathInCurrentDirectory(kTrafficLogFileName));
}

void TrafficLog::WriteLine(std::string_view text) {
  if (!file_) {
    throw EInOutError(kIoFileNotOpenForOutput);
  }
  std::string line;
  line.reserve(text.size() + 2);
  line.append(text).append("\r\n");
  file_->Append(line);
}

void TrafficLog::Close() {
  if (!file_) {
    throw EInOutError(kIoFileNotOpen);
  }
  file_.reset();
}

}  // namespace vidideza
