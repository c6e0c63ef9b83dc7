// The command line run in the test's process, against a pseudo-terminal playing a QVX-RS unit.
#include "commands.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <thread>

#include "serial/pseudo_terminal.h"
#include "test_temp_dir.h"

using namespace qvxctl;
using vidideza::PseudoTerminal;

namespace {

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

// A unit that answers each line with the line and ",OK", and keeps what it got; it may read
// nothing at first, as a unit busy with something else.
class EchoUnit {
 public:
  explicit EchoUnit(std::chrono::milliseconds deaf = {})
      : deaf_(deaf), thread_([this] { Serve(); }) {}
  ~EchoUnit() {
    stop_ = true;
    thread_.join();
  }
  const std::string& path() const { return pty_.path(); }
  std::string Got() {
    const std::lock_guard lock(mutex_);
    return got_;
  }

 private:
  void Serve() {
    std::this_thread::sleep_for(deaf_);
    std::string pending;
    while (!stop_) {
      const std::string bytes = pty_.Receive(1, std::chrono::milliseconds(20));
      {
        const std::lock_guard lock(mutex_);
        got_ += bytes;
      }
      pending += bytes;
      for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
        // Late enough that every line has gone before the first reply.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pty_.Send(pending.substr(0, end) + ",OK\n");
        pending.erase(0, end + 1);
      }
    }
  }

  PseudoTerminal pty_;
  std::mutex mutex_;
  std::string got_;
  std::atomic<bool> stop_{false};
  std::chrono::milliseconds deaf_;
  std::thread thread_;
};

ToolRun RunWith(std::vector<std::string> words, std::optional<bool> answer = std::nullopt,
                std::string* asked = nullptr) {
  std::ostringstream out;
  std::ostringstream err;
  Console console{out, err, [&](const std::string& question) {
                    if (asked != nullptr) {
                      *asked = question;
                    }
                    return answer;
                  }};
  const int status = RunCommandLine(words, console);
  return {status, out.str(), err.str()};
}

}  // namespace

TEST(CommandLineTest, SendStampsLinesAndShowsAndLogsThemAsTheWindowDoes) {
  const vidideza::CurrentTempDir dir;
  EchoUnit unit;
  const ToolRun run = RunWith({"send", "--serial", unit.path(), "--address", "18", "--code", "c",
                               "--wait", "0.3", "--log", "t.log", "A000A,ON", "xxxxxx,SV"});
  EXPECT_EQ(run.status, 0) << run.err;
  // The port stays as each line has it.
  EXPECT_EQ(unit.Got(), "A120C,ON\nA12xC,,SV\n");
  EXPECT_EQ(run.out, "SND: A120C,ON\nSND: A12xC,,SV\nRCV: A120C,ON,OK\nRCV: A12xC,,SV,OK\n");
  EXPECT_EQ(vidideza::FileText("t.log"),
            "SND: A120C,ON\r\nSND: A12xC,,SV\r\nRCV: A120C,ON,OK\r\nRCV: A12xC,,SV,OK\r\n");

  // The log is appended to; without head options a line goes as it is.
  const std::size_t logged = vidideza::FileText("t.log").size();
  const ToolRun json = RunWith(
      {"send", "--serial", unit.path(), "--wait", "0.3", "--json", "--log", "t.log", "x\"y"});
  EXPECT_EQ(json.status, 0) << json.err;
  EXPECT_EQ(json.out, "{\"sent\": [\"x\\\"y\"], \"received\": [\"x\\\"y,OK\"]}\n");
  EXPECT_EQ(vidideza::FileText("t.log").substr(logged), "SND: x\"y\r\nRCV: x\"y,OK\r\n");
}

