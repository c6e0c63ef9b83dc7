#include "net/udp_server.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "net/socket_errors.h"
#include "test_ui_loop.h"
#include "udp_peer.h"

namespace vidideza {
namespace {

using std::chrono::milliseconds;

struct Delivery {
  std::string data;
  std::string senderIp;
  int senderPort = 0;
  std::thread::id thread;
};

class UdpServerTest : public ::testing::Test {
 protected:
  UdpServerTest() {
    server.BroadcastEnabled = true;
    server.OnUDPRead = [this](TIdUDPServer&, std::string_view data, TIdSocketHandle& binding) {
      deliveries.push_back(
          {std::string(data), binding.SenderIP, binding.SenderPort, std::this_thread::get_id()});
      if (throwInHandler) {
        throw std::runtime_error("handler failed");
      }
    };
  }
  ~UdpServerTest() override { server.SetActive(false); }

  // The window's rebinding sequence.
  void Bind(int port) {
    server.SetActive(false);
    server.DefaultPort = port;
    server.ClearBindings();
    TIdSocketHandle& binding = server.AddBinding();
    binding.IP = "0.0.0.0";
    binding.Port = port;
    server.SetActive(true);
  }
  int BoundPort() const { return server.Bindings().front()->Port; }

  TestUiLoop ui;
  TIdUDPServer server{ui.dispatcher};
  std::vector<Delivery> deliveries;
  bool throwInHandler = false;
};

TEST_F(UdpServerTest, BindsTheLowSixteenBitsOfThePortOnEveryAddress) {
  Bind(0);
  EXPECT_TRUE(server.Active());
  EXPECT_GT(BoundPort(), 0);  // the system chose one
  EXPECT_EQ(server.Bindings().front()->IP, "0.0.0.0");

  const int free = UdpPeer().port();  // a port that was free a moment ago
  Bind(free + 65536);
  EXPECT_EQ(BoundPort(), free);
}

TEST_F(UdpServerTest, PortHeldByAnotherSocketIsRefusedAndLeavesTheEndpointInactive) {
  const UdpPeer holder;
  // The peer holds the port on 127.0.0.1; binding every address to it collides.
  try {
    Bind(holder.port());
    FAIL() << "bind succeeded";
  } catch (const EIdCouldNotBindSocket& e) {
    EXPECT_STREQ(e.message(), "Could not bind socket. Address and port are already in use.");
  }
  EXPECT_FALSE(server.Active());
}

TEST_F(UdpServerTest, DeliversWholeDatagramsUpToTheBufferSizeOnTheUiThread) {
  Bind(0);
  const UdpPeer peer;
  const std::string full(8192, 'x');
  peer.SendTo(BoundPort(), "");
  peer.SendTo(BoundPort(), std::string(8193, 'y'));  // too long: dropped whole, silently
  peer.SendTo(BoundPort(), full);
  peer.SendTo(BoundPort(), "A000A,ON\n");
  ASSERT_TRUE(ui.PumpUntil([&] { return deliveries.size() >= 3; }));
  ui.PumpFor(milliseconds(100));
  ASSERT_EQ(deliveries.size(), 3U);
  EXPECT_EQ(deliveries[0].data, "");
  EXPECT_EQ(deliveries[1].data, full);
  EXPECT_EQ(deliveries[2].data, "A000A,ON\n");
  for (const auto& d : deliveries) {
    EXPECT_EQ(d.senderIp, "127.0.0.1");
    EXPECT_EQ(d.senderPort, peer.port());
    EXPECT_EQ(d.thread, std::this_thread::get_id());
  }
}

TEST_F(UdpServerTest, AnErrorInTheHandlerIsDroppedAndTheNextDatagramStillComes) {
  Bind(0);
  throwInHandler = true;
  const UdpPeer peer;
  peer.SendTo(BoundPort(), "first");
  peer.SendTo(BoundPort(), "second");
  ASSERT_TRUE(ui.PumpUntil([&] { return deliveries.size() == 2; }));
  EXPECT_EQ(deliveries[1].data, "second");
  EXPECT_TRUE(ui.errors.empty());
}

TEST_F(UdpServerTest, SendsLeaveFromTheServerPort) {
  Bind(0);
  const UdpPeer peer;
  server.SendDatagram("127.0.0.1", peer.port(), "A000A,ON\n");
  server.SendDatagram("localhost", peer.port(), "");
  server.SendDatagram("LocalHost", peer.port() + 65536, "x");
  const auto first = peer.Receive();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->data, "A000A,ON\n");
  EXPECT_EQ(first->fromPort, BoundPort());
  const auto empty = peer.Receive();
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->data, "");
  const auto third = peer.Receive();
  ASSERT_TRUE(third);
  EXPECT_EQ(third->data, "x");
}

