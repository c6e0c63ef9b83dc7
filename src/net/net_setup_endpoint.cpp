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
  std::erase(runs_, &run);
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
  // A run may end, and be detached, while a message is handled: the list is walked as it was.
  const std::vector<SetupMessageReceiver*> runs = runs_;
  for (SetupMessageReceiver* run : runs) {
    if (std::find(runs_.begin(), runs_.end(), run) != runs_.end() &&
        run->ConcernsSender(binding.SenderIP)) {
      run->HandleSetupDatagram(data, binding.SenderIP, binding.SenderPort);
    }
  }
}

}  // namespace vidideza
