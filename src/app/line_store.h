#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/large_buffer.h"

namespace vidideza {

// The lines of the response window, every line's bytes kept once. Bytes go into chunks of
// 1 MiB that never move once made (a line longer than that gets a chunk of its own), each line
// costing four bytes of end offset besides its bytes, so a day of traffic stays small and no
// append ever copies what is already held.
class TLineStore {
 public:
  // Amortised constant time; the view of the line stays valid until Clear.
  void Append(std::string_view line);
  // Gives back every chunk at once.
  void Clear();

  std::size_t LineCount() const { return lineCount_; }
  // Raises std::out_of_range for an index past the end.
  std::string_view Line(std::size_t index) const;
  // Bytes held for lines and their offsets, allocated.
  std::size_t MemoryUse() const;

  static constexpr std::size_t kChunkSize = std::size_t{1} << 20;

 private:
  struct Chunk {
    LargeBlock bytes;
    std::size_t used = 0;
    std::vector<std::uint32_t> ends;  // end of each line, from the chunk's start
  };
  Chunk& ChunkFor(std::size_t length);

  std::vector<Chunk> chunks_;
  std::vector<std::size_t> firstLines_;  // index of each chunk's first line
  std::size_t lineCount_ = 0;
};

}  // namespace vidideza
