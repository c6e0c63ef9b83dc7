// Arbitrary datagrams from arbitrary senders against every state of the setup protocol,
// through the text display rule first, as the receive handler passes them on. The oracle: the
// protocol writes into a unit only inside a run, only for a message from the setup port that a
// plain reading of the message table accepts, one datagram for each; and a datagram it ignores
// changes nothing.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "console/text_datagram.h"
#include "fuzz_check.h"
#include "net/setup_packets.h"
#include "net/setup_protocol.h"

using namespace vidideza;

namespace {

constexpr const char* kUnitIp = "203.0.113.10";

class Host : public SetupProtocolHost {
 public:
  std::string UnitIpText() const override { return kUnitIp; }
  void ShowStatus(const std::string& caption) override { status = caption; }
  void ShowUnitIpCaption(const std::string& caption) override { unitIpCaption = caption; }
  void ShowUnitReady(bool r) override { ready = r; }
  void StartTimer(Timer t) override { running[t] = true; }
  void StopTimer(Timer t) override { running[t] = false; }
  void SendToSetupPort(const std::string& host, const std::string& data) override {
    Check(!host.empty() && data.size() >= 4 && data.size() <= 130);
    sent.push_back(data);
  }
  std::string status;
  std::string unitIpCaption;
  bool ready = false;
  std::map<Timer, bool> running;
  std::vector<std::string> sent;
};

std::string UnitPacket(std::uint8_t opcode, std::size_t size) {
  std::string p(size, '\0');
  p[3] = static_cast<char>(opcode);
  return p;
}

std::uint8_t ByteAt(const std::string& d, std::size_t i) {
  return i < d.size() ? static_cast<std::uint8_t>(d[i]) : 0;
}

struct Snapshot {
  bool inRun, written;
  std::int32_t ticks;
  std::string confirmed, status, caption;
  int commandPort;
  bool ready;
  std::map<SetupProtocolHost::Timer, bool> running;
  std::size_t sent;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const NetSetupProtocol& p, const Host& h) {
  return {p.SetupInProgress(), p.SetupWritten(), p.PollTicks(), p.ConfirmedUnitIp(), h.status,
          h.unitIpCaption,     p.CommandPort(),  h.ready,       h.running,           h.sent.size()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) {
    return 0;
  }
  NetUnitSettings settings;
  if (data[0] & 0x40) {
    settings.UnitMac = {0x00, 0x20, 0x4A, 0xE0, 0x2C, 0xBE};
  }  // else all zeros, as before any setup
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
      protocol.HandleSetupDatagram(answer, kUnitIp, kSetupPort);
      break;
    case 4:
      protocol.StartSetupRun();
      protocol.HandleSetupDatagram(answer, kUnitIp, kSetupPort);
      protocol.HandleSetupDatagram(UnitPacket(kBlockRequestLast, 4), kUnitIp, kSetupPort);
      break;
    default:
      break;
  }
  // The rest: datagrams, each a length byte, a sender byte and that many bytes. The sender
  // byte picks the address (bit 0) and the port (bit 1: the setup port or another).
  std::size_t at = 1;
  while (at + 2 <= size) {
    const std::size_t length = data[at];
    const std::string sender = data[at + 1] % 2 == 0 ? kUnitIp : "203.0.113.11";
    const int port = (data[at + 1] & 2) == 0 ? kSetupPort : 10001 + (data[at + 1] >> 2);
    at += 2;
    const std::string datagram(reinterpret_cast<const char*>(data) + at,
                               std::min(length, size - at));
    at += datagram.size();
    (void)TextDatagramLine(datagram);

    const Snapshot before = Take(protocol, host);
    const bool header =
        ByteAt(datagram, 0) == 0 && ByteAt(datagram, 1) <= 1 && ByteAt(datagram, 2) == 0;
    const std::uint8_t opcode = ByteAt(datagram, 3);
    bool macMatches = true;
    for (std::size_t i = 0; i < 6; ++i)
      macMatches = macMatches && ByteAt(datagram, 24 + i) == settings.UnitMac[i];
    const bool fromSetupPortInRun = before.inRun && port == kSetupPort;
    const bool fromConfirmed = sender == before.confirmed;
    const bool writes =
        header && fromSetupPortInRun &&
        ((opcode == kSearchAnswer && macMatches && sender == kUnitIp && !before.written) ||
         (fromConfirmed && (opcode == kSetupAcknowledgement ||
                            (opcode >= kBlockRequestFirst && opcode <= kBlockRequestLast))));
    const bool completes = header && fromSetupPortInRun && opcode == kSearchAnswer && macMatches &&
                           sender == kUnitIp && before.written;
    const bool portAnswer = header && opcode == kPortAnswer && !before.inRun && sender == kUnitIp;

    protocol.HandleSetupDatagram(datagram, sender, port);

    const Snapshot after = Take(protocol, host);
    Check(after.sent == before.sent + (writes ? 1 : 0));
    if (!writes && !completes && !portAnswer) {
      Check(after == before);
    }
    if (completes) {
      Check(after.status == "Succesfully set" && !after.inRun);
    }
    if (data[0] & 0x80) {
      protocol.Timer2Timer();
    }
  }
  Check(protocol.PollTicks() >= 0);
  return 0;
}
