#pragma once

#include <initializer_list>
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
  // Appends the pieces' bytes as one: on failure nothing of them stays in the file.
  virtual void Append(std::initializer_list<std::string_view> pieces) = 0;
};

// Opens the file at its end, creating it when missing.
std::unique_ptr<LogFile> OpenLogFile(const std::string& path);

}  // namespace vidideza
