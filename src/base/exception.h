#pragma once

#include <stdexcept>
#include <string>

namespace vidideza {

// Every failure of the system travels as one of these; the error box shows message().
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  const char* message() const noexcept { return what(); }
};

// Ends a handler without any error box.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
};

}  // namespace vidideza
