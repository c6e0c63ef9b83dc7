// A TCP connection to a serial device server on Windows: a non-blocking socket whose receive
// side an event reports, keep-alive so that a server gone silent is found, and waits that
// another thread's wake event ends.
#include <winsock2.h>
#include <ws2tcpip.h>
// After the two above, whose types it uses.
#include <mstcpip.h>

#include "base/host_lookup.h"
#include "base/win32_error_text.h"
#include "base/win32_handle.h"
#include "base/win32_socket.h"
#include "serial/com_error.h"
#include "serial/tcp_link.h"

namespace vidideza {

namespace {

// How often a wait for room in the send buffer looks at its wake event; sends wait only
// when a server stops reading.
constexpr long kSendWaitSliceMs = 50;

[[noreturn]] void RaiseSocketError(int number) {
  std::string text = SystemErrorText(static_cast<DWORD>(number));
  if (text.empty()) {
    text = "Socket error " + std::to_string(number);
  }
  throw EComError(text, number);
}

[[noreturn]] void RaiseNoAnswer() {
  RaiseSocketError(WSATRY_AGAIN);
}

// Windows Sockets stay started while a connection or look-up needs them.
class WinsockUse {
 public:
  WinsockUse() {
    WSADATA data{};
    if (const int error = ::WSAStartup(MAKEWORD(2, 2), &data); error != 0) {
      RaiseSocketError(error);
    }
  }
  WinsockUse(const WinsockUse&) = delete;
  WinsockUse& operator=(const WinsockUse&) = delete;
  ~WinsockUse() { ::WSACleanup(); }
};

std::string NumericAddressOf(const std::string& name) {
  const WinsockUse winsock;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (const int result = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
      result != 0 || found == nullptr) {
    RaiseSocketError(result != 0 ? result : WSAHOST_NOT_FOUND);
  }
  char text[NI_MAXHOST] = {};
  const int shown = ::getnameinfo(found->ai_addr, static_cast<socklen_t>(found->ai_addrlen), text,
                                  sizeof text, nullptr, 0, NI_NUMERICHOST);
  ::freeaddrinfo(found);
  if (shown != 0) {
    RaiseSocketError(shown);
  }
  return text;
}

// Keep-alive probes after 10 s of silence, one a second; Windows gives up after ten of them.
void KeepAlive(SOCKET socket) {
  tcp_keepalive values{1, 10000, 1000};
  DWORD returned = 0;
  if (::WSAIoctl(socket, SIO_KEEPALIVE_VALS, &values, sizeof values, nullptr, 0, &returned, nullptr,
                 nullptr) != 0) {
    RaiseSocketError(::WSAGetLastError());
  }
  const BOOL noDelay = TRUE;
  ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof noDelay);
}

class Win32TcpLink final : public TcpLink {
 public:
  Win32TcpLink(std::unique_ptr<WinsockUse> winsock, std::unique_ptr<UniqueSocket> socket)
      : winsock_(std::move(winsock)),
        received_(::WSACreateEvent()),
        receiveWake_(::CreateEventA(nullptr, FALSE, FALSE, nullptr)),
        sendWake_(::CreateEventA(nullptr, FALSE, FALSE, nullptr)),
        socket_(std::move(socket)) {
    if (!received_.valid() || !receiveWake_.valid() || !sendWake_.valid() ||
        ::WSAEventSelect(socket_->get(), received_.get(), FD_READ | FD_CLOSE) != 0) {
      RaiseSocketError(::WSAGetLastError());
    }
  }

  std::size_t SendNow(std::string_view bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const int n =
          ::send(socket_->get(), bytes.data() + done,
                 static_cast<int>(std::min<std::size_t>(bytes.size() - done, 1 << 20)), 0);
      if (n != SOCKET_ERROR) {
        done += static_cast<std::size_t>(n);
        continue;
      }
      const int error = ::WSAGetLastError();
      if (error == WSAEWOULDBLOCK) {
        break;
      }
      RaiseSocketError(error);
    }
    return done;
  }

  bool WaitSendable() override {
    for (;;) {
      if (::WaitForSingleObject(sendWake_.get(), 0) == WAIT_OBJECT_0) {
        return false;
      }
      fd_set writable;
      fd_set failed;
      FD_ZERO(&writable);
      FD_ZERO(&failed);
      FD_SET(socket_->get(), &writable);
      FD_SET(socket_->get(), &failed);
      timeval slice{0, kSendWaitSliceMs * 1000};
      const int ready = ::select(0, nullptr, &writable, &failed, &slice);
      if (ready == SOCKET_ERROR) {
        RaiseSocketError(::WSAGetLastError());
      }
      if (ready > 0) {
        return true;  // room, or a failure that the send meets
      }
    }
  }
  void WakeSender() override { ::SetEvent(sendWake_.get()); }

