#pragma once

#include <string>

#include "base/exception.h"

namespace vidideza {

// Codes of the system's own on top of the platform's file error codes.
inline constexpr int kIoFileNotOpenForOutput = 105;
inline constexpr int kIoFileNotOpen = 103;

// The message the runtime gives a file error code: 2 "File not found", 3 "Invalid filename",
// 4 "Too many open files", 5 "File access denied", any other "I/O error <code>".
std::string IoErrorMessage(int code);

// A failed operation on the traffic log.
class EInOutError : public Exception {
 public:
  explicit EInOutError(int code) : Exception(IoErrorMessage(code)), code_(code) {}
  int code() const noexcept { return code_; }

 private:
  int code_;
};

}  // namespace vidideza
