#include "net/setup_protocol.h"

#include <gtest/gtest.h>

#include <map>

#include "net/setup_packets.h"

namespace vidideza {
namespace {

using Timer = SetupProtocolHost::Timer;

class FakeWindow : public SetupProtocolHost {
 public:
  std::string unitIp = "203.0.113.10";
  std::string status;
  std::string unitIpCaption = "IP address (x.x.x.x): ";
  bool ready = false;
  std::map<Timer, bool> running{{Timer::kPoll, false}, {Timer::kSetupLimit, false}};
  std::map<Timer, int> starts{{Timer::kPoll, 0}, {Timer::kSetupLimit, 0}};
  struct Sent {
    std::string host;
    std::string data;
  };
  std::vector<Sent> sent;

  std::string UnitIpText() const override { return unitIp; }
  void ShowStatus(const std::string& caption) override { status = caption; }
  void ShowUnitIpCaption(const std::string& caption) override { unitIpCaption = caption; }
  void ShowUnitReady(bool r) override { ready = r; }
  void StartTimer(Timer t) override {
    if (!running[t]) {
      running[t] = true;
      ++starts[t];
    }
  }
  void StopTimer(Timer t) override { running[t] = false; }
  void SendToSetupPort(const std::string& host, const std::string& data) override {
    sent.push_back({host, data});
  }
  std::uint8_t LastOpcode() const { return static_cast<std::uint8_t>(sent.back().data[3]); }
};

std::string UnitPacket(std::uint8_t opcode, std::size_t size = 4) {
  std::string p(size, '\0');
  p[1] = 0x01;
  p[3] = static_cast<char>(opcode);
  return p;
}

std::string SearchAnswer(const std::array<std::uint8_t, 6>& mac) {
  std::string p = UnitPacket(kSearchAnswer, 30);
  for (std::size_t i = 0; i < 6; ++i)
    p[24 + i] = static_cast<char>(mac[i]);
  return p;
}

std::string PortAnswer(std::uint8_t low, std::uint8_t high) {
  std::string p = UnitPacket(kPortAnswer, 26);
  p[24] = static_cast<char>(low);
  p[25] = static_cast<char>(high);
  return p;
}

class SetupProtocolTest : public ::testing::Test {
 protected:
  SetupProtocolTest() {
    settings.UnitMac = {0x00, 0x20, 0x4A, 0xE0, 0x2C, 0xBE};
    settings.UnitIp = {203, 0, 113, 10};
    settings.HostBits = 8;
  }
  void Receive(std::string_view datagram, const std::string& sender, int port = kSetupPort) {
    protocol.HandleSetupDatagram(datagram, sender, port);
  }
  // Runs a setup until the unit has been found and the record is out.
  void FoundUnit() {
    protocol.StartSetupRun();
    protocol.Timer2Timer();
    Receive(SearchAnswer(settings.UnitMac), window.unitIp);
    ASSERT_EQ(window.LastOpcode(), kSetupRecord);
  }
  // Everything about the protocol that a datagram could change.
  std::string Snapshot() const {
    return std::to_string(protocol.SetupInProgress()) + std::to_string(protocol.SetupWritten()) +
           std::to_string(protocol.PollTicks()) + protocol.ConfirmedUnitIp() + "|" +
           std::to_string(protocol.CommandPort()) + "|" + window.status + "|" +
           std::to_string(window.sent.size()) + std::to_string(window.running.at(Timer::kPoll)) +
           std::to_string(window.running.at(Timer::kSetupLimit));
  }

