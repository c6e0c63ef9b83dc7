#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "console/reply_buffer.h"
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

// Send and reply rounds as a technician makes them, each reply cut into pieces that the port
// reads one by one: a byte at a time, two at a time, and at random places. Every line goes out
// whole, every reply comes in whole and in order, and no round reports an error: a transfer or
// a wait still pending is never taken for a failure.
inline void CheckRoundsWithRepliesInPieces(TComPort& port, TestUiLoop& ui, const UnitLine& unit,
                                           int rounds) {
  using std::chrono::milliseconds;
  SerialReplyBuffer replies;
  std::vector<std::string> lines;
  std::size_t bytesRead = 0;
  port.SetOnRxChar([&](TCustomComPort& p) {
    const std::string text = p.ReadText();
    bytesRead += text.size();
    replies.Append(text);
    TakeReplyLines(replies, [&](std::string_view line) { lines.emplace_back(line); });
  });
  port.Open();
  std::mt19937 random(20261209);
  std::size_t bytesSent = 0;
  for (int round = 0; round < rounds; ++round) {
    const std::string command = "A000A,SV\r";
    port.WriteText(command);
    ASSERT_EQ(unit.receive(command.size(), milliseconds(3000)), command) << "round " << round;
    const std::string reply = "A000A,SV,T21." + std::to_string(round) + ",OK\r";
    const std::string bytes = reply + "\n";
    for (std::size_t at = 0; at < bytes.size();) {
      std::size_t piece = 1 + std::uniform_int_distribution<std::size_t>(0, 7)(random);
      if (round % 3 != 2) {
        piece = round % 3 == 0 ? 1 : 2;
      }
      piece = std::min(piece, bytes.size() - at);
      unit.send(bytes.substr(at, piece));
      at += piece;
      bytesSent += piece;
      // A loaded machine may make a piece late; a lost one never comes.
      ASSERT_TRUE(ui.PumpUntil([&] { return bytesRead >= bytesSent; }, milliseconds(15000)))
          << "round " << round << ": " << bytesRead << " of " << bytesSent << " bytes read"
          << (ui.errors.empty() ? std::string() : "; first error: " + ui.errors.front());
    }
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(round) + 1) << "round " << round;
    ASSERT_EQ(lines.back(), reply) << "round " << round;
    ASSERT_TRUE(ui.errors.empty()) << "round " << round << ": " << ui.errors.front();
  }
}

// Replies that stream in while the port is reading: cut into pieces that the unit sends with
// short and no pauses between them, so that some waits for characters end at once (bytes were
// there already) and the next ones wait. Every line comes whole and in order, and no error is
// reported when the stream ends.
inline void CheckStreamedRepliesInPiecesComeWholeWithoutAnError(TComPort& port, TestUiLoop& ui,
                                                                const UnitLine& unit, int count) {
  using std::chrono::microseconds;
  using std::chrono::milliseconds;
  SerialReplyBuffer replies;
  std::vector<std::string> lines;
  port.SetOnRxChar([&](TCustomComPort& p) {
    replies.Append(p.ReadText());
    TakeReplyLines(replies, [&](std::string_view line) { lines.emplace_back(line); });
  });
  port.Open();
  std::vector<std::string> sent;
  for (int i = 0; i < count; ++i) {
    sent.push_back("A000A,SV,T21." + std::to_string(i) + ",OK\r");
  }
  std::thread sender([&] {
    std::mt19937 random(7);
    for (const std::string& line : sent) {
      const std::string bytes = line + "\n";
      for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t piece = std::min(
            bytes.size() - at, 1 + std::uniform_int_distribution<std::size_t>(0, 9)(random));
        unit.send(bytes.substr(at, piece));
        at += piece;
        if (std::uniform_int_distribution<int>(0, 3)(random) == 0) {
          std::this_thread::sleep_for(microseconds(200));
        }
      }
    }
  });
  const bool complete =
      ui.PumpUntil([&] { return lines.size() >= sent.size(); }, milliseconds(60000));
  sender.join();
  // A wait that ended at once must not make the next one, after the stream, fail.
  ui.PumpUntil([] { return false; }, milliseconds(300));
  ASSERT_TRUE(complete) << lines.size() << " of " << sent.size() << " lines";
  EXPECT_EQ(lines, sent);
  EXPECT_TRUE(ui.errors.empty()) << ui.errors.front();
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
