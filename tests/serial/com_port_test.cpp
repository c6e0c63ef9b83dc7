#include "serial/com_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "pseudo_terminal.h"
#include "rival_reader.h"
#include "serial_test_support.h"
#include "test_temp_dir.h"
#include "test_ui_loop.h"

namespace vidideza {
namespace {

using std::chrono::milliseconds;

double ProcessCpuSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

class ComPortTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pty.ok()) << "no pseudo-terminal available"; }

  // The unit's end: the pseudo-terminal's master side.
  UnitLine UnitEnd() const {
    return {[this](const std::string& bytes) { pty.Send(bytes); },
            [this](std::size_t count, milliseconds limit) { return pty.Receive(count, limit); }};
  }

  PseudoTerminal pty;
  TestUiLoop ui;
  TComPort port{ui.dispatcher};
};

TEST_F(ComPortTest, OpenProgramsTheToolsLineSettings) {
  // Start from a line set otherwise, as another program may have left it.
  termios before{};
  ASSERT_EQ(::tcgetattr(pty.slave(), &before), 0);
  before.c_cflag |= PARENB | CRTSCTS;
  before.c_iflag |= IXON | IXOFF;
  before.c_lflag |= ICANON | ECHO;
  ::cfsetspeed(&before, B4800);
  ASSERT_EQ(::tcsetattr(pty.slave(), TCSANOW, &before), 0);

  ConfigureAsTool(port, pty.path());
  port.SetActive(true);
  ASSERT_TRUE(port.Active());

  // A pseudo-terminal always reports 8 data bits without parity; the rest is as programmed.
  termios t{};
  ASSERT_EQ(::tcgetattr(pty.master(), &t), 0);
  EXPECT_EQ(::cfgetospeed(&t), B9600);
  EXPECT_EQ(::cfgetispeed(&t), B9600);
  EXPECT_NE(t.c_cflag & CSTOPB, 0U);
  EXPECT_EQ(t.c_cflag & CRTSCTS, 0U);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0U);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0U);
  EXPECT_EQ(t.c_oflag & OPOST, 0U);
}

TEST_F(ComPortTest, DefaultSettingsLeaveTheDevicesValuesAlone) {
  termios before{};
  ASSERT_EQ(::tcgetattr(pty.slave(), &before), 0);
  before.c_cflag &= ~CSTOPB;
  before.c_iflag |= IXON;
  ::cfsetspeed(&before, B4800);
  ASSERT_EQ(::tcsetattr(pty.slave(), TCSANOW, &before), 0);

  port.SetDeviceName(pty.path());
  port.Open();
  termios t{};
  ASSERT_EQ(::tcgetattr(pty.master(), &t), 0);
  EXPECT_EQ(::cfgetospeed(&t), B4800);
  EXPECT_EQ(t.c_cflag & CSTOPB, 0U);
  EXPECT_NE(t.c_iflag & IXON, 0U);

  // A line setting changed while open is applied at once.
  port.SetBaudRate(TBaudRate::br19200);
  ASSERT_EQ(::tcgetattr(pty.master(), &t), 0);
  EXPECT_EQ(::cfgetospeed(&t), B19200);
}

TEST_F(ComPortTest, EveryByteValueTravelsBothWaysUnchanged) {
  ConfigureAsTool(port, pty.path());
  CheckEveryByteValueTravelsBothWays(port, ui, UnitEnd());
}

TEST_F(ComPortTest, AThousandRoundsWithRepliesInPiecesComeWholeWithoutAnError) {
  ConfigureAsTool(port, pty.path());
  CheckRoundsWithRepliesInPieces(port, ui, UnitEnd(), 1000);
}

TEST_F(ComPortTest, StreamedRepliesInPiecesComeWholeWithoutAnError) {
  ConfigureAsTool(port, pty.path());
  CheckStreamedRepliesInPiecesComeWholeWithoutAnError(port, ui, UnitEnd(), 2000);
}