TEST_F(UdpServerTest, SendWhileInactiveBindsFirst) {
  server.DefaultPort = 0;
  const UdpPeer peer;
  EXPECT_FALSE(server.Active());
  server.SendDatagram("127.0.0.1", peer.port(), "hello");
  EXPECT_TRUE(server.Active());
  const auto got = peer.Receive();
  ASSERT_TRUE(got);
  EXPECT_EQ(got->fromPort, BoundPort());
}

TEST_F(UdpServerTest, SendFailuresCarryTheirMessages) {
  Bind(0);
  const UdpPeer peer;
  try {
    server.SendDatagram("127.0.0.1", peer.port(), std::string(70000, 'z'));
    FAIL() << "an oversized datagram was sent";
  } catch (const EIdPackageSizeTooBig& e) {
    EXPECT_STREQ(e.message(), "Package Size Too Big.");
  }
  // Port 0 goes to the platform unchanged, which refuses it with its own number and text
  // (EINVAL 22 on Linux; Windows has its own numbering).
  try {
    server.SendDatagram("127.0.0.1", 0, "A000A,ON\n");
    FAIL() << "sent to port 0";
  } catch (const EIdSocketError& e) {
    const std::string head = "Socket Error # " + std::to_string(e.LastError()) + "\r\n";
    const std::string message = e.message();
    EXPECT_NE(e.LastError(), 0);
    EXPECT_EQ(message.substr(0, head.size()), head);
    EXPECT_GT(message.size(), head.size()) << "no text for the number";
  }
}

TEST_F(UdpServerTest, ResolvesLocalhostAndDottedAddressesWithoutALookup) {
  const struct {
    const char* host;
    const char* address;
  } rows[] = {
      {"localhost", "127.0.0.1"},      {"LOCALHOST", "127.0.0.1"},
      {"127.0.0.1", "127.0.0.1"},      {"$7F.0.0.1", "127.0.0.1"},
      {"203.0.113.07", "203.0.113.7"}, {"255.255.255.255", "255.255.255.255"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ResolveHost(row.host), row.address) << row.host;
  }
}

TEST_F(UdpServerTest, DeactivationDoesNotSitOutTheListenersWait) {
  Bind(0);
  ui.PumpFor(milliseconds(50));  // the listener is in its one-second wait now
  const auto start = std::chrono::steady_clock::now();
  server.SetActive(false);
  EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(50));
  EXPECT_FALSE(server.Active());
  // The port is free again at once.
  const int port = server.Bindings().front()->Port;
  EXPECT_NO_THROW(Bind(port));
}

TEST_F(UdpServerTest, DeactivationRunsADeliveryAlreadyQueued) {
  Bind(0);
  const UdpPeer peer;
  peer.SendTo(BoundPort(), "last");
  std::this_thread::sleep_for(milliseconds(100));  // the listener now waits in its hand-over
  server.SetActive(false);
  ASSERT_EQ(deliveries.size(), 1U);
  EXPECT_EQ(deliveries[0].data, "last");
}

TEST_F(UdpServerTest, RebindAndSendWhileDatagramsFlow) {
  Bind(0);
  const int port = BoundPort();
  std::atomic<bool> done{false};
  std::thread peerThread([&] {
    const UdpPeer peer;
    while (!done) {
      peer.SendTo(static_cast<std::uint16_t>(port), "A000A,ST\n");
    }
  });
  const UdpPeer sink;
  for (int round = 0; round < 50; ++round) {
    Bind(port);
    server.SendDatagram("127.0.0.1", sink.port(), "A000A,ON\n");
    ui.PumpFor(milliseconds(2));
  }
  done = true;
  peerThread.join();
  server.SetActive(false);
  EXPECT_FALSE(deliveries.empty());
  for (const auto& d : deliveries) {
    EXPECT_EQ(d.data, "A000A,ST\n");
  }
}

}  // namespace
}  // namespace vidideza
