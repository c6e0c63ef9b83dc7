#pragma once

#include <cstddef>
#include <new>
#include <string>
#include <utility>

namespace vidideza {

// Room for buffers of megabytes (a huge reply line, the window's and the log's copies of it).
// Such room is taken from the system in large pages where it has them: touching fresh memory one
// small page at a time costs a fault per 4 KiB, which for a 20 MB line held the UI thread for
// tens of milliseconds at each copy.
inline constexpr std::size_t kLargeBufferSize = std::size_t{2} << 20;

// Raise std::bad_alloc. `bytes` at or above kLargeBufferSize; freed with the same size.
void* AllocateLarge(std::size_t bytes);
void FreeLarge(void* block, std::size_t bytes) noexcept;

// An allocator that takes large buffers as above and small ones from the heap.
template <typename T>
struct LargeBufferAllocator {
  using value_type = T;
  LargeBufferAllocator() = default;
  template <typename U>
  explicit LargeBufferAllocator(const LargeBufferAllocator<U>& /*other*/) {}

  T* allocate(std::size_t count) {
    const std::size_t bytes = count * sizeof(T);
    return static_cast<T*>(bytes >= kLargeBufferSize ? AllocateLarge(bytes)
                                                     : ::operator new(bytes));
  }
  void deallocate(T* block, std::size_t count) noexcept {
    const std::size_t bytes = count * sizeof(T);
    if (bytes >= kLargeBufferSize) {
      FreeLarge(block, bytes);
    } else {
      ::operator delete(block);
    }
  }
  friend bool operator==(const LargeBufferAllocator&, const LargeBufferAllocator&) = default;
};

// Bytes that may grow to megabytes.
using LargeString = std::basic_string<char, std::char_traits<char>, LargeBufferAllocator<char>>;

// A block of bytes, not initialised, owned.
class LargeBlock {
 public:
  LargeBlock() = default;
  explicit LargeBlock(std::size_t bytes)
      : data_(LargeBufferAllocator<char>().allocate(bytes)), size_(bytes) {}
  LargeBlock(LargeBlock&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
  LargeBlock& operator=(LargeBlock&& other) noexcept {
    if (this != &other) {
      Free();
      data_ = std::exchange(other.data_, nullptr);
      size_ = std::exchange(other.size_, 0);
    }
    return *this;
  }
  LargeBlock(const LargeBlock&) = delete;
  LargeBlock& operator=(const LargeBlock&) = delete;
  ~LargeBlock() { Free(); }

  char* get() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  void Free() noexcept {
    if (data_ != nullptr) {
      LargeBufferAllocator<char>().deallocate(data_, size_);
    }
  }
  char* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace vidideza
