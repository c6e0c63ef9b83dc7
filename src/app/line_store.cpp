#include "app/line_store.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

namespace vidideza {

TLineStore::Chunk& TLineStore::ChunkFor(std::size_t length) {
  if (chunks_.empty() || chunks_.back().bytes.size() - chunks_.back().used < length) {
    Chunk chunk;
    // Not initialised: the pages are touched only as lines fill them.
    chunk.bytes = LargeBlock(std::max(kChunkSize, length));
    chunks_.push_back(std::move(chunk));
    firstLines_.push_back(lineCount_);
  }
  return chunks_.back();
}

void TLineStore::Append(std::string_view line) {
  if (line.size() > UINT32_MAX) {
    throw std::length_error("a line of more than 4 GiB");
  }
  Chunk& chunk = ChunkFor(line.size());
  if (!line.empty()) {
    std::memcpy(chunk.bytes.get() + chunk.used, line.data(), line.size());
  }
  chunk.used += line.size();
  chunk.ends.push_back(static_cast<std::uint32_t>(chunk.used));
  ++lineCount_;
}

void TLineStore::Clear() {
  chunks_.clear();
  chunks_.shrink_to_fit();
  firstLines_.clear();
  firstLines_.shrink_to_fit();
  lineCount_ = 0;
}

std::string_view TLineStore::Line(std::size_t index) const {
  if (index >= lineCount_) {
    throw std::out_of_range("line " + std::to_string(index) + " of " + std::to_string(lineCount_));
  }
  // The last chunk whose first line is at or before the index.
  const auto after = std::upper_bound(firstLines_.begin(), firstLines_.end(), index);
  const auto chunkIndex = static_cast<std::size_t>(after - firstLines_.begin()) - 1;
  const Chunk& chunk = chunks_[chunkIndex];
  const std::size_t inChunk = index - firstLines_[chunkIndex];
  const std::uint32_t begin = inChunk == 0 ? 0 : chunk.ends[inChunk - 1];
  return {chunk.bytes.get() + begin, chunk.ends[inChunk] - begin};
}

std::size_t TLineStore::MemoryUse() const {
  std::size_t bytes =
      chunks_.capacity() * sizeof(Chunk) + firstLines_.capacity() * sizeof(std::size_t);
  for (const Chunk& chunk : chunks_) {
    bytes += chunk.bytes.size() + chunk.ends.capacity() * sizeof(std::uint32_t);
  }
  return bytes;
}

}  // namespace vidideza
