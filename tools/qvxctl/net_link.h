#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "event_loop.h"
#include "net/net_setup_endpoint.h"
#include "unit_run.h"

namespace qvxctl {

// A QVX-NET unit across the network, reached as the QVX-NET page reaches it: the server port
// bound on every local address, the unit's setup port asked for its command port, and text
// commands to that port.
class NetLink {
 public:
  using LineSink = std::function<void(std::string_view line)>;
  using StatusSink = UnitRun::StatusSink;

  // Binds serverPort; raises the endpoint's error when it cannot.
  NetLink(EventLoop& loop, const std::string& unitIp, int serverPort, LineSink onLine,
          StatusSink onStatus);
  NetLink(const NetLink&) = delete;
  NetLink& operator=(const NetLink&) = delete;

  // The port queries, one a second, up to ten: true on "Unit ready", false on "Timeout error".
  bool AwaitCommandPort();
  // A command line, with its line feed, as one datagram to the unit's command port.
  void Send(const std::string& bytes);

 private:
  EventLoop& loop_;
  LineSink onLine_;
  vidideza::NetSetupEndpoint endpoint_;
  UnitRun run_;
};

}  // namespace qvxctl