  NetUnitSettings settings;
  FakeWindow window;
  NetSetupProtocol protocol{window, settings};
};

TEST_F(SetupProtocolTest, PortQueryMakesUnitReady) {
  protocol.RestartUnitPoll();
  EXPECT_EQ(window.status, "Wait .");
  EXPECT_EQ(window.unitIpCaption, "IP address (x.x.x.x):");
  EXPECT_TRUE(window.running[Timer::kPoll]);
  protocol.Timer2Timer();
  EXPECT_EQ(window.status, "Wait ..");
  ASSERT_EQ(window.sent.size(), 1U);
  EXPECT_EQ(window.sent[0].host, "203.0.113.10");
  EXPECT_EQ(window.sent[0].data, PortQuery());

  Receive(PortAnswer(0x11, 0x27), "203.0.113.10");
  EXPECT_EQ(protocol.CommandPort(), 10001);
  EXPECT_EQ(window.unitIpCaption, "IP address (x.x.x.x):10001");
  EXPECT_TRUE(window.ready);
  EXPECT_EQ(window.status, "Unit ready");
  EXPECT_FALSE(window.running[Timer::kPoll]);
}

TEST_F(SetupProtocolTest, NoAnswerEndsInTimeoutAfterTenQueries) {
  protocol.StartSetupRun();
  ASSERT_EQ(window.sent.size(), 1U);
  EXPECT_EQ(window.sent[0].host, "255.255.255.255");
  EXPECT_EQ(window.sent[0].data, AddressAnnouncement(settings));
  EXPECT_TRUE(window.running[Timer::kSetupLimit]);
  for (int tick = 1; tick <= 10; ++tick) {
    protocol.Timer2Timer();
    EXPECT_EQ(window.sent.back().data, SearchQuery(tick));
    EXPECT_EQ(static_cast<int>(window.sent.back().data[1]), tick % 2);
  }
  EXPECT_EQ(window.status, "Wait ." + std::string(10, '.'));
  protocol.Timer2Timer();
  EXPECT_EQ(window.status, "Timeout error");
  EXPECT_EQ(window.sent.size(), 11U);
  EXPECT_FALSE(window.running[Timer::kPoll]);
  EXPECT_FALSE(protocol.SetupInProgress());
  EXPECT_TRUE(window.running[Timer::kSetupLimit]);  // keeps running until it expires
  protocol.Timer3Timer();
  EXPECT_FALSE(window.running[Timer::kSetupLimit]);
  EXPECT_EQ(window.status, "Timeout error");
}

TEST_F(SetupProtocolTest, WholeSetupRunMessageByMessage) {
  FoundUnit();
  EXPECT_EQ(window.sent.back().host, "203.0.113.10");
  EXPECT_EQ(window.sent.back().data, SetupRecord(settings));
  EXPECT_FALSE(window.running[Timer::kPoll]);
  EXPECT_EQ(window.status, "Wait ..x");

  Receive(UnitPacket(kSetupAcknowledgement), "203.0.113.10");
  EXPECT_EQ(window.sent.back().data, ConfigurationBlock(0xC2));
  for (std::uint8_t request = 0xB2; request <= 0xB6; ++request) {
    Receive(UnitPacket(request), "203.0.113.10");
    EXPECT_EQ(window.sent.back().data,
              ConfigurationBlock(static_cast<std::uint8_t>(request + 0x11)));
    EXPECT_EQ(window.sent.back().host, "203.0.113.10");
  }
  Receive(UnitPacket(0xB7), "203.0.113.10");
  EXPECT_EQ(window.sent.back().data, FinishPacket());
  EXPECT_EQ(window.status, "Wait ..xxxxxxxR");
  EXPECT_TRUE(protocol.SetupWritten());
  EXPECT_EQ(protocol.PollTicks(), 0);
  EXPECT_TRUE(window.running[Timer::kPoll]);

  protocol.Timer2Timer();
  EXPECT_EQ(window.sent.back().data, SearchQuery(1));
  protocol.Timer2Timer();
  protocol.Timer2Timer();
  Receive(SearchAnswer(settings.UnitMac), "203.0.113.10");
  EXPECT_EQ(window.status, "Succesfully set");
  EXPECT_FALSE(protocol.SetupInProgress());
  EXPECT_FALSE(window.running[Timer::kSetupLimit]);
  EXPECT_TRUE(window.running[Timer::kPoll]);

  // Port queries use the ticks left in the run: seven after the third tick.
  for (int tick = 4; tick <= 10; ++tick) {
    protocol.Timer2Timer();
    EXPECT_EQ(window.sent.back().data, PortQuery());
  }
  EXPECT_EQ(window.status, "Succesfully set.......");
  protocol.Timer2Timer();
  EXPECT_EQ(window.status, "Timeout error");
}

TEST_F(SetupProtocolTest, DatagramsThatMustBeIgnoredChangeNothing) {
  FoundUnit();
  std::string foreignMac = SearchAnswer({0x00, 0x20, 0x4A, 0xE0, 0x2C, 0xBF});
  std::string badHeader = UnitPacket(kSetupAcknowledgement);
  badHeader[1] = 0x02;
  std::string badHeader2 = UnitPacket(kSetupAcknowledgement);
  badHeader2[0] = 0x01;
  const struct {
    const char* what;
    std::string datagram;
    std::string sender;
  } rows[] = {
      {"ack from another address", UnitPacket(kSetupAcknowledgement), "203.0.113.11"},
      {"block request from another address", UnitPacket(0xB3), "203.0.113.11"},
      {"last request from another address", UnitPacket(0xB7), "203.0.113.11"},
      {"search answer, foreign MAC", foreignMac, "203.0.113.10"},
      {"search answer, wrong sender", SearchAnswer(settings.UnitMac), "203.0.113.99"},
      {"port answer while setting up", PortAnswer(1, 2), "203.0.113.10"},
      {"bad header byte 1", badHeader, "203.0.113.10"},
      {"bad header byte 0", badHeader2, "203.0.113.10"},
      {"unknown opcode", UnitPacket(0xB8), "203.0.113.10"},
      {"text datagram", "A000A,ON\n", "203.0.113.10"},
      {"empty", "", "203.0.113.10"},
  };
  for (const auto& row : rows) {
    const std::string before = Snapshot();
    Receive(row.datagram, row.sender);
    EXPECT_EQ(Snapshot(), before) << row.what;
  }
  // Every cut of a valid answer either acts as the zero-filled answer or changes nothing.
  const std::string valid = SearchAnswer(settings.UnitMac);
  for (std::size_t length = 0; length < valid.size(); ++length) {
    const std::string before = Snapshot();
    Receive(valid.substr(0, length), "203.0.113.10");
    EXPECT_EQ(Snapshot(), before) << "search answer cut to " << length;
  }
}

TEST_F(SetupProtocolTest, ShortSearchAnswerComparesZerosAtMissingBytes) {
  settings.UnitMac = {0x00, 0x20, 0x4A, 0xE0, 0x00, 0x00};
  protocol.StartSetupRun();
  std::string answer = SearchAnswer(settings.UnitMac).substr(0, 28);
  Receive(answer, "203.0.113.10");
  EXPECT_EQ(window.LastOpcode(), kSetupRecord);
}

TEST_F(SetupProtocolTest, LeadingZerosInTheTypedAddressNeverMatchTheSender) {
  window.unitIp = "203.000.113.010";
  protocol.StartSetupRun();
  Receive(SearchAnswer(settings.UnitMac), "203.0.113.10");
  EXPECT_EQ(window.LastOpcode(), kAddressAnnouncement);
}

TEST_F(SetupProtocolTest, WritesHappenOnlyInsideARun) {
  FoundUnit();
  protocol.RestartUnitPoll();  // no run under way any more
  const std::string before = Snapshot();
  Receive(UnitPacket(kSetupAcknowledgement), "203.0.113.10");
  for (std::uint8_t request = kBlockRequestFirst; request <= kBlockRequestLast; ++request)
    Receive(UnitPacket(request), "203.0.113.10");
  Receive(SearchAnswer(settings.UnitMac), "203.0.113.10");
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(SetupProtocolTest, AStrangerCannotStartAWrite) {
  // Before any setup the MAC is all zeros, so a bare 00 00 00 F7 would match it.
  settings.UnitMac = {};
  protocol.RestartUnitPoll();
  const std::string before = Snapshot();
  Receive(UnitPacket(kSearchAnswer, 4), "203.0.113.10");
  for (std::uint8_t request = kBlockRequestFirst; request <= kBlockRequestLast; ++request)
    Receive(UnitPacket(request), "203.0.113.10");
  Receive(UnitPacket(kSearchAnswer, 4), "203.0.113.10");
  EXPECT_EQ(Snapshot(), before);
  EXPECT_NE(window.status, "Succesfully set");
}

TEST_F(SetupProtocolTest, InsideARunOnlyTheSetupPortCounts) {
  protocol.StartSetupRun();
  protocol.Timer2Timer();
  std::string before = Snapshot();
  Receive(SearchAnswer(settings.UnitMac), "203.0.113.10", 10001);
  EXPECT_EQ(Snapshot(), before) << "search answer from the command port";
  Receive(SearchAnswer(settings.UnitMac), "203.0.113.10");
  ASSERT_EQ(window.LastOpcode(), kSetupRecord);
  for (const std::uint8_t opcode :
       {std::uint8_t{kSetupAcknowledgement}, std::uint8_t{0xB2}, std::uint8_t{kBlockRequestLast}}) {
    before = Snapshot();
    Receive(UnitPacket(opcode), "203.0.113.10", 30719);
    EXPECT_EQ(Snapshot(), before) << "opcode " << int{opcode} << " from port 30719";
  }
}

TEST_F(SetupProtocolTest, PortAnswerComesFromAnyPort) {
  protocol.RestartUnitPoll();
  Receive(PortAnswer(0x74, 0x27), "203.0.113.10", 10001);
  EXPECT_EQ(protocol.CommandPort(), 10100);
  EXPECT_EQ(window.status, "Unit ready");
}

TEST_F(SetupProtocolTest, SecondRunDoesNotRestartTheRunningLimit) {
  protocol.StartSetupRun();
  protocol.Timer2Timer();
  protocol.StartSetupRun();
  EXPECT_EQ(window.starts[Timer::kSetupLimit], 1);
  EXPECT_EQ(window.starts[Timer::kPoll], 1);  // the poll timer's period runs on too
  EXPECT_EQ(window.status, "Wait .");
}

// A unit set in an earlier run stays the confirmed address until the next unit answers; its late
// (or forged) messages must not count in the new run before that unit got its own record.
TEST_F(SetupProtocolTest, AnEarlierUnitsMessagesDoNotCountInTheNextRun) {
  const std::string unitA = window.unitIp;
  const std::string unitB = "203.0.113.20";
  const std::array<std::uint8_t, 6> macA = settings.UnitMac;
  const std::array<std::uint8_t, 6> macB = {0x00, 0x20, 0x4A, 0xE0, 0x2C, 0xBF};
  const struct {
    const char* what;
    std::uint8_t opcode;
  } stale[] = {
      {"setup acknowledgement", kSetupAcknowledgement},
      {"first block request", kBlockRequestFirst},
      {"last block request", kBlockRequestLast},
  };
  for (const auto& row : stale) {
    window.unitIp = unitA;
    settings.UnitMac = macA;
    FoundUnit();  // unit A found and its record sent: A is the confirmed address
    protocol.RestartUnitPoll();

    window.unitIp = unitB;
    settings.UnitMac = macB;
    protocol.StartSetupRun();
    protocol.Timer2Timer();
    ASSERT_EQ(protocol.ConfirmedUnitIp(), unitA);
    const std::size_t sentBefore = window.sent.size();
    Receive(UnitPacket(row.opcode), unitA);
    EXPECT_EQ(window.sent.size(), sentBefore) << row.what << " from A answered";
    EXPECT_FALSE(protocol.SetupWritten()) << row.what;
    Receive(SearchAnswer(macB), unitB);
    EXPECT_NE(window.status, "Succesfully set") << row.what;
    EXPECT_EQ(window.LastOpcode(), kSetupRecord) << row.what;
    EXPECT_EQ(window.sent.back().host, unitB) << row.what;
    // B's record is out: A's messages still do not count, B's do.
    Receive(UnitPacket(kBlockRequestLast), unitA);
    EXPECT_EQ(window.LastOpcode(), kSetupRecord) << row.what;
    Receive(UnitPacket(kBlockRequestLast), unitB);
    EXPECT_EQ(window.LastOpcode(), kFinish) << row.what;
    EXPECT_TRUE(protocol.SetupWritten()) << row.what;
    protocol.RestartUnitPoll();
  }
}

// The phase and outcome a caller reads instead of the caption, along each way a run can end.
TEST_F(SetupProtocolTest, PhaseAndOutcomeFollowTheRun) {
  EXPECT_EQ(protocol.Phase(), SetupPhase::kIdle);
  EXPECT_EQ(window.status, "");  // nothing shown before the first step
  EXPECT_EQ(protocol.Status(), PhaseCaption(SetupPhase::kIdle));

  // Not found: no search answer before the eleventh tick.
  protocol.StartSetupRun();
  EXPECT_EQ(protocol.Phase(), SetupPhase::kWaiting);
  EXPECT_EQ(protocol.RunOutcome(), SetupOutcome::kRunning);
  for (int tick = 1; tick <= 11; ++tick) {
    protocol.Timer2Timer();
  }
  EXPECT_EQ(protocol.Phase(), SetupPhase::kTimeout);
  EXPECT_EQ(window.status, PhaseCaption(SetupPhase::kTimeout));
  EXPECT_EQ(protocol.RunOutcome(), SetupOutcome::kNotFound);

  // Not confirmed: the record went out, then the limit ran out.
  FoundUnit();
  EXPECT_EQ(protocol.RunOutcome(), SetupOutcome::kRunning);
  protocol.Timer3Timer();
  EXPECT_EQ(protocol.RunOutcome(), SetupOutcome::kNotConfirmed);

  // Set, then found again by a port query.
  FoundUnit();
  Receive(UnitPacket(kSetupAcknowledgement), window.unitIp);
  for (std::uint8_t request = 0xB2; request <= 0xB7; ++request) {
    Receive(UnitPacket(request), window.unitIp);
  }
  EXPECT_EQ(protocol.RunOutcome(), SetupOutcome::kRunning);
  Receive(SearchAnswer(settings.UnitMac), window.unitIp);
  EXPECT_EQ(protocol.Phase(), SetupPhase::kSet);
  EXPECT_EQ(window.status, "Succesfully set");
  EXPECT_EQ(protocol.RunOutcome(), SetupOutcome::kSet);
  protocol.Timer2Timer();
  Receive(PortAnswer(0x11, 0x27), window.unitIp);
  EXPECT_EQ(protocol.Phase(), SetupPhase::kUnitReady);
  EXPECT_EQ(protocol.RunOutcome(), SetupOutcome::kSet);
}

TEST_F(SetupProtocolTest, ConcernsTheTypedAddressAndTheUnitFoundThere) {
  EXPECT_TRUE(protocol.ConcernsSender("203.0.113.10"));
  EXPECT_FALSE(protocol.ConcernsSender("203.0.113.11"));
  EXPECT_FALSE(protocol.ConcernsSender(""));
  FoundUnit();
  window.unitIp = "203.0.113.20";  // the field edited while the unit is written
  EXPECT_TRUE(protocol.ConcernsSender("203.0.113.10"));
  EXPECT_TRUE(protocol.ConcernsSender("203.0.113.20"));
  EXPECT_FALSE(protocol.ConcernsSender("203.0.113.11"));
}

}  // namespace
}  // namespace vidideza
