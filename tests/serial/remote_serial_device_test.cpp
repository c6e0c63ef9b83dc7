// The serial link on ports at a serial device server: the port itself, over loopback, against
// a server in the test (tests/serial/rfc2217_peer.h).
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "rfc2217_peer.h"
#include "serial/com_error.h"
#include "serial/com_port.h"
#include "serial_test_support.h"
#include "test_ui_loop.h"

namespace vidideza {
namespace {

using std::chrono::milliseconds;

std::string Command(ComPortCommand command, std::string value) {
  return std::string(1, static_cast<char>(command)) + value;
}

class RemoteSerialDeviceTest : public ::testing::TestWithParam<bool> {
 protected:
  UnitLine UnitEnd() {
    return {[this](const std::string& bytes) { peer.Send(bytes); },
            [this](std::size_t count, milliseconds limit) { return peer.Receive(count, limit); }};
  }
  bool Telnet() const { return GetParam(); }

  Rfc2217Peer peer{GetParam()};
  TestUiLoop ui;
  TComPort port{ui.dispatcher};
};

INSTANTIATE_TEST_SUITE_P(BothForms, RemoteSerialDeviceTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Rfc2217" : "RawSocket"; });

TEST_P(RemoteSerialDeviceTest, EveryByteValueTravelsBothWays) {
  ConfigureAsTool(port, peer.Name());
  CheckEveryByteValueTravelsBothWays(port, ui, UnitEnd());
}

TEST_P(RemoteSerialDeviceTest, RoundsWithRepliesInPiecesComeWhole) {
  ConfigureAsTool(port, peer.Name());
  CheckRoundsWithRepliesInPieces(port, ui, UnitEnd(), 200);
}

TEST_P(RemoteSerialDeviceTest, StreamedRepliesInPiecesComeWholeWithoutAnError) {
  ConfigureAsTool(port, peer.Name());
  CheckStreamedRepliesInPiecesComeWholeWithoutAnError(port, ui, UnitEnd(), 200);
}

TEST_P(RemoteSerialDeviceTest, CloseWithAPendingHandOverRunsItWithoutDeadlock) {
  ConfigureAsTool(port, peer.Name());
  CheckCloseWithAPendingHandOverRunsItWithoutDeadlock(port, UnitEnd());
}

TEST_P(RemoteSerialDeviceTest, TheLineIsSetAtTheServerAndItsBuffersPurgedAtOpen) {
  ConfigureAsTool(port, peer.Name());
  port.Open();
  const std::vector<std::string> wanted = {
      Command(ComPortCommand::kPurgeData, "\x01"),
      Command(ComPortCommand::kPurgeData, "\x02"),
      Command(ComPortCommand::kSetBaudRate, std::string("\0\0\x25\x80", 4)),
      Command(ComPortCommand::kSetDataSize, "\x08"),
      Command(ComPortCommand::kSetParity, "\x01"),
      Command(ComPortCommand::kSetStopSize, "\x02"),
      Command(ComPortCommand::kSetControl, "\x01"),
  };
  EXPECT_EQ(peer.Commands(), Telnet() ? wanted : std::vector<std::string>{});
}

TEST_P(RemoteSerialDeviceTest, TheServerGoingAwayIsReportedOnceAndThePortComesBackByItself) {
  std::string received;
  ConfigureAsTool(port, peer.Name());
  port.SetOnRxChar([&](TCustomComPort& p) { received += p.ReadText(); });
  port.Open();
  ASSERT_TRUE(peer.WaitForConnections(1, milliseconds(2000)));
  peer.Send("A000A,O");  // half a line, cut by the server's going
  ASSERT_TRUE(ui.PumpUntil([&] { return received == "A000A,O"; }));

  peer.Listen(false);
  peer.Drop();
  ASSERT_TRUE(ui.PumpUntil([&] { return !ui.errors.empty(); }));
  ui.PumpFor(milliseconds(1200));  // the watch looks again and again, quietly
  ASSERT_EQ(ui.errors.size(), 1U);
  const std::string server = "Serial server 127.0.0.1, port " + std::to_string(peer.port());
  EXPECT_TRUE(ui.errors[0] == server + ": Connection reset by peer." ||
              ui.errors[0] == server + ": Broken pipe.")
      << ui.errors[0];

  peer.Listen(true);
  const int before = peer.Connections();
  // The port is back when the server has taken a connection that stays.
  ASSERT_TRUE(ui.PumpUntil([&] { return peer.WaitForConnections(before + 2, milliseconds(1)); },
                           milliseconds(6000)));
  ui.PumpFor(milliseconds(100));
  peer.Send("N,OK\n");
  ASSERT_TRUE(ui.PumpUntil([&] { return received == "A000A,ON,OK\n"; }));
  port.WriteText("A000A,OF\r");
  EXPECT_EQ(peer.Receive(9, milliseconds(2000)), "A000A,OF\r");
  EXPECT_EQ(ui.errors.size(), 1U);
}

TEST(RemoteSerialDevice, ARefusedSettingIsNamedAndThePortNotUsed) {
  Rfc2217Peer peer;
  peer.RefuseBaudRate(4800);
  TestUiLoop ui;
  TComPort port{ui.dispatcher};
  ConfigureAsTool(port, peer.Name());
  ExpectError([&] { port.Open(); },
              "The serial server 127.0.0.1, port " + std::to_string(peer.port()) +
                  " refused baud rate 9600, it set 4800",
              0);
  EXPECT_FALSE(port.Active());
}

TEST(RemoteSerialDevice, NoServerAndBadNamesFailAtOnceWithTheirCause) {
  TestUiLoop ui;
  TComPort port{ui.dispatcher};
  std::uint16_t unused = 0;
  {
    const Rfc2217Peer gone;  // a port that was just free
    unused = gone.port();
  }
  ConfigureAsTool(port, "rfc2217://127.0.0.1:" + std::to_string(unused));
  const auto start = std::chrono::steady_clock::now();
  ExpectError([&] { port.Open(); },
              "Serial server 127.0.0.1, port " + std::to_string(unused) + ": Connection refused",
              ECONNREFUSED);
  EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(1000));
  ConfigureAsTool(port, "socket://127.0.0.1");
  ExpectError([&] { port.Open(); },
              "\"socket://127.0.0.1\" is no network port name: the port number is missing: "
              "HOST:PORT",
              0);
}

}  // namespace
}  // namespace vidideza
