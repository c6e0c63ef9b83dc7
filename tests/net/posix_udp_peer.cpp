#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include "base/posix_fd.h"
#include "udp_peer.h"

namespace vidideza {

struct UdpPeer::Socket {
  UniqueFd fd{::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)};
};

namespace {

sockaddr_in Loopback(std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

}  // namespace

UdpPeer::UdpPeer(std::uint16_t port) : socket_(std::make_unique<Socket>()) {
  const int fd = socket_->fd.get();
  sockaddr_in address = Loopback(port);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  const int big = 1 << 22;
  ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &big, sizeof big);
}

UdpPeer::~UdpPeer() = default;

void UdpPeer::SendTo(std::uint16_t port, const std::string& data) const {
  const sockaddr_in address = Loopback(port);
  ::sendto(socket_->fd.get(), data.data(), data.size(), 0,
           reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

std::optional<UdpPeer::Received> UdpPeer::Receive(std::chrono::milliseconds limit) const {
  pollfd p{socket_->fd.get(), POLLIN, 0};
  if (::poll(&p, 1, static_cast<int>(limit.count())) <= 0) {
    return std::nullopt;
  }
  std::string buffer(70000, '\0');
  sockaddr_in from{};
  socklen_t length = sizeof from;
  const ssize_t n = ::recvfrom(socket_->fd.get(), buffer.data(), buffer.size(), 0,
                               reinterpret_cast<sockaddr*>(&from), &length);
  if (n < 0) {
    return std::nullopt;
  }
  buffer.resize(static_cast<std::size_t>(n));
  return Received{buffer, ntohs(from.sin_port)};
}

}  // namespace vidideza
