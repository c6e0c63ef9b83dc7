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

}  // namespace
}  // namespace vidideza
