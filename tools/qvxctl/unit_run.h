#pragma once

#include <exception>
#include <functional>
#include <string>
#include <string_view>

#include "event_loop.h"
#include "net/net_setup_endpoint.h"
#include "net/net_unit_settings.h"
#include "net/setup_protocol.h"

namespace qvxctl {

// One QVX-NET unit's protocol run over a shared endpoint: the unit's own protocol state, its
// own poll and limit timers in the event loop, and the datagrams the window would send for it.
// The endpoint hands it only datagrams from its unit's address; of those, a search or port
// answer counts only while this run asks (its poll timer runs), as the window, alone on the
// network, only ever gets them: a unit also answers the queries of the other runs.
class UnitRun final : private vidideza::SetupProtocolHost, private vidideza::SetupMessageReceiver {
 public:
  using StatusSink = std::function<void(const std::string& caption)>;

  UnitRun(EventLoop& loop, vidideza::NetSetupEndpoint& endpoint, std::string unitIp,
          StatusSink onStatus);
  UnitRun(const UnitRun&) = delete;
  UnitRun& operator=(const UnitRun&) = delete;
  ~UnitRun() override;

  // The port queries, one a second, up to ten, as showing the page starts them.
  void AskCommandPort();
  // "Set NET interface" with settings already checked; with verify the run ends only once the
  // unit, set, has told its command port again.
  void SetUp(const vidideza::NetUnitSettings& settings, bool verify);

  // The queries or the setup run have come to an end, one way or another (a send the endpoint
  // refused among them).
  bool Ended() const;
  // How the setup run ended: a run verified but not found again is not confirmed.
  vidideza::SetupOutcome Outcome() const;
  // The setup record went to the unit: a run cut short may have written it, in part or whole.
  bool UnitTookRecord() const { return protocol_.RecordSent() || protocol_.SetupWritten(); }
  vidideza::SetupPhase Phase() const { return protocol_.Phase(); }
  const std::string& Status() const { return protocol_.Status(); }
  int CommandPort() const { return protocol_.CommandPort(); }
  const std::string& UnitIp() const { return unitIp_; }
  // The endpoint's error that ended the run, if one did.
  std::exception_ptr Failure() const { return failure_; }

 private:
  std::string UnitIpText() const override { return unitIp_; }
  void ShowStatus(const std::string& caption) override;
  void ShowUnitIpCaption(const std::string&) override {}
  void ShowUnitReady(bool) override {}
  void StartTimer(Timer timer) override;
  void StopTimer(Timer timer) override;
  void SendToSetupPort(const std::string& host, const std::string& data) override;

  bool ConcernsSender(const std::string& senderIp) const override;
  void HandleSetupDatagram(std::string_view datagram, const std::string& senderIp,
                           int senderPort) override;

  enum class Goal { kCommandPort, kSet, kSetAndVerified };

  EventLoop& loop_;
  vidideza::NetSetupEndpoint& endpoint_;
  std::string unitIp_;
  StatusSink onStatus_;
  vidideza::NetUnitSettings settings_;
  vidideza::NetSetupProtocol protocol_{*this, settings_};
  Goal goal_ = Goal::kCommandPort;
  std::exception_ptr failure_;
  bool asking_ = false;  // the poll timer runs
  int pollTimer_;
  int limitTimer_;
};

}  // namespace qvxctl
