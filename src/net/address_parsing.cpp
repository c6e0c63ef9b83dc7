#include "net/address_parsing.h"

#include "base/integer_parsing.h"

namespace vidideza {

namespace {

bool IsBlank(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 1 && code <= 32;
}

template <std::size_t N>
bool ParseParts(char delimiter, std::string_view text, const std::string& prefix,
                std::span<std::uint8_t, N> bytes) {
  const std::vector<std::string> parts = Split(delimiter, text);
  for (std::size_t i = 0; i < N; ++i) {
    if (i >= parts.size()) {
      return false;
    }
    const auto value = TryParseInteger(prefix + parts[i]);
    if (!value) {
      return false;
    }
    bytes[i] = static_cast<std::uint8_t>(*value & 0xFF);
  }
  return true;
}

}  // namespace

std::vector<std::string> Split(char delimiter, std::string_view text) {
  // A NUL byte ends the text: it is neither blank nor part of an item, so scanning on would
  // never get past it.
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> parts;
  std::size_t i = 0;
  const auto skipBlanks = [&] {
    while (i < text.size() && IsBlank(text[i])) {
      ++i;
    }
  };
  skipBlanks();
  while (i < text.size()) {
    std::string part;
    if (text[i] == '"') {
      ++i;
      while (i < text.size()) {
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            part += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        part += text[i++];
      }
    } else {
      while (i < text.size() && static_cast<unsigned char>(text[i]) > 32 && text[i] != delimiter) {
        part += text[i++];
      }
    }
    parts.push_back(std::move(part));
    skipBlanks();
    if (i < text.size() && text[i] == delimiter) {
      if (i + 1 == text.size()) {
        parts.emplace_back();
      }
      ++i;
      skipBlanks();
    }
  }
  return parts;
}

bool ParseMacAddress(std::string_view text, std::span<std::uint8_t, 6> bytes) {
  return ParseParts<6>('-', text, "$", bytes);
}

bool ParseDottedAddress(std::string_view text, std::span<std::uint8_t, 4> bytes) {
  return ParseParts<4>('.', text, "", bytes);
}

std::optional<std::int32_t> MaskToHostBits(std::span<const std::uint8_t, 4> mask) {
  const std::uint32_t value = (std::uint32_t{mask[0]} << 24) | (std::uint32_t{mask[1]} << 16) |
                              (std::uint32_t{mask[2]} << 8) | std::uint32_t{mask[3]};
  for (std::int32_t hostBits = 0; hostBits < 32; ++hostBits) {
    const std::uint32_t ones = ~std::uint32_t{0} << hostBits;
    if (value == ones) {
      return hostBits;
    }
  }
  return std::nullopt;
}

std::string_view TrimmedText(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) {
    text.remove_prefix(1);
  }
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) {
    text.remove_suffix(1);
  }
  return text;
}

std::string DottedText(std::span<const std::uint8_t, 4> bytes) {
  return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." +
         std::to_string(bytes[2]) + "." + std::to_string(bytes[3]);
}

}  // namespace vidideza
