#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/large_buffer.h"

namespace vidideza {

// The serial reply buffer: bytes received that do not yet form a complete line. Lines end at
// each 0x0A; a 0x0D before it stays part of the line. Finding and dropping lines costs time
// linear in the bytes received, however they are cut into events.
class SerialReplyBuffer {
 public:
  void Append(std::string_view bytes);

  // The first complete line (without its 0x0A), or nothing. It stays in the buffer until
  // DropLine, so a line whose handling failed comes again with the next event.
  std::optional<std::string_view> FirstLine();
  void DropLine();

  // Everything the buffer holds, complete lines not yet dropped included.
  std::string_view Content() const;

 private:
  void Compact();

  LargeString bytes_;                   // a huge line grows in large pages
  std::size_t start_ = 0;               // where the buffer's content begins in bytes_
  std::size_t scanned_ = 0;             // bytes_ before this hold no 0x0A after start_
  std::optional<std::size_t> lineEnd_;  // the 0x0A of the first line, once found
};

// Hands every complete line that is not empty to take, each dropped once take has returned: a
// line whose handling raised stays in the buffer and comes again with the next event.
void TakeReplyLines(SerialReplyBuffer& buffer,
                    const std::function<void(std::string_view line)>& take);

}  // namespace vidideza
