#include "app/shown_line.h"

#include <gtest/gtest.h>

#include <string>

#include "app/shown_character.h"

namespace vidideza {
namespace {

TEST(ShownCharacter, ControlBytesShowAsTheirPicturesAndEveryOtherByteAsLatin1) {
  const struct {
    unsigned char byte;
    char32_t shown;
  } rows[] = {
      {0x00, U'\u2400'}, {0x07, U'\u2407'}, {0x0A, U'\u240A'}, {0x0D, U'\u240D'}, {0x1B, U'\u241B'},
      {0x1F, U'\u241F'}, {0x7F, U'\u2421'}, {0x20, U' '},      {'A', U'A'},       {'~', U'~'},
      {0x80, U'\u0080'}, {0xA0, U'\u00A0'}, {0xE9, U'\u00E9'}, {0xFF, U'\u00FF'},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ShownCharacter(row.byte), row.shown) << static_cast<int>(row.byte);
  }
}

TEST(ShownPartOf, ALongLineShowsItsHeadAndItsLength) {
  const std::string atLimit(kMostShownBytes, 'a');
  const std::string over = atLimit + "b";
  const std::string huge(20u << 20, 'c');
  const struct {
    const char* what;
    const std::string& line;
    std::size_t head;
    std::string marker;
  } rows[] = {
      {"empty", std::string(), 0, ""},
      {"at the limit", atLimit, kMostShownBytes, ""},
      {"one byte over", over, kMostShownBytes, " [... 4097 bytes in all]"},
      {"20 MB", huge, kMostShownBytes, " [... 20971520 bytes in all]"},
  };
  for (const auto& row : rows) {
    const ShownLine shown = ShownPartOf(row.line);
    EXPECT_EQ(shown.head.size(), row.head) << row.what;
    EXPECT_EQ(shown.head.data(), row.line.data()) << row.what << ": the head is the line's own";
    EXPECT_EQ(shown.marker, row.marker) << row.what;
  }
}

TEST(ByteAtShownColumn, PlacesInTheMarkerStandForTheLinesEnd) {
  const std::string shortLine = "A000A,ON";
  const std::string longLine(kMostShownBytes * 3, 'x');
  const struct {
    const std::string& line;
    std::size_t column;
    std::size_t byte;
  } rows[] = {
      {shortLine, 0, 0},
      {shortLine, 8, 8},
      {shortLine, 9, 8},  // past the end: the end
      {longLine, 0, 0},
      {longLine, kMostShownBytes, kMostShownBytes},
      {longLine, kMostShownBytes + 1, longLine.size()},
      {longLine, kMostShownBytes + 30, longLine.size()},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ByteAtShownColumn(row.line, row.column), row.byte)
        << row.line.size() << " bytes, column " << row.column;
  }
}

}  // namespace
}  // namespace vidideza
