#pragma once

#include <winsock2.h>

namespace vidideza {

// Owns one Windows socket.
class UniqueSocket {
 public:
  explicit UniqueSocket(SOCKET socket) : socket_(socket) {}
  UniqueSocket(const UniqueSocket&) = delete;
  UniqueSocket& operator=(const UniqueSocket&) = delete;
  ~UniqueSocket() {
    if (valid()) {
      ::closesocket(socket_);
    }
  }
  SOCKET get() const { return socket_; }
  bool valid() const { return socket_ != INVALID_SOCKET; }

 private:
  SOCKET socket_;
};

}  // namespace vidideza
