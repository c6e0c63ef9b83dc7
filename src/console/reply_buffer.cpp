#include "console/reply_buffer.h"

namespace vidideza {

void SerialReplyBuffer::Append(std::string_view bytes) {
  bytes_.append(bytes);
}

std::optional<std::string_view> SerialReplyBuffer::FirstLine() {
  if (!lineEnd_) {
    const std::size_t found = bytes_.find('\n', scanned_);
    if (found == std::string::npos) {
      scanned_ = bytes_.size();
      return std::nullopt;
    }
    lineEnd_ = found;
  }
  return std::string_view(bytes_).substr(start_, *lineEnd_ - start_);
}

void SerialReplyBuffer::DropLine() {
  if (!lineEnd_ && !FirstLine()) {
    return;
  }
  start_ = *lineEnd_ + 1;
  scanned_ = start_;
  lineEnd_.reset();
  Compact();
}

std::string_view SerialReplyBuffer::Content() const {
  return std::string_view(bytes_).substr(start_);
}

void SerialReplyBuffer::Compact() {
  // Drop what was taken once it outweighs what is left, so each byte moves O(1) times.
  if (start_ > 4096 && start_ * 2 > bytes_.size()) {
    bytes_.erase(0, start_);
    scanned_ -= start_;
    start_ = 0;
    // A huge line is gone: its room goes back rather than staying with the buffer.
    constexpr std::size_t kKeptRoom = std::size_t{1} << 20;
    if (bytes_.capacity() > kKeptRoom && bytes_.capacity() > 4 * bytes_.size()) {
      bytes_.shrink_to_fit();
    }
  }
}

void TakeReplyLines(SerialReplyBuffer& buffer,
                    const std::function<void(std::string_view line)>& take) {
  while (const auto line = buffer.FirstLine()) {
    if (!line->empty()) {
      take(*line);
    }
    buffer.DropLine();
  }
}

}  // namespace vidideza
