#pragma once

#include <string>
#include <string_view>

namespace vidideza {

// The system's texts are bytes shown as Latin-1, as in the other views: each byte is the
// character of the same number, so every byte comes back as it went in.
inline std::wstring Wide(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  }
  return text;
}

// A character beyond Latin-1 (typed or pasted) cannot be sent as one byte: it becomes "?".
inline std::string Bytes(std::wstring_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (const wchar_t c : text) {
    bytes.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
  }
  return bytes;
}

}  // namespace vidideza