TEST_F(ComPortTest, RxCharRunsOnTheUiThreadWhileTheReceiveThreadWaits) {
  ConfigureAsTool(port, pty.path());
  std::vector<std::thread::id> threads;
  std::string received;
  port.SetOnRxChar([&](TCustomComPort& p) {
    threads.push_back(std::this_thread::get_id());
    received += p.ReadText();
  });
  port.Open();
  pty.Send("A000A,ON\n");
  ASSERT_TRUE(ui.PumpUntil([&] { return received == "A000A,ON\n"; }));
  ASSERT_FALSE(threads.empty());
  for (const auto& id : threads) {
    EXPECT_EQ(id, std::this_thread::get_id());
  }
}

TEST_F(ComPortTest, ReadTextReturnsEmptyWhenNothingWaitsAndEmptyWriteSendsNothing) {
  ConfigureAsTool(port, pty.path());
  port.Open();
  EXPECT_EQ(port.ReadText(), "");
  EXPECT_NO_THROW(port.WriteText(""));
  EXPECT_EQ(pty.Receive(1, milliseconds(100)), "");
}

TEST_F(ComPortTest, FailuresCarryTheirTextsAndCodes) {
  // Closed port.
  ExpectError([&] { port.WriteText("x"); }, kClosedPortText, 0);
  ExpectError([&] { (void)port.ReadText(); }, kClosedPortText, 0);
  ExpectError([&] { (void)port.InputCount(); }, kClosedPortText, 0);

  // A device that does not exist, twice: the port stays closed each time.
  port.SetDeviceName("/dev/no-such-serial-device");
  for (int attempt = 0; attempt < 2; ++attempt) {
    ExpectError([&] { port.SetActive(true); }, "No such file or directory", 2);
    EXPECT_FALSE(port.Active());
  }
  port.SetDeviceName("ttyNoSuchAdapter");
  ExpectError([&] { port.Open(); }, "No such file or directory", 2);

  // A file that is no terminal.
  port.SetDeviceName("/dev/null");
  ExpectError([&] { port.Open(); }, "Inappropriate ioctl for device", 25);
  EXPECT_FALSE(port.Active());

  // Exclusive open: a second port on the same device is refused.
  port.SetDeviceName(pty.path());
  port.Open();
  TComPort second(ui.dispatcher);
  second.SetDeviceName(pty.path());
  ExpectError([&] { second.Open(); }, "Device or resource busy", 16);
  EXPECT_FALSE(second.Active());

  // The name of an open port cannot change; the same name is no change.
  EXPECT_NO_THROW(port.SetDeviceName(pty.path()));
  ExpectError([&] { port.SetDeviceName("COM2"); }, kOpenPortText, 0);
  EXPECT_EQ(port.DeviceName(), pty.path());

  // Once closed, the device can be had again.
  port.Close();
  EXPECT_NO_THROW(second.Open());
}

// A folder of its own for files that are no devices.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = ::testing::TempDir() + "vidideza-devices-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) {
      path_ = pattern;
    }
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TEST_F(ComPortTest, OnlySerialLinesThatAreNotTheToolsOwnTerminalOpen) {
  ScratchFolder folder;
  ASSERT_FALSE(folder.path().empty());
  const std::string file = folder.path() + "/plain";
  const std::string fifo = folder.path() + "/fifo";
  std::ofstream(file) << "not a device\n";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const bool hasConsole = std::filesystem::exists("/dev/console");

  const struct {
    std::string name;
    std::string text;
    int code;
  } rows[] = {
      {"", "No such file or directory", ENOENT},
      {"/", "No such file or directory", ENOENT},
      {"/dev", "No such file or directory", ENOENT},
      {"/dev/", "No such file or directory", ENOENT},
      {folder.path(), "No such file or directory", ENOENT},
      {"tty", "Device or resource busy", EBUSY},
      {"/dev/tty", "Device or resource busy", EBUSY},
      {"console", hasConsole ? "Device or resource busy" : "No such file or directory",
       hasConsole ? EBUSY : ENOENT},
      {file, "Inappropriate ioctl for device", ENOTTY},
      {fifo, "Inappropriate ioctl for device", ENOTTY},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE("name \"" + row.name + "\"");
    port.SetDeviceName(row.name);
    ExpectError([&] { port.Open(); }, row.text, row.code);
    EXPECT_FALSE(port.Active());
  }
  port.SetDeviceName(pty.path());
  EXPECT_NO_THROW(port.Open());
}

