#pragma once

#include <cstdint>
#include <string>

#include "base/exception.h"

namespace vidideza {

// An error of the serial link: the OS's text and error number, or one of the link's own
// messages with code 0.
class EComError : public Exception {
 public:
  EComError(const std::string& message, std::int32_t code) : Exception(message), code_(code) {}
  std::int32_t code() const noexcept { return code_; }

 private:
  std::int32_t code_;
};

inline constexpr const char* kClosedPortText = "Can't perform this operation on a closed port";
inline constexpr const char* kOpenPortText = "Can't perform this operation on an open port";
inline constexpr const char* kNoThreadText = "Can't create thread";
inline constexpr const char* kTimeoutText = "Timeout";

}  // namespace vidideza
