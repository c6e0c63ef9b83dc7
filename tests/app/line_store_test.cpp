#include "app/line_store.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

namespace vidideza {
namespace {

TEST(TLineStore, KeepsEveryLineByteForByte) {
  std::string everyByte;
  for (int b = 0; b < 256; ++b) {
    everyByte += static_cast<char>(b);
  }
  const std::vector<std::string> lines = {
      "SND: A000A,ON",
      "",
      std::string("RCV: \0\0\x01\x1f\x7f", 10),
      everyByte,
      "RCV: " + std::string(8192, 'x'),
      std::string(TLineStore::kChunkSize - 3, 'a'),  // does not fit behind the lines before
      std::string(3 * TLineStore::kChunkSize, 'b'),  // a chunk of its own
      "after the huge one",
  };
  TLineStore store;
  for (const std::string& line : lines) {
    store.Append(line);
  }
  ASSERT_EQ(store.LineCount(), lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(store.Line(i), lines[i]) << "line " << i;
  }
  EXPECT_THROW(static_cast<void>(store.Line(lines.size())), std::out_of_range);
}

TEST(TLineStore, ClearGivesEverythingBackAndTheStoreGoesOn) {
  TLineStore store;
  for (int i = 0; i < 100000; ++i) {
    store.Append("RCV: line " + std::to_string(i));
  }
  const std::string_view held = store.Line(99999);
  EXPECT_EQ(held, "RCV: line 99999");
  store.Clear();
  EXPECT_EQ(store.LineCount(), 0U);
  EXPECT_EQ(store.MemoryUse(), 0U);
  EXPECT_THROW(static_cast<void>(store.Line(0)), std::out_of_range);
  store.Append("SND: again");
  EXPECT_EQ(store.Line(0), "SND: again");
}

// A day of a busy unit, scaled down: a million 20-byte lines cost little more than their bytes,
// go in quickly, and any line is found at once.
TEST(TLineStore, AMillionLinesCostLittleMoreThanTheirBytes) {
  constexpr std::size_t kLines = 1000000;
  TLineStore store;
  const auto start = std::chrono::steady_clock::now();
  std::string line = "RCV: A000A,ST,T21.5";
  for (std::size_t i = 0; i < kLines; ++i) {
    line.back() = static_cast<char>('0' + i % 10);
    store.Append(line);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  const double overhead =
      static_cast<double>(store.MemoryUse() - kLines * line.size()) / static_cast<double>(kLines);
  EXPECT_LT(overhead, 16.0);
  for (const std::size_t i : {std::size_t{0}, std::size_t{52428}, kLines / 2, kLines - 1}) {
    EXPECT_EQ(store.Line(i).back(), static_cast<char>('0' + i % 10)) << i;
    EXPECT_EQ(store.Line(i).size(), line.size()) << i;
  }
}

}  // namespace
}  // namespace vidideza
