#include <sys/mman.h>

#include <cstdint>

#include "base/large_buffer.h"

namespace vidideza {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t RoundedUp(std::size_t bytes) {
  return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

}  // namespace

// Mapped with a huge page's alignment, so that the kernel can back it with huge pages; where
// it will not (huge pages off, none free), it is ordinary memory.
void* AllocateLarge(std::size_t bytes) {
  const std::size_t size = RoundedUp(bytes);
  if (size < bytes || size > SIZE_MAX - kHugePage) {
    throw std::bad_alloc();
  }
  const std::size_t mapped = size + kHugePage;
  void* raw = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) {
    throw std::bad_alloc();
  }
  char* const start = static_cast<char*>(raw);
  const std::size_t misalignment = reinterpret_cast<std::uintptr_t>(start) % kHugePage;
  const std::size_t head = misalignment == 0 ? 0 : kHugePage - misalignment;
  char* const block = start + head;
  if (head > 0) {
    ::munmap(start, head);
  }
  ::munmap(block + size, mapped - head - size);
  ::madvise(block, size, MADV_HUGEPAGE);  // a hint: without it the block still serves
  return block;
}

void FreeLarge(void* block, std::size_t bytes) noexcept {
  ::munmap(block, RoundedUp(bytes));
}

}  // namespace vidideza
