#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "event_loop.h"
#include "net/net_unit_settings.h"
#include "net/setup_protocol.h"
#include "net/udp_server.h"

namespace qvxctl {

// A QVX-NET unit across the network, reached as the QVX-NET page reaches it: the server port
// bound on every local address, the unit's setup port asked for its command port, text
// commands to that port, and the discovery and setup run, all through the system's own
// protocol machine.
class NetLink final : private vidideza::SetupProtocolHost {
 public:
  using LineSink = std::function<void(std::string_view line)>;
  using StatusSink = std::function<void(const std::string& caption)>;

  // Binds serverPort; raises the endpoint's error when it cannot.
  NetLink(EventLoop& loop, const std::string& unitIp, int serverPort, LineSink onLine,
          StatusSink onStatus);
  NetLink(const NetLink&) = delete;
  NetLink& operator=(const NetLink&) = delete;
  ~NetLink() override;

  // The port queries, one a second, up to ten: true on "Unit ready", false on "Timeout error".
  bool AwaitCommandPort();
  // A command line, with its line feed, as one datagram to the unit's command port.
  void Send(const std::string& bytes);

  // "Set NET interface" with settings already checked: true on "Succesfully set", false on
  // "Timeout error", or as soon as abandon() holds. With verify, the unit must then answer a
  // port query as well.
  bool SetUp(
      const vidideza::NetUnitSettings& settings, bool verify,
      const std::function<bool()>& abandon = [] { return false; });

  const std::string& Status() const { return protocol_.Status(); }
  // The last run's setup record went to the unit: a run that did not end "Succesfully set"
  // may have written it, in part or whole.
  bool UnitTookRecord() const { return protocol_.RecordSent() || protocol_.SetupWritten(); }
  int CommandPort() const { return protocol_.CommandPort(); }

 private:
  bool RunUntilStatus(std::string_view wanted, const std::function<bool()>& abandon);

  std::string UnitIpText() const override { return unitIp_; }
  void ShowStatus(const std::string& caption) override;
  void ShowUnitIpCaption(const std::string&) override {}
  void ShowUnitReady(bool) override {}
  void StartTimer(Timer timer) override;
  void StopTimer(Timer timer) override;
  void SendToSetupPort(const std::string& host, const std::string& data) override;

  EventLoop& loop_;
  std::string unitIp_;
  LineSink onLine_;
  StatusSink onStatus_;
  vidideza::NetUnitSettings settings_;
  vidideza::NetSetupProtocol protocol_{*this, settings_};
  int pollTimer_;
  int limitTimer_;
  vidideza::TIdUDPServer server_;
};

}  // namespace qvxctl
