#include "base/large_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

namespace vidideza {
namespace {

// Below, at and above the size taken from the system in large pages; a huge line's buffer
// grows through all of them.
TEST(LargeString, HoldsAndGrowsAcrossTheLargeSizeLikeAString) {
  LargeString grown;
  std::string expected;
  for (const std::size_t piece :
       {std::size_t{1000}, kLargeBufferSize - 1000, std::size_t{1}, kLargeBufferSize * 3 + 7}) {
    const char fill = static_cast<char>('a' + expected.size() % 26);
    grown.append(piece, fill);
    expected.append(piece, fill);
    ASSERT_EQ(grown.size(), expected.size());
    ASSERT_TRUE(std::string_view(grown) == expected);
  }
  grown.erase(0, kLargeBufferSize * 2);
  expected.erase(0, kLargeBufferSize * 2);
  grown.shrink_to_fit();
  EXPECT_TRUE(std::string_view(grown) == expected);
}

TEST(LargeBlock, EveryByteIsWritableAndOwnershipMoves) {
  for (const std::size_t size : {std::size_t{1}, kLargeBufferSize, kLargeBufferSize * 5 + 3}) {
    LargeBlock block(size);
    std::memset(block.get(), 0x5A, size);
    char* const bytes = block.get();
    LargeBlock moved(std::move(block));
    EXPECT_EQ(block.get(), nullptr);
    EXPECT_EQ(moved.get(), bytes);
    EXPECT_EQ(moved.size(), size);
    EXPECT_EQ(moved.get()[size - 1], 0x5A);
    block = std::move(moved);
    EXPECT_EQ(block.get(), bytes);
  }
}

}  // namespace
}  // namespace vidideza
