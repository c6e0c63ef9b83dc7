#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "net/net_unit_settings.h"

namespace vidideza {

// Where the protocol stands, as the page's status caption tells it.
enum class SetupPhase {
  kIdle,       // nothing asked yet
  kWaiting,    // "Wait ." and a mark per step: port queries or, in a run, the search and write
  kUnitReady,  // the unit told its command port
  kSet,        // the unit confirmed its new settings, and is asked for its command port again
  kTimeout,    // the queries or the run ran out of time
};

// How a setup run ended, once it has.
enum class SetupOutcome {
  kRunning,
  kSet,           // confirmed
  kNotFound,      // no answer to the search: nothing was written into the unit
  kNotConfirmed,  // the unit took its setup record, perhaps more, but never confirmed
};

// The status caption a phase begins with; the one place these captions are made.
const char* PhaseCaption(SetupPhase phase);

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

// What takes the setup messages an endpoint receives.
class SetupMessageReceiver {
 public:
  virtual ~SetupMessageReceiver() = default;
  // A datagram from this address can concern this receiver.
  virtual bool ConcernsSender(const std::string& senderIp) const = 0;
  virtual void HandleSetupDatagram(std::string_view datagram, const std::string& senderIp,
                                   int senderPort) = 0;
};

// The protocol state machine: the port query that makes "Unit ready", and the setup run that
// finds the unit by its MAC address and writes its settings. Fed ticks and datagrams, it
// answers through its host.
class NetSetupProtocol final : public SetupMessageReceiver {
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
  void HandleSetupDatagram(std::string_view datagram, const std::string& senderIp,
                           int senderPort) override;

  int CommandPort() const { return CommandPort_; }
  bool SetupInProgress() const { return SetupInProgress_; }
  bool SetupWritten() const { return SetupWritten_; }
  // This run's setup record went to the unit: from then on the unit may be written, in part.
  bool RecordSent() const { return RecordSent_; }
  std::int32_t PollTicks() const { return PollTicks_; }
  const std::string& ConfirmedUnitIp() const { return ConfirmedUnitIp_; }
  const std::string& Status() const { return status_; }
  SetupPhase Phase() const { return phase_; }
  // The outcome of the last setup run; kRunning also before any.
  SetupOutcome RunOutcome() const;
  // A datagram from this address can concern this protocol: the unit-IP field's address, or
  // the unit this run found there.
  bool ConcernsSender(const std::string& senderIp) const override;

 private:
  void EnterPhase(SetupPhase phase);
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
  SetupPhase phase_ = SetupPhase::kIdle;
  std::string status_ = PhaseCaption(SetupPhase::kIdle);
};

}  // namespace vidideza
