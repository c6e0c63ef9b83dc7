#include "net_link.h"

#include "console/text_datagram.h"

namespace qvxctl {

namespace {

// The protocol's own timers end every wait; this only keeps a fault from hanging a script.
constexpr auto kLongestWait = std::chrono::seconds(60);

}  // namespace

NetLink::NetLink(EventLoop& loop, const std::string& unitIp, int serverPort, LineSink onLine,
                 StatusSink onStatus)
    : loop_(loop),
      onLine_(std::move(onLine)),
      endpoint_(loop.Dispatcher(),
                [this](std::string_view data) {
                  if (const auto line = vidideza::TextDatagramLine(data)) {
                    onLine_(*line);
                  }
                }),
      run_(loop, endpoint_, unitIp, std::move(onStatus)) {
  endpoint_.Bind(serverPort);
}

bool NetLink::AwaitCommandPort() {
  run_.AskCommandPort();
  loop_.RunUntil([this] { return run_.Ended(); }, EventLoop::Clock::now() + kLongestWait);
  return run_.Phase() == vidideza::SetupPhase::kUnitReady;
}

void NetLink::Send(const std::string& bytes) {
  endpoint_.SendCommand(run_.UnitIp(), run_.CommandPort(), bytes);
}

}  // namespace qvxctl
