#include "net/net_setup_endpoint.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "base/posix_fd.h"
#include "test_ui_loop.h"

namespace vidideza {
namespace {

// A unit at a loopback address of its own (127.0.0.2, 127.0.0.3...), sending from it.
class LoopbackUnit {
 public:
  explicit LoopbackUnit(const std::string& ip) : ip_(ip) {
    sockaddr_in address = Address(ip, 0);
    ::bind(fd_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
  }
  void SendTo(int port, const std::string& data) const {
    const sockaddr_in address = Address("127.0.0.1", port);
    ::sendto(fd_.get(), data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&address),
             sizeof address);
  }
  const std::string& Ip() const { return ip_; }

 private:
  static sockaddr_in Address(const std::string& ip, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, ip.c_str(), &address.sin_addr);
    return address;
  }
  std::string ip_;
  UniqueFd fd_{::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)};
};

// A run that takes the messages of one address and records what reached it.
class RecordingRun final : public SetupMessageReceiver {
 public:
  explicit RecordingRun(std::string ip) : ip_(std::move(ip)) {}
  bool ConcernsSender(const std::string& senderIp) const override { return senderIp == ip_; }
  void HandleSetupDatagram(std::string_view datagram, const std::string& senderIp, int) override {
    received.push_back(senderIp + ": " + std::string(datagram));
    if (onReceive) {
      onReceive();
    }
  }
  std::vector<std::string> received;
  std::function<void()> onReceive;

 private:
  std::string ip_;
};

class NetSetupEndpointTest : public ::testing::Test {
 protected:
  NetSetupEndpointTest() {
    endpoint.Bind(0);
    port = endpoint.Server().Bindings().front()->Port;
  }
  // Sends from each unit in turn and waits until the endpoint has taken them all.
  void Send(const std::vector<std::pair<const LoopbackUnit*, std::string>>& datagrams) {
    const std::size_t before = seen.size();
    for (const auto& [unit, data] : datagrams) {
      unit->SendTo(port, data);
    }
    ASSERT_TRUE(ui.PumpUntil([&] { return seen.size() == before + datagrams.size(); }));
  }

  TestUiLoop ui;
  std::vector<std::string> seen;
  NetSetupEndpoint endpoint{ui.dispatcher,
                            [this](std::string_view data) { seen.emplace_back(data); }};
  int port = 0;
  LoopbackUnit unitA{"127.0.0.2"};
  LoopbackUnit unitB{"127.0.0.3"};
  LoopbackUnit stranger{"127.0.0.4"};
};

TEST_F(NetSetupEndpointTest, EachDatagramReachesOnlyTheRunOfTheUnitThatSentIt) {
  RecordingRun runA("127.0.0.2");
  RecordingRun runB("127.0.0.3");
  endpoint.Attach(runA);
  endpoint.Attach(runB);
  endpoint.Attach(runA);  // attached once, however often asked
  Send({{&unitA, "a1"}, {&unitB, "b1"}, {&stranger, "forged"}, {&unitA, "a2"}});
  EXPECT_EQ(runA.received, (std::vector<std::string>{"127.0.0.2: a1", "127.0.0.2: a2"}));
  EXPECT_EQ(runB.received, (std::vector<std::string>{"127.0.0.3: b1"}));
  // The sink sees every datagram, whoever sent it.
  EXPECT_EQ(seen, (std::vector<std::string>{"a1", "b1", "forged", "a2"}));

  endpoint.Detach(runA);
  Send({{&unitA, "a3"}, {&unitB, "b2"}});
  EXPECT_EQ(runA.received.size(), 2U);
  EXPECT_EQ(runB.received.back(), "127.0.0.3: b2");
  endpoint.Detach(runB);
}

TEST_F(NetSetupEndpointTest, ARunDetachedWhileAnotherHandlesADatagramGetsNothingMore) {
  RecordingRun first("127.0.0.2");
  RecordingRun second("127.0.0.2");
  endpoint.Attach(first);
  endpoint.Attach(second);
  first.onReceive = [&] { endpoint.Detach(second); };
  Send({{&unitA, "one"}});
  EXPECT_EQ(first.received.size(), 1U);
  EXPECT_TRUE(second.received.empty());
  endpoint.Detach(first);
}

TEST_F(NetSetupEndpointTest, BindingAgainKeepsTheRunsAttached) {
  RecordingRun run("127.0.0.2");
  endpoint.Attach(run);
  endpoint.Bind(0);
  port = endpoint.Server().Bindings().front()->Port;
  Send({{&unitA, "after"}});
  EXPECT_EQ(run.received, (std::vector<std::string>{"127.0.0.2: after"}));
  endpoint.Close();
  EXPECT_FALSE(endpoint.Server().Active());
  endpoint.Detach(run);
}

}  // namespace
}  // namespace vidideza
