#include "base/integer_parsing.h"

#include <gtest/gtest.h>

namespace vidideza {
namespace {

TEST(ParseInteger, DecimalAndHexadecimalForms) {
  const struct {
    const char* text;
    std::optional<std::int32_t> value;
  } rows[] = {
      {"0", 0},
      {"10100", 10100},
      {" 10100", 10100},
      {"10100 ", std::nullopt},
      {"+7", 7},
      {"-1", -1},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"$2774", 10100},
      {"0x1", 1},
      {"0X1f", 31},
      {"x1", 1},
      {"X1", 1},
      {"$1", 1},
      {"-$10", -16},
      {"$FFFFFFFF", -1},
      {"$7FFFFFFF", 2147483647},
      {"$100000000", std::nullopt},
      {"$0FFFFFFFF", -1},
      {"$", std::nullopt},
      {"0x", std::nullopt},
      {"", std::nullopt},
      {" ", std::nullopt},
      {"1a", std::nullopt},
      {"a", std::nullopt},
      {"--1", std::nullopt},
      {"+-1", std::nullopt},
      {"\t1", std::nullopt},
      {"1.0", std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(TryParseInteger(row.text), row.value) << '"' << row.text << '"';
  }
}

TEST(ParseInteger, FailureRaisesAndOrGivesTheDefault) {
  EXPECT_THROW(ParseInteger("abc"), EConvertError);
  EXPECT_EQ(ParseInteger("$C0"), 192);
  EXPECT_EQ(ParseIntegerOr("", 10100), 10100);
  EXPECT_EQ(ParseIntegerOr("letters", 10100), 10100);
  EXPECT_EQ(ParseIntegerOr("70000", 10100), 70000);
}

}  // namespace
}  // namespace vidideza
