#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vidideza {

// One IPv4 datagram socket of the platform. Failures raise the endpoint's errors
// (EIdSocketError with the socket layer's numbering, and its kin).
class UdpSocket {
 public:
  virtual ~UdpSocket() = default;
  // ip: dotted text, "" or "0.0.0.0" for every local address.
  virtual void Bind(const std::string& ip, std::uint16_t port) = 0;
  virtual std::string LocalIp() const = 0;
  virtual std::uint16_t LocalPort() const = 0;
  virtual void SetBroadcast(bool allowed) = 0;
  // Returns the bytes sent.
  virtual std::size_t SendTo(const std::string& ip, std::uint16_t port, std::string_view data) = 0;

  struct Datagram {
    std::size_t size = 0;
    std::string senderIp;
    std::uint16_t senderPort = 0;
  };
  // One datagram into buffer; nothing when the receive failed or the datagram did not fit
  // (it is then dropped whole).
  virtual bool ReceiveFrom(std::string& buffer, std::size_t capacity, Datagram& got) = 0;
  virtual void ShutdownSend() = 0;
};

std::unique_ptr<UdpSocket> CreateUdpSocket();

// The listener's wait on its sockets, which another thread can cut short.
class SocketWait {
 public:
  virtual ~SocketWait() = default;
  // The sockets that are readable, empty when the time passed or Wake was called.
  virtual std::vector<UdpSocket*> Wait(const std::vector<UdpSocket*>& sockets,
                                       std::chrono::milliseconds limit) = 0;
  virtual void Wake() = 0;
};

std::unique_ptr<SocketWait> CreateSocketWait();

// The first IPv4 address of a host name as dotted text; raises EIdSocketError 11001
// "Host not found." when the lookup finds none.
std::string LookUpHost(const std::string& name);

// Raises the resolver's "try again" error, EIdSocketError 11002, for a look-up that found no
// answer in time.
[[noreturn]] void RaiseLookUpTryAgain();

}  // namespace vidideza