TEST_F(ComPortTest, TheTerminalOfStandardInputIsNeverTakenOver) {
  PseudoTerminal own;
  ASSERT_TRUE(own.ok());
  const UniqueFd savedInput(::dup(STDIN_FILENO));
  ASSERT_TRUE(savedInput.valid());
  ASSERT_NE(::dup2(own.slave(), STDIN_FILENO), -1);
  termios before{};
  ASSERT_EQ(::tcgetattr(own.slave(), &before), 0);
  ConfigureAsTool(port, own.path());
  ExpectError([&] { port.Open(); }, "Device or resource busy", EBUSY);
  ::dup2(savedInput.get(), STDIN_FILENO);
  termios after{};
  ASSERT_EQ(::tcgetattr(own.slave(), &after), 0);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_FALSE(port.Active());
}

TEST_F(ComPortTest, CloseLeavesTheLineSettingsAsTheyWereFound) {
  termios before{};
  ASSERT_EQ(::tcgetattr(pty.slave(), &before), 0);
  ASSERT_NE(before.c_lflag & ECHO, 0U) << "a fresh pseudo-terminal echoes";
  ConfigureAsTool(port, pty.path());
  port.Open();
  termios during{};
  ASSERT_EQ(::tcgetattr(pty.slave(), &during), 0);
  EXPECT_EQ(during.c_lflag & ECHO, 0U);
  EXPECT_NE(::cfgetospeed(&during), ::cfgetospeed(&before));
  port.Close();

  termios after{};
  ASSERT_EQ(::tcgetattr(pty.slave(), &after), 0);
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_EQ(after.c_oflag, before.c_oflag);
  EXPECT_EQ(after.c_cflag, before.c_cflag);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(std::memcmp(after.c_cc, before.c_cc, sizeof before.c_cc), 0);
  EXPECT_EQ(::cfgetispeed(&after), ::cfgetispeed(&before));
  EXPECT_EQ(::cfgetospeed(&after), ::cfgetospeed(&before));
}

TEST_F(ComPortTest, OpenIsRefusedWhileAnotherProcessHoldsTheDevice) {
  ConfigureAsTool(port, pty.path());
  RivalReader rival(pty.slave());
  ASSERT_TRUE(rival.running());
  for (int attempt = 0; attempt < 2; ++attempt) {
    ExpectError([&] { port.Open(); }, "Device or resource busy", EBUSY);
    EXPECT_FALSE(port.Active());
  }
  rival.Stop();
  EXPECT_NO_THROW(port.Open());
}

TEST_F(ComPortTest, ReadTextNeverWaitsForBytesAnotherReaderTook) {
  ConfigureAsTool(port, pty.path());
  milliseconds longestRead{0};
  port.SetOnRxChar([&](TCustomComPort& p) {
    const auto start = std::chrono::steady_clock::now();
    (void)p.ReadText();
    longestRead = std::max(longestRead, std::chrono::duration_cast<milliseconds>(
                                            std::chrono::steady_clock::now() - start));
  });
  port.Open();
  // Opened after the port, the rival shares the line and races it for every reply.
  RivalReader rival(pty.slave());
  ASSERT_TRUE(rival.running());
  std::atomic<bool> done{false};
  std::thread unit([&] {
    for (int burst = 0; burst < 300; ++burst) {
      pty.Send("A000A,ST,T21.5\n");
      std::this_thread::sleep_for(milliseconds(2));
    }
    // A read left waiting for taken bytes ends only when more come: they come late.
    std::this_thread::sleep_for(milliseconds(1500));
    for (int late = 0; late < 100 && !done; ++late) {
      pty.Send("xxxxxxxx");
      std::this_thread::sleep_for(milliseconds(20));
    }
  });
  ui.PumpFor(milliseconds(2500));
  done = true;
  unit.join();
  // Closed while the handler's variables live: the close runs a hand-over still pending.
  port.Close();
  EXPECT_LT(longestRead.count(), 500) << "a read waited for bytes another reader took";
}

