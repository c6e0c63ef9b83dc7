#include "console/reply_buffer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace vidideza {
namespace {

// The lines a receive handler would show for these events, in order.
std::vector<std::string> LinesOf(SerialReplyBuffer& buffer,
                                 const std::vector<std::string>& events) {
  std::vector<std::string> lines;
  for (const auto& bytes : events) {
    buffer.Append(bytes);
    while (const auto line = buffer.FirstLine()) {
      if (!line->empty()) {
        lines.emplace_back(*line);
      }
      buffer.DropLine();
    }
  }
  return lines;
}

TEST(SerialReplyBuffer, CutsLinesAtLineFeeds) {
  using Lines = std::vector<std::string>;
  const struct {
    const char* what;
    std::vector<std::string> events;
    Lines lines;
    std::string left;
  } rows[] = {
      {"one event", {"A000A,ON\n"}, {"A000A,ON"}, ""},
      {"split line", {"A000A", ",ON\n"}, {"A000A,ON"}, ""},
      {"two lines in one event", {"one\ntwo\n"}, {"one", "two"}, ""},
      {"line feeds alone", {"\n\n"}, {}, ""},
      {"CR stays", {"A000A,ON\r\n"}, {"A000A,ON\r"}, ""},
      {"partial waits", {"part"}, {}, "part"},
      {"byte by byte", {"a", "b", "\n", "c"}, {"ab"}, "c"},
      {"zero bytes stay", {std::string("a\0b\n", 4)}, {std::string("a\0b", 3)}, ""},
      {"empty events", {"", "x", "", "\n"}, {"x"}, ""},
  };
  for (const auto& row : rows) {
    SerialReplyBuffer buffer;
    EXPECT_EQ(LinesOf(buffer, row.events), row.lines) << row.what;
    EXPECT_EQ(buffer.Content(), row.left) << row.what;
  }
}

TEST(SerialReplyBuffer, ALineWhoseHandlingFailedComesAgain) {
  SerialReplyBuffer buffer;
  buffer.Append("first\nsecond\n");
  ASSERT_EQ(buffer.FirstLine(), "first");
  // The handler failed before dropping the line: the next event sees it first again.
  EXPECT_EQ(LinesOf(buffer, {"third\n"}), (std::vector<std::string>{"first", "second", "third"}));
}

TEST(SerialReplyBuffer, TimeIsLinearInTheBytesReceived) {
  // One million short lines in one event, then one long line in 100,000 tiny pieces: a
  // quadratic rescan would take minutes here.
  std::string many;
  for (int i = 0; i < 1000000; ++i) {
    many += "A000A,OK\n";
  }
  const auto start = std::chrono::steady_clock::now();
  SerialReplyBuffer buffer;
  EXPECT_EQ(LinesOf(buffer, {many}).size(), 1000000U);
  std::vector<std::string> pieces(100000, "xxxxxxxxxx");
  pieces.push_back("\n");
  EXPECT_EQ(LinesOf(buffer, pieces).front().size(), 1000000U);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
}  // namespace vidideza
