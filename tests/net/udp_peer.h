#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vidideza {

// A peer on the loopback address: sends datagrams to the endpoint and receives its sends. It
// uses the platform's sockets directly, apart from the endpoint's own socket layer.
class UdpPeer {
 public:
  explicit UdpPeer(std::uint16_t port = 0);
  UdpPeer(const UdpPeer&) = delete;
  UdpPeer& operator=(const UdpPeer&) = delete;
  ~UdpPeer();

  std::uint16_t port() const { return port_; }

  void SendTo(std::uint16_t port, const std::string& data) const;

  struct Received {
    std::string data;
    std::uint16_t fromPort = 0;
  };
  std::optional<Received> Receive(
      std::chrono::milliseconds limit = std::chrono::milliseconds(3000)) const;

 private:
  struct Socket;
  std::unique_ptr<Socket> socket_;
  std::uint16_t port_ = 0;
};

}  // namespace vidideza
