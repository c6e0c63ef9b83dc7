#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "net/net_unit_settings.h"

namespace vidideza {

// What the discovery and setup protocol needs of the window.
class SetupProtocolHost {
 public:
  enum class Timer { kPoll, kSetupLimit };  // Timer2 (1 s) and Timer3 (20 s)

  virtual ~SetupProtocolHost() = default;
  // The unit-IP field's text, trimmed.
  virtual std::string UnitIpText() const = 0;
  virtual void ShowStatus(const std::string& caption) = 0;         // Label22
  virtual void ShowUnitIpCaption(const std::string& caption) = 0;  // Label17
  virtual void ShowUnitReady(bool ready) = 0;  // the unit-IP field light green, or normal
  // Starting a running timer leaves its period running; stopping and starting begins afresh.
  virtual void StartTimer(Timer timer) = 0;
  virtual void StopTimer(Timer timer) = 0;
  // One datagram to port 30718; raises the endpoint's errors.
  virtual void SendToSetupPort(const std::string& host, const std::string& data) = 0;
};

// The protocol state machine: the port query that makes "Unit ready", and the setup run that
// finds the unit by its MAC address and writes its settings. Fed ticks and datagrams, it
// answers through its host.
class NetSetupProtocol {
 public:
  NetSetupProtocol(SetupProtocolHost& host, const NetUnitSettings& settings)
      : host_(host), settings_(settings) {}

  // Port polling afresh ("Wait ."): showing the page, leaving the IP field, choosing a card.
  void RestartUnitPoll();
  // The first step of "Set NET interface", before the field checks.
  void ResetUnitIpDisplay();
  // "Set NET interface" with all fields checked: announce the address and start searching.
  void StartSetupRun();
  void Timer2Timer();
  void Timer3Timer();
  // The messages that lead to a write into a unit (search answer, setup acknowledgement, block
  // requests) count only inside a run and only from the unit's setup port: anyone on the
  // network can forge a sender address, and a write the user did not start must never happen.
  // Within a run, the acknowledgement and the block requests count only once this run's setup
  // record went out, so a late message from the unit of an earlier run cannot mark this one as
  // written.
  void HandleSetupDatagram(std::string_view datagram, const std::string& senderIp, int senderPort);

  int CommandPort() const { return CommandPort_; }
  bool SetupInProgress() const { return SetupInProgress_; }
  bool SetupWritten() const { return SetupWritten_; }
  // This run's setup record went to the unit: from then on the unit may be written, in part.
  bool RecordSent() const { return RecordSent_; }
  std::int32_t PollTicks() const { return PollTicks_; }
  const std::string& ConfirmedUnitIp() const { return ConfirmedUnitIp_; }
  const std::string& Status() const { return status_; }

 private:
  void SetStatus(std::string caption);
  void AppendStatus(char mark);
  void OnSearchAnswer(std::string_view datagram, const std::string& senderIp);
  void OnPortAnswer(std::string_view datagram, const std::string& senderIp);

  SetupProtocolHost& host_;
  const NetUnitSettings& settings_;
  bool SetupInProgress_ = false;
  bool SetupWritten_ = false;
  bool RecordSent_ = false;  // this run's setup record went to ConfirmedUnitIp_
  std::int32_t PollTicks_ = 0;
  std::string ConfirmedUnitIp_;
  int CommandPort_ = 0;
  std::string status_ = ".";
};

}  // namespace vidideza
