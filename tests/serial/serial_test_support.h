#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "serial/com_port.h"
#include "serial/qvx_line.h"
#include "test_ui_loop.h"

namespace vidideza {

// The line as the tool configures it, on the given device.
inline void ConfigureAsTool(TComPort& port, const std::string& device) {
  port.SetDeviceName(device);
  SetQvxLineSettings(port);
}

inline std::string AllByteValues() {
  std::string bytes;
  for (int i = 0; i < 256; ++i) {
    bytes.push_back(static_cast<char>(i));
  }
  return bytes;
}

// The action fails with an EComError of this text and code.
inline void ExpectError(const std::function<void()>& action, const std::string& text, int code) {
  try {
    action();
    ADD_FAILURE() << "no error, expected " << text;
  } catch (const EComError& e) {
    EXPECT_EQ(std::string(e.message()), text);
    EXPECT_EQ(e.code(), code);
  }
}

// The unit's end of a serial line, however a platform's tests reach it.
struct UnitLine {
  std::function<void(const std::string& bytes)> send;
  // Up to count bytes, or what came within the time limit.
  std::function<std::string(std::size_t count, std::chrono::milliseconds limit)> receive;
};

// What the serial link must do on every platform; each takes a closed port configured as the
// tool's line, joined to the unit's end.

inline void CheckEveryByteValueTravelsBothWays(TComPort& port, TestUiLoop& ui,
                                               const UnitLine& unit) {
  std::string received;
  port.SetOnRxChar([&](TCustomComPort& p) { received += p.ReadText(); });
  port.Open();

  port.WriteText(AllByteValues());
  EXPECT_EQ(unit.receive(256, std::chrono::milliseconds(3000)), AllByteValues());

  unit.send(AllByteValues());
  ASSERT_TRUE(ui.PumpUntil([&] { return received.size() >= 256; }));
  EXPECT_EQ(received, AllByteValues());
  EXPECT_TRUE(ui.errors.empty());
}

// firstSize: more than the line buffers, so that the first write cannot finish before the unit
// reads.
inline void CheckWriteReturnsAtOnceAndASecondWaitsForTheFirst(TComPort& port, const UnitLine& unit,
                                                              std::size_t firstSize) {
  using std::chrono::milliseconds;
  port.Open();
  const std::string first(firstSize, 'a');
  const std::string second = "second\n";

  auto start = std::chrono::steady_clock::now();
  port.WriteText(first);
  EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(200));

  std::string got;
  std::thread reader([&] {
    std::this_thread::sleep_for(milliseconds(300));
    got = unit.receive(first.size() + second.size(), milliseconds(20000));
  });
  start = std::chrono::steady_clock::now();
  port.WriteText(second);
  const auto waited = std::chrono::steady_clock::now() - start;
  reader.join();
  EXPECT_GE(waited, milliseconds(250));
  EXPECT_EQ(got, first + second);
}

inline void CheckCloseWithAPendingHandOverRunsItWithoutDeadlock(TComPort& port,
                                                                const UnitLine& unit) {
  int calls = 0;
  std::string seen = "unset";
  port.SetOnRxChar([&](TCustomComPort& p) {
    ++calls;
    seen = p.ReadText();
  });
  port.Open();
  unit.send("pending\n");
  // Let the receive thread block in its hand-over without the UI thread serving it.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  port.Close();
  EXPECT_FALSE(port.Active());
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seen, "");  // the close purged the input before the handler ran
}

}  // namespace vidideza
