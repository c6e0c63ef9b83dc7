// The serial link on Windows against a pair of COM ports joined back to back (scripts/
// test-windows joins two pseudo-terminals and has Wine map them): the port under test on the
// first, the unit's end on the second.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/win32_error_text.h"
#include "serial/com_port.h"
#include "serial_test_support.h"
#include "test_ui_loop.h"

namespace vidideza {
namespace {

using std::chrono::milliseconds;

// The unit's end of the line: a plain handle on the second port.
class UnitEnd {
 public:
  explicit UnitEnd(const std::string& name)
      : handle_(::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  UnitEnd(const UnitEnd&) = delete;
  UnitEnd& operator=(const UnitEnd&) = delete;
  ~UnitEnd() {
    if (ok()) {
      ::CloseHandle(handle_);
    }
  }
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }

  void Send(const std::string& bytes) const {
    DWORD written = 0;
    ::WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }

  // Up to count bytes, or what came within the time limit.
  std::string Receive(std::size_t count, milliseconds limit = milliseconds(3000)) const {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
      COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, 50, 0, 0};
      ::SetCommTimeouts(handle_, &timeouts);
      std::string part(count - got.size(), '\0');
      DWORD read = 0;
      if (!::ReadFile(handle_, part.data(), static_cast<DWORD>(part.size()), &read, nullptr)) {
        break;
      }
      got.append(part, 0, read);
    }
    return got;
  }

  DCB State() const {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ::GetCommState(handle_, &dcb);
    return dcb;
  }
  bool SetState(DCB dcb) const { return ::SetCommState(handle_, &dcb) != FALSE; }

  UnitLine Line() const {
    return {[this](const std::string& bytes) { Send(bytes); },
            [this](std::size_t count, milliseconds limit) { return Receive(count, limit); }};
  }

 private:
  HANDLE handle_;
};

class Win32ComPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* pair = std::getenv("VIDIDEZA_TEST_COM_PAIR");
    if (pair == nullptr) {
      GTEST_SKIP() << "needs two joined COM ports: run through scripts/test-windows";
    }
    std::istringstream(pair) >> name >> unitName;
  }

  std::string name;
  std::string unitName;
  TestUiLoop ui;
  TComPort port{ui.dispatcher};
};

TEST_F(Win32ComPortTest, DefaultsLeaveTheLineAloneAndTheToolsSettingsAreProgrammed) {
  {
    const UnitEnd other(name);  // the line as another program left it
    ASSERT_TRUE(other.ok());
    DCB dcb = other.State();
    dcb.BaudRate = 4800;
    dcb.StopBits = ONESTOPBIT;
    dcb.fOutX = TRUE;
    ASSERT_TRUE(other.SetState(dcb));
  }
  port.SetDeviceName(name);
  port.Open();
  port.Close();
  {
    const UnitEnd check(name);
    const DCB dcb = check.State();
    EXPECT_EQ(dcb.BaudRate, 4800U);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_NE(dcb.fOutX, 0U);
  }

  ConfigureAsTool(port, name);
  port.Open();
  port.Close();
  const UnitEnd check(name);
  const DCB dcb = check.State();
  EXPECT_EQ(dcb.BaudRate, 9600U);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
  EXPECT_EQ(dcb.fOutX, 0U);
  EXPECT_EQ(dcb.fInX, 0U);
  EXPECT_EQ(dcb.fOutxCtsFlow, 0U);
}

TEST_F(Win32ComPortTest, EveryByteValueTravelsBothWaysUnchanged) {
  const UnitEnd unit(unitName);
  ASSERT_TRUE(unit.ok());
  ConfigureAsTool(port, name);
  CheckEveryByteValueTravelsBothWays(port, ui, unit.Line());
}

// Threads that keep the cores busy while they live, as other programs do on a loaded machine.
class BusyCores {
 public:
  explicit BusyCores(int count) {
    for (int i = 0; i < count; ++i) {
      threads_.emplace_back([this] {
        while (!stop_) {
        }
      });
    }
  }
  BusyCores(const BusyCores&) = delete;
  BusyCores& operator=(const BusyCores&) = delete;
  ~BusyCores() {
    stop_ = true;
    for (std::thread& thread : threads_) {
      thread.join();
    }
  }

 private:
  std::atomic<bool> stop_{false};
  std::vector<std::thread> threads_;
};

