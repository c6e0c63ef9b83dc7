#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/host_lookup.h"
#include "base/link_thread.h"
#include "base/ui_dispatcher.h"
#include "base/ui_thread_check.h"
#include "net/udp_socket.h"

namespace vidideza {

// One local binding of the endpoint: a datagram socket bound to IP and Port.
class TIdSocketHandle {
 public:
  std::string IP;        // "" or "0.0.0.0": every local IPv4 address; after a bind the bound one
  int Port = 0;          // low 16 bits used; after a bind the port actually bound
  std::string SenderIP;  // of the last datagram received here
  int SenderPort = 0;

  bool Allocated() const { return socket_ != nullptr; }
  UdpSocket* Socket() const { return socket_.get(); }

 private:
  friend class TIdUDPServer;
  std::unique_ptr<UdpSocket> socket_;
};

class TIdUDPServer;

// The listener: waits on every binding's socket and hands each datagram to the UI thread,
// waiting there until the handler has run. Lives from activation to deactivation.
class TIdUDPListenerThread {
 public:
  TIdUDPListenerThread(TIdUDPServer& server, UiDispatcher& ui, std::size_t bufferSize);
  TIdUDPListenerThread(const TIdUDPListenerThread&) = delete;
  TIdUDPListenerThread& operator=(const TIdUDPListenerThread&) = delete;
  ~TIdUDPListenerThread();

  // UI thread: stops the listener at once (no sitting out its wait) and waits for it, running
  // the deliveries it has queued meanwhile.
  void Stop();

 private:
  void Run();
  void Receive(TIdSocketHandle& binding);

  TIdUDPServer& server_;
  UiDispatcher& ui_;
  std::size_t bufferSize_;
  std::string buffer_;                // reused only after the handler has returned
  std::atomic<bool> stopped_{false};  // written by the UI thread, read by the listener
  std::unique_ptr<SocketWait> wait_;
  std::optional<LinkThread> thread_;
};

// The UDP endpoint: bindings, their listener and the send operation. Used on the UI thread.
class TIdUDPServer {
 public:
  using UDPReadEvent =
      std::function<void(TIdUDPServer& sender, std::string_view data, TIdSocketHandle& binding)>;

  explicit TIdUDPServer(UiDispatcher& ui);
  TIdUDPServer(const TIdUDPServer&) = delete;
  TIdUDPServer& operator=(const TIdUDPServer&) = delete;
  ~TIdUDPServer();

  bool Active() const;
  void SetActive(bool active);

  int DefaultPort = 0;
  bool BroadcastEnabled = false;
  std::size_t BufferSize = 8192;
  UDPReadEvent OnUDPRead;

  const std::vector<std::unique_ptr<TIdSocketHandle>>& Bindings() const { return bindings_; }
  void ClearBindings();
  TIdSocketHandle& AddBinding();

  // Sends data as one datagram from the sending binding to host (dotted, "LOCALHOST" in any
  // case, or a host name, looked up for at most a second) at the low 16 bits of port; activates
  // the endpoint first if needed.
  void SendDatagram(const std::string& host, int port, std::string_view data);

 private:
  friend class TIdUDPListenerThread;
  void Activate();
  void Deactivate();
  // UI thread, inside the listener's hand-over: the delivery of one datagram received on binding.
  void Deliver(std::string_view data, TIdSocketHandle& binding);

  UiDispatcher& ui_;
  UiThreadCheck uiThread_;
  std::vector<std::unique_ptr<TIdSocketHandle>> bindings_;
  TIdSocketHandle* sending_ = nullptr;
  HostLookup lookups_{LookUpHost, RaiseLookUpTryAgain};
  std::unique_ptr<TIdUDPListenerThread> listener_;
};

// The address SendDatagram sends to: "LOCALHOST" in any case is 127.0.0.1, four parts of 0 to
// 255 as ParseInteger reads them are the address, anything else is looked up by lookUp.
std::string ResolveHost(const std::string& host, const HostLookup::LookUp& lookUp = LookUpHost);

}  // namespace vidideza
