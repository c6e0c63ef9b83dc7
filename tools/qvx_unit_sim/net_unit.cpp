// The QVX-NET unit: the discovery and setup protocol on UDP port 30718 and text commands on
// its command port. It answers as a unit does and reports every packet written into it.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "options.h"

namespace qvxsim {

namespace {

constexpr int kSetupPort = 30718;

int BoundSocket(int port) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    std::perror("qvx-unit-sim: bind");
    return -1;
  }
  return fd;
}

std::string Hex(const std::string& bytes) {
  std::string text;
  char pair[4];
  for (const char c : bytes) {
    std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(c));
    text += pair;
  }
  return text;
}

std::string Dotted(const std::string& bytes, std::size_t offset) {
  return std::to_string(static_cast<unsigned char>(bytes[offset])) + "." +
         std::to_string(static_cast<unsigned char>(bytes[offset + 1])) + "." +
         std::to_string(static_cast<unsigned char>(bytes[offset + 2])) + "." +
         std::to_string(static_cast<unsigned char>(bytes[offset + 3]));
}

class NetUnit {
 public:
  NetUnit(const Options& options, FILE* log, FILE* report)
      : options_(options), unit_(options.unit), log_(log), report_(report) {}

  int Run() {
    setup_ = BoundSocket(kSetupPort);
    command_ = BoundSocket(options_.commandPort);
    if (setup_ < 0 || command_ < 0)
      return 1;
    std::printf("QVX-NET unit: setup port %d, command port %d\n", kSetupPort, options_.commandPort);
    std::fflush(stdout);
    while (!StopRequested()) {
      pollfd fds[2] = {{setup_, POLLIN, 0}, {command_, POLLIN, 0}};
      if (::poll(fds, 2, 100) <= 0)
        continue;
      if ((fds[0].revents & POLLIN) != 0)
        Receive(setup_, true);
      if ((fds[1].revents & POLLIN) != 0)
        Receive(command_, false);
    }
    ::close(setup_);
    ::close(command_);
    return 0;
  }

 private:
  void Receive(int fd, bool setup) {
    std::string buffer(65536, '\0');
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t n = ::recvfrom(fd, buffer.data(), buffer.size(), 0,
                                 reinterpret_cast<sockaddr*>(&from), &length);
    if (n < 0)
      return;
    buffer.resize(static_cast<std::size_t>(n));
    if (setup) {
      OnSetupPacket(buffer, from);
    } else {
      OnCommand(buffer, from);
    }
  }

  void Send(int fd, const std::string& data, const sockaddr_in& to) {
    ::sendto(fd, data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  }

  void Report(const std::string& packet) {
    if (report_ == nullptr)
      return;
    std::fprintf(report_, "%02X %s\n", static_cast<unsigned char>(packet[3]), Hex(packet).c_str());
    std::fflush(report_);
  }

  static std::string Packet(unsigned char kind, unsigned char opcode, std::size_t size) {
    std::string p(size, '\0');
    p[1] = static_cast<char>(kind);
    p[3] = static_cast<char>(opcode);
    return p;
  }

  void OnSetupPacket(const std::string& p, const sockaddr_in& from) {
    if (p.size() < 4 || p[0] != 0 || p[2] != 0)
      return;
    const auto opcode = static_cast<unsigned char>(p[3]);
    if (opcode == 0xF8) {
      std::string answer = Packet(0, 0xF9, 30);
      answer[24] = static_cast<char>(options_.commandPort & 0xFF);
      answer[25] = static_cast<char>(options_.commandPort >> 8);
      Send(setup_, answer, from);
    } else if (opcode == 0xFC && p.size() >= 20 && p.compare(4, 8, "IP-SETUP") == 0) {
      if (static_cast<unsigned char>(p[14]) == options_.mac[4] &&
          static_cast<unsigned char>(p[15]) == options_.mac[5]) {
        announced_ = true;
        std::fprintf(log_, "announced: %s\n", Dotted(p, 16).c_str());
        Report(p);
      }
    } else if (opcode == 0xF6 && announced_) {
      std::string answer = Packet(0, 0xF7, 30);
      for (std::size_t i = 0; i < 6; ++i)
        answer[24 + i] = static_cast<char>(options_.mac[i]);
      Send(setup_, answer, from);
    } else if (opcode == 0xFA && p.size() >= 124) {
      record_ = p;
      Report(p);
      TakeTime();
      Send(setup_, Packet(1, 0xFB, 4), from);
    } else if (opcode >= 0xC2 && opcode <= 0xC7 && p.size() >= 130) {
      Report(p);
      TakeTime();
      Send(setup_, Packet(1, static_cast<unsigned char>(opcode - 0x10), 4), from);
    } else if (opcode == 0x03 && p.size() >= 6) {
      Report(p);
      TakeNewSettings();
    }
  }

  // A slow unit: the write step takes its time before it is acknowledged.
  void TakeTime() const {
    if (options_.writeDelay > 0) {
      ::usleep(static_cast<useconds_t>(options_.writeDelay * 1e6));
    }
  }

  // After the finish packet the unit works with what was written into it.
  void TakeNewSettings() {
    if (record_.size() < 124)
      return;
    server_ = sockaddr_in{};
    server_.sin_family = AF_INET;
    std::memcpy(&server_.sin_addr, record_.data() + 28, 4);
    const int port =
        static_cast<unsigned char>(record_[26]) | (static_cast<unsigned char>(record_[27]) << 8);
    server_.sin_port = htons(static_cast<std::uint16_t>(port));
    hasServer_ = true;
    std::fprintf(log_, "set: ip %s, host bits %d, gateway %s, server %s:%d\n",
                 Dotted(record_, 4).c_str(), static_cast<unsigned char>(record_[10]),
                 Dotted(record_, 16).c_str(), Dotted(record_, 28).c_str(), port);
    std::fflush(log_);
  }

  void OnCommand(std::string datagram, const sockaddr_in& from) {
    if (!datagram.empty() && datagram.back() == '\n')
      datagram.pop_back();
    std::fprintf(log_, "received: %s\n", datagram.c_str());
    std::fflush(log_);
    for (const auto& reply : AnswerCommand(unit_, datagram)) {
      Send(command_, reply + "\n", hasServer_ ? server_ : from);
    }
  }

  const Options& options_;
  UnitState unit_;
  FILE* log_;
  FILE* report_;
  int setup_ = -1;
  int command_ = -1;
  bool announced_ = false;
  std::string record_;
  sockaddr_in server_{};
  bool hasServer_ = false;
};

}  // namespace

int RunNetUnit(const Options& options, FILE* log) {
  FILE* report = options.reportPath.empty() ? nullptr : std::fopen(options.reportPath.c_str(), "a");
  NetUnit unit(options, log, report);
  const int result = unit.Run();
  if (report != nullptr)
    std::fclose(report);
  return result;
}

}  // namespace qvxsim
