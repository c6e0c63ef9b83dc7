#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "app/log_file.h"

namespace vidideza {

inline constexpr const char* kTrafficLogFileName = "Test.log";

// The traffic log "Test.log" in the current directory: one line per command sent and per reply
// shown, each ended by CR LF, written byte for byte. Every line reaches the file as it is
// written, so a forced end of the program loses none.
class TrafficLog {
 public:
  // Raises EInOutError; the log then stays closed.
  void Open();
  // The same log kept in another file, for the command-line tool's --log.
  void OpenAt(const std::string& path);
  // Raises EInOutError 105 when the log is not open.
  // A huge line (a reply of megabytes) is written from where it is, without a copy.
  void WriteLine(std::string_view text);
  // Raises EInOutError 103 when the log is not open.
  void Close();
  bool IsOpen() const { return file_ != nullptr; }

 private:
  std::unique_ptr<LogFile> file_;
};

}  // namespace vidideza