// The tool ends at once after its last line with --wait 0, and closing a port discards what it
// has not sent: every line shown as sent must have left before, even to a unit slow to read
// and a line longer than the line's buffers hold.
TEST(CommandLineTest, EveryLineShownAsSentHasLeftWhenTheToolEnds) {
  EchoUnit unit(std::chrono::milliseconds(500));
  const std::string line(300000, 'x');
  const ToolRun run = RunWith({"send", "--serial", unit.path(), "--wait", "0", line});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "SND: " + line + "\n");
  for (int i = 0; i < 250 && unit.Got().size() < line.size() + 1; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(unit.Got().size(), line.size() + 1);
  EXPECT_EQ(unit.Got(), line + "\n");
}

TEST(CommandLineTest, SetupCommandsAskFirstAndSendNothingUnconfirmed) {
  EchoUnit unit;
  std::string asked;
  ToolRun run = RunWith({"setup-unit", "--serial", unit.path(), "--address", "18", "--last-port",
                         "7", "--wait", "0.1"},
                        std::nullopt, &asked);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(asked, "Do you want to set control unit parameters ?");
  EXPECT_EQ(
      run.err,
      "qvxctl setup-unit: no terminal to ask on; give --yes to set the unit without asking\n");
  run = RunWith(
      {"setup-port", "--serial", unit.path(), "--port-addr", "3", "--code", "C", "--wait", "0.1"},
      false, &asked);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(asked.substr(0, 47), "Do you want to set interface port parameters ? ");
  EXPECT_EQ(run.err, "qvxctl setup-port: not confirmed; nothing was sent\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(unit.Got(), "");

  run = RunWith({"setup-unit", "--serial", unit.path(), "--address", "18", "--last-port", "7",
                 "--wait", "0.3"},
                true);
  EXPECT_EQ(run.status, 0) << run.err;
  run = RunWith({"setup-port", "--serial", unit.path(), "--port-addr", "3", "--code", "C", "--wait",
                 "0.3", "--yes"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(unit.Got(), "PSCU=127\nALLLA,PSIP=A3C\n");
  EXPECT_EQ(run.out, "SND: ALLLA,PSIP=A3C\nRCV: ALLLA,PSIP=A3C,OK\n");
}

TEST(CommandLineTest, UsageAndFieldErrorsExitOneBeforeAnythingOpens) {
  const struct {
    std::vector<std::string> words;
    std::string err;
  } cases[] = {
      {{}, "qvxctl: give a command (qvxctl --help lists them)\n"},
      {{"flash"}, "qvxctl: unknown command \"flash\" (qvxctl --help lists them)\n"},
      {{"send", "A"}, "qvxctl send: name the unit's link: --serial PORT or --net IP\n"},
      {{"send", "--serial", "COM1", "--net", "127.0.0.1", "A"},
       "qvxctl send: name the unit's link: --serial PORT or --net IP\n"},
      {{"send", "--serial", "COM1", "--server-port", "1", "A"},
       "qvxctl send: --server-port goes with --net only\n"},
      {{"send", "--serial", "COM1"}, "qvxctl send: give at least one command line\n"},
      {{"send", "--serial", "COM1", "--address", "256", "A"},
       "--address: \"256\" is not a number from 0 to 255\n"},
      {{"setup-unit", "--serial", "COM1", "--address", "1", "--yes"},
       "qvxctl setup-unit: --last-port is needed\n"},
      {{"setup-port", "--serial", "COM1", "--port-addr", "1", "--code", "G", "--yes"},
       "--code: \"G\" is not a code: choose A to F\n"},
      {{"net-setup", "--ip", "127.0.0.1", "--mask", "255.0.0.0"},
       "qvxctl net-setup: --mac is needed\n"},
      {{"net-setup", "--mac", "00-20-4A-E0-2C-BE", "--mask", "255.0.0.0"},
       "qvxctl net-setup: --ip is needed\n"},
      {{"net-setup", "--mac", "00-20-4A-E0-2C-BE", "--ip", "127.0.0.1"},
       "qvxctl net-setup: --mask is needed (or --adapter, whose mask it takes)\n"},
      {{"net-setup", "--mac", "00-20-4A-E0-2C-BG", "--ip", "127.0.0.1", "--mask", "255.0.0.0"},
       "Wrong MAC address\n"},
      {{"net-setup", "--mac", "00-20-4A-E0-2C-BE", "--ip", "127.0.0.1", "--mask", "255.0.0.0"},
       "Wrong Server IP\n"},
      {{"net-setup", "--mac", "00-20-4A-E0-2C-BE", "--ip", "127.0.0", "--server-ip", "127.0.0.1",
        "--mask", "255.0.0.0"},
       "Wrong IP address\n"},
      {{"net-setup", "--mac", "00-20-4A-E0-2C-BE", "--server-ip", "127.0.0.1", "--ip", "127.0.0.1",
        "--mask", "255.0.255.0", "--gateway", "127.0.0.1"},
       "Wrong Mask\n"},
      {{"net-setup", "--mac", "00-20-4A-E0-2C-BE", "--server-ip", "127.0.0.1", "--ip", "127.0.0.1",
        "--mask", "255.0.0.0", "--gateway", "127.0.0"},
       "Wrong Gateway address\n"},
      {{"net-setup", "--mac", "00-20-4A-E0-2C-BE", "--server-ip", "127.0.0.1", "--ip", "127.0.0.1",
        "--mask", "255.0.0.0", "--gateway", "127.0.0.1", "--server-port", "65536"},
       "Wrong Server port\n"},
      {{"batch"}, "qvxctl batch: give one unit table (UNITS.csv)\n"},
  };
  for (const auto& c : cases) {
    const ToolRun run = RunWith(c.words);
    EXPECT_EQ(run.status, 1) << c.err;
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, "");
  }
}

TEST(CommandLineTest, LinkAndFileErrorsExitThreeWithTheirText) {
  const vidideza::CurrentTempDir dir;
  ToolRun run = RunWith({"send", "--serial", (dir.path() / "ttyUSB7").string(), "A"});
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, "No such file or directory.\n");
  EchoUnit unit;
  run =
      RunWith({"send", "--serial", unit.path(), "--log", (dir.path() / "no/t.log").string(), "A"});
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, "Invalid filename.\n");
  EXPECT_EQ(unit.Got(), "");  // the log is opened before anything is sent
  run = RunWith({"batch", "missing.csv"});
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, "qvxctl batch: cannot read missing.csv: No such file or directory\n");
  std::filesystem::create_directory("folder.csv");
  run = RunWith({"batch", "folder.csv"});
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, "qvxctl batch: cannot read folder.csv: Is a directory\n");
}

