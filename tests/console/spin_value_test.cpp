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

TEST(SpinStepped, StepsFromTheTextsValueAndStaysWithinTheLimits) {
  const struct {
    const char* text;
    int delta;
    int stepped;
  } rows[] = {
      {"18", kSpinLineStep, 19},
      {"18", -kSpinLineStep, 17},
      {"18", kSpinPageStep, 28},
      {"250", kSpinPageStep, 255},
      {"255", kSpinLineStep, 255},
      {"0", -kSpinLineStep, 0},
      {"5", -kSpinPageStep, 0},
      {"abc", kSpinLineStep, 1},  // text that is no number counts as 0
      {"", -kSpinLineStep, 0},
      {"2147483647", kSpinLineStep, 255},  // no overflow past the type's end
      {"-2147483648", -kSpinPageStep, 0},
      {"$10", kSpinLineStep, 17},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(SpinStepped(row.text, row.delta, 0, 255), row.stepped)
        << row.text << " " << row.delta;
  }
}

TEST(SpinAccepts, TakesTheAsciiDigitsAndTheSignsOnly) {
  for (const char32_t c : U"0123456789+-") {
    if (c != 0) {
      EXPECT_TRUE(SpinAccepts(c)) << static_cast<unsigned>(c);
    }
  }
  // Letters, spaces, the hexadecimal marks, control bytes, and digits of other scripts (which
  // the conversion does not read) are refused.
  for (const char32_t c : U" aAxX$.,\t\r\n\x7f\u0663\uff11\u00b2") {
    if (c != 0) {
      EXPECT_FALSE(SpinAccepts(c)) << static_cast<unsigned>(c);
    }
  }
}

}  // namespace
}  // namespace vidideza