// On a loaded machine Wine now and then leaves a wait for characters pending with bytes in the
// queue, and no cancelling ends it: the bytes still reach the handler.
TEST_F(Win32ComPortTest, AThousandRoundsWithRepliesInPiecesComeWholeWithoutAnError) {
  const UnitEnd unit(unitName);
  ASSERT_TRUE(unit.ok());
  ConfigureAsTool(port, name);
  const BusyCores load(3);
  CheckRoundsWithRepliesInPieces(port, ui, unit.Line(), 1000);
}

TEST_F(Win32ComPortTest, StreamedRepliesInPiecesComeWholeWithoutAnError) {
  const UnitEnd unit(unitName);
  ASSERT_TRUE(unit.ok());
  ConfigureAsTool(port, name);
  CheckStreamedRepliesInPiecesComeWholeWithoutAnError(port, ui, unit.Line(), 2000);
}

TEST_F(Win32ComPortTest, ABurstOfRepliesArrivesWholeAndInOrder) {
  const UnitEnd unit(unitName);
  ASSERT_TRUE(unit.ok());
  ConfigureAsTool(port, name);
  std::string received;
  int handlerRuns = 0;
  port.SetOnRxChar([&](TCustomComPort& p) {
    ++handlerRuns;
    received += p.ReadText();
  });
  port.Open();
  std::string burst;
  for (int i = 0; i < 5000; ++i) {
    burst += "A000A,ON,OK " + std::to_string(i) + "\n";
  }
  std::thread sender([&] { unit.Send(burst); });
  const bool complete =
      ui.PumpUntil([&] { return received.size() >= burst.size(); }, milliseconds(30000));
  sender.join();
  ASSERT_TRUE(complete) << received.size() << " of " << burst.size() << " bytes";
  EXPECT_EQ(received, burst);
  EXPECT_GE(handlerRuns, 1);
}

TEST_F(Win32ComPortTest, ReadTextReturnsEmptyWhenNothingWaitsAndEmptyWriteSendsNothing) {
  const UnitEnd unit(unitName);
  ConfigureAsTool(port, name);
  port.Open();
  EXPECT_EQ(port.ReadText(), "");
  EXPECT_NO_THROW(port.WriteText(""));
  EXPECT_EQ(unit.Receive(1, milliseconds(200)), "");
}

