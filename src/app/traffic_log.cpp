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

void TrafficLog::WriteLine(std::string text) {
  if (!file_) {
    throw EInOutError(kIoFileNotOpenForOutput);
  }
  text.append("\r\n");
  file_->Append(text);
}

void TrafficLog::Close() {
  if (!file_) {
    throw EInOutError(kIoFileNotOpen);
  }
  file_.reset();
}

}  // namespace vidideza
