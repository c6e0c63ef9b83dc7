#include "net/udp_server.h"

#include <array>
#include <cctype>
#include <chrono>

#include "base/integer_parsing.h"
#include "net/address_parsing.h"
#include "net/socket_errors.h"

namespace vidideza {

namespace {

constexpr auto kListenerWait = std::chrono::milliseconds(1000);

bool IsLocalhost(const std::string& host) {
  static constexpr std::string_view kName = "LOCALHOST";
  if (host.size() != kName.size()) {
    return false;
  }
  for (std::size_t i = 0; i < host.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(host[i])) != kName[i]) {
      return false;
    }
  }
  return true;
}

// Four parts separated by ".", each 0 to 255 as ParseInteger reads it: the address as dotted
// text; nothing for any other text.
std::optional<std::string> DottedAddressOf(const std::string& host) {
  std::array<std::uint8_t, 4> bytes{};
  std::size_t start = 0;
  for (int part = 0; part < 4; ++part) {
    const std::size_t dot = host.find('.', start);
    if ((part < 3) == (dot == std::string::npos)) {
      return std::nullopt;
    }
    const auto value = TryParseInteger(std::string_view(host).substr(start, dot - start));
    if (!value || *value < 0 || *value > 255) {
      return std::nullopt;
    }
    bytes[static_cast<std::size_t>(part)] = static_cast<std::uint8_t>(*value);
    start = dot + 1;
  }
  return DottedText(bytes);
}

}  // namespace

std::string ResolveHost(const std::string& host, const HostLookup::LookUp& lookUp) {
  if (IsLocalhost(host)) {
    return "127.0.0.1";
  }
  if (auto dotted = DottedAddressOf(host)) {
    return *dotted;
  }
  return lookUp(host);
}

// --- listener ------------------------------------------------------------------------------

TIdUDPListenerThread::TIdUDPListenerThread(TIdUDPServer& server, UiDispatcher& ui,
                                           std::size_t bufferSize)
    : server_(server), ui_(ui), bufferSize_(bufferSize), wait_(CreateSocketWait()) {
  buffer_.reserve(bufferSize_);
  thread_.emplace(ui_, [this] { Run(); });
}

TIdUDPListenerThread::~TIdUDPListenerThread() {
  Stop();
}

void TIdUDPListenerThread::Stop() {
  stopped_ = true;
  wait_->Wake();
  if (thread_) {
    thread_->Join();
    thread_.reset();
  }
}

void TIdUDPListenerThread::Run() {
  // The bindings do not change while the listener runs: the UI thread stops it first.
  std::vector<UdpSocket*> sockets;
  for (const auto& binding : server_.bindings_) {
    if (binding->Allocated()) {
      sockets.push_back(binding->Socket());
    }
  }
  while (!stopped_) {
    for (UdpSocket* readable : wait_->Wait(sockets, kListenerWait)) {
      if (stopped_) {
        break;
      }
      for (const auto& binding : server_.bindings_) {
        if (binding->Socket() == readable) {
          Receive(*binding);
        }
      }
    }
  }
}

void TIdUDPListenerThread::Receive(TIdSocketHandle& binding) {
  UdpSocket::Datagram got;
  if (!binding.Socket()->ReceiveFrom(buffer_, bufferSize_, got)) {
    return;  // receive errors and oversized datagrams are dropped without a word
  }
  ui_.Call([&] {
    binding.SenderIP = got.senderIp;
    binding.SenderPort = got.senderPort;
    server_.Deliver(buffer_, binding);
  });
}

// --- endpoint ------------------------------------------------------------------------------

TIdUDPServer::TIdUDPServer(UiDispatcher& ui) : ui_(ui) {}

TIdUDPServer::~TIdUDPServer() {
  Deactivate();
  ClearBindings();
}

bool TIdUDPServer::Active() const {
  return sending_ != nullptr && sending_->Allocated();
}

void TIdUDPServer::SetActive(bool active) {
  uiThread_.OnUiThread("TIdUDPServer::SetActive");
  if (active == Active()) {
    return;
  }
  if (active) {
    Activate();
  } else {
    Deactivate();
  }
}

void TIdUDPServer::ClearBindings() {
  uiThread_.OnUiThread("TIdUDPServer::ClearBindings");
  Deactivate();
  bindings_.clear();
}

TIdSocketHandle& TIdUDPServer::AddBinding() {
  uiThread_.OnUiThread("TIdUDPServer::AddBinding");
  auto binding = std::make_unique<TIdSocketHandle>();
  binding->Port = DefaultPort;
  bindings_.push_back(std::move(binding));
  return *bindings_.back();
}

void TIdUDPServer::Activate() {
  if (bindings_.empty()) {
    AddBinding();
  }
  for (const auto& binding : bindings_) {
    binding->socket_.reset();
    binding->socket_ = CreateUdpSocket();
    binding->socket_->Bind(binding->IP, static_cast<std::uint16_t>(binding->Port & 0xFFFF));
    binding->IP = binding->socket_->LocalIp();
    binding->Port = binding->socket_->LocalPort();
  }
  sending_ = bindings_.front().get();
  listener_ = std::make_unique<TIdUDPListenerThread>(*this, ui_, BufferSize);
  for (const auto& binding : bindings_) {
    binding->socket_->SetBroadcast(BroadcastEnabled);
  }
}

void TIdUDPServer::Deactivate() {
  if (listener_) {
    listener_->Stop();
    listener_.reset();
  }
  for (const auto& binding : bindings_) {
    if (binding->socket_) {
      binding->socket_->ShutdownSend();
      binding->socket_.reset();
    }
  }
  sending_ = nullptr;
}

void TIdUDPServer::Deliver(std::string_view data, TIdSocketHandle& binding) {
  uiThread_.OnUiThread("TIdUDPServer::Deliver");
  sending_ = &binding;
  if (!OnUDPRead) {
    return;
  }
  try {
    OnUDPRead(*this, data, binding);
  } catch (...) {
    // Errors of a receive handler, its own sends included, are dropped without a message.
  }
}

void TIdUDPServer::SendDatagram(const std::string& host, int port, std::string_view data) {
  uiThread_.OnUiThread("TIdUDPServer::SendDatagram");
  const std::string address =
      ResolveHost(host, [this](const std::string& name) { return lookups_.Resolve(name); });
  if (!Active()) {
    Activate();
  }
  const std::size_t sent =
      sending_->Socket()->SendTo(address, static_cast<std::uint16_t>(port & 0xFFFF), data);
  if (sent < data.size()) {
    throw EIdNotAllBytesSent();
  }
}

}  // namespace vidideza
