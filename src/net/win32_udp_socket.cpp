// The UDP endpoint's sockets on Windows: Windows Sockets 2.2, started once for the program's
// lifetime. Error numbers come straight from the socket layer.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

#include "base/win32_error_text.h"
#include "base/win32_handle.h"
#include "base/win32_socket.h"
#include "net/socket_errors.h"
#include "net/udp_socket.h"

namespace vidideza {

namespace {

constexpr int kReceiveBufferBytes = 4 << 20;
// How long a send waits for room in a full send buffer before it reports the socket's error.
constexpr long kSendRoomWaitMs = 1000;

// Windows Sockets stay started from the first socket (or look-up) until the program ends.
class WinsockSession {
 public:
  WinsockSession() {
    WSADATA data{};
    started_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
  ~WinsockSession() {
    if (started_) {
      ::WSACleanup();
    }
  }

 private:
  bool started_ = false;
};

void StartWinsock() {
  static const WinsockSession session;
}

[[noreturn]] void RaiseSocketError(int number) {
  const std::string known = SocketErrorText(number);
  throw EIdSocketError(number, known.empty() ? SystemErrorText(static_cast<DWORD>(number)) : known);
}

sockaddr_in AddressOf(const std::string& ip, std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = ::htons(port);
  if (ip.empty()) {
    address.sin_addr.s_addr = ::htonl(INADDR_ANY);
  } else if (::inet_pton(AF_INET, ip.c_str(), &address.sin_addr) != 1) {
    RaiseSocketError(WSAEADDRNOTAVAIL);
  }
  return address;
}

std::string DottedOf(const in_addr& address) {
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &address, text, sizeof text);
  return text;
}

SOCKET NewSocket() {
  StartWinsock();
  return ::socket(AF_INET, SOCK_DGRAM, 0);
}

class Win32UdpSocket final : public UdpSocket {
 public:
  Win32UdpSocket() : readable_(::WSACreateEvent()), socket_(NewSocket()) {
    if (!socket_.valid() || !readable_.valid()) {
      throw EIdInvalidSocket();
    }
    // The listener waits on this event; it also makes the socket non-blocking.
    if (::WSAEventSelect(socket_.get(), readable_.get(), FD_READ) != 0) {
      RaiseSocketError(::WSAGetLastError());
    }
    // Each datagram waits for the UI thread to show and log it: let a burst wait in the
    // socket layer rather than be dropped.
    const int bytes = kReceiveBufferBytes;
    ::setsockopt(socket_.get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes),
                 sizeof bytes);
  }

  SOCKET socket() const { return socket_.get(); }
  HANDLE readable() const { return readable_.get(); }

  void Bind(const std::string& ip, std::uint16_t port) override {
    const sockaddr_in address = AddressOf(ip == "0.0.0.0" ? std::string() : ip, port);
    if (::bind(socket_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      const int error = ::WSAGetLastError();
      if (error == WSAEADDRINUSE) {
        throw EIdCouldNotBindSocket();
      }
      RaiseSocketError(error);
    }
    int length = sizeof local_;
    if (::getsockname(socket_.get(), reinterpret_cast<sockaddr*>(&local_), &length) != 0) {
      RaiseSocketError(::WSAGetLastError());
    }
  }

  std::string LocalIp() const override { return DottedOf(local_.sin_addr); }
  std::uint16_t LocalPort() const override { return ::ntohs(local_.sin_port); }

  void SetBroadcast(bool allowed) override {
    const int value = allowed ? -1 : 0;
    if (::setsockopt(socket_.get(), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&value),
                     sizeof value) != 0) {
      RaiseSocketError(::WSAGetLastError());
    }
  }

  std::size_t SendTo(const std::string& ip, std::uint16_t port, std::string_view data) override {
    const sockaddr_in address = AddressOf(ip, port);
    for (;;) {
      const int sent = ::sendto(socket_.get(), data.data(), static_cast<int>(data.size()), 0,
                                reinterpret_cast<const sockaddr*>(&address), sizeof address);
      if (sent != SOCKET_ERROR) {
        return static_cast<std::size_t>(sent);
      }
      const int error = ::WSAGetLastError();
      if (error == WSAEMSGSIZE) {
        throw EIdPackageSizeTooBig();
      }
      if (error != WSAEWOULDBLOCK || !WaitForSendRoom()) {
        RaiseSocketError(error);
      }
    }
  }