TEST_F(ComPortTest, ActiveChangesOnlyWhenTheValueDiffers) {
  int opened = 0;
  int closed = 0;
  port.AfterOpen = [&](TCustomComPort&) { ++opened; };
  port.AfterClose = [&](TCustomComPort&) { ++closed; };
  port.SetDeviceName(pty.path());
  port.SetActive(false);
  port.SetActive(true);
  port.SetActive(true);
  port.SetActive(false);
  port.SetActive(false);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(closed, 1);
}

TEST_F(ComPortTest, WriteTextReturnsAtOnceAndASecondWriteWaitsForTheFirst) {
  ConfigureAsTool(port, pty.path());
  CheckWriteReturnsAtOnceAndASecondWaitsForTheFirst(port, UnitEnd(), 1 << 20);
}

TEST_F(ComPortTest, CloseWhileAHandOverIsPendingRunsItAndDoesNotDeadlock) {
  ConfigureAsTool(port, pty.path());
  CheckCloseWithAPendingHandOverRunsItWithoutDeadlock(port, UnitEnd());
}

TEST_F(ComPortTest, VanishedDeviceIsReportedOnceWithoutSpinningAndThePortCanReopen) {
  ConfigureAsTool(port, pty.path());
  std::string received;
  port.SetOnRxChar([&](TCustomComPort& p) { received += p.ReadText(); });
  port.Open();
  pty.Send("partial");
  ASSERT_TRUE(ui.PumpUntil([&] { return received == "partial"; }));

  pty.Vanish();
  const double cpuBefore = ProcessCpuSeconds();
  ui.PumpFor(milliseconds(1000));
  const double cpuUsed = ProcessCpuSeconds() - cpuBefore;
  EXPECT_LT(cpuUsed, 0.2) << "the receive thread spins on a vanished device";
  EXPECT_EQ(ui.errors, std::vector<std::string>{"Input/output error."});

  EXPECT_NO_THROW(port.Close());
  EXPECT_FALSE(port.Active());
  PseudoTerminal replacement;
  port.SetDeviceName(replacement.path());
  EXPECT_NO_THROW(port.Open());
  replacement.Send("again\n");
  ASSERT_TRUE(ui.PumpUntil([&] { return received == "partialagain\n"; }));
}

TEST_F(ComPortTest, AHangUpWithAReplyInFlightGivesOneError) {
  ConfigureAsTool(port, pty.path());
  std::optional<PseudoTerminal> line;
  bool hangUpInHandOver = false;
  port.SetOnRxChar([&](TCustomComPort& p) {
    // The far end goes away between the wake-up for the reply and its read.
    if (hangUpInHandOver) {
      line->Vanish();
    }
    (void)p.ReadText();
  });
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    line.emplace();
    ASSERT_TRUE(line->ok());
    port.SetDeviceName(line->path());
    port.Open();
    ui.errors.clear();
    hangUpInHandOver = round % 2 == 0;
    line->Send("A000A,ST,T21.5\n");
    if (!hangUpInHandOver) {
      line->Vanish();
    }
    ui.PumpFor(milliseconds(150));
    EXPECT_EQ(ui.errors, std::vector<std::string>{"Input/output error."});
    port.Close();
  }
}

