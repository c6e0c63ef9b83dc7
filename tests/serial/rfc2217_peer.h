#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "serial/telnet_codec.h"

namespace vidideza {

// A serial device server on loopback for the link's tests: one connection at a time, RFC 2217
// or raw. It answers the client's option requests and settings (a baud rate may be refused),
// records the settings and purges asked for, and is the unit's end of the line: what the
// client sends is kept for Receive(), and Send() goes to the client, escaped where Telnet is
// spoken. Drop() ends the connection at once and Listen(false) refuses new ones.
class Rfc2217Peer {
 public:
  explicit Rfc2217Peer(bool telnet = true) : telnet_(telnet) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    ::listen(listener_, 4);
    if (::pipe2(stop_, O_CLOEXEC) != 0) {
      stop_[0] = stop_[1] = -1;
    }
    thread_ = std::thread([this] { Serve(); });
  }
  Rfc2217Peer(const Rfc2217Peer&) = delete;
  Rfc2217Peer& operator=(const Rfc2217Peer&) = delete;
  ~Rfc2217Peer() {
    [[maybe_unused]] const auto written = ::write(stop_[1], "x", 1);
    thread_.join();
    ::close(listener_);
    ::close(stop_[0]);
    ::close(stop_[1]);
  }

  std::string Name() const {
    return std::string(telnet_ ? "rfc2217" : "socket") + "://127.0.0.1:" + std::to_string(port_);
  }
  std::uint16_t port() const { return port_; }

  void RefuseBaudRate(std::uint32_t answered) { refusedBaud_ = answered; }

  // Sends to the client, once one is connected (a raw client's open does not wait for the
  // server's accept).
  void Send(const std::string& bytes) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(2), [&] { return client_ >= 0; });
    if (client_ >= 0) {
      SendAll(telnet_ ? EscapeTelnetData(bytes) : bytes);
    }
  }
  // Up to count bytes the client sent, or what came within the limit.
  std::string Receive(std::size_t count, std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, limit, [&] { return received_.size() >= count; });
    const std::string got = received_.substr(0, count);
    received_.erase(0, got.size());
    return got;
  }
  // The COM-PORT-OPTION commands the client sent: command byte, then the value.
  std::vector<std::string> Commands() {
    const std::lock_guard lock(mutex_);
    return commands_;
  }
  int Connections() const { return connections_.load(); }
  bool WaitForConnections(int count, std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return connections_ >= count && client_ >= 0; });
  }

  void Drop() {
    const std::lock_guard lock(mutex_);
    if (client_ >= 0) {
      ::shutdown(client_, SHUT_RDWR);
    }
  }
  void Listen(bool on) { listening_ = on; }

 private:
  void SendAll(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::send(client_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n <= 0) {
        return;
      }
      done += static_cast<std::size_t>(n);
    }
  }

  void Serve() {
    for (;;) {
      pollfd fds[2] = {{listener_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
      {
        const std::lock_guard lock(mutex_);
        if (client_ >= 0) {
          fds[0].fd = client_;
        }
      }
      ::poll(fds, 2, -1);
      if (fds[1].revents != 0) {
        const std::lock_guard lock(mutex_);
        if (client_ >= 0) {
          ::close(client_);
        }
        return;
      }
      if (fds[0].revents == 0) {
        continue;
      }
      if (fds[0].fd == listener_) {
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (!listening_) {
          ::close(client);  // the server is "down": the connection ends at once
          continue;
        }
        const int on = 1;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        const std::lock_guard lock(mutex_);
        client_ = client;
        decoder_ = TelnetDecoder();
        ++connections_;
        changed_.notify_all();
        continue;
      }
      char chunk[4096];
      const ssize_t n = ::recv(client_, chunk, sizeof chunk, 0);
      const std::lock_guard lock(mutex_);
      if (n <= 0) {
        ::close(client_);
        client_ = -1;
        changed_.notify_all();
        continue;
      }
      Take(std::string_view(chunk, static_cast<std::size_t>(n)));
      changed_.notify_all();
    }
  }

  // The client's bytes; the caller holds mutex_.
  void Take(std::string_view bytes) {
    if (!telnet_) {
      received_ += bytes;
      return;
    }
    std::string data;
    std::vector<TelnetEvent> events;
    decoder_.Feed(bytes, data, events);
    received_ += data;
    for (const TelnetEvent& event : events) {
      if (event.kind == TelnetEvent::Kind::kOption) {
        const bool offer = event.verb == telnet::kWill;
        const bool ask = event.verb == telnet::kDo;
        if (offer) {
          SendAll(TelnetOptionCommand(telnet::kDo, event.option));
        } else if (ask) {
          SendAll(TelnetOptionCommand(
              event.option == telnet::kComPortOption ? telnet::kWont : telnet::kWill,
              event.option));
        }
        continue;
      }
      commands_.push_back(std::string(1, static_cast<char>(event.command)) + event.value);
      std::string answer = event.value;
      if (event.command == static_cast<std::uint8_t>(ComPortCommand::kSetBaudRate) &&
          refusedBaud_ != 0) {
        const std::uint32_t rate = refusedBaud_;
        answer = {static_cast<char>(rate >> 24), static_cast<char>(rate >> 16),
                  static_cast<char>(rate >> 8), static_cast<char>(rate)};
      }
      SendAll(ComPortRequest(static_cast<ComPortCommand>(event.command + kServerOffset), answer));
    }
  }

  const bool telnet_;
  int listener_ = -1;
  int stop_[2] = {-1, -1};
  std::uint16_t port_ = 0;
  std::atomic<bool> listening_{true};
  std::atomic<int> connections_{0};
  std::atomic<std::uint32_t> refusedBaud_{0};

  std::mutex mutex_;
  std::condition_variable changed_;
  int client_ = -1;
  TelnetDecoder decoder_;
  std::string received_;
  std::vector<std::string> commands_;
  std::thread thread_;
};

}  // namespace vidideza