  bool ReceiveFrom(std::string& buffer, std::size_t capacity, Datagram& got) override {
    buffer.resize(capacity);
    sockaddr_in sender{};
    int senderLength = sizeof sender;
    // A datagram longer than the buffer fails with WSAEMSGSIZE and is lost whole.
    const int received = ::recvfrom(socket_.get(), buffer.data(), static_cast<int>(buffer.size()),
                                    0, reinterpret_cast<sockaddr*>(&sender), &senderLength);
    if (received == SOCKET_ERROR) {
      buffer.clear();
      return false;
    }
    buffer.resize(static_cast<std::size_t>(received));
    got.size = buffer.size();
    got.senderIp = DottedOf(sender.sin_addr);
    got.senderPort = ::ntohs(sender.sin_port);
    return true;
  }

  void ShutdownSend() override { ::shutdown(socket_.get(), SD_SEND); }

 private:
  // The socket is non-blocking (the listener's event makes it so): a full send buffer is
  // waited out here as a blocking send would.
  bool WaitForSendRoom() const {
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(socket_.get(), &writable);
    timeval limit{0, kSendRoomWaitMs * 1000};
    return ::select(0, nullptr, &writable, nullptr, &limit) == 1;
  }

  // The socket closes before its event.
  UniqueHandle readable_;
  UniqueSocket socket_;
  sockaddr_in local_{};
};

class Win32SocketWait final : public SocketWait {
 public:
  Win32SocketWait() : wake_(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

  std::vector<UdpSocket*> Wait(const std::vector<UdpSocket*>& sockets,
                               std::chrono::milliseconds limit) override {
    std::vector<HANDLE> events;
    events.reserve(sockets.size() + 1);
    for (UdpSocket* socket : sockets) {
      events.push_back(static_cast<Win32UdpSocket*>(socket)->readable());
    }
    events.push_back(wake_.get());
    std::vector<UdpSocket*> readable;
    const DWORD woke = ::WSAWaitForMultipleEvents(static_cast<DWORD>(events.size()), events.data(),
                                                  FALSE, static_cast<DWORD>(limit.count()), FALSE);
    if (woke == WSA_WAIT_TIMEOUT || woke == WSA_WAIT_FAILED ||
        woke == WSA_WAIT_EVENT_0 + sockets.size()) {
      return readable;
    }
    for (UdpSocket* socket : sockets) {
      auto* windowsSocket = static_cast<Win32UdpSocket*>(socket);
      WSANETWORKEVENTS happened{};
      if (::WSAEnumNetworkEvents(windowsSocket->socket(), windowsSocket->readable(), &happened) ==
              0 &&
          (happened.lNetworkEvents & FD_READ) != 0) {
        readable.push_back(socket);
      }
    }
    return readable;
  }

  void Wake() override { ::SetEvent(wake_.get()); }

 private:
  UniqueHandle wake_;
};

}  // namespace

std::unique_ptr<UdpSocket> CreateUdpSocket() {
  return std::make_unique<Win32UdpSocket>();
}

std::unique_ptr<SocketWait> CreateSocketWait() {
  return std::make_unique<Win32SocketWait>();
}

std::string LookUpHost(const std::string& name) {
  StartWinsock();
  const hostent* found = ::gethostbyname(name.c_str());
  if (found == nullptr || found->h_addrtype != AF_INET || found->h_addr_list[0] == nullptr) {
    const int error = found == nullptr ? ::WSAGetLastError() : WSAHOST_NOT_FOUND;
    RaiseSocketError(error == WSANO_DATA ? WSAHOST_NOT_FOUND : error);
  }
  in_addr first{};
  std::memcpy(&first, found->h_addr_list[0], sizeof first);
  return DottedOf(first);
}

void RaiseLookUpTryAgain() {
  RaiseSocketError(WSATRY_AGAIN);
}

}  // namespace vidideza
