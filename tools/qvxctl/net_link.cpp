#include "net_link.h"

#include "console/text_datagram.h"
#include "net/address_parsing.h"
#include "net/setup_packets.h"

namespace qvxctl {

namespace {

constexpr const char* kTimeoutStatus = "Timeout error";
// The protocol's own timers end every wait; this only keeps a fault from hanging a script.
constexpr auto kLongestWait = std::chrono::seconds(60);

}  // namespace

NetLink::NetLink(EventLoop& loop, const std::string& unitIp, int serverPort, LineSink onLine,
                 StatusSink onStatus)
    : loop_(loop),
      unitIp_(vidideza::TrimmedText(unitIp)),
      onLine_(std::move(onLine)),
      onStatus_(std::move(onStatus)),
      pollTimer_(loop.AddTimer(std::chrono::seconds(1), [this] { protocol_.Timer2Timer(); })),
      limitTimer_(loop.AddTimer(std::chrono::seconds(20), [this] { protocol_.Timer3Timer(); })),
      server_(loop.Dispatcher()) {
  server_.BroadcastEnabled = true;
  server_.OnUDPRead = [this](vidideza::TIdUDPServer&, std::string_view data,
                             vidideza::TIdSocketHandle& binding) {
    if (const auto line = vidideza::TextDatagramLine(data)) {
      onLine_(*line);
    }
    protocol_.HandleSetupDatagram(data, binding.SenderIP, binding.SenderPort);
  };
  server_.DefaultPort = serverPort;
  vidideza::TIdSocketHandle& binding = server_.AddBinding();
  binding.IP = "0.0.0.0";
  binding.Port = serverPort;
  server_.SetActive(true);
}

NetLink::~NetLink() {
  server_.SetActive(false);
  loop_.RemoveTimer(pollTimer_);
  loop_.RemoveTimer(limitTimer_);
}

bool NetLink::RunUntilStatus(std::string_view wanted, const std::function<bool()>& abandon) {
  loop_.RunUntil([&] { return Status() == wanted || Status() == kTimeoutStatus || abandon(); },
                 EventLoop::Clock::now() + kLongestWait);
  return Status() == wanted;
}

bool NetLink::AwaitCommandPort() {
  protocol_.RestartUnitPoll();
  return RunUntilStatus("Unit ready", [] { return false; });
}

void NetLink::Send(const std::string& bytes) {
  server_.SendDatagram(unitIp_, protocol_.CommandPort(), bytes);
}

bool NetLink::SetUp(const vidideza::NetUnitSettings& settings, bool verify,
                    const std::function<bool()>& abandon) {
  settings_ = settings;
  protocol_.ResetUnitIpDisplay();
  protocol_.StartSetupRun();
  if (!RunUntilStatus("Succesfully set", abandon)) {
    return false;
  }
  return !verify || RunUntilStatus("Unit ready", abandon);
}

void NetLink::ShowStatus(const std::string& caption) {
  if (onStatus_) {
    onStatus_(caption);
  }
}

void NetLink::StartTimer(Timer timer) {
  loop_.StartTimer(timer == Timer::kPoll ? pollTimer_ : limitTimer_);
}

void NetLink::StopTimer(Timer timer) {
  loop_.StopTimer(timer == Timer::kPoll ? pollTimer_ : limitTimer_);
}

void NetLink::SendToSetupPort(const std::string& host, const std::string& data) {
  server_.SendDatagram(host, vidideza::kSetupPort, data);
}

}  // namespace qvxctl
