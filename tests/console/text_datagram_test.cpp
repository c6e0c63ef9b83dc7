#include "console/text_datagram.h"

#include <gtest/gtest.h>

namespace vidideza {
namespace {

TEST(TextDatagramLine, ShownDatagramsLoseTheirLastByte) {
  const struct {
    std::string datagram;
    std::optional<std::string> line;
  } rows[] = {
      {"A000A,ON\n", "A000A,ON"},
      {"A000A,ON", "A000A,O"},
      {"@", ""},
      {"@status\r\n", "@status\r"},
      {"A00,AON\n", std::nullopt},
      {"A000A", std::nullopt},  // the sixth byte reads as 0
      {"", std::nullopt},
      {std::string("\0\0\0\xF8", 4), std::nullopt},
      {"B000A,ON\n", std::nullopt},
      {"A000A," + std::string(8000, 'x') + "\n", "A000A," + std::string(8000, 'x')},
  };
  for (const auto& row : rows) {
    const auto line = TextDatagramLine(row.datagram);
    EXPECT_EQ(line ? std::optional<std::string>(*line) : std::nullopt, row.line)
        << row.datagram.substr(0, 20);
  }
}

TEST(ReceivedLogText, EveryLogLineBeginsWithTheReceiveMark) {
  const struct {
    std::string line;
    std::string logged;
  } rows[] = {
      {"A000A,ON,OK", "RCV: A000A,ON,OK"},  // a real unit's reply, as ever
      {"@status\r", "RCV: @status\r"},
      {"", "RCV: "},
      {"A000A,OK\r\nSND: A000A,PWNED\r", "RCV: A000A,OK\r\nRCV: SND: A000A,PWNED\r"},
      {"A000A,OK\n\n", "RCV: A000A,OK\nRCV: \nRCV: "},
      {"A000A,\rSND: x", "RCV: A000A,\rSND: x"},  // a carriage return alone stays
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ReceivedLogText(row.line), row.logged) << row.line;
  }
}

}  // namespace
}  // namespace vidideza
