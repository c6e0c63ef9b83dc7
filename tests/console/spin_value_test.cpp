#include "console/spin_value.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vidideza
