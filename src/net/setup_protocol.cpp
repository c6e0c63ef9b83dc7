#include "net/setup_protocol.h"

#include "net/setup_packets.h"

namespace vidideza {

namespace {

using Timer = SetupProtocolHost::Timer;

constexpr const char* kUnitIpCaption = "IP address (x.x.x.x):";
constexpr std::int32_t kTicksPerRun = 10;

// A byte of a datagram as the 2048-byte zero-filled receive area holds it.
std::uint8_t ByteAt(std::string_view datagram, std::size_t offset) {
  return offset < datagram.size() && offset < 2048 ? static_cast<std::uint8_t>(datagram[offset])
                                                   : 0;
}

}  // namespace

const char* PhaseCaption(SetupPhase phase) {
  switch (phase) {
    case SetupPhase::kIdle:
      return ".";
    case SetupPhase::kWaiting:
      return "Wait .";
    case SetupPhase::kUnitReady:
      return "Unit ready";
    case SetupPhase::kSet:
      return "Succesfully set";
    case SetupPhase::kTimeout:
      return "Timeout error";
  }
  return "";
}

void NetSetupProtocol::EnterPhase(SetupPhase phase) {
  phase_ = phase;
  status_ = PhaseCaption(phase);
  host_.ShowStatus(status_);
}

void NetSetupProtocol::AppendStatus(char mark) {
  status_ += mark;
  host_.ShowStatus(status_);
}

SetupOutcome NetSetupProtocol::RunOutcome() const {
  if (SetupInProgress_) {
    return SetupOutcome::kRunning;
  }
  switch (phase_) {
    case SetupPhase::kSet:
    case SetupPhase::kUnitReady:
      return SetupWritten_ ? SetupOutcome::kSet : SetupOutcome::kRunning;
    case SetupPhase::kTimeout:
      return RecordSent_ || SetupWritten_ ? SetupOutcome::kNotConfirmed : SetupOutcome::kNotFound;
    default:
      return SetupOutcome::kRunning;
  }
}

bool NetSetupProtocol::ConcernsSender(const std::string& senderIp) const {
  return senderIp == host_.UnitIpText() ||
         (!ConfirmedUnitIp_.empty() && senderIp == ConfirmedUnitIp_);
}

void NetSetupProtocol::ResetUnitIpDisplay() {
  host_.ShowUnitReady(false);
  host_.ShowUnitIpCaption(kUnitIpCaption);
}

void NetSetupProtocol::RestartUnitPoll() {
  ResetUnitIpDisplay();
  SetupInProgress_ = false;
  EnterPhase(SetupPhase::kWaiting);
  PollTicks_ = 0;
  host_.StartTimer(Timer::kPoll);
}

void NetSetupProtocol::StartSetupRun() {
  EnterPhase(SetupPhase::kWaiting);
  host_.SendToSetupPort(kBroadcastAddress, AddressAnnouncement(settings_));
  PollTicks_ = 0;
  SetupWritten_ = false;
  RecordSent_ = false;
  SetupInProgress_ = true;
  host_.StartTimer(Timer::kPoll);
  host_.StartTimer(Timer::kSetupLimit);
}

void NetSetupProtocol::Timer2Timer() {
  ++PollTicks_;
  if (PollTicks_ > kTicksPerRun) {
    host_.StopTimer(Timer::kPoll);
    SetupInProgress_ = false;
    EnterPhase(SetupPhase::kTimeout);
    return;
  }
  AppendStatus('.');
  if (SetupInProgress_) {
    host_.SendToSetupPort(kBroadcastAddress, SearchQuery(PollTicks_));
  } else {
    host_.SendToSetupPort(host_.UnitIpText(), PortQuery());
  }
}

void NetSetupProtocol::Timer3Timer() {
  host_.StopTimer(Timer::kSetupLimit);
  host_.StopTimer(Timer::kPoll);
  SetupInProgress_ = false;
  EnterPhase(SetupPhase::kTimeout);
}

void NetSetupProtocol::HandleSetupDatagram(std::string_view datagram, const std::string& senderIp,
                                           int senderPort) {
  if (ByteAt(datagram, 0) != 0x00 || ByteAt(datagram, 1) > 0x01 || ByteAt(datagram, 2) != 0x00) {
    return;
  }
  const std::uint8_t opcode = ByteAt(datagram, 3);
  if (opcode == kPortAnswer) {
    OnPortAnswer(datagram, senderIp);
    return;
  }
  if (!SetupInProgress_ || senderPort != kSetupPort) {
    return;
  }
  if (opcode == kSearchAnswer) {
    OnSearchAnswer(datagram, senderIp);
  } else if (!RecordSent_ || senderIp != ConfirmedUnitIp_) {
    return;
  } else if (opcode == kSetupAcknowledgement) {
    AppendStatus('x');
    host_.SendToSetupPort(ConfirmedUnitIp_, ConfigurationBlock(kBlockFirst));
  } else if (opcode >= kBlockRequestFirst && opcode < kBlockRequestLast) {
    AppendStatus('x');
    host_.SendToSetupPort(ConfirmedUnitIp_,
                          ConfigurationBlock(static_cast<std::uint8_t>(opcode + 0x11)));
  } else if (opcode == kBlockRequestLast) {
    AppendStatus('R');
    host_.SendToSetupPort(ConfirmedUnitIp_, FinishPacket());
    SetupWritten_ = true;
    PollTicks_ = 0;
    host_.StartTimer(Timer::kPoll);
  }
}

void NetSetupProtocol::OnSearchAnswer(std::string_view datagram, const std::string& senderIp) {
  for (std::size_t i = 0; i < settings_.UnitMac.size(); ++i) {
    if (ByteAt(datagram, 24 + i) != settings_.UnitMac[i]) {
      return;
    }
  }
  const std::string unitIp = host_.UnitIpText();
  if (senderIp != unitIp) {
    return;
  }
  host_.StopTimer(Timer::kPoll);
  ConfirmedUnitIp_ = unitIp;
  if (SetupWritten_) {
    EnterPhase(SetupPhase::kSet);
    SetupInProgress_ = false;
    host_.StopTimer(Timer::kSetupLimit);
    host_.StartTimer(Timer::kPoll);
    return;
  }
  AppendStatus('x');
  RecordSent_ = false;  // the address may be another one now
  host_.SendToSetupPort(ConfirmedUnitIp_, SetupRecord(settings_));
  RecordSent_ = true;
}

void NetSetupProtocol::OnPortAnswer(std::string_view datagram, const std::string& senderIp) {
  if (SetupInProgress_ || senderIp != host_.UnitIpText()) {
    return;
  }
  host_.StopTimer(Timer::kPoll);
  CommandPort_ = ByteAt(datagram, 24) + 256 * ByteAt(datagram, 25);
  host_.ShowUnitIpCaption(kUnitIpCaption + std::to_string(CommandPort_));
  host_.ShowUnitReady(true);
  EnterPhase(SetupPhase::kUnitReady);
}

}  // namespace vidideza
