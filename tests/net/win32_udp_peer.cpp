#include <winsock2.h>
#include <ws2tcpip.h>

#include "udp_peer.h"

namespace vidideza {

struct UdpPeer::Socket {
  Socket() {
    WSADATA data{};
    ::WSAStartup(MAKEWORD(2, 2), &data);
    handle = ::socket(AF_INET, SOCK_DGRAM, 0);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  ~Socket() {
    ::closesocket(handle);
    ::WSACleanup();
  }
  SOCKET handle = INVALID_SOCKET;
};

namespace {

sockaddr_in Loopback(std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = ::htons(port);
  address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
  return address;
}

}  // namespace

UdpPeer::UdpPeer(std::uint16_t port) : socket_(std::make_unique<Socket>()) {
  const SOCKET s = socket_->handle;
  sockaddr_in address = Loopback(port);
  ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int length = sizeof address;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ::ntohs(address.sin_port);
  const int big = 1 << 22;
  ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&big), sizeof big);
}

UdpPeer::~UdpPeer() = default;

void UdpPeer::SendTo(std::uint16_t port, const std::string& data) const {
  const sockaddr_in address = Loopback(port);
  ::sendto(socket_->handle, data.data(), static_cast<int>(data.size()), 0,
           reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

std::optional<UdpPeer::Received> UdpPeer::Receive(std::chrono::milliseconds limit) const {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(socket_->handle, &readable);
  const auto ms = static_cast<long>(limit.count());
  timeval wait{ms / 1000, (ms % 1000) * 1000};
  if (::select(0, &readable, nullptr, nullptr, &wait) != 1) {
    return std::nullopt;
  }
  std::string buffer(70000, '\0');
  sockaddr_in from{};
  int length = sizeof from;
  const int n = ::recvfrom(socket_->handle, buffer.data(), static_cast<int>(buffer.size()), 0,
                           reinterpret_cast<sockaddr*>(&from), &length);
  if (n == SOCKET_ERROR) {
    return std::nullopt;
  }
  buffer.resize(static_cast<std::size_t>(n));
  return Received{buffer, ::ntohs(from.sin_port)};
}

}  // namespace vidideza
