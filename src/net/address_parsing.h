#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vidideza {

// Cuts text into parts: blanks (codes 1 to 32) separate parts as the delimiter does and vanish
// around the text and around delimiters; two delimiters in a row give an empty part, as does a
// delimiter at the start or as the very last character. A part that starts with a double quote
// runs to the matching quote ("" inside stands for one "); an unclosed quote takes the rest.
// A NUL byte ends the text.
std::vector<std::string> Split(char delimiter, std::string_view text);

// Six hexadecimal parts separated by "-" ("00-20-4A-E0-2C-BE"); each part's low 8 bits become
// the next byte, written as it is converted. False at the first part missing or not a number;
// the bytes converted before it stay. Parts after the sixth are ignored.
bool ParseMacAddress(std::string_view text, std::span<std::uint8_t, 6> bytes);

// Four parts separated by "." (or blanks), each a whole number as ParseInteger reads it; the low
// 8 bits of each become the next byte, written as converted. False as ParseMacAddress.
bool ParseDottedAddress(std::string_view text, std::span<std::uint8_t, 4> bytes);

// The host bits of a mask of n leading one bits (n from 1 to 32): 32 - n; nothing otherwise.
std::optional<std::int32_t> MaskToHostBits(std::span<const std::uint8_t, 4> mask);

// The text without its leading and trailing characters of codes 0 to 32.
std::string_view TrimmedText(std::string_view text);

// Four bytes as dotted text ("192.168.1.10").
std::string DottedText(std::span<const std::uint8_t, 4> bytes);

}  // namespace vidideza
