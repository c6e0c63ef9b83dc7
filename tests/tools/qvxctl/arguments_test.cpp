#include "arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qvxctl;

namespace {

constexpr OptionSpec kSpecs[] = {{"--yes", false}, {"--address"}, {"--log"}};

Arguments Parse(std::vector<std::string> words) {
  return ParseCommandArguments("send", words, kSpecs);
}

}  // namespace

TEST(ArgumentsTest, SortsOptionsFlagsAndOperands) {
  const Arguments a = Parse({"--address", "18", "A000A,ON", "--yes", "--log=t.log", "B"});
  EXPECT_EQ(a.Value("--address"), "18");
  EXPECT_EQ(a.Value("--log"), "t.log");
  EXPECT_TRUE(a.Has("--yes"));
  EXPECT_FALSE(a.Has("--serial"));
  EXPECT_EQ(a.operands, (std::vector<std::string>{"A000A,ON", "B"}));
}

TEST(ArgumentsTest, DoubleDashEndsOptionsSoALineMayStartWithDashes) {
  const Arguments a = Parse({"--yes", "--", "--address", "-x"});
  EXPECT_FALSE(a.Has("--address"));
  EXPECT_EQ(a.operands, (std::vector<std::string>{"--address", "-x"}));
}

TEST(ArgumentsTest, ValueMayBeEmptyOrLookLikeAnOption) {
  EXPECT_EQ(Parse({"--log="}).Value("--log"), "");
  EXPECT_EQ(Parse({"--log", "--yes"}).Value("--log"), "--yes");
  EXPECT_EQ(Parse({"--address", "1", "--address", "2"}).Value("--address"), "2");
}

TEST(ArgumentsTest, RefusesWhatTheCommandDoesNotTake) {
  const struct {
    std::vector<std::string> words;
    std::string message;
  } cases[] = {
      {{"--serial", "COM1"}, "qvxctl send: unknown option --serial (see qvxctl send --help)"},
      {{"--address"}, "qvxctl send: --address needs a value"},
      {{"--yes=1"}, "qvxctl send: --yes takes no value"},
  };
  for (const auto& c : cases) {
    try {
      Parse(c.words);
      ADD_FAILURE() << c.message;
    } catch (const UsageError& error) {
      EXPECT_EQ(error.what(), c.message);
    }
  }
}

TEST(ArgumentsTest, FieldValuesWithinTheirRanges) {
  EXPECT_EQ(BoundedInteger("--address", "0", 0, 255), 0);
  EXPECT_EQ(BoundedInteger("--address", "255", 0, 255), 255);
  EXPECT_EQ(BoundedInteger("--address", "$1B", 0, 255), 27);
  EXPECT_EQ(BoundedInteger("--address", "0x12", 0, 255), 18);
  for (const char* wrong : {"256", "-1", "", "12a", "1.5", "99999999999"}) {
    EXPECT_THROW(BoundedInteger("--address", wrong, 0, 255), UsageError) << wrong;
  }
  EXPECT_EQ(PortAddressCharacter("--port-addr", "7"), '7');
  EXPECT_EQ(PortAddressCharacter("--port-addr", "c"), 'C');
  for (const char* wrong : {"G", "", "10", " "}) {
    EXPECT_THROW(PortAddressCharacter("--port-addr", wrong), UsageError) << wrong;
  }
  EXPECT_EQ(CodeCharacter("--code", "f"), 'F');
  EXPECT_EQ(CodeCharacter("--code", "A"), 'A');
  for (const char* wrong : {"G", "", "AB", "1"}) {
    EXPECT_THROW(CodeCharacter("--code", wrong), UsageError) << wrong;
  }
  EXPECT_DOUBLE_EQ(WaitSeconds("--wait", "0.5"), 0.5);
  EXPECT_DOUBLE_EQ(WaitSeconds("--wait", "0"), 0);
  for (const char* wrong : {"-1", "", "1s", "nan", "inf", "0x10", "3601"}) {
    EXPECT_THROW(WaitSeconds("--wait", wrong), UsageError) << wrong;
  }
}
