#pragma once

#include <string>

#include "base/exception.h"

namespace vidideza {

// Errors of the UDP endpoint.
class EIdException : public Exception {
 public:
  using Exception::Exception;
};

class EIdInvalidSocket : public EIdException {
 public:
  EIdInvalidSocket() : EIdException("Cannot allocate socket.") {}
};

class EIdCouldNotBindSocket : public EIdException {
 public:
  EIdCouldNotBindSocket()
      : EIdException("Could not bind socket. Address and port are already in use.") {}
};

class EIdPackageSizeTooBig : public EIdException {
 public:
  EIdPackageSizeTooBig() : EIdException("Package Size Too Big.") {}
};

class EIdNotAllBytesSent : public EIdException {
 public:
  EIdNotAllBytesSent() : EIdException("Not all bytes sent.") {}
};

// Socket layer error numbers the endpoint singles out (the Windows Sockets numbering).
inline constexpr int kWsaMessageTooLong = 10040;
inline constexpr int kWsaAddressInUse = 10048;
inline constexpr int kWsaHostNotFound = 11001;

// "Socket Error # <number>", CR LF, then the number's text.
class EIdSocketError : public EIdException {
 public:
  EIdSocketError(int number, const std::string& text);
  int LastError() const noexcept { return number_; }

 private:
  int number_;
};

// The text of the numbers of the socket layer's own table, or "" for any other.
std::string SocketErrorText(int number);

}  // namespace vidideza
