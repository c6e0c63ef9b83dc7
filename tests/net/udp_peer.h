#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "app/posix_fd.h"

namespace vidideza {

// A peer on the loopback address: sends datagrams to the endpoint and receives its sends.
class UdpPeer {
 public:
  explicit UdpPeer(std::uint16_t port = 0) : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd_.get(), reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    const int big = 1 << 22;
    ::setsockopt(fd_.get(), SOL_SOCKET, SO_RCVBUF, &big, sizeof big);
  }
  std::uint16_t port() const { return port_; }

  void SendTo(std::uint16_t port, const std::string& data) const {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::sendto(fd_.get(), data.data(), data.size(), 0, reinterpret_cast<sockaddr*>(&address),
             sizeof address);
  }

  struct Received {
    std::string data;
    std::uint16_t fromPort = 0;
  };
  std::optional<Received> Receive(
      std::chrono::milliseconds limit = std::chrono::milliseconds(3000)) const {
    pollfd p{fd_.get(), POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(limit.count())) <= 0) {
      return std::nullopt;
    }
    std::string buffer(70000, '\0');
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t n = ::recvfrom(fd_.get(), buffer.data(), buffer.size(), 0,
                                 reinterpret_cast<sockaddr*>(&from), &length);
    if (n < 0) {
      return std::nullopt;
    }
    buffer.resize(static_cast<std::size_t>(n));
    return Received{buffer, ntohs(from.sin_port)};
  }

 private:
  UniqueFd fd_;
  std::uint16_t port_ = 0;
};

}  // namespace vidideza
