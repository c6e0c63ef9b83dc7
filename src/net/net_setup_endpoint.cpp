#include "net/net_setup_endpoint.h"

#include <algorithm>
#include <utility>

#include "net/setup_packets.h"

namespace vidideza {

NetSetupEndpoint::NetSetupEndpoint(UiDispatcher& ui, DatagramSink onDatagram)
    : onDatagram_(std::move(onDatagram)), server_(ui) {
  server_.BroadcastEnabled = true;
  server_.OnUDPRead = [this](TIdUDPServer&, std::string_view data, TIdSocketHandle& binding) {
    Deliver(data, binding);
  };
}

NetSetupEndpoint::~NetSetupEndpoint() {
  // The listener may still hand a datagram over: it ends before what the delivery reaches.
  server_.SetActive(false);
}

void NetSetupEndpoint::Bind(int serverPort) {
  server_.SetActive(false);
  server_.DefaultPort = serverPort;
  server_.ClearBindings();
  TIdSocketHandle& binding = server_.AddBinding();
  binding.IP = "0.0.0.0";
  binding.Port = serverPort;
  server_.SetActive(true);
}

void NetSetupEndpoint::Close() {
  server_.SetActive(false);
}

void NetSetupEndpoint::Attach(SetupMessageReceiver& run) {
  if (std::find(runs_.begin(), runs_.end(), &run) == runs_.end()) {
    runs_.push_back(&run);
  }
}

void NetSetupEndpoint::Detach(const SetupMessageReceiver& run) {
  // While a datagram is handed round, the run's place is only emptied: the walk goes on by
  // index, and a run detached meanwhile must not be reached.
  if (delivering_) {
    std::replace_if(
        runs_.begin(), runs_.end(), [&run](const SetupMessageReceiver* r) { return r == &run; },
        nullptr);
  } else {
    std::erase(runs_, &run);
  }
}

void NetSetupEndpoint::SendToSetupPort(const std::string& host, const std::string& data) {
  server_.SendDatagram(host, kSetupPort, data);
}

void NetSetupEndpoint::SendCommand(const std::string& unitIp, int commandPort,
                                   const std::string& bytes) {
  server_.SendDatagram(unitIp, commandPort, bytes);
}

void NetSetupEndpoint::Deliver(std::string_view data, const TIdSocketHandle& binding) {
  if (onDatagram_) {
    onDatagram_(data);
  }
  // Many runs share the endpoint, and every unit answers every run's broadcast query: the walk
  // must cost little per run. Runs attached meanwhile wait for the next datagram.
  struct Walk {
    NetSetupEndpoint& endpoint;
    explicit Walk(NetSetupEndpoint& e) : endpoint(e) { endpoint.delivering_ = true; }
    Walk(const Walk&) = delete;
    Walk& operator=(const Walk&) = delete;
    ~Walk() {
      endpoint.delivering_ = false;
      std::erase(endpoint.runs_, nullptr);
    }
  } walk(*this);
  const std::size_t count = runs_.size();
  for (std::size_t i = 0; i < count; ++i) {
    SetupMessageReceiver* run = runs_[i];
    if (run != nullptr && run->ConcernsSender(binding.SenderIP)) {
      run->HandleSetupDatagram(data, binding.SenderIP, binding.SenderPort);
    }
  }
}

}  // namespace vidideza
