#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "arguments.h"
#include "event_loop.h"
#include "net/net_setup_endpoint.h"
#include "net_link.h"
#include "serial_link.h"
#include "status_line.h"

namespace qvxctl {

// The unit a command talks to: --serial PORT, or --net IP with --server-port N (10100, as the
// QVX-NET page starts, when not given).
struct LinkTarget {
  std::string serialPort;
  std::string netIp;
  int serverPort = vidideza::kDefaultServerPort;
};

// The options that name it; raises UsageError unless exactly one link is named.
LinkTarget LinkTargetOf(const Arguments& arguments);

// The open link to the unit, over whichever way the target names.
class UnitLink {
 public:
  using LineSink = std::function<void(std::string_view line)>;

  // Over the network the unit is asked for its command port first, the status going to
  // status; raises TimeoutFailure when it never tells it. Link errors are raised as the
  // window's error box would show them.
  UnitLink(EventLoop& loop, const LinkTarget& target, LineSink onLine, StatusLine& status);

  // Bytes as they go out: a command line with its line feed.
  void Send(const std::string& bytes);
  // Returns once every byte sent has left this computer (a datagram has, once sent).
  void Drain();

 private:
  std::unique_ptr<SerialLink> serial_;
  std::unique_ptr<NetLink> net_;
};

}  // namespace qvxctl
