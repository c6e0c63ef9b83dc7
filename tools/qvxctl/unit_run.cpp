#include "unit_run.h"

#include <utility>

#include "base/exception.h"
#include "net/address_parsing.h"
#include "net/setup_packets.h"

namespace qvxctl {

using vidideza::SetupOutcome;
using vidideza::SetupPhase;

UnitRun::UnitRun(EventLoop& loop, vidideza::NetSetupEndpoint& endpoint, std::string unitIp,
                 StatusSink onStatus)
    : loop_(loop),
      endpoint_(endpoint),
      unitIp_(vidideza::TrimmedText(unitIp)),
      onStatus_(std::move(onStatus)),
      pollTimer_(loop.AddTimer(std::chrono::seconds(1), [this] { protocol_.Timer2Timer(); })),
      limitTimer_(loop.AddTimer(std::chrono::seconds(20), [this] { protocol_.Timer3Timer(); })) {
  endpoint_.Attach(*this);
}

UnitRun::~UnitRun() {
  endpoint_.Detach(*this);
  loop_.RemoveTimer(pollTimer_);
  loop_.RemoveTimer(limitTimer_);
}

void UnitRun::AskCommandPort() {
  goal_ = Goal::kCommandPort;
  protocol_.RestartUnitPoll();
}

void UnitRun::SetUp(const vidideza::NetUnitSettings& settings, bool verify) {
  settings_ = settings;
  goal_ = verify ? Goal::kSetAndVerified : Goal::kSet;
  protocol_.ResetUnitIpDisplay();
  protocol_.StartSetupRun();
}

bool UnitRun::Ended() const {
  const SetupPhase phase = protocol_.Phase();
  if (failure_ || phase == SetupPhase::kTimeout) {
    return true;
  }
  switch (goal_) {
    case Goal::kCommandPort:
      return phase == SetupPhase::kUnitReady;
    case Goal::kSet:
      return protocol_.RunOutcome() == SetupOutcome::kSet;
    case Goal::kSetAndVerified:
      return phase == SetupPhase::kUnitReady && protocol_.RunOutcome() == SetupOutcome::kSet;
  }
  return false;
}

SetupOutcome UnitRun::Outcome() const {
  if (!Ended()) {
    return SetupOutcome::kRunning;
  }
  return protocol_.RunOutcome();
}

void UnitRun::ShowStatus(const std::string& caption) {
  if (onStatus_) {
    onStatus_(caption);
  }
}

void UnitRun::StartTimer(Timer timer) {
  asking_ = asking_ || timer == Timer::kPoll;
  loop_.StartTimer(timer == Timer::kPoll ? pollTimer_ : limitTimer_);
}

void UnitRun::StopTimer(Timer timer) {
  asking_ = asking_ && timer != Timer::kPoll;
  loop_.StopTimer(timer == Timer::kPoll ? pollTimer_ : limitTimer_);
}

// The run's unit address never changes, so the protocol's own test comes down to this one.
bool UnitRun::ConcernsSender(const std::string& senderIp) const {
  return senderIp == unitIp_;
}

void UnitRun::HandleSetupDatagram(std::string_view datagram, const std::string& senderIp,
                                  int senderPort) {
  const auto opcode = datagram.size() > 3 ? static_cast<std::uint8_t>(datagram[3]) : 0;
  if ((opcode == vidideza::kSearchAnswer || opcode == vidideza::kPortAnswer) && !asking_) {
    return;
  }
  protocol_.HandleSetupDatagram(datagram, senderIp, senderPort);
}

void UnitRun::SendToSetupPort(const std::string& host, const std::string& data) {
  // A refused send ends this run, and this run alone: its timers stop and the error is kept for
  // its outcome before it goes on to whoever waits on the loop.
  try {
    endpoint_.SendToSetupPort(host, data);
  } catch (const vidideza::Exception&) {
    failure_ = std::current_exception();
    StopTimer(Timer::kPoll);
    StopTimer(Timer::kSetupLimit);
    throw;
  }
}

}  // namespace qvxctl