TEST_F(Win32ComPortTest, FailuresCarryTheSystemsTextsAndCodes) {
  ExpectError([&] { port.WriteText("x"); }, kClosedPortText, 0);
  ExpectError([&] { (void)port.ReadText(); }, kClosedPortText, 0);

  // A port that does not exist, twice: the port stays closed each time.
  port.SetDeviceName("COM9");
  for (int attempt = 0; attempt < 2; ++attempt) {
    ExpectError([&] { port.SetActive(true); }, SystemErrorText(ERROR_FILE_NOT_FOUND),
                ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(port.Active());
  }

  port.SetDeviceName(name);
  port.Open();
  EXPECT_NO_THROW(port.SetDeviceName(name));
  ExpectError([&] { port.SetDeviceName("COM2"); }, kOpenPortText, 0);
  EXPECT_EQ(port.DeviceName(), name);
}

// Wine lets a second handle open a COM port that is open without sharing.
bool RunningUnderWine() {
  return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

TEST_F(Win32ComPortTest, TheDeviceIsHeldExclusivelyWhileOpen) {
  if (RunningUnderWine()) {
    GTEST_SKIP() << "Wine does not hold a COM port exclusively: a second open succeeds there";
  }
  port.SetDeviceName(name);
  port.Open();
  TComPort second(ui.dispatcher);
  second.SetDeviceName(name);
  try {
    second.Open();
    ADD_FAILURE() << "a second open of an open port succeeded";
  } catch (const EComError& e) {
    EXPECT_NE(e.code(), 0);
    EXPECT_EQ(std::string(e.message()), SystemErrorText(static_cast<DWORD>(e.code())));
  }
  EXPECT_FALSE(second.Active());
  port.Close();
  EXPECT_NO_THROW(second.Open());
}

TEST_F(Win32ComPortTest, TheProcessRunsAtThePortsPriorityClassOnlyWhileItIsOpen) {
  const DWORD before = ::GetPriorityClass(::GetCurrentProcess());
  ConfigureAsTool(port, name);
  port.SetPriorityClass(TPriorityClass::pcHigh);
  port.Open();
  EXPECT_EQ(::GetPriorityClass(::GetCurrentProcess()), static_cast<DWORD>(HIGH_PRIORITY_CLASS));
  port.Close();
  EXPECT_EQ(::GetPriorityClass(::GetCurrentProcess()), before);

  // A failed open gives the class back as well.
  port.SetDeviceName("COM9");
  EXPECT_THROW(port.Open(), EComError);
  EXPECT_EQ(::GetPriorityClass(::GetCurrentProcess()), before);
}

double ProcessCpuSeconds() {
  FILETIME created{};
  FILETIME exited{};
  FILETIME kernel{};
  FILETIME user{};
  ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto seconds = [](const FILETIME& t) {
    return static_cast<double>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                               t.dwLowDateTime) /
           1e7;
  };
  return seconds(kernel) + seconds(user);
}

// Some devices end every event wait at once without an event (Wine's pseudo-terminals do):
// the receive thread must not spin on them.
TEST_F(Win32ComPortTest, AnIdleOpenPortCostsLittleProcessorTime) {
  ConfigureAsTool(port, name);
  port.SetOnRxChar([](TCustomComPort& p) { (void)p.ReadText(); });
  port.Open();
  const double before = ProcessCpuSeconds();
  ui.PumpFor(milliseconds(1000));
  const double used = ProcessCpuSeconds() - before;
  port.Close();
  EXPECT_LT(used, 0.25) << "the receive thread spins";
  EXPECT_TRUE(ui.errors.empty());
}

// An unplugged adapter, as a pseudo-terminal whose other end goes away after one byte.
TEST(Win32ComPortVanishing, AVanishedDeviceIsReportedOnceWithoutSpinningAndThePortCloses) {
  const char* name = std::getenv("VIDIDEZA_TEST_COM_VANISHING");
  if (name == nullptr) {
    GTEST_SKIP() << "needs a COM port that vanishes: run through scripts/test-windows";
  }
  TestUiLoop ui;
  TComPort port(ui.dispatcher);
  ConfigureAsTool(port, name);
  port.SetOnRxChar([](TCustomComPort& p) { (void)p.ReadText(); });
  port.Open();
  port.WriteText("x");  // the other end reads it and goes
  ASSERT_TRUE(ui.PumpUntil([&] { return !ui.errors.empty(); }, milliseconds(5000)))
      << "the vanished device was not reported";
  const double before = ProcessCpuSeconds();
  ui.PumpFor(milliseconds(1000));
  EXPECT_LT(ProcessCpuSeconds() - before, 0.25) << "the receive thread spins";
  ASSERT_EQ(ui.errors.size(), 1U) << ui.errors.back();
  EXPECT_GT(ui.errors.front().size(), 1U);

  port.Close();
  EXPECT_FALSE(port.Active());
  EXPECT_THROW(port.Open(), EComError);  // the device is gone for good
  EXPECT_FALSE(port.Active());
}

TEST_F(Win32ComPortTest, CloseEndsTheReceiveThreadsWaitPromptly) {
  ConfigureAsTool(port, name);
  port.SetOnRxChar([](TCustomComPort& p) { (void)p.ReadText(); });
  for (int round = 0; round < 3; ++round) {
    port.Open();
    std::this_thread::sleep_for(milliseconds(100));  // the thread now waits on the device
    const auto start = std::chrono::steady_clock::now();
    port.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(500));
    EXPECT_FALSE(port.Active());
  }
}

TEST_F(Win32ComPortTest, CloseWhileAHandOverIsPendingRunsItAndDoesNotDeadlock) {
  const UnitEnd unit(unitName);
  ConfigureAsTool(port, name);
  CheckCloseWithAPendingHandOverRunsItWithoutDeadlock(port, unit.Line());
}

TEST_F(Win32ComPortTest, WriteTextReturnsAtOnceAndASecondWriteWaitsForTheFirst) {
  const UnitEnd unit(unitName);
  ConfigureAsTool(port, name);
  CheckWriteReturnsAtOnceAndASecondWaitsForTheFirst(port, unit.Line(), 256 * 1024);
}

}  // namespace
}  // namespace vidideza
