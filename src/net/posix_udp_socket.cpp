// The UDP endpoint's sockets on POSIX systems. errno values are mapped once, here, onto the
// socket layer's numbering that the endpoint's messages use.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/posix_fd.h"
#include "net/socket_errors.h"
#include "net/udp_socket.h"

namespace vidideza {

namespace {

constexpr int kReceiveBufferBytes = 4 << 20;

int SocketErrorNumber(int error) {
  switch (error) {
    case EMSGSIZE:
      return 10040;
    case EADDRINUSE:
      return 10048;
    case EADDRNOTAVAIL:
      return 10049;
    case ENETDOWN:
      return 10050;
    case ENETUNREACH:
      return 10051;
    case ECONNRESET:
      return 10054;
    case EHOSTUNREACH:
      return 10065;
    default:
      return error;
  }
}

[[noreturn]] void RaiseSocketError(int error) {
  const int number = SocketErrorNumber(error);
  const std::string known = SocketErrorText(number);
  throw EIdSocketError(number, known.empty() ? std::string(std::strerror(error)) : known);
}

sockaddr_in AddressOf(const std::string& ip, std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (ip.empty()) {
    address.sin_addr.s_addr = htonl(INADDR_ANY);
  } else if (::inet_pton(AF_INET, ip.c_str(), &address.sin_addr) != 1) {
    RaiseSocketError(EADDRNOTAVAIL);
  }
  return address;
}

std::string DottedOf(const in_addr& address) {
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &address, text, sizeof text);
  return text;
}

class PosixUdpSocket final : public UdpSocket {
 public:
  PosixUdpSocket() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
    if (!fd_.valid()) {
      throw EIdInvalidSocket();
    }
    // Each datagram waits for the UI thread to show and log it: let a burst wait in the
    // kernel rather than be dropped (beyond the system's limit only with the right to force).
    const int bytes = kReceiveBufferBytes;
    if (::setsockopt(fd_.get(), SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0) {
      ::setsockopt(fd_.get(), SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    }
  }

  int fd() const { return fd_.get(); }

  void Bind(const std::string& ip, std::uint16_t port) override {
    const sockaddr_in address = AddressOf(ip == "0.0.0.0" ? std::string() : ip, port);
    if (::bind(fd_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      if (errno == EADDRINUSE) {
        throw EIdCouldNotBindSocket();
      }
      RaiseSocketError(errno);
    }
    socklen_t length = sizeof local_;
    if (::getsockname(fd_.get(), reinterpret_cast<sockaddr*>(&local_), &length) != 0) {
      RaiseSocketError(errno);
    }
  }

  std::string LocalIp() const override { return DottedOf(local_.sin_addr); }
  std::uint16_t LocalPort() const override { return ntohs(local_.sin_port); }

  void SetBroadcast(bool allowed) override {
    const int value = allowed ? -1 : 0;
    if (::setsockopt(fd_.get(), SOL_SOCKET, SO_BROADCAST, &value, sizeof value) != 0) {
      RaiseSocketError(errno);
    }
  }

  std::size_t SendTo(const std::string& ip, std::uint16_t port, std::string_view data) override {
    const sockaddr_in address = AddressOf(ip, port);
    for (;;) {
      const ssize_t sent = ::sendto(fd_.get(), data.data(), data.size(), 0,
                                    reinterpret_cast<const sockaddr*>(&address), sizeof address);
      if (sent >= 0) {
        return static_cast<std::size_t>(sent);
      }
      if (errno == EINTR) {
        continue;
      }
      if (errno == EMSGSIZE) {
        throw EIdPackageSizeTooBig();
      }
      RaiseSocketError(errno);
    }
  }

  bool ReceiveFrom(std::string& buffer, std::size_t capacity, Datagram& got) override {
    buffer.resize(capacity);
    sockaddr_in sender{};
    iovec part{buffer.data(), buffer.size()};
    msghdr message{};
    message.msg_name = &sender;
    message.msg_namelen = sizeof sender;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    const ssize_t received = ::recvmsg(fd_.get(), &message, MSG_DONTWAIT);
    // A datagram longer than the buffer is lost whole: a cut one is never delivered.
    if (received < 0 || (message.msg_flags & MSG_TRUNC) != 0) {
      buffer.clear();
      return false;
    }
    buffer.resize(static_cast<std::size_t>(received));
    got.size = buffer.size();
    got.senderIp = DottedOf(sender.sin_addr);
    got.senderPort = ntohs(sender.sin_port);
    return true;
  }

  void ShutdownSend() override { ::shutdown(fd_.get(), SHUT_WR); }

 private:
  UniqueFd fd_;
  sockaddr_in local_{};
};

class PosixSocketWait final : public SocketWait {
 public:
  std::vector<UdpSocket*> Wait(const std::vector<UdpSocket*>& sockets,
                               std::chrono::milliseconds limit) override {
    std::vector<pollfd> fds;
    fds.reserve(sockets.size() + 1);
    for (UdpSocket* socket : sockets) {
      fds.push_back({static_cast<PosixUdpSocket*>(socket)->fd(), POLLIN, 0});
    }
    fds.push_back({wake_.fd(), POLLIN, 0});
    std::vector<UdpSocket*> readable;
    if (::poll(fds.data(), fds.size(), static_cast<int>(limit.count())) <= 0) {
      return readable;
    }
    if ((fds.back().revents & POLLIN) != 0) {
      wake_.Clear();
      return readable;
    }
    for (std::size_t i = 0; i < sockets.size(); ++i) {
      if ((fds[i].revents & POLLIN) != 0) {
        readable.push_back(sockets[i]);
      }
    }
    return readable;
  }

  void Wake() override { wake_.Signal(); }

 private:
  WakeChannel wake_;
};

}  // namespace

std::unique_ptr<UdpSocket> CreateUdpSocket() {
  return std::make_unique<PosixUdpSocket>();
}

std::unique_ptr<SocketWait> CreateSocketWait() {
  return std::make_unique<PosixSocketWait>();
}

std::string LookUpHost(const std::string& name) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  const int result = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
  if (result != 0 || found == nullptr) {
    if (result == EAI_NONAME || result == EAI_NODATA || result == 0) {
      throw EIdSocketError(kWsaHostNotFound, SocketErrorText(kWsaHostNotFound));
    }
    // A lookup that could not be finished (no name server reachable, and the like).
    if (result == EAI_AGAIN) {
      RaiseLookUpTryAgain();
    }
    throw EIdSocketError(11003, ::gai_strerror(result));
  }
  std::string dotted = DottedOf(reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr);
  ::freeaddrinfo(found);
  return dotted;
}

void RaiseLookUpTryAgain() {
  throw EIdSocketError(11002, ::gai_strerror(EAI_AGAIN));
}

}  // namespace vidideza
