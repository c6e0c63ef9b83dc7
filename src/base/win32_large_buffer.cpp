#include <windows.h>

#include "base/large_buffer.h"

namespace vidideza {

// Committed pages, zeroed by the system only as they are touched.
void* AllocateLarge(std::size_t bytes) {
  void* block = ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (block == nullptr) {
    throw std::bad_alloc();
  }
  return block;
}

void FreeLarge(void* block, std::size_t /*bytes*/) noexcept {
  ::VirtualFree(block, 0, MEM_RELEASE);
}

}  // namespace vidideza
