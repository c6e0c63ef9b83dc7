#include "console/command_head.h"

#include <gtest/gtest.h>

#include "console/setup_commands.h"

namespace vidideza {
namespace {

TEST(HexAddress, AtLeastTwoUpperCaseDigits) {
  const struct {
    int value;
    const char* hex;
  } rows[] = {{0, "00"}, {10, "0A"}, {18, "12"}, {255, "FF"}, {300, "12C"}, {-1, "FFFFFFFF"}};
  for (const auto& row : rows) {
    EXPECT_EQ(HexAddress(row.value), row.hex) << row.value;
  }
}

TEST(StampCommandLine, WritesTheHeadAndKeepsTheCommand) {
  const struct {
    const char* line;
    CommandHead head;
    const char* stamped;
  } rows[] = {
      {"A000A,ON", {18, '7', 'C'}, "A127C,ON"},
      {"A000A,MC,T18,FL", {18, '7', 'C'}, "A127C,MC,T18,FL"},
      {"", {0, '0', 'A'}, "A000A,"},
      {"xy", {255, 'F', 'F'}, "AFFFF,"},
      {"hand typed head!", {1, '2', 'B'}, "A012B,yped head!"},
      {"A000A,ON", {300, '0', 'A'}, "A120A,ON"},         // first two digits of 12C while typing
      {"A123D,ON", {0, std::nullopt, 'A'}, "A003A,ON"},  // empty port selector keeps "3"
      {"A123D,ON", {0, '5', std::nullopt}, "A005D,ON"},  // no code selected keeps "D"
      {"A000A", {0, 'A', 'B'}, "A00AB,"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(StampCommandLine(row.line, row.head), row.stamped) << row.line;
  }
}

TEST(CodeLetter, RadioButtonsOneToSixAreAToF) {
  EXPECT_EQ(CodeLetter(1), 'A');
  EXPECT_EQ(CodeLetter(3), 'C');
  EXPECT_EQ(CodeLetter(6), 'F');
  EXPECT_EQ(CodeLetter(0), std::nullopt);
  EXPECT_EQ(CodeLetter(7), std::nullopt);
}

TEST(SetupCommands, ComposedAsTheUnitExpects) {
  const struct {
    std::string command;
    const char* expected;
  } rows[] = {
      {ControlUnitCommand(18, '7'), "PSCU=127"},
      {ControlUnitCommand(0, '0'), "PSCU=000"},
      {ControlUnitCommand(255, 'F'), "PSCU=FFF"},
      {InterfacePortCommand('3', 'C'), "ALLLA,PSIP=A3C"},
      {InterfacePortCommand('F', 'A'), "ALLLA,PSIP=AFA"},
      {InterfacePortCommand('F', 'F'), "ALLLA,PSIP=AFF"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.command, row.expected);
  }
}

}  // namespace
}  // namespace vidideza
