// A TCP connection to a serial device server on POSIX systems: a non-blocking socket, poll()
// with wake-up channels, and keep-alive so that a server gone silent is found.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "base/host_lookup.h"
#include "base/posix_fd.h"
#include "serial/com_error.h"
#include "serial/tcp_link.h"

namespace vidideza {

namespace {

// Look-up errors carry the numbers Windows gives them, so that both platforms report alike.
constexpr int kHostNotFound = 11001;
constexpr int kLookUpTryAgain = 11002;

[[noreturn]] void RaiseOsError(int error) {
  throw EComError(std::strerror(error), error);
}

[[noreturn]] void RaiseNoAnswer() {
  throw EComError(::gai_strerror(EAI_AGAIN), kLookUpTryAgain);
}

// The numeric address of the name's first address for a stream socket, IPv4 or IPv6.
std::string NumericAddressOf(const std::string& name) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int result = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
  if (result != 0 || found == nullptr) {
    if (result == EAI_AGAIN) {
      RaiseNoAnswer();
    }
    throw EComError(result == EAI_SYSTEM ? std::strerror(errno) : ::gai_strerror(result),
                    kHostNotFound);
  }
  char text[NI_MAXHOST] = {};
  const int shown = ::getnameinfo(found->ai_addr, found->ai_addrlen, text, sizeof text, nullptr, 0,
                                  NI_NUMERICHOST);
  ::freeaddrinfo(found);
  if (shown != 0) {
    throw EComError(::gai_strerror(shown), kHostNotFound);
  }
  return text;
}

void SetOption(int fd, int level, int name, int value) {
  if (::setsockopt(fd, level, name, &value, sizeof value) == -1) {
    RaiseOsError(errno);
  }
}

// Keep-alive probes after 10 s of silence, every 5 s, three of them: a dead link is found
// after 25 s. Unacknowledged data gives up as soon.
void KeepAlive(int fd) {
  SetOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
  SetOption(fd, IPPROTO_TCP, TCP_KEEPIDLE, 10);
  SetOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, 5);
  SetOption(fd, IPPROTO_TCP, TCP_KEEPCNT, 3);
  SetOption(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, 25000);
  // Command lines are short: each goes out at once rather than waiting to be joined.
  SetOption(fd, IPPROTO_TCP, TCP_NODELAY, 1);
}

int PendingError(int fd) {
  int error = 0;
  socklen_t size = sizeof error;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == -1) {
    return errno;
  }
  return error;
}

class PosixTcpLink final : public TcpLink {
 public:
  explicit PosixTcpLink(UniqueFd fd) : fd_(std::move(fd)) {}

  std::size_t SendNow(std::string_view bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::send(fd_.get(), bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else if (n == -1 && errno == EINTR) {
        continue;
      } else if (n == -1 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        break;
      } else {
        RaiseOsError(n == 0 ? EPIPE : errno);
      }
    }
    return done;
  }

  bool WaitSendable() override { return Wait(POLLOUT, sendWake_, -1); }
  void WakeSender() override { sendWake_.Signal(); }

  bool WaitReceivable(std::optional<std::chrono::milliseconds> limit) override {
    return Wait(POLLIN, receiveWake_, limit ? static_cast<int>(limit->count()) : -1);
  }
  void WakeReceiver() override { receiveWake_.Signal(); }

  std::string ReceiveNow() override {
    std::string got;
    char chunk[4096];
    for (;;) {
      const ssize_t n = ::recv(fd_.get(), chunk, sizeof chunk, 0);
      if (n > 0) {
        got.append(chunk, static_cast<std::size_t>(n));
        if (static_cast<std::size_t>(n) < sizeof chunk) {
          return got;
        }
      } else if (n == -1 && errno == EINTR) {
        continue;
      } else if ((n == -1 && (errno == EAGAIN || errno == EWOULDBLOCK)) || !got.empty()) {
        return got;  // an end after bytes is met again, and raised, on the next call
      } else if (n == 0) {
        RaiseOsError(ECONNRESET);  // the server closed the connection
      } else {
        RaiseOsError(errno);
      }
    }
  }

 private:
  // True when the socket is ready (or failed, which the next transfer raises); false when
  // woken or when the time is up.
  bool Wait(short readiness, const WakeChannel& wake, int limitMs) {
    for (;;) {
      pollfd fds[2] = {{fd_.get(), readiness, 0}, {wake.fd(), POLLIN, 0}};
      const int ready = ::poll(fds, 2, limitMs);
      if (ready == -1 && errno == EINTR) {
        continue;
      }
      if (ready == -1) {
        RaiseOsError(errno);
      }
      if ((fds[1].revents & POLLIN) != 0) {
        wake.Clear();
        return false;
      }
      return ready > 0;
    }
  }

  UniqueFd fd_;
  WakeChannel sendWake_;
  WakeChannel receiveWake_;
};

}  // namespace

std::unique_ptr<TcpLink> ConnectTcp(const std::string& host, std::uint16_t port,
                                    std::chrono::milliseconds connectLimit) {
  HostLookup lookUp(NumericAddressOf, RaiseNoAnswer);
  const std::string numeric = lookUp.Resolve(host);
  addrinfo hints{};
  hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (const int result = ::getaddrinfo(numeric.c_str(), service.c_str(), &hints, &found);
      result != 0 || found == nullptr) {
    throw EComError(::gai_strerror(result), kHostNotFound);
  }
  UniqueFd fd(::socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!fd.valid()) {
    ::freeaddrinfo(found);
    RaiseOsError(errno);
  }
  const int started = ::connect(fd.get(), found->ai_addr, found->ai_addrlen);
  const int startError = errno;
  ::freeaddrinfo(found);
  if (started == -1 && startError != EINPROGRESS) {
    RaiseOsError(startError);
  }
  if (started == -1) {
    pollfd ready{fd.get(), POLLOUT, 0};
    int polled = 0;
    do {
      polled = ::poll(&ready, 1, static_cast<int>(connectLimit.count()));
    } while (polled == -1 && errno == EINTR);
    if (polled == 0) {
      RaiseOsError(ETIMEDOUT);
    }
    if (const int error = polled == -1 ? errno : PendingError(fd.get()); error != 0) {
      RaiseOsError(error);
    }
  }
  KeepAlive(fd.get());
  return std::make_unique<PosixTcpLink>(std::move(fd));
}

}  // namespace vidideza