TEST_F(ComPortTest, ACloseDuringAHangUpGivesNoError) {
  ConfigureAsTool(port, pty.path());
  port.SetOnRxChar([](TCustomComPort& p) { (void)p.ReadText(); });
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    PseudoTerminal line;
    ASSERT_TRUE(line.ok());
    port.SetDeviceName(line.path());
    port.Open();
    line.Send("A000A,ST,T21.5\n");
    line.Vanish();
    // The receive thread meets the hang-up while the close stops it.
    std::this_thread::sleep_for(milliseconds(round % 4));
    port.Close();
    ui.PumpFor(milliseconds(20));
    EXPECT_TRUE(ui.errors.empty()) << ui.errors.front();
  }
}

TEST_F(ComPortTest, AnUnpluggedDeviceIsReopenedWhenItComesBack) {
  ScratchFolder folder;
  ASSERT_FALSE(folder.path().empty());
  const std::filesystem::path link = folder.path() + "/ttyUSB0";
  std::filesystem::create_symlink(pty.path(), link);
  ConfigureAsTool(port, link.string());
  std::string received;
  port.SetOnRxChar([&](TCustomComPort& p) { received += p.ReadText(); });
  port.Open();
  pty.Send("A000A,ST,");
  ASSERT_TRUE(ui.PumpUntil([&] { return received == "A000A,ST,"; }));

  // Unplugged: the name goes, and the line with it.
  std::filesystem::remove(link);
  pty.Vanish();
  ui.PumpFor(milliseconds(600));
  EXPECT_EQ(ui.errors, std::vector<std::string>{"Input/output error."});
  EXPECT_TRUE(port.Active());

  // Plugged back in, as another device under the same name, left at other settings.
  PseudoTerminal back;
  ASSERT_TRUE(back.ok());
  termios other{};
  ASSERT_EQ(::tcgetattr(back.slave(), &other), 0);
  ::cfsetspeed(&other, B4800);
  ASSERT_EQ(::tcsetattr(back.slave(), TCSANOW, &other), 0);
  std::filesystem::create_symlink(back.path(), link);
  const auto pluggedAt = std::chrono::steady_clock::now();
  termios t{};
  ASSERT_TRUE(ui.PumpUntil(
      [&] { return ::tcgetattr(back.master(), &t) == 0 && ::cfgetospeed(&t) == B9600; },
      milliseconds(1000)))
      << "not reopened within a second";
  EXPECT_LT(std::chrono::steady_clock::now() - pluggedAt, milliseconds(1000));
  EXPECT_NE(t.c_cflag & CSTOPB, 0U);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0U);

  back.Send("T21.5\n");
  ASSERT_TRUE(ui.PumpUntil([&] { return received == "A000A,ST,T21.5\n"; }));
  port.WriteText("A000A,ON\n");
  EXPECT_EQ(back.Receive(9), "A000A,ON\n");
  EXPECT_EQ(ui.errors.size(), 1U) << "the reopen showed an error";

  // Unplugged again later: reported again.
  std::filesystem::remove(link);
  back.Vanish();
  ASSERT_TRUE(ui.PumpUntil([&] { return ui.errors.size() == 2; }, milliseconds(3000)));
  port.Close();
}

TEST_F(ComPortTest, TheWatchForAnUnpluggedDeviceWakesRarelyAndEndsWithTheClose) {
  ConfigureAsTool(port, pty.path());
  port.SetOnRxChar([](TCustomComPort& p) { (void)p.ReadText(); });
  port.Open();
  pty.Vanish();
  ASSERT_TRUE(ui.PumpUntil([&] { return !ui.errors.empty(); }));
  const double cpuBefore = ProcessCpuSeconds();
  std::this_thread::sleep_for(milliseconds(1000));
  EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 0.05) << "the watch spins";
  const auto start = std::chrono::steady_clock::now();
  port.Close();
  EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(100));
  EXPECT_FALSE(port.Active());
}