  bool WaitReceivable(std::optional<std::chrono::milliseconds> limit) override {
    if (ended_) {
      return true;
    }
    HANDLE events[2] = {received_.get(), receiveWake_.get()};
    const DWORD woke = ::WaitForMultipleObjects(
        2, events, FALSE, limit ? static_cast<DWORD>(limit->count()) : INFINITE);
    if (woke == WAIT_OBJECT_0 + 1 || woke == WAIT_TIMEOUT) {
      return false;
    }
    WSANETWORKEVENTS happened{};
    if (::WSAEnumNetworkEvents(socket_->get(), received_.get(), &happened) != 0) {
      RaiseSocketError(::WSAGetLastError());
    }
    if ((happened.lNetworkEvents & FD_CLOSE) != 0) {
      ended_ = true;
      closeError_ = happened.iErrorCode[FD_CLOSE_BIT];
    }
    return true;
  }
  void WakeReceiver() override { ::SetEvent(receiveWake_.get()); }

  std::string ReceiveNow() override {
    std::string got;
    char chunk[4096];
    for (;;) {
      const int n = ::recv(socket_->get(), chunk, sizeof chunk, 0);
      if (n > 0) {
        got.append(chunk, static_cast<std::size_t>(n));
        continue;
      }
      const int error = n == 0 ? 0 : ::WSAGetLastError();
      if (error == WSAEWOULDBLOCK || !got.empty()) {
        return got;  // an end is met again, and raised, on the next call
      }
      if (n == 0) {
        RaiseSocketError(closeError_ != 0 ? closeError_ : WSAECONNRESET);
      }
      RaiseSocketError(error);
    }
  }

 private:
  std::unique_ptr<WinsockUse> winsock_;
  UniqueHandle received_;
  UniqueHandle receiveWake_;
  UniqueHandle sendWake_;
  std::unique_ptr<UniqueSocket> socket_;  // closes before its event
  bool ended_ = false;                    // the server closed, or the connection failed
  int closeError_ = 0;
};

}  // namespace

std::unique_ptr<TcpLink> ConnectTcp(const std::string& host, std::uint16_t port,
                                    std::chrono::milliseconds connectLimit) {
  auto winsock = std::make_unique<WinsockUse>();
  HostLookup lookUp(NumericAddressOf, RaiseNoAnswer);
  const std::string numeric = lookUp.Resolve(host);
  addrinfo hints{};
  hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (const int result = ::getaddrinfo(numeric.c_str(), service.c_str(), &hints, &found);
      result != 0 || found == nullptr) {
    RaiseSocketError(result != 0 ? result : WSAHOST_NOT_FOUND);
  }
  auto socket =
      std::make_unique<UniqueSocket>(::socket(found->ai_family, SOCK_STREAM, IPPROTO_TCP));
  if (socket->get() == INVALID_SOCKET) {
    ::freeaddrinfo(found);
    RaiseSocketError(::WSAGetLastError());
  }
  u_long nonBlocking = 1;
  ::ioctlsocket(socket->get(), FIONBIO, &nonBlocking);
  const int started = ::connect(socket->get(), found->ai_addr, static_cast<int>(found->ai_addrlen));
  const int startError = started == SOCKET_ERROR ? ::WSAGetLastError() : 0;
  ::freeaddrinfo(found);
  if (started == SOCKET_ERROR && startError != WSAEWOULDBLOCK) {
    RaiseSocketError(startError);
  }
  if (started == SOCKET_ERROR) {
    fd_set writable;
    fd_set failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(socket->get(), &writable);
    FD_SET(socket->get(), &failed);
    const long ms = static_cast<long>(connectLimit.count());
    timeval limit{ms / 1000, (ms % 1000) * 1000};
    const int ready = ::select(0, nullptr, &writable, &failed, &limit);
    if (ready == 0) {
      RaiseSocketError(WSAETIMEDOUT);
    }
    if (ready == SOCKET_ERROR) {
      RaiseSocketError(::WSAGetLastError());
    }
    int error = 0;
    int size = sizeof error;
    ::getsockopt(socket->get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
    if (FD_ISSET(socket->get(), &failed) || error != 0) {
      RaiseSocketError(error != 0 ? error : WSAECONNREFUSED);
    }
  }
  KeepAlive(socket->get());
  return std::make_unique<Win32TcpLink>(std::move(winsock), std::move(socket));
}

}  // namespace vidideza
