#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace vidideza {

// The platform's side of the traffic log: a file opened for appending, writable by this
// program only while it is open. Failures raise EInOutError with the platform's file error
// code (2, 3, 4, 5, 32, 112 and the rest).
class LogFile {
 public:
  virtual ~LogFile() = default;
  // Appends the bytes as one piece: on failure nothing of them stays in the file.
  virtual void Append(std::string_view bytes) = 0;
};

// Opens the file at its end, creating it when missing.
std::unique_ptr<LogFile> OpenLogFile(const std::string& path);

}  // namespace vidideza