TEST(CommandLineTest, PortsListsWhatTheSelectorLists) {
  ToolRun run = RunWith({"ports"});
  EXPECT_EQ(run.status, 0);
  std::string wanted;
  for (int i = 1; i <= 9; ++i) {
    wanted += "COM" + std::to_string(i);
    const std::size_t end = run.out.find('\n', wanted.size());
    // A port of COM1 to COM9 that is there tells what it is after two blanks.
    if (end != std::string::npos && run.out.compare(wanted.size(), 2, "  ") == 0) {
      wanted = run.out.substr(0, end);
    }
    wanted += '\n';
  }
  EXPECT_EQ(run.out.substr(0, wanted.size()), wanted);
  run = RunWith({"ports", "--json"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("[\n  {\"name\": \"COM1\", \"identity\": ", 0), 0U) << run.out;
  ASSERT_GE(run.out.size(), 4U);
  EXPECT_EQ(run.out.substr(run.out.size() - 4), "}\n]\n");
}

TEST(CommandLineTest, HelpAndVersion) {
  ToolRun run = RunWith({"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("qvxctl ", 0), 0U);
  for (const char* command : {"ports", "send", "setup-unit", "setup-port", "net-setup", "batch"}) {
    run = RunWith({command, "--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind(std::string("Usage: qvxctl ") + command, 0), 0U) << run.out;
  }
  run = RunWith({"--help"});
  EXPECT_NE(run.out.find("3 a link or file error, 4 the unit took its setup record but did not"),
            std::string::npos);
}