TEST_F(ComPortTest, EachSendToAVanishedDeviceFailsItself) {
  ConfigureAsTool(port, pty.path());
  port.SetOnRxChar([](TCustomComPort& p) { (void)p.ReadText(); });
  port.Open();
  pty.Vanish();
  ASSERT_TRUE(ui.PumpUntil([&] { return !ui.errors.empty(); }));
  for (int send = 0; send < 4; ++send) {
    ExpectError([&] { port.WriteText("A000A,ON\n"); }, "Input/output error", EIO);
  }
  EXPECT_NO_THROW(port.Close());
}

TEST_F(ComPortTest, OpenAndCloseWhileDataFlows) {
  ConfigureAsTool(port, pty.path());
  std::size_t received = 0;
  port.SetOnRxChar([&](TCustomComPort& p) { received += p.ReadText().size(); });
  std::atomic<bool> done{false};
  std::atomic<bool> finished{false};
  std::thread unit([&] {
    while (!done) {
      pty.Send("A000A,ST,T21.5\n");
    }
    finished = true;
  });
  for (int round = 0; round < 50; ++round) {
    port.Open();
    port.WriteText("A000A,ON\n");
    ui.PumpFor(milliseconds(2));
    port.Close();
  }
  done = true;
  // The unit may be blocked on a full line: each open purges it, so its last write ends.
  while (!finished) {
    port.Open();
    ui.PumpFor(milliseconds(5));
    port.Close();
  }
  unit.join();
  EXPECT_GT(received, 0U);
  EXPECT_TRUE(ui.errors.empty());
}

// socat's virtual null-modem holds both sides of each pseudo-terminal it makes: it provides the
// line and reads nothing of ours, so its ports open; a terminal program beside it still counts.
TEST_F(ComPortTest, AVirtualNullModemOfSocatOpensAndASecondReaderIsStillRefused) {
  if (::access("/usr/bin/socat", X_OK) != 0) {
    GTEST_SKIP() << "socat is not installed";
  }
  const CurrentTempDir dir;
  const std::string near = (dir.path() / "ttyV0").string();
  const std::string far = (dir.path() / "ttyV1").string();
  // Ended with the test, whatever the test's outcome.
  struct Child {
    pid_t pid = ::fork();
    ~Child() {
      if (pid > 0) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
      }
    }
  } socat;
  ASSERT_NE(socat.pid, -1);
  if (socat.pid == 0) {
    const std::string a = "pty,raw,echo=0,link=" + near;
    const std::string b = "pty,raw,echo=0,link=" + far;
    ::execl("/usr/bin/socat", "socat", a.c_str(), b.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  for (int wait = 0; wait < 200 && !std::filesystem::exists(far); ++wait) {
    std::this_thread::sleep_for(milliseconds(10));
  }
  ASSERT_TRUE(std::filesystem::exists(far)) << "socat made no ports";

  std::string received;
  port.SetOnRxChar([&](TCustomComPort& p) { received += p.ReadText(); });
  ConfigureAsTool(port, near);
  EXPECT_NO_THROW(port.Open());
  ASSERT_TRUE(port.Active());
  const UniqueFd other(::open(far.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  ASSERT_TRUE(other.valid());
  ASSERT_EQ(::write(other.get(), "A000A,ST,T21.5\n", 15), 15);
  EXPECT_TRUE(ui.PumpUntil([&] { return received == "A000A,ST,T21.5\n"; })) << received;
  port.Close();

  const UniqueFd second(::open(near.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  ASSERT_TRUE(second.valid());
  RivalReader rival(second.get());
  ASSERT_TRUE(rival.running());
  ExpectError([&] { port.Open(); }, "Device or resource busy", EBUSY);
  EXPECT_FALSE(port.Active());
}

}  // namespace
}  // namespace vidideza
