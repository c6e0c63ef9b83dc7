#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/ui_dispatcher.h"
#include "net/setup_protocol.h"
#include "net/udp_server.h"

namespace vidideza {

// The local port units send to unless told otherwise: the page's design value.
inline constexpr int kDefaultServerPort = 10100;

// The QVX-NET page's network endpoint: the UDP server bound on every local address at the
// server port, through which the units' command ports and setup port are reached. Every received
// datagram goes to the datagram sink (where text lines are taken out) and, as a setup message, to
// each attached protocol it can concern (by its sender's address), so that a datagram from one unit
// never reaches the protocol run of another. Used on the UI thread.
class NetSetupEndpoint {
 public:
  using DatagramSink = std::function<void(std::string_view data)>;

  NetSetupEndpoint(UiDispatcher& ui, DatagramSink onDatagram);
  NetSetupEndpoint(const NetSetupEndpoint&) = delete;
  NetSetupEndpoint& operator=(const NetSetupEndpoint&) = delete;
  ~NetSetupEndpoint();

  // Binds serverPort afresh on every local address; raises the endpoint's error when it cannot.
  void Bind(int serverPort);
  void Close();
  const TIdUDPServer& Server() const { return server_; }

  // The protocol runs that receive setup messages; a run is detached before it goes.
  void Attach(SetupMessageReceiver& run);
  void Detach(const SetupMessageReceiver& run);

  // One datagram to a unit's setup port (30718) or to its command port.
  void SendToSetupPort(const std::string& host, const std::string& data);
  void SendCommand(const std::string& unitIp, int commandPort, const std::string& bytes);

 private:
  void Deliver(std::string_view data, const TIdSocketHandle& binding);

  DatagramSink onDatagram_;
  std::vector<SetupMessageReceiver*> runs_;  // not owned; emptied places while delivering_
  bool delivering_ = false;
  TIdUDPServer server_;
};

}  // namespace vidideza
