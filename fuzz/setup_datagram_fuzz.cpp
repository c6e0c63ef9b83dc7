// Arbitrary datagrams against every state of the setup protocol, through the text display
// rule first, as the receive handler passes them on.
#include <cstddef>
#include <cstdint>
#include <string>

#include "console/text_datagram.h"
#include "net/setup_packets.h"
#include "net/setup_protocol.h"

using namespace vidideza;

namespace {

class Host : public SetupProtocolHost {
 public:
  std::string UnitIpText() const override { return "203.0.113.10"; }
  void ShowStatus(const std::string& caption) override { status = caption; }
  void ShowUnitIpCaption(const std::string&) override {}
  void ShowUnitReady(bool) override {}
  void StartTimer(Timer) override {}
  void StopTimer(Timer) override {}
  void SendToSetupPort(const std::string& host, const std::string& data) override {
    if (host.empty() || data.size() < 4 || data.size() > 130) {
      __builtin_trap();
    }
  }
  std::string status;
};

std::string UnitPacket(std::uint8_t opcode, std::size_t size) {
  std::string p(size, '\0');
  p[3] = static_cast<char>(opcode);
  return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) {
    return 0;
  }
  NetUnitSettings settings;
  settings.UnitMac = {0x00, 0x20, 0x4A, 0xE0, 0x2C, 0xBE};
  Host host;
  NetSetupProtocol protocol(host, settings);
  std::string answer = UnitPacket(kSearchAnswer, 30);
  for (std::size_t i = 0; i < 6; ++i)
    answer[24 + i] = static_cast<char>(settings.UnitMac[i]);

  // The first byte picks the state: idle, port polling, searching, writing, confirming.
  switch (data[0] % 5) {
    case 1:
      protocol.RestartUnitPoll();
      break;
    case 2:
      protocol.StartSetupRun();
      break;
    case 3:
      protocol.StartSetupRun();
      protocol.HandleSetupDatagram(answer, "203.0.113.10", kSetupPort);
      break;
    case 4:
      protocol.StartSetupRun();
      protocol.HandleSetupDatagram(answer, "203.0.113.10", kSetupPort);
      protocol.HandleSetupDatagram(UnitPacket(kBlockRequestLast, 4), "203.0.113.10", kSetupPort);
      break;
    default:
      break;
  }
  // The rest: datagrams, each a length byte, a sender byte and that many bytes.
  std::size_t at = 1;
  while (at + 2 <= size) {
    const std::size_t length = data[at];
    const std::string sender = data[at + 1] % 2 == 0 ? "203.0.113.10" : "203.0.113.11";
    at += 2;
    const std::string datagram(reinterpret_cast<const char*>(data) + at,
                               std::min(length, size - at));
    at += datagram.size();
    (void)TextDatagramLine(datagram);
    protocol.HandleSetupDatagram(datagram, sender, kSetupPort);
    if (data[0] & 0x80) {
      protocol.Timer2Timer();
    }
  }
  if (protocol.PollTicks() < 0) {
    __builtin_trap();
  }
  return 0;
}
