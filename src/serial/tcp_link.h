#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vidideza {

// One TCP connection to a serial device server, with waits that another thread can end.
// Failing calls raise EComError with the system's text and error number. Keep-alive finds a
// server that went silent without a reset within kSilentServerLimit.
class TcpLink {
 public:
  virtual ~TcpLink() = default;

  // Hands what the system takes now to it, without waiting; returns how many bytes it took.
  virtual std::size_t SendNow(std::string_view bytes) = 0;
  // Waits until more can be sent (true), or until WakeSender() (false).
  virtual bool WaitSendable() = 0;
  virtual void WakeSender() = 0;

  // Waits until bytes have come (true), or until WakeReceiver() or the limit (false). A
  // connection that ended also counts as come: ReceiveNow then raises its error.
  virtual bool WaitReceivable(std::optional<std::chrono::milliseconds> limit) = 0;
  virtual void WakeReceiver() = 0;
  // What has come and waits now, empty when nothing does; raises when the server closed the
  // connection or it failed.
  virtual std::string ReceiveNow() = 0;
};

inline constexpr auto kSilentServerLimit = std::chrono::seconds(30);

// Connects to the server: the name looked up within a second (on a thread of its own, which a
// silent name server may keep), the connection made within connectLimit.
std::unique_ptr<TcpLink> ConnectTcp(const std::string& host, std::uint16_t port,
                                    std::chrono::milliseconds connectLimit);

}  // namespace vidideza
