#include "console/spin_value.h"

#include <gtest/gtest.h>

#include <optional>

namespace vidideza {
namespace {

TEST(SpinTextValue, WholeNumbersCountAndEverythingElseIsZero) {
  const struct {
    const char* text;
    int value;
  } rows[] = {
      {"0", 0},
      {"18", 18},
      {"255", 255},
      {"300", 300},
      {"+7", 7},
      {"-3", -3},
      {"", 0},
      {"-", 0},
      {"+", 0},
      {"1-", 0},
      {"12a", 0},
      {" 5", 5},
      {"5 ", 0},
      {"$10", 16},
      {"2147483647", 2147483647},
      {"2147483648", 0},
      {"-2147483648", -2147483647 - 1},
      {"99999999999999999999", 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(SpinTextValue(row.text), row.value) << row.text;
  }
}

TEST(SpinCorrection, PullsAnyWholeNumberOutsideTheLimitsToTheNearerOne) {
  const struct {
    const char* text;
    std::optional<int> corrected;
  } rows[] = {
      {"0", std::nullopt},
      {"255", std::nullopt},
      {"256", 255},
      {"-1", 0},
      {"+300", 255},
      {"2147483647", 255},
      {"99999999999", 255},
      {"+99999999999999999999", 255},
      {"-99999999999", 0},
      {"000000000000000000007", std::nullopt},  // long, but within the limits
      {"", std::nullopt},
      {"-", std::nullopt},
      {"1-2", std::nullopt},
      {"abc", std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(SpinCorrection(row.text, 0, 255), row.corrected) << row.text;
  }
}

}  // namespace
}  // namespace vidideza
